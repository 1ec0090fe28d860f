#pragma once

#include "marketdata/PriceFile.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace tavrix {
// What a column's heading names.
enum class Heading
{
    kUnknown,
    kDate,
    kTime,
    kOpen,
    kHigh,
    kLow,
    kClose,
    kLast,   // a close; Settle is taken before it
    kSettle, // a close
    kVolume,
    kTickVolume, // taken for volume only where the volume column holds nothing but zeros
    kOpenInterest,
    kTicker,
    kName,
    kPeriod,
    kNotAPrice, // Adj Close, Adjusted Close, Change, Change %: never a price field
};

// Recognises a heading by its name, with letter case, blanks, underscores, angle brackets and
// asterisks ignored: "Close/Last", "<TICKVOL>", "Open Interest", "Schlusskurs". Bytes that are no
// UTF-8 are taken as Latin-1.
Heading ReadHeading(const char* text, std::size_t length);

// The price field a heading names (kFieldClose for Last and Settle, kFieldVolume for tick volume),
// or -1 for none.
int HeadingField(Heading heading);

// A file's header row: its line and each column's name and heading.
struct Header
{
    int line = 0;     // 1-based; 0 when the file has none
    std::string text; // the row as written, readable
    std::vector<std::string> names;
    std::vector<Heading> headings;
};

// "date=1,open=2,high=3,low=4,close=5,volume=7": 1-based, fields not stored left out, time after
// the date when there is a time column.
std::string ColumnsText(const std::array<int, kFieldCount>& column, int timeColumn);

// "" when no field or time is read from a column headed as something else; otherwise why, with
// the header shown.
std::string CheckColumnsAgainstHeader(const Header& header, const std::array<int, kFieldCount>& column, int timeColumn);
} // namespace tavrix
