#include "marketdata/Dates.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tavrix {
namespace {
const char* const kDateFormatNames[kDateFormatCount] = {
    "YY_MM_DD", "CCYY_MM_DD", "MM_DD_YY", "MM_DD_CCYY", "DD_MM_YY", "DD_MM_CCYY",
    "YYMMDD",   "CCYYMMDD",   "MMDDYY",   "MMDDCCYY",   "DDMMYY",   "DDMMCCYY",
};

struct DateLayout
{
    int century; // -1: no century part
    int year;
    int month;
    int day;
};

const DateLayout kLayouts[kDateFormatCount] = {
    {-1, 0, 3, 6}, {0, 2, 5, 8}, {-1, 6, 0, 3}, {6, 8, 0, 3}, {-1, 6, 3, 0}, {6, 8, 3, 0},
    {-1, 0, 2, 4}, {0, 2, 4, 6}, {-1, 4, 0, 2}, {4, 6, 0, 2}, {-1, 4, 2, 0}, {4, 6, 2, 0},
};

// Each layout's width and the places between its parts, worked out once: dates are read a
// million at a time.
struct LayoutShape
{
    int width = 0;
    int separators = 0;
    int separator[4] = {};
};

const std::array<LayoutShape, kDateFormatCount> kShapes = [] {
    std::array<LayoutShape, kDateFormatCount> shapes{};
    for (int code = 0; code < kDateFormatCount; ++code)
    {
        const DateLayout& layout = kLayouts[code];
        bool partChar[10] = {};
        for (const int position : {layout.century, layout.year, layout.month, layout.day})
            if (position >= 0)
            {
                partChar[position] = partChar[position + 1] = true;
                shapes[code].width = std::max(shapes[code].width, position + 2);
            }
        for (int i = 0; i < shapes[code].width; ++i)
            if (!partChar[i])
                shapes[code].separator[shapes[code].separators++] = i;
    }
    return shapes;
}();

constexpr int kFirstYear = 1961;
constexpr long kLastDayNumber = 65535;

// Days from 1 March of year 0 (proleptic Gregorian), so leap days fall at the end of a year.
long DaysFromCivil(long year, long month, long day)
{
    year -= month <= 2;
    const long era = year / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra;
}

const long kDayZero = DaysFromCivil(kFirstYear, 1, 1) - 1;

int DaysInMonth(int year, int month)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool IsWhole(double value)
{
    return std::isfinite(value) && std::floor(value) == value;
}
} // namespace

const char* DateFormatName(int code)
{
    return (code >= 1 && code <= kDateFormatCount) ? kDateFormatNames[code - 1] : "";
}

int DateFormatCode(const char* name)
{
    for (int i = 0; name && i < kDateFormatCount; ++i)
        if (std::strcmp(name, kDateFormatNames[i]) == 0)
            return i + 1;
    return 0;
}

bool IsRealDay(int year, int month, int day)
{
    return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

DayNumber MakeDayNumber(int year, int month, int day)
{
    if (year < 1900)
        year += 1900;
    if (year < kFirstYear || year > 9999 || !IsRealDay(year, month, day))
        return 0;
    const long number = DaysFromCivil(year, month, day) - kDayZero;
    return number >= 1 && number <= kLastDayNumber ? static_cast<DayNumber>(number) : 0;
}

DayParts SplitDayNumber(DayNumber dayNumber)
{
    if (dayNumber == 0)
        return {0, 0, 0};
    // The inverse of DaysFromCivil.
    const long z = kDayZero + dayNumber;
    const long era = z / 146097;
    const long dayOfEra = z - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long mp = (5 * dayOfYear + 2) / 153;
    const long day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const long month = mp < 10 ? mp + 3 : mp - 9;
    const long year = yearOfEra + era * 400 + (month <= 2);
    return {static_cast<std::int16_t>(year - 1900), static_cast<std::int16_t>(month), static_cast<std::int16_t>(day)};
}

long DateValueOfDay(DayNumber dayNumber)
{
    if (dayNumber == 0)
        return 0;
    const DayParts parts = SplitDayNumber(dayNumber);
    return parts.year * 10000L + parts.month * 100L + parts.day;
}

DayNumber DayOfDateValue(double value)
{
    if (!(value > 0 && value < 1e7) || !IsWhole(value))
        return 0;
    const auto v = static_cast<long>(value);
    return MakeDayNumber(static_cast<int>(v / 10000 + 1900), static_cast<int>(v / 100 % 100),
                         static_cast<int>(v % 100));
}

std::string IsoDateText(double value)
{
    if (!(value > 0 && value < 1e7) || !IsWhole(value))
        return "";
    const auto v = static_cast<long>(value);
    const long year = v / 10000 + 1900;
    if (!IsRealDay(static_cast<int>(year), static_cast<int>(v / 100 % 100), static_cast<int>(v % 100)))
        return "";
    char text[48];
    std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld", year, v / 100 % 100, v % 100);
    return text;
}

std::string IsoDayText(DayNumber dayNumber)
{
    return dayNumber == 0 ? "-" : IsoDateText(static_cast<double>(DateValueOfDay(dayNumber)));
}

MbfBytes DayToDateValue(DayNumber dayNumber)
{
    return dayNumber == 0 ? MbfBytes{} : ToMbf(static_cast<float>(DateValueOfDay(dayNumber)));
}

std::string TimeText(double value)
{
    if (!(value >= 0 && value < 240000) || !IsWhole(value))
        return "";
    const auto v = static_cast<long>(value);
    if (v / 100 % 100 > 59 || v % 100 > 59)
        return "";
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", v / 10000, v / 100 % 100, v % 100);
    return text;
}

DayNumber ReadDateText(const char* text, std::size_t length, int code)
{
    if (!text || code < 1 || code > kDateFormatCount)
        return 0;
    const char* end = text + length;
    while (text < end && *text == ' ')
        ++text;
    const bool quoted = text < end && *text == '"';
    text += quoted;
    const DateLayout& layout = kLayouts[code - 1];
    const LayoutShape& shape = kShapes[code - 1];
    if (end - text < shape.width)
        return 0;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const int parts[] = {layout.century, layout.year, layout.month, layout.day};
    int values[4] = {};
    for (int i = 0; i < 4; ++i)
    {
        if (parts[i] < 0)
            continue;
        const char high = text[parts[i]];
        const char low = text[parts[i] + 1];
        if (!isDigit(high) || !isDigit(low))
            return 0;
        values[i] = (high - '0') * 10 + (low - '0');
    }
    for (int i = 0; i < shape.separators; ++i)
        if (isDigit(text[shape.separator[i]]))
            return 0;
    // A lone quote may stand before the date or right after it, one rule for both ends.
    const char* after = text + shape.width;
    const bool trailingQuote = !quoted && after + 1 == end && *after == '"';
    if (after < end && *after != ' ' && *after != 'T' && !trailingQuote)
        return 0;

    // A four-digit year before 1961 is no day, not one a century later.
    const int year = layout.century >= 0 ? values[0] * 100 + values[1] : values[1] + (values[1] < 60 ? 2000 : 1900);
    return year < kFirstYear ? 0 : MakeDayNumber(year, values[2], values[3]);
}
} // namespace tavrix
