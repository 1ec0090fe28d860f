#pragma once

#include "platform/WinTypes.h"

#include <cstdio>
#include <memory>
#include <string>

namespace platform {
constexpr char kPathSeparator = '/';

// dir + '/' + name, without doubling a separator that dir already ends in.
std::string JoinPath(const std::string& dir, const std::string& name);

// The entry of `dir` whose name equals `name` without regard to ASCII letter case: the exact
// name when it exists, else the smallest match in byte order, else "" when there is none.
// Output directories are often copied from Windows, where MASTER and master are one file.
std::string FindNameNoCase(const std::string& dir, const std::string& name);

// JoinPath(dir, the case-insensitive match of name), or JoinPath(dir, name) when nothing matches,
// so a file about to be created gets the name the caller spelled.
std::string PathNoCase(const std::string& dir, const std::string& name);

struct FileCloser
{
    void operator()(std::FILE* file) const
    {
        if (file)
            std::fclose(file);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenFile(const std::string& path, const char* mode);

// Flushes the stream and the kernel's buffers to disk, then closes it; false when any step failed.
bool CloseFileSynced(FilePtr file);

// Renames `temp` over `target` in one atomic step, so there is no moment without `target`.
bool ReplaceFile(const std::string& temp, const std::string& target);

// The text of the last failed system call, for messages that must say why.
std::string LastErrorText();

BOOL SetCurrentDirectoryA(const char* path);
// Writes the current directory into buffer (size bytes with the terminating zero); returns its
// length, or the size needed when the buffer is too small, or 0 on failure, as Windows does.
DWORD GetCurrentDirectoryA(DWORD size, char* buffer);
BOOL DeleteFileA(const char* path);
int _chdir(const char* path);
int _mkdir(const char* path);
} // namespace platform
