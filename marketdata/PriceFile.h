#pragma once

#include "marketdata/Dates.h"
#include "marketdata/Fields.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrix {
constexpr int kPriceFieldSize = 4;
// The header's record count is 16 bits and counts itself.
constexpr int kMaxPriceRecords = 65534;
constexpr int kPriceCountOffset = 2;
// Records have at most 8 values (date, time and six fields); no sound price file is longer.
constexpr std::size_t kMaxPriceFileBytes = static_cast<std::size_t>(kMaxPriceRecords + 1) * 8 * kPriceFieldSize;

// A bar to be written: its day, its time (HHMMSS; -1 for none) and the value of each field (the
// date's slot unused).
struct PriceBar
{
    DayNumber day = 0;
    int time = -1;
    std::array<float, kFieldCount> values{};
};

// Header record of a new price file: fieldCount times the words 0 and 1.
std::vector<std::uint8_t> MakePriceFileHeader(int fieldCount);
// Sets the header's record count to records + 1 (the header counts itself).
void SetPriceFileRecordCount(std::uint8_t* header, std::uint16_t priceRecords);
std::uint16_t PriceFileCountWord(const std::uint8_t* header);

// Appends one record: the MBF values the layout names, in record order.
void AppendPriceRecord(const RecordLayout& layout, const PriceBar& bar, std::vector<std::uint8_t>* file);
// A whole price file: the header with its count, then the bars in the order given.
std::vector<std::uint8_t> BuildPriceFile(const RecordLayout& layout, const std::vector<PriceBar>& bars);

// A record read back, as stored: the date and time values and each field's value (absent ones 0).
struct StoredBar
{
    float date = 0;
    float time = 0;
    std::array<float, kFieldCount> values{};
};

struct PriceFileContents
{
    std::uint16_t countWord = 0;   // the header's word at offset 2
    std::vector<StoredBar> bars;   // every whole record after the header
    std::size_t trailingBytes = 0; // bytes of a cut-off last record
};

// Reads a price file laid out as `layout` says: "" on success, else why not in words.
std::string ReadPriceFile(const std::string& path, const RecordLayout& layout, PriceFileContents* contents);
} // namespace tavrix
