// The date text reader: the first byte picks the layout, the rest is the text. The text sits in a
// buffer of exactly its length, so a read past it is an address-sanitizer report.
#include "FuzzSupport.h"
#include "marketdata/Dates.h"

#include <cstring>
#include <memory>

namespace {
struct Layout
{
    int century; // -1: two-digit year
    int year;
    int month;
    int day;
};

// Where each layout keeps its two-digit parts (YY_MM_DD ... DDMMCCYY, in code order).
const Layout kLayouts[tavrix::kDateFormatCount] = {
    {-1, 0, 3, 6}, {0, 2, 5, 8}, {-1, 6, 0, 3}, {6, 8, 0, 3}, {-1, 6, 3, 0}, {6, 8, 3, 0},
    {-1, 0, 2, 4}, {0, 2, 4, 6}, {-1, 4, 0, 2}, {4, 6, 0, 2}, {-1, 4, 2, 0}, {4, 6, 2, 0},
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int Pair(const char* text, int position)
{
    return (text[position] - '0') * 10 + (text[position + 1] - '0');
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int code = data[0] % tavrix::kDateFormatCount + 1;
    const std::size_t length = size - 1;
    const std::unique_ptr<char[]> text(new char[length]);
    std::memcpy(text.get(), data + 1, length);

    const tavrix::DayNumber day = tavrix::ReadDateText(text.get(), length, code);
    if (day == 0)
        return 0;

    const tavrix::DayParts parts = tavrix::SplitDayNumber(day);
    FUZZ_CHECK(tavrix::MakeDayNumber(parts.year, parts.month, parts.day) == day, "day number does not round-trip");

    // The accepted text must say what the day number says, at the layout's fixed positions.
    std::size_t start = 0;
    while (start < length && text[start] == ' ')
        ++start;
    if (start < length && text[start] == '"')
        ++start;
    const Layout& layout = kLayouts[code - 1];
    const int used[] = {layout.century, layout.year, layout.month, layout.day};
    int width = 0;
    for (const int position : used)
        width = position + 2 > width ? position + 2 : width;
    FUZZ_CHECK(start + width <= length, "accepted a text shorter than its layout");
    const char* t = text.get() + start;
    for (int i = 0; i < width; ++i)
    {
        bool part = false;
        for (const int position : used)
            part = part || (position >= 0 && (i == position || i == position + 1));
        FUZZ_CHECK(IsDigit(t[i]) == part, "digit where a separator belongs, or a part that is not two digits");
    }
    FUZZ_CHECK(start + width == length || t[width] == ' ' || t[width] == 'T', "accepted text after the date");
    FUZZ_CHECK(Pair(t, layout.month) == parts.month, "month differs from the text");
    FUZZ_CHECK(Pair(t, layout.day) == parts.day, "day differs from the text");
    const int fullYear = parts.year + 1900;
    if (layout.century >= 0)
        FUZZ_CHECK(Pair(t, layout.century) * 100 + Pair(t, layout.year) == fullYear, "year differs from the text");
    else
        FUZZ_CHECK(Pair(t, layout.year) == fullYear % 100, "year differs from the text");
    FUZZ_CHECK(fullYear >= 1961 && day <= tavrix::MakeDayNumber(2140, 6, 4), "accepted a day out of range");
    return 0;
}
