#pragma once

#include "marketdata/Master.h"
#include "marketdata/Mbf.h"
#include "marketdata/RecordFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrix {
// EMASTER: a 192-byte header, then one 192-byte record per MASTER record, in the same order.
constexpr int kEmasterRecordSize = 192;
constexpr const char* kEmasterFileName = "EMASTER";
constexpr std::size_t kEmasterMaxRecords = kMasterMaxSecurities;

// Record offsets.
constexpr int kEmRecordType = 0; // two bytes '6' '6'
constexpr int kEmFileNumber = 2;
constexpr int kEmFieldCount = 6;
constexpr int kEmFieldBits = 7;
constexpr int kEmChartFlag = 9;
constexpr int kEmSymbol = 11;
constexpr int kEmSymbolWidth = 14;
constexpr int kEmName = 32;
constexpr int kEmNameWidth = 16;
constexpr int kEmPeriod = 60;
constexpr int kEmInterval = 62;
constexpr int kEmFirstDate = 64; // IEEE single YYYMMDD
constexpr int kEmFirstTime = 68;
constexpr int kEmLastDate = 72;
constexpr int kEmLastTime = 76;
constexpr int kEmFirstDateLong = 126; // int32 YYYYMMDD
constexpr int kEmLongName = 139;
constexpr int kEmLongNameWidth = 45;

using EmasterRecord = std::array<std::uint8_t, kEmasterRecordSize>;

using EmasterFile = RecordFile<kEmasterRecordSize>;

// The header's record count (u16 at 0) and second counter (u16 at 2), which mirror MASTER's.
std::uint16_t EmasterCount(const EmasterRecord& header);
std::uint16_t EmasterCount2(const EmasterRecord& header);
// The first 53 bytes of the header are MASTER's (counters and serial), as vendor files have them.
void CopyMasterHeader(const std::uint8_t* masterHeader, EmasterRecord* header);

// The fields readers assume for a count, as EMASTER's bitset: 7 gives 7F, 8 gives FF.
std::uint8_t FieldBitsForCount(int fieldCount);

// The EMASTER record of the security that `master` describes. `fullName` is the name before it
// was cut to 16 characters; it goes into the long-name field when it is longer than 16 (cut to 45)
// and begins with MASTER's name, as a reader refuses the directory otherwise.
EmasterRecord BuildEmasterRecord(const MasterRecord& master, const std::string& fullName = "");

// New first and last dates (MBF, as in MASTER) in an existing record: 64, 72 and 126.
void SetEmasterDates(EmasterRecord* record, const MbfBytes& firstDate, const MbfBytes& lastDate);

std::string EmasterSymbol(const EmasterRecord& record); // up to the first zero byte
std::string EmasterName(const EmasterRecord& record);
std::string EmasterLongName(const EmasterRecord& record); // "" when the name fits in 16

// What differs between EMASTER and MASTER's records, one text per record (or for the counts);
// empty when they agree: same count and order, and for each record the file number, symbol, name,
// field count and bits, period, interval and dates, and a long name that begins with the name.
std::vector<std::string> CompareEmasterWithMaster(const EmasterFile& emaster, const MasterHeader& masterHeader,
                                                  const std::vector<MasterRecord>& master);
} // namespace tavrix
