#pragma once

#include <functional>
#include <string>

namespace platform {
// An advisory lock on a directory, held on the directory itself so that no file appears that
// charting programs would see: exclusive for a writer, shared among readers. Released when the
// object goes.
class DirectoryLock
{
public:
    DirectoryLock() = default;
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

    // Waits for the lock; `onWait` is called once when another holder makes this one wait.
    // False (see Error) when the directory cannot be opened or locked.
    bool Acquire(const std::string& directory, const std::function<void()>& onWait = {}, bool shared = false);
    void Release();
    bool Held() const { return m_fd >= 0; }
    const std::string& Error() const { return m_error; }

private:
    int m_fd = -1;
    std::string m_error;
};
} // namespace platform
