#include "marketdata/Xmaster.h"

#include "marketdata/DirectoryWalk.h"
#include "marketdata/MasterReader.h"
#include "marketdata/TextUtil.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"

#include <algorithm>
#include <functional>

namespace tavrix {
namespace {
constexpr int kXmSymbol = 1;
constexpr int kXmSymbolWidth = 14;
constexpr int kXmName = 16;
constexpr int kXmNameWidth = 45;
constexpr int kXmPeriod = 62;
constexpr int kXmInterval = 63;
constexpr int kXmFileNumber = 65;
constexpr int kXmFieldBits = 70;
constexpr int kXmFirstDate = 108;
constexpr int kXmLastDate = 116;

std::uint16_t Word(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

std::int32_t Long(const std::uint8_t* bytes)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                                     static_cast<std::uint32_t>(bytes[2]) << 16 |
                                     static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::string TextAt(const XmasterRecord& record, int offset, int width)
{
    std::string text;
    for (int i = 0; i < width && record[offset + i] != 0; ++i)
        text.push_back(static_cast<char>(record[offset + i]));
    return text;
}

using DirectoryVisitor = std::function<bool(const std::string& directory)>;

// Visits `directory`, then the sub-directories of its MASTER's <DIR> entries, depth-first, until
// `visit` returns true: the directories the MASTER search and listing visit, in their order.
bool WalkTree(const std::string& directory, DirectoryWalkGuard* guard, const DirectoryVisitor& visit)
{
    if (visit(directory))
        return true;
    MasterHeader header{};
    std::vector<MasterRecord> records;
    if (ReadMasterFile(platform::PathNoCase(directory, kMasterFileName), &header, &records) != kStatusOk)
        return false;
    const std::size_t visible = header.count < 0 ? 0 : std::min<std::size_t>(header.count, records.size());
    for (std::size_t i = 0; i < visible; ++i)
    {
        if (!IsDirectoryEntry(records[i].data()))
            continue;
        const std::string sub = guard->Enter(directory, records[i].data());
        if (!sub.empty() && WalkTree(sub, guard, visit))
            return true;
    }
    return false;
}

// Each directory's XMASTER securities in tree order, until `visit` returns true.
void WalkXmasterTree(const std::string& directory,
                     const std::function<bool(const std::string&, const std::vector<XmasterSecurity>&)>& visit)
{
    std::string start = directory.empty() ? "./" : directory;
    if (start.back() != platform::kPathSeparator)
        start.push_back(platform::kPathSeparator);
    DirectoryWalkGuard guard(start);
    WalkTree(start, &guard, [&visit](const std::string& path) {
        std::vector<XmasterSecurity> securities;
        return ReadXmasterSecurities(path, &securities) == kStatusOk && visit(path, securities);
    });
}
} // namespace

Status ReadXmasterFile(const std::string& path, XmasterFile* file)
{
    return ReadRecordFile(path, file);
}

bool HasXmasterSignature(const XmasterRecord& header)
{
    return header[0] == 0x5D && header[1] == 0xFE && header[2] == 0x58 && header[3] == 0x4D;
}

std::uint16_t XmasterCount(const XmasterRecord& header)
{
    return Word(&header[10]);
}

std::uint16_t XmasterCount2(const XmasterRecord& header)
{
    return Word(&header[14]);
}

std::uint16_t XmasterNextNumber(const XmasterRecord& header)
{
    return Word(&header[18]);
}

std::vector<Field> FieldsFromBits(std::uint8_t bits)
{
    const std::pair<std::uint8_t, Field> order[] = {
        {kBitDate, kFieldDate},
        {kBitOpen, kFieldOpen},
        {kBitHigh, kFieldHigh},
        {kBitLow, kFieldLow},
        {kBitClose, kFieldClose},
        {kBitVolume, kFieldVolume},
        {kBitOpenInterest, kFieldOpenInterest},
    };
    std::vector<Field> fields;
    for (const auto& [bit, field] : order)
        if (bits & bit)
            fields.push_back(field);
    return fields;
}

XmasterSecurity DecodeXmasterRecord(const XmasterRecord& record)
{
    XmasterSecurity security;
    security.fileNumber = Word(&record[kXmFileNumber]);
    security.symbol = TextAt(record, kXmSymbol, kXmSymbolWidth);
    security.name = TextAt(record, kXmName, kXmNameWidth);
    security.period = static_cast<char>(record[kXmPeriod]);
    security.interval = Word(&record[kXmInterval]);
    security.fieldBits = record[kXmFieldBits];
    security.fields = FieldsFromBits(security.fieldBits);
    security.hasTime = (security.fieldBits & kBitTime) != 0;
    security.fieldCount = static_cast<int>(security.fields.size()) + (security.hasTime ? 1 : 0);
    security.firstDate = Long(&record[kXmFirstDate]);
    security.lastDate = Long(&record[kXmLastDate]);
    security.priceFile = "F" + std::to_string(security.fileNumber) + ".MWD";
    return security;
}

Status ReadXmasterSecurities(const std::string& directory, std::vector<XmasterSecurity>* securities)
{
    securities->clear();
    const std::string name = platform::FindNameNoCase(directory.empty() ? "." : directory, kXmasterFileName);
    if (name.empty())
        return kStatusFileNotFound;
    XmasterFile file;
    const Status status = ReadXmasterFile(platform::JoinPath(directory, name), &file);
    if (status != kStatusOk)
        return status;
    for (const XmasterRecord& record : file.records)
        securities->push_back(DecodeXmasterRecord(record));
    return kStatusOk;
}

bool XmasterMatchesKey(const XmasterSecurity& security, const char* key)
{
    std::string name = security.name;
    name.erase(name.find_last_not_of(' ') + 1);
    if (platform::_stricmp(key, name.c_str()) == 0)
        return true;
    // MASTER pads its symbol with spaces; pad alike so that a key's trailing space matches the same way.
    std::string symbol = security.symbol;
    symbol.resize(std::max<std::size_t>(symbol.size(), kRecTextWidth), ' ');
    symbol.resize(static_cast<std::size_t>(WordPrefixLength(symbol.c_str(), ' ', 1 + CountChar(key, ' '))));
    return platform::_stricmp(key, symbol.c_str()) == 0;
}

void ListXmasterSecurities(const std::string& directory, std::vector<ListedXmasterSecurity>* securities)
{
    securities->clear();
    WalkXmasterTree(directory, [securities](const std::string& path, const std::vector<XmasterSecurity>& found) {
        for (const XmasterSecurity& security : found)
            securities->push_back({path, security});
        return false;
    });
}

Status FindXmasterSecurity(const std::string& directory, const char* key, XmasterSecurity* security,
                           std::string* foundDirectory)
{
    if (!key || !security)
        return kStatusInvalidParm;
    bool found = false;
    WalkXmasterTree(directory, [&](const std::string& path, const std::vector<XmasterSecurity>& listed) {
        for (const XmasterSecurity& candidate : listed)
            if (XmasterMatchesKey(candidate, key))
            {
                *security = candidate;
                if (foundDirectory)
                    *foundDirectory = path;
                found = true;
                return true;
            }
        return false;
    });
    return found ? kStatusOk : kStatusFileNotFound;
}
} // namespace tavrix
