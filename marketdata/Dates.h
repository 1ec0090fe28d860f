#pragma once

#include "marketdata/Mbf.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tavrix {
// The one calendar: every reader, writer and checker asks these functions whether a day is real
// and how it is written. Days are Gregorian (2100 is no leap year).

// Day 1 is 1 January 1961; 0 stands for "no valid day". The last day number, 65535, is 5 June 2140.
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

// A day of the Gregorian calendar (full year).
bool IsRealDay(int year, int month, int day);

// Year may be given as 99 or 1999. 0 unless the parts name a real day from 1 January 1961 to day
// number 65535: nothing rolls over into the next month or wraps around.
DayNumber MakeDayNumber(int year, int month, int day);

// Inverse of MakeDayNumber for day numbers from 1; day number 0 gives all parts 0.
DayParts SplitDayNumber(DayNumber dayNumber);

// Date values, as MASTER and price files hold them: (year - 1900) * 10000 + month * 100 + day.
// Adding this gives the YYYYMMDD form that EMASTER and XMASTER keep as integers.
constexpr long kDateValueToYyyymmdd = 19000000;

// The day's date value (0 for day number 0).
long DateValueOfDay(DayNumber dayNumber);
// The day number of a stored date value; 0 when it names no real day in the day numbers' range.
DayNumber DayOfDateValue(double value);
// A stored date value as 2025-01-02, whatever its year; "" when it names no real day.
std::string IsoDateText(double value);
// The day as 2025-01-02, for messages and listings; "-" for day number 0.
std::string IsoDayText(DayNumber dayNumber);

// The date value as an MBF single; day number 0 gives 0.
MbfBytes DayToDateValue(DayNumber dayNumber);

// A stored time value HHMMSS as 09:16:00; "" when it names no time of day.
std::string TimeText(double value);

// Reads a date that fills the layout of `code` exactly: each part's two characters are digits,
// each separator position a non-digit, and nothing follows but optionally a blank or 'T' and
// anything after it (a time). Leading blanks and one double quote before it, or one after it,
// are passed over. Gives 0 unless the text names a real day in the day numbers' range; never
// reads past `length`.
DayNumber ReadDateText(const char* text, std::size_t length, int code);
} // namespace tavrix
