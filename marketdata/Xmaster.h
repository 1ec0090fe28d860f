#pragma once

#include "marketdata/Fields.h"
#include "marketdata/RecordFile.h"

#include <array>
#include <cstdint>
#include <string>

namespace tavrix {
// XMASTER lists the securities numbered above 255; their price files are F<n>.MWD, laid out as
// F<n>.DAT. A 150-byte header, then 150-byte records.
constexpr int kXmasterRecordSize = 150;
constexpr const char* kXmasterFileName = "XMASTER";
// File numbers are 16 bits: no sound XMASTER holds more records.
constexpr std::size_t kXmasterMaxRecords = 65535;

// Header offsets.
constexpr int kXmSignature = 0; // 5D FE 58 4D
constexpr int kXmVersion = 4;   // u16 651 in vendor files, meaning unknown
constexpr int kXmSerial = 6;    // MASTER's serial
constexpr int kXmCount = 10;    // u16, repeated at 14
constexpr int kXmCount2 = 14;
constexpr int kXmNextNumber = 18; // u16: the highest file number + 1
constexpr int kXmText = 22;       // EMASTER's vendor text
// Record offsets.
constexpr int kXmMarker = 0; // 01
constexpr int kXmSymbol = 1; // NUL-terminated
constexpr int kXmSymbolWidth = 14;
constexpr int kXmName = 16; // NUL-terminated
constexpr int kXmNameWidth = 45;
constexpr int kXmPeriod = 62;
constexpr int kXmInterval = 63; // u16 bar minutes
constexpr int kXmFileNumber = 65;
constexpr int kXmFieldBits = 70;
constexpr int kXmVendorConstant = 80; // 8 bytes every vendor record holds alike
constexpr int kXmFirstBarDate = 104;  // int32 YYYYMMDD
constexpr int kXmFirstDate = 108;     // int32 YYYYMMDD
constexpr int kXmLastDate = 116;
// The first file number XMASTER holds; MASTER's end at 255.
constexpr int kFirstXmasterNumber = 256;
// The last a new security takes, so that the 16-bit next-number counter still holds the one after.
constexpr int kLastXmasterNumber = 65534;

using XmasterRecord = std::array<std::uint8_t, kXmasterRecordSize>;
using XmasterFile = RecordFile<kXmasterRecordSize>;

bool HasXmasterSignature(const XmasterRecord& header);
std::uint16_t XmasterCount(const XmasterRecord& header);
std::uint16_t XmasterCount2(const XmasterRecord& header);
std::uint16_t XmasterNextNumber(const XmasterRecord& header);

// One XMASTER security, in the terms a listing of MASTER's securities uses.
struct XmasterSecurity
{
    int fileNumber = 0; // 256 and up in vendor files
    std::string symbol; // up to 14 characters
    std::string name;   // up to 45 characters
    char period = 0;    // 'D' daily
    int interval = 0;   // bar minutes
    std::uint8_t fieldBits = 0;
    RecordLayout layout;        // from the field bits
    std::int32_t firstDate = 0; // YYYYMMDD
    std::int32_t lastDate = 0;
    std::string priceFile; // "F<n>.MWD"
};

XmasterSecurity DecodeXmasterRecord(const XmasterRecord& record);
// A record's file number, symbol or name alone, for scans over every record.
int XmasterFileNumber(const XmasterRecord& record);
std::string XmasterSymbol(const XmasterRecord& record);
std::string XmasterName(const XmasterRecord& record);

// A record as vendors write one: symbol and name NUL-terminated, period, interval, file number,
// field bits, the vendor constant, and the dates (YYYYMMDD) of the first and last bar.
XmasterRecord BuildXmasterRecord(const XmasterSecurity& security);
void SetXmasterDates(XmasterRecord* record, std::int32_t firstDate, std::int32_t lastDate);

// A new header: the signature, MASTER's serial (its header bytes 49 to 52) and, when `emasterHeader`
// is given, EMASTER's vendor text; counts 0 and next number 256.
XmasterRecord NewXmasterHeader(const std::uint8_t* masterHeader, const std::uint8_t* emasterHeader);
// Both counts and the next free number.
void SetXmasterCounts(XmasterRecord* header, std::uint16_t count, std::uint16_t nextNumber);
} // namespace tavrix
