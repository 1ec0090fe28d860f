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
constexpr int kXmSerial = 6;    // MASTER's serial
constexpr int kXmCount = 10;    // u16, repeated at 14
constexpr int kXmCount2 = 14;
constexpr int kXmNextNumber = 18; // u16: the highest file number + 1
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
constexpr int kXmFirstDate = 108; // int32 YYYYMMDD
constexpr int kXmLastDate = 116;

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
} // namespace tavrix
