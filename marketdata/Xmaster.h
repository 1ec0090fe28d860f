#pragma once

#include "marketdata/PriceFile.h"
#include "marketdata/RecordFile.h"
#include "marketdata/Status.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrix {
// XMASTER lists the securities numbered above 255; their price files are F<n>.MWD, laid out as
// F<n>.DAT. A 150-byte header, then 150-byte records. Read only: we never write it.
constexpr int kXmasterRecordSize = 150;
constexpr const char* kXmasterFileName = "XMASTER";

using XmasterRecord = std::array<std::uint8_t, kXmasterRecordSize>;

using XmasterFile = RecordFile<kXmasterRecordSize>;

// Reads the whole file. kStatusFileOpen, or kStatusFileRead when it is shorter than its header.
Status ReadXmasterFile(const std::string& path, XmasterFile* file);

// Header: the signature 5D FE 58 4D, the record count (u16 at 10, repeated at 14) and the next
// free file number (u16 at 18).
bool HasXmasterSignature(const XmasterRecord& header);
std::uint16_t XmasterCount(const XmasterRecord& header);
std::uint16_t XmasterCount2(const XmasterRecord& header);
std::uint16_t XmasterNextNumber(const XmasterRecord& header);

// Bits of the field bitset that XMASTER (70) and EMASTER (7) hold.
constexpr std::uint8_t kBitDate = 0x01, kBitHigh = 0x02, kBitLow = 0x04, kBitClose = 0x08, kBitVolume = 0x10,
                       kBitOpen = 0x20, kBitOpenInterest = 0x40, kBitTime = 0x80;

// The fields of a bitset in record order (date, time, open, high, low, close, volume, open
// interest), leaving out the time, which has no Field: a record with the time bit holds it right
// after the date. 7F gives all seven fields.
std::vector<Field> FieldsFromBits(std::uint8_t bits);

// One XMASTER security, in the terms a listing of MASTER's securities uses.
struct XmasterSecurity
{
    int fileNumber = 0; // 256 and up in vendor files
    std::string symbol; // up to 14 characters
    std::string name;   // up to 45 characters
    char period = 0;    // 'D' daily
    int interval = 0;   // bar minutes
    std::uint8_t fieldBits = 0;
    int fieldCount = 0;         // bits set; a record is 4 bytes per field
    bool hasTime = false;       // a time follows the date in each record
    std::vector<Field> fields;  // FieldsFromBits(fieldBits)
    std::int32_t firstDate = 0; // YYYYMMDD
    std::int32_t lastDate = 0;
    std::string priceFile; // "F<n>.MWD"
};

XmasterSecurity DecodeXmasterRecord(const XmasterRecord& record);

// The securities of `directory`'s XMASTER (found without regard to letter case), in file order.
// kStatusFileNotFound when the directory has none; kStatusFileRead when it is shorter than its header.
Status ReadXmasterSecurities(const std::string& directory, std::vector<XmasterSecurity>* securities);

// True when `key` equals the name without trailing spaces, or the symbol's first words (as many as
// the key has), without regard to letter case: the rule MASTER's search applies to its records.
bool XmasterMatchesKey(const XmasterSecurity& security, const char* key);

struct ListedXmasterSecurity
{
    std::string directory; // ends in '/'
    XmasterSecurity security;
};

// The XMASTER securities of a directory tree: `directory`'s, then those of the sub-directories its
// MASTER's <DIR> entries lead to, depth-first, in the order the MASTER search visits them.
// Directories without a readable XMASTER add none.
void ListXmasterSecurities(const std::string& directory, std::vector<ListedXmasterSecurity>* securities);

// Searches the XMASTER files of a tree, in that order, for a security XmasterMatchesKey accepts.
// kStatusOk: `security` gets it and `foundDirectory` (optional) its directory, ending in '/'.
// kStatusFileNotFound: none holds it. kStatusInvalidParm: no key or no `security`.
Status FindXmasterSecurity(const std::string& directory, const char* key, XmasterSecurity* security,
                           std::string* foundDirectory = nullptr);
} // namespace tavrix
