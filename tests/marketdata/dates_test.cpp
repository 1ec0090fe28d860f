#include "marketdata/Dates.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tavrix;
using testing_support::Bytes;
using testing_support::Hex;

namespace {
std::string DateValueHex(DayNumber day)
{
    const MbfBytes value = DayToDateValue(day);
    return Hex(Bytes(value.begin(), value.end()));
}

float DateValue(DayNumber day)
{
    const MbfBytes value = DayToDateValue(day);
    return FromMbf(value.data());
}
} // namespace

TEST(DayNumber, KnownDays)
{
    EXPECT_EQ(MakeDayNumber(61, 1, 1), 1);
    EXPECT_EQ(MakeDayNumber(99, 12, 31), 14244);
    EXPECT_EQ(MakeDayNumber(1999, 12, 31), 14244);
    EXPECT_EQ(MakeDayNumber(100, 1, 1), 14245);
    EXPECT_EQ(MakeDayNumber(64, 2, 29), 1155);
    EXPECT_EQ(MakeDayNumber(100, 2, 29), 14304);
    EXPECT_EQ(MakeDayNumber(2000, 2, 29), 14304);
    // Day 0 of a month is the day before it: a misread date still lands on a real day.
    EXPECT_EQ(MakeDayNumber(100, 1, 0), 14244);
}

TEST(DayNumber, DaysOutsideTheTableGiveZero)
{
    EXPECT_EQ(MakeDayNumber(99, 0, 5), 0);
    EXPECT_EQ(MakeDayNumber(99, 13, 5), 0);
    EXPECT_EQ(MakeDayNumber(99, -1, 5), 0);
    EXPECT_EQ(MakeDayNumber(99, 32767, 5), 0);
    EXPECT_EQ(MakeDayNumber(60, 12, 31), 0); // before 1961, though the arithmetic would give 1
    EXPECT_EQ(MakeDayNumber(1955, 6, 1), 0);
    EXPECT_EQ(MakeDayNumber(61, 1, 0), 0);
    EXPECT_EQ(MakeDayNumber(61, 1, -40), 0);
    EXPECT_EQ(MakeDayNumber(240, 6, 4), 65535); // the last day that fits
    EXPECT_EQ(MakeDayNumber(240, 6, 5), 0);     // would wrap to an early day
    EXPECT_EQ(MakeDayNumber(9999, 1, 1), 0);
}

TEST(DayNumber, SplitInvertsMakeForEveryDay)
{
    const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int previousValue = 0;
    for (int d = 1; d <= 65535; ++d)
    {
        const DayParts parts = SplitDayNumber(static_cast<DayNumber>(d));
        ASSERT_GE(parts.month, 1) << d;
        ASSERT_LE(parts.month, 12) << d;
        const int length = monthDays[parts.month - 1] + (parts.month == 2 && parts.year % 4 == 0 ? 1 : 0);
        ASSERT_GE(parts.day, 1) << d;
        ASSERT_LE(parts.day, length) << d;
        const int value = parts.year * 10000 + parts.month * 100 + parts.day;
        ASSERT_GT(value, previousValue) << d;
        previousValue = value;
        ASSERT_EQ(MakeDayNumber(parts.year, parts.month, parts.day), d) << d;
    }
    const DayParts first = SplitDayNumber(1);
    EXPECT_EQ(first.year * 10000 + first.month * 100 + first.day, 610101);
    const DayParts y2k = SplitDayNumber(14245);
    EXPECT_EQ(y2k.year * 10000 + y2k.month * 100 + y2k.day, 1000101);
    const DayParts leap = SplitDayNumber(1155);
    EXPECT_EQ(leap.year * 10000 + leap.month * 100 + leap.day, 640229);
    const DayParts none = SplitDayNumber(0);
    EXPECT_EQ(none.year + none.month + none.day, 0);
}

TEST(DateValue, BytesOfKnownDays)
{
    EXPECT_EQ(DateValueHex(14244), "f0 ff 71 94"); // 991231
    EXPECT_EQ(DateValueHex(14245), "50 2a 74 94"); // 1000101
    EXPECT_EQ(DateValueHex(0), "00 00 00 00");
    EXPECT_EQ(DateValue(1), 610101.0f);
    EXPECT_EQ(DateValue(65535), 2400604.0f);
}

TEST(ParseDateText, EveryLayoutReadsItsOwnText)
{
    // 5 January 1999 written in each of the twelve layouts, with different separators.
    const struct
    {
        int code;
        const char* name;
        const char* text;
    } cases[] = {
        {1, "YY_MM_DD", "99/01/05"},     {2, "CCYY_MM_DD", "1999-01-05"}, {3, "MM_DD_YY", "01/05/99"},
        {4, "MM_DD_CCYY", "01.05.1999"}, {5, "DD_MM_YY", "05 01 99"},     {6, "DD_MM_CCYY", "05/01/1999"},
        {7, "YYMMDD", "990105"},         {8, "CCYYMMDD", "19990105"},     {9, "MMDDYY", "010599"},
        {10, "MMDDCCYY", "01051999"},    {11, "DDMMYY", "050199"},        {12, "DDMMCCYY", "05011999"},
    };
    const DayNumber expected = MakeDayNumber(99, 1, 5);
    for (const auto& c : cases)
    {
        EXPECT_EQ(ParseDateText(c.text, static_cast<std::int16_t>(c.code)), expected) << c.code << " " << c.text;
        EXPECT_EQ(ReadDateText(c.text, std::strlen(c.text), c.code), expected) << c.code << " " << c.text;
        EXPECT_STREQ(DateFormatName(c.code), c.name);
        EXPECT_EQ(DateFormatCode(c.name), c.code);
    }
    EXPECT_STREQ(DateFormatName(0), "");
    EXPECT_STREQ(DateFormatName(13), "");
    EXPECT_EQ(DateFormatCode("mmddyy"), 0);
}

