#include "marketdata/Master.h"

#include "marketdata/TextUtil.h"
#include "platform/Strings.h"

#include <cstring>

namespace tavrix {
namespace {
void PutText(std::uint8_t* field, const std::string& text)
{
    for (int i = 0; i < kRecTextWidth; ++i)
        field[i] = static_cast<std::uint8_t>(i < static_cast<int>(text.size()) ? text[i] : ' ');
}

// Copies up to `width` bytes, stopping at a zero byte, as a C string would end there.
std::string TextField(const std::uint8_t* field, int width)
{
    std::string text;
    for (int i = 0; i < width && field[i] != 0; ++i)
        text.push_back(static_cast<char>(field[i]));
    return text;
}

std::string TrimRight(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}
} // namespace

MasterHeader ReadMasterHeader(const std::uint8_t* header)
{
    const auto word = [header](int offset) {
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(header[offset] | header[offset + 1] << 8));
    };
    return {word(kMasterCountOffset), word(kMasterCount2Offset)};
}

void WriteMasterHeader(std::uint8_t* header, const MasterHeader& counts)
{
    const auto put = [header](int offset, std::int16_t value) {
        const auto bits = static_cast<std::uint16_t>(value);
        header[offset] = static_cast<std::uint8_t>(bits & 0xFF);
        header[offset + 1] = static_cast<std::uint8_t>(bits >> 8);
    };
    put(kMasterCountOffset, counts.count);
    put(kMasterCount2Offset, counts.count2);
}

MasterRecord BuildSecurityRecord(const NewSecurity& security)
{
    MasterRecord record{};
    record[kRecFileNumber] = security.fileNumber;
    record[kRecFileType] = 0x00;
    record[kRecFileType + 1] = 0x65;
    record[kRecRecordLength] = static_cast<std::uint8_t>(4 * security.fieldCount);
    record[kRecFieldCount] = static_cast<std::uint8_t>(security.fieldCount);
    PutText(&record[kRecName], security.name);
    std::memcpy(&record[kRecFirstDate], security.firstDate.data(), 4);
    std::memcpy(&record[kRecLastDate], security.lastDate.data(), 4);
    record[kRecPeriod] = 'D';
    PutText(&record[kRecSymbol], security.symbol);
    return record;
}

bool IsDirectoryEntry(const std::uint8_t* record)
{
    return record[kRecName] != ' ' && std::memcmp(&record[kRecDirMarker], "<DIR>", 5) == 0;
}

std::string DirectoryEntryName(const std::uint8_t* record)
{
    return TrimRight(TextField(&record[kRecName], kDirNameWidth));
}

std::string RecordName(const std::uint8_t* record)
{
    return TrimRight(TextField(&record[kRecName], kRecTextWidth));
}

std::string RecordSymbol(const std::uint8_t* record)
{
    return TrimRight(TextField(&record[kRecSymbol], kMasterRecordSize - kRecSymbol));
}

bool RecordMatchesKey(const std::uint8_t* record, const char* key)
{
    if (platform::_stricmp(key, RecordName(record).c_str()) == 0)
        return true;
    const int words = 1 + CountChar(key, ' ');
    std::string symbol = TextField(&record[kRecSymbol], kMasterRecordSize - kRecSymbol);
    symbol.resize(static_cast<std::size_t>(WordPrefixLength(symbol.c_str(), ' ', words)));
    return platform::_stricmp(key, symbol.c_str()) == 0;
}
} // namespace tavrix
