#pragma once

#include <cstddef>
#include <cstdio>

namespace tavrix {
// Reads a text file in pieces the way fgets(buffer, limit + 1, file) does on a Windows text-mode
// stream: a CR LF pair or a lone LF ends a line and counts as one '\n' character, and a line
// longer than `limit` characters comes in several pieces.
class LineReader
{
public:
    LineReader(std::FILE* file, std::size_t limit);

    // The next piece, zero-terminated, into `piece` (room for limit + 1 characters); false at the
    // end of the file or on a read error (see Failed).
    bool ReadPiece(char* piece, std::size_t* length);
    bool Failed() const { return m_failed; }

private:
    bool Fill();

    std::FILE* m_file;
    std::size_t m_limit;
    char m_buffer[65536];
    std::size_t m_start = 0;
    std::size_t m_end = 0;
    bool m_failed = false;
};
} // namespace tavrix
