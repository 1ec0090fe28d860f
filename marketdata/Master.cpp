#include "marketdata/Master.h"

#include "marketdata/Bytes.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cstring>

namespace tavrix {
namespace {
ByteReader Record(const std::uint8_t* record)
{
    return ByteReader(record, kMasterRecordSize);
}

// The first `words` blank-separated words of `text`, with the blanks between them.
std::string LeadingWords(const std::string& text, std::size_t words)
{
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == ' ' && ++seen == words)
            return text.substr(0, i);
    return text;
}
} // namespace

MasterHeader ReadMasterHeader(const std::uint8_t* header)
{
    const ByteReader bytes = Record(header);
    return {static_cast<std::int16_t>(bytes.Get16(kMasterCountOffset)),
            static_cast<std::int16_t>(bytes.Get16(kMasterCount2Offset))};
}

void WriteMasterHeader(std::uint8_t* header, const MasterHeader& counts)
{
    ByteWriter bytes(header, kMasterRecordSize);
    bytes.Put16(kMasterCountOffset, static_cast<std::uint16_t>(counts.count));
    bytes.Put16(kMasterCount2Offset, static_cast<std::uint16_t>(counts.count2));
}

MasterRecord BuildSecurityRecord(const NewSecurity& security)
{
    MasterRecord record{};
    ByteWriter bytes(record);
    bytes.Put8(kRecFileNumber, security.fileNumber);
    bytes.Put8(kRecFileType + 1, kFileTypeByte);
    bytes.Put8(kRecRecordLength, static_cast<std::uint8_t>(4 * security.fieldCount));
    bytes.Put8(kRecFieldCount, static_cast<std::uint8_t>(security.fieldCount));
    bytes.PutText(kRecName, kRecTextWidth, security.name, ' ');
    bytes.PutBytes(kRecFirstDate, security.firstDate.data(), 4);
    bytes.PutBytes(kRecLastDate, security.lastDate.data(), 4);
    bytes.Put8(kRecPeriod, static_cast<std::uint8_t>(security.period));
    bytes.Put16(kRecInterval, static_cast<std::uint16_t>(security.interval));
    bytes.PutText(kRecSymbol, kRecTextWidth, security.symbol, ' ');
    return record;
}

bool IsDirectoryEntry(const std::uint8_t* record)
{
    return record[kRecName] != ' ' && std::memcmp(&record[kRecDirMarker], "<DIR>", 5) == 0;
}

std::string DirectoryEntryName(const std::uint8_t* record)
{
    return platform::TrimRight(Record(record).Text(kRecName, kDirNameWidth));
}

std::string RecordName(const std::uint8_t* record)
{
    return platform::TrimRight(Record(record).Text(kRecName, kRecTextWidth));
}

std::string RecordSymbol(const std::uint8_t* record)
{
    return platform::TrimRight(Record(record).Text(kRecSymbol, kMasterRecordSize - kRecSymbol));
}

MbfBytes RecordFirstDate(const std::uint8_t* record)
{
    MbfBytes date;
    std::memcpy(date.data(), record + kRecFirstDate, 4);
    return date;
}

MbfBytes RecordLastDate(const std::uint8_t* record)
{
    MbfBytes date;
    std::memcpy(date.data(), record + kRecLastDate, 4);
    return date;
}

bool NameOrSymbolMatchesKey(const std::string& name, const std::string& symbol, const char* key)
{
    const std::string text = key ? key : "";
    if (platform::EqualNoCaseLatin1(text, platform::TrimRight(name)))
        return true;
    // As many of the symbol's words as the key has, so "BMW" finds "BMW GY" but not "BMWX". The
    // symbol is padded as MASTER pads it, so a key's trailing blank matches alike in every file.
    std::string padded = symbol;
    padded.resize(std::max<std::size_t>(padded.size(), kRecTextWidth), ' ');
    const auto words = static_cast<std::size_t>(std::count(text.begin(), text.end(), ' ')) + 1;
    return platform::EqualNoCaseLatin1(text, LeadingWords(padded, words));
}

bool SymbolIsKey(const std::string& symbol, const char* key)
{
    const std::string text = platform::TrimRight(key ? key : "");
    return !text.empty() && platform::EqualNoCaseLatin1(text, platform::TrimRight(symbol));
}

bool RecordMatchesKey(const std::uint8_t* record, const char* key)
{
    return NameOrSymbolMatchesKey(RecordName(record), RecordSymbol(record), key);
}
} // namespace tavrix