TEST(ParseDateText, CenturiesAndTwoDigitYears)
{
    EXPECT_EQ(DateValue(ParseDateText("12/31/99", 3)), 991231.0f);
    EXPECT_EQ(DateValue(ParseDateText("20000101", 8)), 1000101.0f);
    EXPECT_EQ(DateValue(ParseDateText("000101", 7)), 1000101.0f);
    EXPECT_EQ(DateValue(ParseDateText("590101", 7)), 1590101.0f); // 00-59 are 2000-2059
    EXPECT_EQ(ParseDateText("600101", 7), 0);                     // 1960 lies before day 1
    EXPECT_EQ(DateValue(ParseDateText("610101", 7)), 610101.0f);
    EXPECT_EQ(DateValue(ParseDateText("19550101", 8)), 1550101.0f); // century 19 with year below 60
    EXPECT_EQ(DateValue(ParseDateText("21000301", 8)), 2000301.0f);
}

TEST(ParseDateText, OddTexts)
{
    const DayNumber jan5 = MakeDayNumber(99, 1, 5);
    EXPECT_EQ(ParseDateText("\"01/05/99", 3), jan5);
    EXPECT_EQ(ParseDateText("   01/05/99", 3), jan5);
    EXPECT_EQ(ParseDateText("  \"01/05/99\"", 3), jan5);
    EXPECT_EQ(ParseDateText("1/5/99", 3), 14244); // fixed positions misread dates without leading zeros
    EXPECT_EQ(ParseDateText("01/05/9", 3), MakeDayNumber(109, 1, 5)); // a last part cut to one digit
    EXPECT_EQ(ParseDateText("", 3), 0);
    EXPECT_EQ(ParseDateText("   ", 3), 0);
    EXPECT_EQ(ParseDateText("\"", 3), 0);
    EXPECT_EQ(ParseDateText(nullptr, 3), 0);
    EXPECT_EQ(ParseDateText("01/05/99", 0), 0);
    EXPECT_EQ(ParseDateText("01/05/99", 13), 0);
    EXPECT_EQ(ParseDateText("01/05/99", -1), 0);
    EXPECT_EQ(ParseDateText("00/00/00", 3), 0);
    EXPECT_EQ(ParseDateText("abcdefgh", 8), 0);
    EXPECT_EQ(ParseDateText("13/05/99", 3), 0); // month 13
    EXPECT_EQ(ParseDateText("-1/05/99", 3), 0); // month -1
    EXPECT_EQ(ParseDateText("99999999", 8), 0); // year 9999 is past the last day number
}

// A price line's date fills its layout exactly and names a real day; nothing rolls over.
TEST(ReadDateText, OnlyRealDaysThatFillTheLayout)
{
    const struct
    {
        const char* text;
        const char* layout;
        int year, month, day; // 0 0 0: refused
    } cases[] = {
        {"12/31/99", "MM_DD_YY", 1999, 12, 31},
        {"01/01/00", "MM_DD_YY", 2000, 1, 1},
        {"01/01/59", "MM_DD_YY", 2059, 1, 1},
        {"01/01/61", "MM_DD_YY", 1961, 1, 1},
        {"\"01/05/99", "MM_DD_YY", 1999, 1, 5},
        {"  01/05/99", "MM_DD_YY", 1999, 1, 5},
        {"2025-01-02 09:30", "CCYY_MM_DD", 2025, 1, 2},
        {"2025-01-02T09:30", "CCYY_MM_DD", 2025, 1, 2},
        {"02/29/2100", "MM_DD_CCYY", 2100, 2, 29},
        {"21400604", "CCYYMMDD", 2140, 6, 4},
        {"02/30/2025", "MM_DD_CCYY", 0, 0, 0},
        {"01/00/2025", "MM_DD_CCYY", 0, 0, 0},
        {"02/29/2025", "MM_DD_CCYY", 0, 0, 0},
        {"13/01/2025", "MM_DD_CCYY", 0, 0, 0},
        {"01/01/1955", "MM_DD_CCYY", 0, 0, 0},
        {"12/31/60", "MM_DD_YY", 0, 0, 0},
        {"21400605", "CCYYMMDD", 0, 0, 0},
        {"7/15/99", "MM_DD_YY", 0, 0, 0},
        {"01/05/1999", "MM_DD_YY", 0, 0, 0},
        {"01051999", "MMDDYY", 0, 0, 0},
        {"0105199", "MMDDCCYY", 0, 0, 0},
        {"01-05-99x", "MM_DD_YY", 0, 0, 0},
        {"01505/99", "MM_DD_YY", 0, 0, 0},
        {"", "MM_DD_YY", 0, 0, 0},
        {"0a/05/99", "MM_DD_YY", 0, 0, 0},
        {" 1/05/99", "MM_DD_YY", 0, 0, 0},
    };
    for (const auto& c : cases)
    {
        const DayNumber expected =
            c.year ? MakeDayNumber(static_cast<std::int16_t>(c.year), static_cast<std::int16_t>(c.month),
                                   static_cast<std::int16_t>(c.day))
                   : 0;
        EXPECT_EQ(ReadDateText(c.text, std::strlen(c.text), DateFormatCode(c.layout)), expected) << c.text;
    }
    EXPECT_EQ(MakeDayNumber(2140, 6, 4), 65535);
    EXPECT_EQ(ReadDateText("01/05/99", 8, 0), 0);
    EXPECT_EQ(ReadDateText("01/05/99", 7, 3), 0); // never past the length given
}
