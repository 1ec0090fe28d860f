#include "marketdata/Dates.h"

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

const int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// The two characters at `position` read the way atoi reads them; past the end reads 0.
int ReadPair(const char* text, std::size_t length, int position)
{
    if (position < 0 || static_cast<std::size_t>(position) >= length)
        return 0;
    const char* p = text + position;
    const char* end = p + ((static_cast<std::size_t>(position) + 1 < length) ? 2 : 1);
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r')))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    int value = 0;
    while (p < end && *p >= '0' && *p <= '9')
        value = value * 10 + (*p++ - '0');
    return negative ? -value : value;
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

DayNumber MakeDayNumber(std::int16_t year, std::int16_t month, std::int16_t day)
{
    int y = year;
    if (y > 1900)
        y -= 1900;
    if (month < 1 || month > 12 || y < 61)
        return 0;
    const long t = (static_cast<long>(y) - 61) * 1461 / 4;
    long d = kDaysBeforeMonth[month - 1] + t + day;
    if (month > 2 && y % 4 == 0)
        ++d;
    if (d < 1 || d > 65535)
        return 0;
    return static_cast<DayNumber>(d);
}

DayParts SplitDayNumber(DayNumber dayNumber)
{
    if (dayNumber == 0)
        return {0, 0, 0};
    const long d = dayNumber;
    const long q = (4 * d - 1) / 1461;
    const long r = d - q * 1461 / 4;
    const int year = static_cast<int>(q + 61);
    const int leap = year % 4 == 0 ? 1 : 0;
    int month = 1;
    for (int m = 12; m >= 1; --m)
    {
        const int before = kDaysBeforeMonth[m - 1] + (m > 2 ? leap : 0);
        if (before < r)
        {
            month = m;
            break;
        }
    }
    const int before = kDaysBeforeMonth[month - 1] + (month > 2 ? leap : 0);
    return {static_cast<std::int16_t>(year), static_cast<std::int16_t>(month), static_cast<std::int16_t>(r - before)};
}

std::string IsoDayText(DayNumber dayNumber)
{
    if (dayNumber == 0)
        return "-";
    const DayParts parts = SplitDayNumber(dayNumber);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.year + 1900, parts.month, parts.day);
    return text;
}

MbfBytes DayToDateValue(DayNumber dayNumber)
{
    if (dayNumber == 0)
        return MbfBytes{};
    const DayParts parts = SplitDayNumber(dayNumber);
    const double value = parts.year * 10000.0 + parts.month * 100.0 + parts.day;
    return ToMbf(static_cast<float>(value));
}

DayNumber ReadDateText(const char* text, std::size_t length, int code)
{
    if (!text || code < 1 || code > kDateFormatCount)
        return 0;
    const char* end = text + length;
    while (text < end && *text == ' ')
        ++text;
    if (text < end && *text == '"')
        ++text;
    const DateLayout& layout = kLayouts[code - 1];
    const int parts[] = {layout.century, layout.year, layout.month, layout.day};
    int width = 0;
    for (const int position : parts)
        width = position + 2 > width ? position + 2 : width;
    if (end - text < width)
        return 0;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    bool partChar[10] = {};
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
        partChar[parts[i]] = partChar[parts[i] + 1] = true;
    }
    for (int i = 0; i < width; ++i)
        if (!partChar[i] && isDigit(text[i]))
            return 0;
    if (text + width < end && text[width] != ' ' && text[width] != 'T')
        return 0;

    const int year = layout.century >= 0 ? values[0] * 100 + values[1] : values[1] + (values[1] < 60 ? 2000 : 1900);
    const int month = values[2];
    const int day = values[3];
    if (year < 1961 || month < 1 || month > 12 || day < 1)
        return 0;
    static const int kMonthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    // Leap years as the day numbers count them: every fourth year, 2100 included.
    if (day > kMonthDays[month - 1] || (month == 2 && day == 29 && year % 4 != 0))
        return 0;
    return MakeDayNumber(static_cast<std::int16_t>(year), static_cast<std::int16_t>(month),
                         static_cast<std::int16_t>(day));
}

DayNumber ParseDateText(const char* text, std::int16_t code)
{
    if (!text)
        return 0;
    while (*text == ' ')
        ++text;
    if (*text == '"')
        ++text;
    const std::size_t length = std::strlen(text);
    if (length == 0 || code < 1 || code > kDateFormatCount)
        return 0;
    const DateLayout& layout = kLayouts[code - 1];
    const int year = ReadPair(text, length, layout.year);
    const int month = ReadPair(text, length, layout.month);
    const int day = ReadPair(text, length, layout.day);
    int adjust = layout.century >= 0 ? 100 * ReadPair(text, length, layout.century) - 1900 : 0;
    if (year == 0 && month == 0 && day == 0)
        return 0;
    if (year < 60 && adjust == 0)
        adjust = 100;
    return MakeDayNumber(static_cast<std::int16_t>(year + adjust), static_cast<std::int16_t>(month),
                         static_cast<std::int16_t>(day));
}
} // namespace tavrix
