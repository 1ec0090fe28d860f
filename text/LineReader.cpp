#include "text/LineReader.h"

#include <algorithm>
#include <cstring>

namespace tavrix {
LineReader::LineReader(std::FILE* file, std::size_t keep) : m_file(file), m_keep(keep) {}

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

bool LineReader::ReadRow(char* row, std::size_t* length)
{
    std::size_t n = 0;
    bool any = false;
    while (Fill())
    {
        if (m_pendingCr)
        {
            m_pendingCr = false;
            if (m_buffer[m_start] == '\n')
            {
                ++m_start;
                continue;
            }
        }
        any = true;
        const char* begin = m_buffer + m_start;
        const std::size_t available = m_end - m_start;
        const char* newline = static_cast<const char*>(std::memchr(begin, '\n', available));
        const char* stop = newline ? newline : begin + available;
        if (const void* cr = std::memchr(begin, '\r', static_cast<std::size_t>(stop - begin)))
            stop = static_cast<const char*>(cr);
        const auto run = static_cast<std::size_t>(stop - begin);
        if (n < m_keep)
            std::memcpy(row + n, begin, std::min(run, m_keep - n));
        n += run;
        m_start += run;
        if (stop == begin + available)
            continue;
        ++m_start;
        if (*stop == '\r')
        {
            if (m_start < m_end)
                m_start += m_buffer[m_start] == '\n' ? 1 : 0;
            else
                m_pendingCr = true;
        }
        break;
    }
    row[std::min(n, m_keep)] = '\0';
    *length = n;
    return any;
}
} // namespace tavrix
