#include "marketdata/Dates.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

using namespace tavrix;

namespace {
// yymmdd with the years from 1900 (1000101 is 1 January 2000), as price files hold dates; 0 for no day.
float DateValue(DayNumber day)
{
    return FromMbf(DayToDateValue(day).data());
}
} // namespace

// One Gregorian calendar: 2100 has no 29 February, nothing rolls over (day 0, 30 February), and
// nothing wraps before 1961 or past day 65535. Splitting gives back every day.
TEST(DayNumber, KnownDaysNoDaysAndSplitInvertsMakeForEveryDay)
{
    const std::tuple<int, int, int, int> cases[] = {
        {61, 1, 1, 1},        {99, 12, 31, 14244},  {1999, 12, 31, 14244}, {100, 1, 1, 14245}, {64, 2, 29, 1155},
        {2000, 2, 29, 14304}, {2100, 2, 28, 50828}, {2100, 3, 1, 50829},   {2100, 2, 29, 0},   {240, 6, 5, 65535},
        {240, 6, 6, 0},       {100, 1, 0, 0},       {2025, 2, 30, 0},      {9999, 1, 1, 0},    {99, 0, 5, 0},
        {99, 13, 5, 0},       {99, -1, 5, 0},       {60, 12, 31, 0},       {1955, 6, 1, 0},    {61, 1, -40, 0},
    };
    for (const auto& [year, month, day, number] : cases)
        EXPECT_EQ(MakeDayNumber(year, month, day), number) << year << "-" << month << "-" << day;

    for (int d = 1; d <= 65535; ++d)
    {
        const DayParts parts = SplitDayNumber(static_cast<DayNumber>(d));
        ASSERT_EQ(MakeDayNumber(parts.year, parts.month, parts.day), d) << d;
        ASSERT_EQ(DayOfDateValue(static_cast<double>(DateValueOfDay(static_cast<DayNumber>(d)))), d) << d;
    }
    const DayParts none = SplitDayNumber(0);
    EXPECT_EQ(none.year + none.month + none.day, 0);

    // Stored values read back by the same calendar, whatever wrote them.
    const std::tuple<double, std::string, DayNumber> stored[] = {{1250102, "2025-01-02", MakeDayNumber(2025, 1, 2)},
                                                                 {2000229, "", 0},
                                                                 {1000229, "2000-02-29", 14304},
                                                                 {600101, "1960-01-01", 0},
                                                                 {1250102.5, "", 0},
                                                                 {0, "", 0},
                                                                 {-1, "", 0},
                                                                 {1e9, "", 0}};
    for (const auto& [value, iso, day] : stored)
    {
        EXPECT_EQ(IsoDateText(value), iso) << value;
        EXPECT_EQ(DayOfDateValue(value), day) << value;
    }
    EXPECT_EQ(TimeText(91600), "09:16:00");
    EXPECT_EQ(TimeText(96000), "");
}

// A price line's date fills its layout and names a real day: 5 January 1999 in each layout, 00-59
// as 2000-2059, and the date values 991231, 1000101, 610101 and 2400605.
TEST(DateText, EveryLayoutAndOnlyRealDaysThatFillIt)
{
    const std::tuple<const char*, int, float> read[] = {
        {"99/01/05", 1, 990105},   {"1999-01-05", 2, 990105},       {"01/05/99", 3, 990105},
        {"01.05.1999", 4, 990105}, {"05 01 99", 5, 990105},         {"05/01/1999", 6, 990105},
        {"990105", 7, 990105},     {"19990105", 8, 990105},         {"010599", 9, 990105},
        {"01051999", 10, 990105},  {"050199", 11, 990105},          {"05011999", 12, 990105},
        {"12/31/99", 3, 991231},   {"01/01/00", 3, 1000101},        {"01/01/59", 3, 1590101},
        {"01/01/61", 3, 610101},   {"\"01/05/99", 3, 990105},       {"01/05/99\"", 3, 990105},
        {"  01/05/99", 3, 990105}, {"2025-01-02 9:30", 2, 1250102}, {"2025-01-02T9", 2, 1250102},
        {"21400605", 8, 2400605},
    };
    for (const auto& [text, code, value] : read)
    {
        EXPECT_EQ(DateValue(ReadDateText(text, std::strlen(text), code)), value) << text;
        EXPECT_EQ(DateFormatCode(DateFormatName(code)), code);
    }
    const std::pair<const char*, int> refused[] = {
        {"02/30/2025", 4},  {"01/00/2025", 4}, {"02/29/2025", 4}, {"02/29/2100", 4},
        {"13/01/2025", 4},  {"01/01/1955", 4}, {"12/31/60", 3},   {"21400606", 8},
        {"01/01/0140", 4},  {"7/15/99", 3},    {"01/05/1999", 3}, {"01051999", 9},
        {"0105199", 10},    {"01-05-99x", 3},  {"01505/99", 3},   {"", 3},
        {"0a/05/99", 3},    {" 1/05/99", 3},   {"01/05/99", 0},   {"\"01/05/99\"x", 3},
        {"01/05/99\" ", 3},
    };
    for (const auto& [text, code] : refused)
        EXPECT_EQ(ReadDateText(text, std::strlen(text), code), 0) << text;
    EXPECT_EQ(ReadDateText("01/05/99", 7, 3), 0); // never past the length given
    EXPECT_STREQ(DateFormatName(13), "");
    EXPECT_EQ(DateFormatCode("mmddyy"), 0); // names are matched exactly
}
