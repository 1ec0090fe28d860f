#include "engine/EngineMessages.h"

#include "platform/FileOps.h"
#include "platform/MessageBox.h"

namespace tavrix {
int ReportFailure(const std::string& message)
{
    platform::AfxMessageBox(message, platform::MB_OK);
    return 1;
}

std::string FileErrorMessage(const std::string& what, const std::string& path)
{
    return what + "\n" + path + "\n" + platform::LastErrorText();
}

std::string DamagedMasterMessage(const std::string& path, const std::string& detail)
{
    return "The Master file is damaged:\n" + path + "\n" + detail;
}
} // namespace tavrix
