#include "app/FindingTarget.h"

#include "marketdata/Master.h"
#include "marketdata/Xmaster.h"
#include "platform/Strings.h"

#include <cstdlib>

namespace {
// The number of "F<digits>.DAT", ".MWD" or ".DOP" in any letter case; 0 for another name.
int FileNumberOf(const std::string& upper)
{
    const std::size_t dot = upper.find('.');
    if (upper.size() < 6 || upper[0] != 'F' || dot == std::string::npos || dot < 2 || dot > 6 ||
        upper.find_first_not_of("0123456789", 1) != dot)
        return 0;
    const std::string extension = upper.substr(dot);
    return extension == ".DAT" || extension == ".MWD" || extension == ".DOP" ? std::atoi(upper.c_str() + 1) : 0;
}

// N of a text that begins "record N"; 0 when it does not.
std::size_t RecordNumberOf(const std::string& text)
{
    const std::string lead = "record ";
    if (text.compare(0, lead.size(), lead) != 0)
        return 0;
    return static_cast<std::size_t>(std::strtoul(text.c_str() + lead.size(), nullptr, 10));
}
} // namespace

int SecurityOfFinding(const std::vector<tavrix::Security>& securities, const tavrix::CheckFinding& finding)
{
    const std::size_t slash = finding.file.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : finding.file.substr(0, slash + 1);
    const std::string name = platform::UpperAscii(finding.file.substr(slash == std::string::npos ? 0 : slash + 1));
    const int number = FileNumberOf(name);
    const std::size_t record = RecordNumberOf(finding.text);
    const bool master = name == platform::UpperAscii(tavrix::kMasterFileName);
    const bool xmaster = name == platform::UpperAscii(tavrix::kXmasterFileName);
    for (std::size_t i = 0; i < securities.size(); ++i)
    {
        const tavrix::Security& security = securities[i];
        if (security.directory != directory)
            continue;
        if (number > 0 ? security.fileNumber == number
                       : record > 0 && security.index == record - 1 &&
                             ((master && security.source == tavrix::Security::kMaster) ||
                              (xmaster && security.source == tavrix::Security::kXmaster)))
            return static_cast<int>(i);
    }
    return -1;
}
