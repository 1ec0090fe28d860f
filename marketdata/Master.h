#pragma once

#include "marketdata/Mbf.h"

#include <array>
#include <cstdint>
#include <string>

namespace tavrix {
// MASTER: a 53-byte header record, then 53-byte security or directory records.
constexpr int kMasterRecordSize = 53;
constexpr int kMasterMaxSecurities = 255;
constexpr const char* kMasterFileName = "MASTER";

// Header record offsets.
constexpr int kMasterCountOffset = 0;  // u16 records that follow
constexpr int kMasterCount2Offset = 2; // u16: the count in our files, the highest file number in vendors'
constexpr int kMasterSerial = 49;      // 4 vendor bytes, kept as found

// Security record offsets.
constexpr int kRecFileNumber = 0;
constexpr int kRecFileType = 1; // two bytes, 65 00 or 00 65
constexpr std::uint8_t kFileTypeByte = 0x65;
constexpr int kRecRecordLength = 3; // 4 x the field count
constexpr int kRecFieldCount = 4;
constexpr int kRecName = 7;
constexpr int kRecFirstDate = 25; // MBF date value
constexpr int kRecLastDate = 29;
constexpr int kRecPeriod = 33;   // 'D' daily, 'I' intraday
constexpr int kRecInterval = 34; // u16 bar minutes, 0 for daily
constexpr int kRecSymbol = 36;
constexpr int kRecTextWidth = 16; // name and symbol
constexpr int kRecDirMarker = 18; // "<DIR>" in the last five name characters
constexpr int kDirNameWidth = 8;
// Readers that take the symbol from 14 bytes show no more of it.
constexpr int kShownSymbolWidth = 14;

// The largest sound MASTER: the header and 255 records.
constexpr std::size_t kMaxMasterBytes = kMasterRecordSize * (kMasterMaxSecurities + 1);

using MasterRecord = std::array<std::uint8_t, kMasterRecordSize>;

struct MasterHeader
{
    std::int16_t count;  // records that follow, as readers visit them
    std::int16_t count2; // raised with the first on every addition
};

MasterHeader ReadMasterHeader(const std::uint8_t* header);
void WriteMasterHeader(std::uint8_t* header, const MasterHeader& counts);

struct NewSecurity
{
    std::uint8_t fileNumber = 0;
    int fieldCount = 0;
    std::string name;   // cut or filled with spaces to 16 characters
    std::string symbol; // likewise
    MbfBytes firstDate{};
    MbfBytes lastDate{};
    char period = 'D';
    int interval = 0; // bar minutes of an intraday security
};

// The record a conversion appends: file type 00 65, every unnamed byte 0.
MasterRecord BuildSecurityRecord(const NewSecurity& security);

// A record whose name ends in "<DIR>" and does not begin with a space leads to a sub-directory.
bool IsDirectoryEntry(const std::uint8_t* record);
// The sub-directory's name: the first 8 name characters without trailing spaces.
std::string DirectoryEntryName(const std::uint8_t* record);

// Name field without trailing spaces (stops at a zero byte).
std::string RecordName(const std::uint8_t* record);
// Symbol field from offset 36 to the first zero byte or the record's end, without trailing spaces.
std::string RecordSymbol(const std::uint8_t* record);
MbfBytes RecordFirstDate(const std::uint8_t* record);
MbfBytes RecordLastDate(const std::uint8_t* record);

// True when `key` equals the trimmed name, or the symbol's first words (as many as the key has),
// without regard to letter case (Latin-1 letters included).
bool RecordMatchesKey(const std::uint8_t* record, const char* key);
// The same rule for a name and symbol held elsewhere (XMASTER).
bool NameOrSymbolMatchesKey(const std::string& name, const std::string& symbol, const char* key);
// True when the symbol is the key itself, trailing blanks and letter case aside. A security so
// named is the one a key means; only when none is do names and leading symbol words count.
bool SymbolIsKey(const std::string& symbol, const char* key);
} // namespace tavrix
