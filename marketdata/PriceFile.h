#pragma once

#include "marketdata/Mbf.h"
#include "marketdata/Status.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrix {
// Field order of every price record, settings array and layout line.
enum Field
{
    kFieldDate = 0,
    kFieldOpen,
    kFieldHigh,
    kFieldLow,
    kFieldClose,
    kFieldVolume,
    kFieldOpenInterest,
    kFieldCount
};

constexpr int kPriceFieldSize = 4;
// The header's record count is 16 bits and counts itself.
constexpr int kMaxPriceRecords = 65534;
constexpr int kPriceCountOffset = 2;

// Header record of a new price file: fieldCount times the words 0 and 1.
std::vector<std::uint8_t> MakePriceFileHeader(int fieldCount);
// Sets the header's record count to records + 1 (the header counts itself).
void SetPriceFileRecordCount(std::uint8_t* header, std::uint16_t priceRecords);
std::uint16_t PriceFileCountWord(const std::uint8_t* header);

// One price record into `record` (room for 28 bytes): the MBF values of the switched-on fields,
// in field order. Returns its length.
std::size_t BuildPriceRecord(const std::array<MbfBytes, kFieldCount>& values,
                             const std::array<int, kFieldCount>& fieldOn, std::uint8_t* record);

// A price record read back: the IEEE value of each field present (absent fields hold 0).
struct PriceRow
{
    std::array<float, kFieldCount> values{};
};

struct PriceFileContents
{
    std::uint16_t countWord = 0;   // the header's word at offset 2
    std::vector<PriceRow> rows;    // every whole record after the header
    std::size_t trailingBytes = 0; // bytes of a cut-off last record
};

// Reads a price file whose records hold the listed fields (in field order) back as IEEE values.
Status ReadPriceFile(const std::string& path, const std::vector<Field>& fields, PriceFileContents* contents);
} // namespace tavrix
