#include "platform/DirectoryLock.h"

#include "platform/FileOps.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {
DirectoryLock::~DirectoryLock()
{
    Release();
}

bool DirectoryLock::Acquire(const std::string& directory, const std::function<void()>& onWait, bool shared)
{
    const int kind = shared ? LOCK_SH : LOCK_EX;
    Release();
    m_fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
    {
        m_error = LastErrorText();
        return false;
    }
    if (::flock(m_fd, kind | LOCK_NB) == 0)
        return true;
    if (errno == EWOULDBLOCK)
    {
        if (onWait)
            onWait();
        int result = 0;
        while ((result = ::flock(m_fd, kind)) != 0 && errno == EINTR)
        {
        }
        if (result == 0)
            return true;
    }
    m_error = LastErrorText();
    Release();
    return false;
}

void DirectoryLock::Release()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing the descriptor drops the lock
    m_fd = -1;
}
} // namespace platform
