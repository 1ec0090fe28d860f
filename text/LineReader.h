#pragma once

#include <cstddef>
#include <cstdio>

namespace tavrix {
// Reads a text file row by row. A row ends at LF, CR LF or a lone CR; the line end is not part of
// it. Only the first `keep` characters of a row are kept, but its whole length is told, so a
// longer row can be recognised and skipped in one piece.
class LineReader
{
public:
    LineReader(std::FILE* file, std::size_t keep);

    // The next row into `row` (room for keep + 1 characters, zero-terminated); `length` is the
    // row's whole length. False at the end of the file or on a read error (see Failed).
    bool ReadRow(char* row, std::size_t* length);
    bool Failed() const { return m_failed; }

private:
    bool Fill();

    std::FILE* m_file;
    std::size_t m_keep;
    char m_buffer[65536];
    std::size_t m_start = 0;
    std::size_t m_end = 0;
    bool m_failed = false;
    bool m_pendingCr = false; // a row ended in CR at the buffer's end: an LF next belongs to it
};
} // namespace tavrix
