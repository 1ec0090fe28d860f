#include "engine/LineReader.h"

#include <algorithm>
#include <cstring>

namespace tavrix {
LineReader::LineReader(std::FILE* file, std::size_t limit) : m_file(file), m_limit(limit) {}

bool LineReader::Fill()
{
    if (m_start < m_end)
        return true;
    m_start = 0;
    m_end = std::fread(m_buffer, 1, sizeof m_buffer, m_file);
    if (m_end == 0 && std::ferror(m_file))
        m_failed = true;
    return m_end > 0;
}

bool LineReader::ReadPiece(char* piece, std::size_t* length)
{
    std::size_t n = 0;
    while (n < m_limit && Fill())
    {
        // Copy up to the next line-end character in one go; lone CRs are rare and handled below.
        const char* begin = m_buffer + m_start;
        const std::size_t available = std::min(m_end - m_start, m_limit - n);
        const char* newline = static_cast<const char*>(std::memchr(begin, '\n', available));
        const char* stop = newline ? newline : begin + available;
        if (const void* cr = std::memchr(begin, '\r', static_cast<std::size_t>(stop - begin)))
            stop = static_cast<const char*>(cr);
        const auto run = static_cast<std::size_t>(stop - begin);
        std::memcpy(piece + n, begin, run);
        n += run;
        m_start += run;
        if (stop == begin + available)
            continue;
        ++m_start;
        if (*stop == '\n')
        {
            piece[n++] = '\n';
            break;
        }
        // A CR ends the line only when an LF follows it directly.
        if (!Fill())
        {
            piece[n++] = '\r';
            break;
        }
        if (m_buffer[m_start] == '\n')
        {
            ++m_start;
            piece[n++] = '\n';
            break;
        }
        piece[n++] = '\r';
    }
    piece[n] = '\0';
    *length = n;
    return n > 0;
}
} // namespace tavrix
