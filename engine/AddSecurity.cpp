#include "engine/ConversionJob.h"

#include "engine/EngineMessages.h"
#include "marketdata/Master.h"
#include "marketdata/MasterReader.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"

#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

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
    m_masterHeader = {};
    m_masterRecords.clear();
    if (m_bUseExistingMaster)
    {
        std::size_t extraBytes = 0;
        const Status status = ReadMasterFile(m_szMasterPath, &m_masterHeader, &m_masterRecords, &extraBytes);
        struct stat st
        {
        };
        if (status == kStatusFileRead && ::stat(m_szMasterPath, &st) == 0 && S_ISREG(st.st_mode) &&
            st.st_size < kMasterRecordSize)
            return Fail(DamagedMasterMessage(m_szMasterPath, "It is shorter than its 53-byte header."));
        if (status != kStatusOk)
            return Fail(FileErrorMessage("Cannot read the Master file", m_szMasterPath));
        // A record past the count is seen by no reader, and a count past the records names nothing.
        if (m_masterHeader.count != static_cast<long>(m_masterRecords.size()) || extraBytes != 0)
            return Fail(DamagedMasterMessage(
                m_szMasterPath, "Its header counts " + std::to_string(m_masterHeader.count) + " records, but it holds " +
                                    std::to_string(m_masterRecords.size()) +
                                    (extraBytes ? " and " + std::to_string(extraBytes) + " bytes more." : ".")));
    }
    if (m_masterHeader.count >= kMasterMaxSecurities)
        return Fail(msg::kMasterFull);

    // A number is free only when neither MASTER nor any file on disk uses it.
    bool taken[256] = {true};
    for (const MasterRecord& record : m_masterRecords)
        if (!IsDirectoryEntry(record.data()))
            taken[record[kRecFileNumber]] = true;
    if (DIR* handle = ::opendir(m_szPath))
    {
        while (const dirent* entry = ::readdir(handle))
        {
            const int number = PriceFileNumber(entry->d_name);
            if (number > 0 && number < 256)
                taken[number] = true;
        }
        ::closedir(handle);
    }
    int fileNumber = 1;
    while (fileNumber < 256 && taken[fileNumber])
        ++fileNumber;
    if (fileNumber == 256)
        return Fail(msg::kMasterFull); // every number is used, whatever the counters say
    m_nFileNumber = static_cast<std::uint8_t>(fileNumber);

    char today[9];
    m_conversionDay = DayToDateValue(ParseDateText(platform::_strdate(today), 3));
    NewSecurity security;
    security.fileNumber = m_nFileNumber;
    security.fieldCount = m_nFieldCount;
    security.name = m_szName;
    security.symbol = m_szSymbol;
    security.firstDate = security.lastDate = m_conversionDay;
    m_masterRecords.push_back(BuildSecurityRecord(security));

    // Our files keep both counters equal; a vendor's second counter holds the highest number in use.
    const bool vendorCounter = m_masterHeader.count2 != m_masterHeader.count;
    m_masterHeader.count = static_cast<std::int16_t>(m_masterHeader.count + 1);
    m_masterHeader.count2 = vendorCounter ? std::max<std::int16_t>(m_masterHeader.count2, m_nFileNumber)
                                          : m_masterHeader.count;
    return 0;
}
} // namespace tavrix
