#pragma once

#include "engine/JobError.h"
#include "platform/DirectoryLock.h"

#include <functional>
#include <string>

namespace tavrix {
// Holds a directory for reading: a lock shared with other readers, taken after any change that a
// killed job cut off has been put right, so a reader never sees half a change. A reader that may
// not write there says so instead of reading.
class ReadingLock
{
public:
    // `onWait` is told once when a writer makes this reader wait.
    JobError Acquire(const std::string& directory, const std::function<void()>& onWait = {});
    void Release() { m_lock.Release(); }

private:
    platform::DirectoryLock m_lock;
};
} // namespace tavrix
