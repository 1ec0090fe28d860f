#pragma once

#include <cstdint>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

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

// Writes all of `size` bytes to `fd`, going on after interruptions.
bool WriteAll(int fd, const void* data, std::size_t size);

// Flushes a directory's entries (a rename or a new name) to disk.
void SyncDirectory(const std::string& directory);

// Replaces `path` with `content`: written in full to a temporary file beside it, flushed, renamed
// over it in one step, so there is no moment without the file and a crash never leaves it torn.
bool ReplaceFileContents(const std::string& path, const std::string& content);

// Reads a regular file whole, refusing anything else (a FIFO, a device, a directory: opened without
// waiting for a writer) and any file longer than `maxBytes`; with `prefix`, only its first bytes.
// "" on success, else why not.
std::string ReadRegularFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>* bytes,
                            std::size_t prefix = SIZE_MAX);

// The text of the last failed system call, for messages that must say why.
std::string LastErrorText();
std::string ErrorText(int error);

int _mkdir(const char* path);
} // namespace platform
