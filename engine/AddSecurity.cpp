#include "engine/ConversionJob.h"

#include "marketdata/Master.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"

#include <cctype>
#include <cstring>
#include <dirent.h>

namespace tavrix {
namespace {
// The number of a price or layout file name (F12.DAT, f12.dop, F300.MWD in any letter case), or 0.
int PriceFileNumber(const char* name)
{
    if (name[0] != 'F' && name[0] != 'f')
        return 0;
    int number = 0;
    const char* p = name + 1;
    if (*p < '1' || *p > '9')
        return 0;
    while (*p >= '0' && *p <= '9' && number < 100000)
        number = number * 10 + (*p++ - '0');
    static const char* const kExtensions[] = {".dat", ".dop", ".mwd"};
    for (const char* extension : kExtensions)
        if (std::strlen(p) == 4 && p[0] == '.' && std::tolower(static_cast<unsigned char>(p[1])) == extension[1] &&
            std::tolower(static_cast<unsigned char>(p[2])) == extension[2] &&
            std::tolower(static_cast<unsigned char>(p[3])) == extension[3])
            return number;
    return 0;
}
} // namespace

int ConversionJob::AddSecurity()
{
    if (!UsesExistingMaster())
        m_image.Clear(m_strPath, m_strMasterName);
    else if (JobError problem = m_image.Load(m_strPath, m_strMasterName); problem.Failed())
        return Fail(problem);
    JobError full;
    full.what =
        "This portfolio already has the\nmaximum number of symbols (255).\nChoose a different or new portfolio.";
    if (m_image.header.count >= kMasterMaxSecurities)
        return Fail(full);

    // A number is free only when neither MASTER nor any file on disk uses it.
    bool taken[kMasterMaxSecurities + 1] = {true};
    for (const int number : m_image.FileNumbers())
        taken[number] = true;
    if (DIR* handle = ::opendir(m_strPath.c_str()))
    {
        while (const dirent* entry = ::readdir(handle))
        {
            const int number = PriceFileNumber(entry->d_name);
            if (number > 0 && number <= kMasterMaxSecurities)
                taken[number] = true;
        }
        ::closedir(handle);
    }
    int fileNumber = 1;
    while (fileNumber <= kMasterMaxSecurities && taken[fileNumber])
        ++fileNumber;
    if (fileNumber > kMasterMaxSecurities)
        return Fail(full); // every number is used, whatever the counters say
    m_nFileNumber = static_cast<std::uint8_t>(fileNumber);

    char today[9];
    m_conversionDay = DayToDateValue(ReadDateText(platform::_strdate(today), 8, DateFormatCode("MM_DD_YY")));
    NewSecurity security;
    security.fileNumber = m_nFileNumber;
    security.fieldCount = m_nFieldCount;
    security.name = Name();
    security.symbol = Symbol();
    security.firstDate = security.lastDate = m_conversionDay;
    // Added to the image when the price file is written, so MASTER.BAK can hold MASTER as it was.
    m_pendingRecord = BuildSecurityRecord(security);
    WarnAboutEmaster();
    return 0;
}
} // namespace tavrix
