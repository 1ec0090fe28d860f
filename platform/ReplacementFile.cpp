#include "platform/ReplacementFile.h"

#include <cstdio>
#include <unistd.h>
#include <utility>

namespace platform {
ReplacementFile::ReplacementFile(std::string target, std::string temp)
    : m_target(std::move(target)), m_temp(std::move(temp))
{
}

ReplacementFile::~ReplacementFile()
{
    Abandon();
}

bool ReplacementFile::Open()
{
    m_file = OpenFile(m_temp, "wb");
    if (!m_file)
        return Fail();
    m_open = true;
    return true;
}

bool ReplacementFile::Write(const void* data, std::size_t size)
{
    if (!m_file)
        return false;
    if (size > 0 && std::fwrite(data, 1, size, m_file.get()) != size)
        return Fail();
    return true;
}

bool ReplacementFile::Commit()
{
    if (!m_file)
        return false;
    if (!CloseFileSynced(std::move(m_file)))
        return Fail();
    if (!ReplaceFile(m_temp, m_target))
        return Fail();
    m_open = false;
    return true;
}

void ReplacementFile::Abandon()
{
    m_file.reset();
    if (m_open)
        ::unlink(m_temp.c_str());
    m_open = false;
}

bool ReplacementFile::Fail()
{
    if (m_error.empty())
        m_error = LastErrorText();
    Abandon();
    return false;
}
} // namespace platform
