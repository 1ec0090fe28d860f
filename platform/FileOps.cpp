#include "platform/FileOps.h"

#include "platform/Strings.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {
std::string DirectoryOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncDirectory(const std::string& dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0)
    {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

std::string JoinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty())
        return name;
    if (dir.back() == kPathSeparator)
        return dir + name;
    return dir + kPathSeparator + name;
}

std::string FindNameNoCase(const std::string& dir, const std::string& name)
{
    struct stat st
    {
    };
    if (::lstat(JoinPath(dir.empty() ? "." : dir, name).c_str(), &st) == 0)
        return name;
    DIR* handle = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!handle)
        return {};
    // The smallest of several matches, so every step that looks for a name takes the same file.
    std::string found;
    while (const dirent* entry = ::readdir(handle))
        if (_stricmp(entry->d_name, name.c_str()) == 0 && (found.empty() || found > entry->d_name))
            found = entry->d_name;
    ::closedir(handle);
    return found;
}

std::string PathNoCase(const std::string& dir, const std::string& name)
{
    const std::string found = FindNameNoCase(dir, name);
    return JoinPath(dir, found.empty() ? name : found);
}

FilePtr OpenFile(const std::string& path, const char* mode)
{
    return FilePtr(std::fopen(path.c_str(), mode));
}

bool CloseFileSynced(FilePtr file)
{
    if (!file)
        return false;
    bool ok = std::fflush(file.get()) == 0;
    ok = (::fsync(::fileno(file.get())) == 0) && ok;
    ok = (std::fclose(file.release()) == 0) && ok;
    return ok;
}

bool ReplaceFile(const std::string& temp, const std::string& target)
{
    if (std::rename(temp.c_str(), target.c_str()) != 0)
        return false;
    SyncDirectory(DirectoryOf(target));
    return true;
}

std::string LastErrorText()
{
    return std::strerror(errno);
}

BOOL SetCurrentDirectoryA(const char* path)
{
    return path && ::chdir(path) == 0 ? TRUE : FALSE;
}

DWORD GetCurrentDirectoryA(DWORD size, char* buffer)
{
    char* cwd = ::getcwd(nullptr, 0);
    if (!cwd)
        return 0;
    const std::size_t length = std::strlen(cwd);
    DWORD result = static_cast<DWORD>(length);
    if (buffer && length < size)
        std::memcpy(buffer, cwd, length + 1);
    else
        result = static_cast<DWORD>(length + 1);
    std::free(cwd);
    return result;
}

BOOL DeleteFileA(const char* path)
{
    return path && ::unlink(path) == 0 ? TRUE : FALSE;
}

int _chdir(const char* path)
{
    return path ? ::chdir(path) : -1;
}

int _mkdir(const char* path)
{
    return path ? ::mkdir(path, 0777) : -1;
}
} // namespace platform
