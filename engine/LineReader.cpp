#include "engine/LineReader.h"

namespace tavrix
{
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
        char c = m_buffer[m_start++];
        if (c == '\r')
        {
            // Only a CR directly before an LF belongs to the line end.
            if (!Fill())
            {
                piece[n++] = '\r';
                break;
            }
            if (m_buffer[m_start] == '\n')
            {
                ++m_start;
                c = '\n';
            }
        }
        piece[n++] = c;
        if (c == '\n')
            break;
    }
    piece[n] = '\0';
    *length = n;
    return n > 0;
}
} // namespace tavrix
