#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace tavrix {
// A row of an input: its first characters and its whole length.
struct TextRow
{
    const char* text; // the first min(length, InputText::kKeep) characters
    std::size_t length;
};

// A text file read whole before anything is decided about it, kept as the price-line reader
// needs it: the first kKeep characters of each row and its whole length, so a long row costs no
// more than a short one. Row i is line i + 1 of the file. Rows end at LF, CR LF or a lone CR.
class InputText
{
public:
    static constexpr std::size_t kKeep = 300;

    std::size_t RowCount() const { return m_rows.size(); }
    TextRow Row(std::size_t index) const { return {m_text.data() + m_rows[index].offset, m_rows[index].length}; }
    // A read error cut the input short.
    bool Failed() const { return m_failed; }
    // "UTF-16LE" or "UTF-16BE" when the file was UTF-16 (its rows are held as UTF-8), else "".
    const std::string& Encoding() const { return m_encoding; }

private:
    friend class RowCollector;
    struct RowPlace
    {
        std::size_t offset;
        std::size_t length;
    };
    std::string m_text; // the kept characters of every row, one after the other
    std::vector<RowPlace> m_rows;
    std::string m_encoding;
    bool m_failed = false;
};

// Reads the whole file from its current position. A UTF-8 byte-order mark is dropped; UTF-16
// with a byte-order mark is read as UTF-8 text.
InputText ReadInputText(std::FILE* file);
// The same from bytes already in memory.
InputText InputTextFromBytes(const std::string& bytes);
} // namespace tavrix
