// The date text reader: the first byte picks the layout, the rest is the text, in a buffer of exactly
// its length so that a read past it is an address-sanitizer report.
#include "FuzzSupport.h"
#include "marketdata/Dates.h"

#include <algorithm>
#include <cstring>
#include <memory>

using namespace tavrix;

namespace {
// Where each layout keeps its century (-1: two-digit year), year, month and day, in code order.
const int kLayouts[kDateFormatCount][4] = {
    {-1, 0, 3, 6}, {0, 2, 5, 8}, {-1, 6, 0, 3}, {6, 8, 0, 3}, {-1, 6, 3, 0}, {6, 8, 3, 0},
    {-1, 0, 2, 4}, {0, 2, 4, 6}, {-1, 4, 0, 2}, {4, 6, 0, 2}, {-1, 4, 2, 0}, {4, 6, 2, 0},
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int code = data[0] % kDateFormatCount + 1;
    const std::size_t length = size - 1;
    const std::unique_ptr<char[]> text(new char[length]);
    std::memcpy(text.get(), data + 1, length);
    const DayNumber day = ReadDateText(text.get(), length, code);
    if (day == 0)
        return 0;
    const DayParts parts = SplitDayNumber(day);
    FUZZ_CHECK(MakeDayNumber(parts.year, parts.month, parts.day) == day, "no round trip");

    // The accepted text says what the day number says: two digits per part, a non-digit between.
    std::size_t start = 0;
    while (start < length && text[start] == ' ')
        ++start;
    const bool quoted = start < length && text[start] == '"';
    start += quoted;
    const int* at = kLayouts[code - 1];
    const int width = *std::max_element(at, at + 4) + 2;
    FUZZ_CHECK(start + width <= length, "text shorter than its layout");
    const char* t = text.get() + start;
    for (int i = 0; i < width; ++i)
    {
        const bool part = std::any_of(at, at + 4, [i](int p) { return p >= 0 && (i == p || i == p + 1); });
        FUZZ_CHECK((t[i] >= '0' && t[i] <= '9') == part, "digit or separator out of place");
    }
    FUZZ_CHECK(start + width == length || t[width] == ' ' || t[width] == 'T' ||
                   (!quoted && t[width] == '"' && start + width + 1 == length),
               "text after the date");
    const auto pair = [t](int p) { return (t[p] - '0') * 10 + (t[p + 1] - '0'); };
    const int year = parts.year + 1900;
    FUZZ_CHECK(pair(at[2]) == parts.month && pair(at[3]) == parts.day, "month or day differs from the text");
    FUZZ_CHECK(at[0] < 0 ? pair(at[1]) == year % 100 : pair(at[0]) * 100 + pair(at[1]) == year, "year differs");
    FUZZ_CHECK(year >= 1961 && day <= MakeDayNumber(2140, 6, 5), "day out of range");
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    FUZZ_CHECK(!(parts.month == 2 && parts.day == 29) || leap, "29 February of a year without one");
    return 0;
}
