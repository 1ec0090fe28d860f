#pragma once

#include "platform/FileOps.h"

#include <cstddef>
#include <string>

namespace platform {
// New content for `target`, written to `temp` beside it and swapped in by one rename, so the
// target is either the old file or the whole new one. Dropped without Commit, the copy is deleted.
class ReplacementFile
{
public:
    ReplacementFile(std::string target, std::string temp);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    bool Open();
    bool Write(const void* data, std::size_t size);
    // Flushes to disk, closes, and renames over the target; false (copy deleted) on any failure.
    bool Commit();
    void Abandon();

    const std::string& Target() const { return m_target; }
    const std::string& Temp() const { return m_temp; }
    // The reason of the first failure, for messages.
    const std::string& Error() const { return m_error; }

private:
    bool Fail();

    std::string m_target;
    std::string m_temp;
    FilePtr m_file;
    std::string m_error;
    bool m_open = false;
};
} // namespace platform
