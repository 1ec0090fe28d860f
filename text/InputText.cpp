#include "text/InputText.h"

#include "platform/Memory.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tavrix {
// Cuts bytes into rows as they come, however the chunks fall.
class RowCollector
{
public:
    explicit RowCollector(InputText* input) : m_input(input) {}

    void Add(const char* data, std::size_t size)
    {
        const char* p = data;
        const char* end = data + size;
        while (p < end)
        {
            if (m_pendingCr)
            {
                m_pendingCr = false;
                if (*p == '\n')
                {
                    ++p;
                    continue;
                }
            }
            const char* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            const char* stop = newline ? newline : end;
            if (const void* cr = std::memchr(p, '\r', static_cast<std::size_t>(stop - p)))
                stop = static_cast<const char*>(cr);
            Append(p, static_cast<std::size_t>(stop - p));
            if (stop == end)
                break;
            EndRow();
            m_pendingCr = *stop == '\r';
            p = stop + 1;
        }
    }

    void Finish()
    {
        if (m_inRow)
            EndRow();
    }

    // Room for a file of `size` bytes at once: growing by copies would touch every page twice.
    void Expect(std::size_t size)
    {
        m_input->m_text.reserve(size);
        platform::PrepareForWriting(m_input->m_text.data(), size);
        m_input->m_rows.reserve(size / 24); // about the shortest price row
    }

    void SetEncoding(const char* name) { m_input->m_encoding = name; }
    void SetFailed() { m_input->m_failed = true; }

private:
    void Append(const char* run, std::size_t size)
    {
        if (!m_inRow)
        {
            m_inRow = true;
            m_row = {m_input->m_text.size(), 0};
        }
        if (m_row.length < InputText::kKeep)
            m_input->m_text.append(run, std::min(size, InputText::kKeep - m_row.length));
        m_row.length += size;
    }

    void EndRow()
    {
        if (!m_inRow)
            m_row = {m_input->m_text.size(), 0};
        std::vector<InputText::RowPlace>& rows = m_input->m_rows;
        if (rows.size() == m_preparedRows && rows.size() < rows.capacity())
        {
            // The room reserved is a guess from the file's size: made ready a part at a time.
            const std::size_t part = std::min<std::size_t>(rows.capacity() - rows.size(), 32768);
            platform::PrepareForWriting(rows.data() + rows.size(), part * sizeof(InputText::RowPlace));
            m_preparedRows = rows.size() + part;
        }
        rows.push_back(m_row);
        m_inRow = false;
    }

    InputText* m_input;
    InputText::RowPlace m_row{0, 0};
    bool m_inRow = false;
    bool m_pendingCr = false; // a row ended in CR at a chunk's end: an LF next belongs to it
    std::size_t m_preparedRows = 0;
};

namespace {
void AppendUtf8(std::string* out, unsigned long code)
{
    if (code < 0x80)
        out->push_back(static_cast<char>(code));
    else if (code < 0x800)
    {
        out->push_back(static_cast<char>(0xC0 | (code >> 6)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
    else if (code < 0x10000)
    {
        out->push_back(static_cast<char>(0xE0 | (code >> 12)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
    else
    {
        out->push_back(static_cast<char>(0xF0 | (code >> 18)));
        out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

constexpr unsigned long kReplacement = 0xFFFD;
// Larger files are mostly long rows, whose ends are not kept.
constexpr std::size_t kMostExpected = std::size_t(64) << 20;

// Takes the file's bytes chunk by chunk: drops a byte-order mark, turns UTF-16 into UTF-8.
class InputDecoder
{
public:
    explicit InputDecoder(InputText* input) : m_rows(input) {}

    void Expect(std::size_t size) { m_rows.Expect(size); }

    void Feed(const char* data, std::size_t size)
    {
        if (m_first)
        {
            m_first = false;
            const auto byte = [&](std::size_t i) { return i < size ? static_cast<unsigned char>(data[i]) : 0u; };
            if (byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF)
                data += 3, size -= 3;
            else if ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))
            {
                m_utf16 = true;
                m_bigEndian = byte(0) == 0xFE;
                m_rows.SetEncoding(m_bigEndian ? "UTF-16BE" : "UTF-16LE");
                data += 2, size -= 2;
            }
        }
        if (!m_utf16)
            return m_rows.Add(data, size);
        std::string text;
        text.reserve(size);
        for (std::size_t i = 0; i < size; ++i)
        {
            if (!m_haveOdd)
            {
                m_odd = static_cast<unsigned char>(data[i]);
                m_haveOdd = true;
                continue;
            }
            m_haveOdd = false;
            const unsigned second = static_cast<unsigned char>(data[i]);
            const unsigned long unit = m_bigEndian ? (m_odd << 8 | second) : (second << 8 | m_odd);
            Unit(&text, unit);
        }
        m_rows.Add(text.data(), text.size());
    }

    void Finish()
    {
        std::string text;
        if (m_highSurrogate || m_haveOdd)
            AppendUtf8(&text, kReplacement);
        m_rows.Add(text.data(), text.size());
        m_rows.Finish();
    }

    void SetFailed() { m_rows.SetFailed(); }

private:
    void Unit(std::string* text, unsigned long unit)
    {
        if (m_highSurrogate)
        {
            const unsigned long high = m_highSurrogate;
            m_highSurrogate = 0;
            if (unit >= 0xDC00 && unit <= 0xDFFF)
                return AppendUtf8(text, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
            AppendUtf8(text, kReplacement);
        }
        if (unit >= 0xD800 && unit <= 0xDBFF)
            m_highSurrogate = unit;
        else
            AppendUtf8(text, unit >= 0xDC00 && unit <= 0xDFFF ? kReplacement : unit);
    }

    RowCollector m_rows;
    bool m_first = true;
    bool m_utf16 = false;
    bool m_bigEndian = false;
    bool m_haveOdd = false;
    unsigned m_odd = 0;
    unsigned long m_highSurrogate = 0;
};
} // namespace

InputText ReadInputText(std::FILE* file)
{
    InputText input;
    InputDecoder decoder(&input);
    const long start = std::ftell(file);
    if (start >= 0 && std::fseek(file, 0, SEEK_END) == 0)
    {
        const long end = std::ftell(file);
        if (std::fseek(file, start, SEEK_SET) != 0)
            decoder.SetFailed();
        else if (end > start)
            decoder.Expect(std::min(static_cast<std::size_t>(end - start), kMostExpected));
    }
    std::vector<char> buffer(65536);
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
        decoder.Feed(buffer.data(), got);
    if (std::ferror(file))
        decoder.SetFailed();
    decoder.Finish();
    return input;
}

InputText InputTextFromBytes(const std::string& bytes)
{
    InputText input;
    InputDecoder decoder(&input);
    decoder.Expect(bytes.size());
    decoder.Feed(bytes.data(), bytes.size());
    decoder.Finish();
    return input;
}
} // namespace tavrix
