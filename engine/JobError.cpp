#include "engine/JobError.h"

#include "platform/FileOps.h"

#include <cerrno>

namespace tavrix {
std::string JobError::Text(Audience audience) const
{
    std::string text = what;
    for (const std::string* line : {&path, &reason})
        if (!line->empty())
            text += "\n" + *line;
    if (systemError != 0)
        text += "\n" + platform::ErrorText(systemError);
    const std::string& advice = audience == Audience::kDesktop ? desktopAdvice : commandLineAdvice;
    if (!advice.empty())
        text += "\n" + advice;
    return text;
}

JobError FileError(const std::string& what, const std::string& path)
{
    JobError error;
    error.what = what;
    error.path = path;
    error.systemError = errno != 0 ? errno : EIO;
    return error;
}

JobError FileError(const std::string& what, const std::string& path, const std::string& reason)
{
    JobError error;
    error.what = what;
    error.path = path;
    error.reason = reason;
    return error;
}

JobError DamagedMaster(const std::string& path, const std::string& detail)
{
    JobError error;
    error.what = "The Master file is damaged:";
    error.path = path;
    error.reason = detail;
    return error;
}
} // namespace tavrix
