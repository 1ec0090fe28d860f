#include "platform/FileOps.h"

#include "platform/Strings.h"

#include <algorithm>
#include <cerrno>
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

bool WriteAll(int fd, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0)
    {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
        {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void SyncDirectory(const std::string& directory)
{
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
    {
        ::fsync(fd);
        ::close(fd);
    }
}

bool ReplaceFileContents(const std::string& path, const std::string& content)
{
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    ::fchmod(fd, 0644);
    bool ok = WriteAll(fd, content.data(), content.size()) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ok = ::close(fd) == 0 && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0)
    {
        SyncDirectory(DirectoryOf(path));
        return true;
    }
    if (!ok)
        errno = savedErrno;
    const int renameErrno = errno;
    ::unlink(temp.c_str());
    errno = renameErrno;
    return false;
}

std::string ReadRegularFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>* bytes,
                            std::size_t prefix)
{
    bytes->clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return LastErrorText();
    struct stat st
    {
    };
    std::string error;
    if (::fstat(fd, &st) != 0)
        error = LastErrorText();
    else if (!S_ISREG(st.st_mode))
        error = S_ISDIR(st.st_mode) ? "a directory, not a file" : "not a regular file";
    else if (static_cast<unsigned long long>(st.st_size) > maxBytes)
        error = "larger than any sound file of its kind (" + std::to_string(st.st_size) + " bytes)";
    else
    {
        bytes->resize(std::min(static_cast<std::size_t>(st.st_size), prefix));
        std::size_t got = 0;
        while (got < bytes->size())
        {
            const ssize_t n = ::read(fd, bytes->data() + got, bytes->size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
            {
                error = LastErrorText();
                break;
            }
            if (n == 0)
                break; // shortened while read: take what is there
            got += static_cast<std::size_t>(n);
        }
        bytes->resize(got);
    }
    ::close(fd);
    if (!error.empty())
        bytes->clear();
    return error;
}

std::string LastErrorText()
{
    return ErrorText(errno);
}

std::string ErrorText(int error)
{
    return std::strerror(error);
}

int _mkdir(const char* path)
{
    return path ? ::mkdir(path, 0777) : -1;
}
} // namespace platform
