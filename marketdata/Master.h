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
constexpr int kMasterCountOffset = 0;
constexpr int kMasterCount2Offset = 2;

// Security record offsets.
constexpr int kRecFileNumber = 0;
constexpr int kRecFileType = 1;
constexpr int kRecRecordLength = 3;
constexpr int kRecFieldCount = 4;
constexpr int kRecName = 7;
constexpr int kRecFirstDate = 25;
constexpr int kRecLastDate = 29;
constexpr int kRecPeriod = 33;
constexpr int kRecSymbol = 36;
constexpr int kRecTextWidth = 16;
constexpr int kRecDirMarker = 18; // "<DIR>" in the last five name characters
constexpr int kDirNameWidth = 8;

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
};

// The record a conversion appends: file type 00 65, period 'D', every unnamed byte 0.
MasterRecord BuildSecurityRecord(const NewSecurity& security);

// A record whose name ends in "<DIR>" and does not begin with a space leads to a sub-directory.
bool IsDirectoryEntry(const std::uint8_t* record);
// The sub-directory's name: the first 8 name characters without trailing spaces.
std::string DirectoryEntryName(const std::uint8_t* record);

// Name field without trailing spaces (stops at a zero byte).
std::string RecordName(const std::uint8_t* record);
// Symbol field from offset 36 to the first zero byte or the record's end, without trailing spaces.
std::string RecordSymbol(const std::uint8_t* record);

// True when `key` equals the trimmed name, or the symbol's first words (as many as the key has),
// without regard to letter case.
bool RecordMatchesKey(const std::uint8_t* record, const char* key);
} // namespace tavrix
