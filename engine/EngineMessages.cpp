#include "engine/EngineMessages.h"

#include "platform/FileOps.h"

namespace tavrix {
std::string FileErrorMessage(const std::string& what, const std::string& path)
{
    return what + "\n" + path + "\n" + platform::LastErrorText();
}

std::string DamagedMasterMessage(const std::string& path, const std::string& detail)
{
    return "The Master file is damaged:\n" + path + "\n" + detail;
}
} // namespace tavrix
