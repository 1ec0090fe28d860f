#include "marketdata/Securities.h"

#include "marketdata/DirectoryTree.h"
#include "marketdata/FieldLayout.h"
#include "marketdata/Master.h"
#include "marketdata/Xmaster.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tavrix {
namespace {
Security FromMaster(const std::string& directory, std::size_t index, const MasterRecord& record, bool readLayout)
{
    Security security;
    security.directory = directory;
    security.source = Security::kMaster;
    security.index = index;
    security.fileNumber = record[kRecFileNumber];
    security.symbol = RecordSymbol(record.data());
    security.name = RecordName(record.data());
    security.period = static_cast<char>(record[kRecPeriod]);
    security.interval = record[kRecInterval] | record[kRecInterval + 1] << 8;
    security.layout =
        readLayout ? MasterRecordLayout(directory, record) : DefaultLayoutForCount(record[kRecFieldCount]);
    security.firstDate = FromMbf(&record[kRecFirstDate]);
    security.lastDate = FromMbf(&record[kRecLastDate]);
    return security;
}
} // namespace

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
    if (std::strlen(p) != 4 || p[0] != '.')
        return 0;
    const std::string extension = platform::UpperAscii(p + 1);
    return extension == "DAT" || extension == "DOP" || extension == "MWD" ? number : 0;
}

std::string Security::PriceFileName() const
{
    return "F" + std::to_string(fileNumber) + (fileNumber > kMasterMaxSecurities ? ".MWD" : ".DAT");
}

std::string Security::PriceFilePath() const
{
    return platform::PathNoCase(directory, PriceFileName());
}

Security SecurityOfXmaster(const XmasterSecurity& above, const std::string& directory)
{
    Security security;
    security.directory = directory;
    security.source = Security::kXmaster;
    security.fileNumber = above.fileNumber;
    security.symbol = above.symbol;
    security.name = above.name;
    security.period = above.period;
    security.interval = above.interval;
    security.layout = above.layout;
    // XMASTER keeps dates as YYYYMMDD, MASTER as date values; listings hold date values.
    security.firstDate = above.firstDate ? above.firstDate - static_cast<double>(kDateValueToYyyymmdd) : 0;
    security.lastDate = above.lastDate ? above.lastDate - static_cast<double>(kDateValueToYyyymmdd) : 0;
    return security;
}

std::string ReadXmasterSecurities(const std::string& directory, std::vector<Security>* securities)
{
    securities->clear();
    const std::string name = platform::FindNameNoCase(directory, kXmasterFileName);
    if (name.empty())
        return "";
    XmasterFile file;
    const std::string error = ReadRecordFile(platform::JoinPath(directory, name), kXmasterMaxRecords, &file);
    if (!error.empty())
        return error;
    for (std::size_t i = 0; i < file.records.size(); ++i)
    {
        Security security = SecurityOfXmaster(DecodeXmasterRecord(file.records[i]), TreeStart(directory));
        security.index = i;
        securities->push_back(security);
    }
    return "";
}

std::string ListSecurities(const std::string& directory, std::vector<Security>* securities, bool readLayouts)
{
    securities->clear();
    std::string startError;
    bool start = true;
    WalkDirectoryTree(directory, [&](const TreeDirectory& found) {
        // The starting directory's master files are read whole or not at all: a listing without
        // XMASTER's securities would pass them off as absent.
        const bool atStart = std::exchange(start, false);
        if (atStart && !found.masterError.empty())
        {
            startError = "Cannot read the MASTER file in " + directory + ": " + found.masterError;
            return true;
        }
        std::vector<Security> above;
        if (const std::string error = ReadXmasterSecurities(found.path, &above); atStart && !error.empty())
        {
            startError = "Cannot read the XMASTER file " + found.path +
                         platform::FindNameNoCase(found.path, kXmasterFileName) + ": " + error;
            return true;
        }
        const std::size_t visible = VisibleRecords(found.master);
        for (std::size_t i = 0; i < visible; ++i)
            if (!IsDirectoryEntry(found.master.records[i].data()))
                securities->push_back(FromMaster(found.path, i, found.master.records[i], readLayouts));
        securities->insert(securities->end(), above.begin(), above.end());
        return false;
    });
    return startError;
}

bool SecurityMatchesKey(const Security& security, const char* key)
{
    return NameOrSymbolMatchesKey(security.name, security.symbol, key);
}

const Security* SecurityNamedBy(const std::vector<Security>& securities, const char* key)
{
    const auto exact = std::find_if(securities.begin(), securities.end(),
                                    [key](const Security& security) { return SymbolIsKey(security.symbol, key); });
    if (exact != securities.end())
        return &*exact;
    const auto loose = std::find_if(securities.begin(), securities.end(),
                                    [key](const Security& security) { return SecurityMatchesKey(security, key); });
    return loose != securities.end() ? &*loose : nullptr;
}

long StoredRecordCount(const Security& security)
{
    std::vector<std::uint8_t> header;
    if (!platform::ReadRegularFile(security.PriceFilePath(), kMaxPriceFileBytes, &header, kPriceCountOffset + 2)
             .empty() ||
        header.size() < kPriceCountOffset + 2 || PriceFileCountWord(header.data()) == 0)
        return -1;
    return PriceFileCountWord(header.data()) - 1;
}

std::string ReadSecurityBars(const Security& security, PriceFileContents* contents)
{
    return ReadPriceFile(security.PriceFilePath(), security.layout, contents);
}
} // namespace tavrix
