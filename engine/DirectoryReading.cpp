#include "engine/DirectoryReading.h"

#include "engine/DirectoryChange.h"

#include <cerrno>

namespace tavrix {
JobError ReadingLock::Acquire(const std::string& directory, const std::function<void()>& onWait)
{
    bool told = false;
    const auto tellOnce = [&] {
        if (onWait && !told)
            onWait();
        told = true;
    };
    for (;;)
    {
        if (!m_lock.Acquire(directory, tellOnce, true))
            return FileError("Cannot read the directory", directory, m_lock.Error());
        if (!DirectoryChange::ChangeWasCutOff(directory))
            return {};
        // A killed job's change is waiting: put it right as a writer would, then read.
        m_lock.Release();
        if (!m_lock.Acquire(directory, tellOnce))
            return FileError("Cannot read the directory", directory, m_lock.Error());
        if (JobError problem = DirectoryChange(directory).Recover(); problem.Failed())
            return problem;
        if (DirectoryChange::ChangeWasCutOff(directory))
        {
            JobError error;
            error.what = "A change to this directory was cut off, and this program may not write there to put it "
                         "right, so it shows nothing of it:";
            error.path = directory;
            error.systemError = errno ? errno : EACCES;
            error.desktopAdvice = error.commandLineAdvice = "Run it again as a user who may write there.";
            return error;
        }
        m_lock.Release();
    }
}
} // namespace tavrix
