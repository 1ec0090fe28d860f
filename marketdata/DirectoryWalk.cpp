#include "marketdata/DirectoryWalk.h"

#include "marketdata/Master.h"
#include "platform/FileOps.h"

#include <sys/stat.h>

namespace tavrix {
DirectoryWalkGuard::DirectoryWalkGuard(const std::string& start)
{
    Remember(start.empty() ? "." : start);
}

std::string DirectoryWalkGuard::Enter(const std::string& directory, const std::uint8_t* record)
{
    const std::string name = DirectoryEntryName(record);
    if (name.empty() || name == "." || name == ".." || name.find(platform::kPathSeparator) != std::string::npos)
        return {};
    const std::string actual = platform::FindNameNoCase(directory.empty() ? "." : directory, name);
    const std::string sub = directory + (actual.empty() ? name : actual) + platform::kPathSeparator;
    if (sub.size() > kMaxWalkDirectory || !Remember(sub))
        return {};
    return sub;
}

bool DirectoryWalkGuard::Remember(const std::string& path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return m_visited.insert({st.st_dev, st.st_ino}).second;
}
} // namespace tavrix
