#pragma once

#include "marketdata/Mbf.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tavrix {
// Day 1 is 1 January 1961; 0 stands for "no valid day".
using DayNumber = std::uint16_t;

struct DayParts
{
    std::int16_t year; // counted from 1900 (100 is 2000)
    std::int16_t month;
    std::int16_t day;
};

constexpr int kDateFormatCount = 12;
constexpr int kFirstNumericDateFormat = 7; // codes 1-6 are separated, 7-12 digits only

// The layout name of a date-format code 1 to 12, or "" for any other code.
const char* DateFormatName(int code);
// The code of a layout name (exact text), or 0 when it names no layout.
int DateFormatCode(const char* name);

// Year may be given as 99 or 1999. Months outside 1 to 12, dates before 1961 and days past
// number 65535 give 0 instead of an index outside the month table or a wrapped day.
DayNumber MakeDayNumber(std::int16_t year, std::int16_t month, std::int16_t day);

// Inverse of MakeDayNumber for day numbers from 1; day number 0 gives all parts 0.
DayParts SplitDayNumber(DayNumber dayNumber);

// The day as 2025-01-02, for messages and listings; "-" for day number 0.
std::string IsoDayText(DayNumber dayNumber);

// (year - 1900) * 10000 + month * 100 + day as an MBF single; day number 0 gives 0.
MbfBytes DayToDateValue(DayNumber dayNumber);

// Reads a date that fills the layout of `code` exactly: each part's two characters are digits,
// each separator position a non-digit, and nothing follows but optionally a blank or 'T' and
// anything after it (a time). Leading blanks and one double quote are passed over. Gives 0 unless
// the text names a real day from 1 January 1961 to 4 June 2140; never reads past `length`.
DayNumber ReadDateText(const char* text, std::size_t length, int code);

// Reads a date text in the fixed-position layout of `code`; 0 when the text is empty, the
// code is outside 1 to 12, every part reads 0, or the text names no valid day.
DayNumber ParseDateText(const char* text, std::int16_t code);
} // namespace tavrix
