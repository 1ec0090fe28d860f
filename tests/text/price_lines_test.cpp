#include "marketdata/Dates.h"
#include "support/TempDir.h"
#include "text/LineReader.h"
#include "text/PriceLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

using namespace tavrix;
using namespace testing_support;

namespace {
// Each row as read, with its whole length after a slash when only its start was kept.
std::vector<std::string> Rows(const std::string& text, std::size_t keep = 299)
{
    TempDir dir;
    WriteText(dir / "in", text);
    std::FILE* file = std::fopen((dir / "in").c_str(), "rb");
    LineReader reader(file, keep);
    std::vector<std::string> rows;
    std::vector<char> row(keep + 1);
    std::size_t length = 0;
    while (reader.ReadRow(row.data(), &length))
        rows.push_back(row.data() + (length > keep ? "/" + std::to_string(length) : ""));
    std::fclose(file);
    return rows;
}

PriceLineRules AllFields()
{
    PriceLineRules rules;
    rules.dateFormat = 3;
    return rules;
}

PriceLineReader ReadRows(const std::vector<std::string>& rows, const PriceLineRules& rules = AllFields())
{
    PriceLineReader reader(rules);
    for (const std::string& row : rows)
        reader.AddRow(row.c_str(), row.size());
    return reader;
}

std::string Row(int month, int day, const char* close = "4")
{
    char text[80];
    std::snprintf(text, sizeof text, "%02d/%02d/25,1,2,0.5,%s,100,7", month, day, close);
    return text;
}
} // namespace

TEST(PriceLines, RowsEndAtAnyLineEnd)
{
    using Texts = std::vector<std::string>;
    EXPECT_EQ(Rows("a\r\nb\nc"), (Texts{"a", "b", "c"}));
    EXPECT_EQ(Rows("a\rb\r\r\n\r\n\nx"), (Texts{"a", "b", "", "", "", "x"}));
    EXPECT_EQ(Rows(std::string(7, 'x') + "\r\nyy", 5), (Texts{"xxxxx/7", "yy"})); // a long row comes whole
    // The reader fills 65,536 bytes at a time: a CR last in one fill and its LF first in the next.
    EXPECT_EQ(Rows(std::string(65535, 'y') + "\r\nlast\n", 1 << 17).size(), 2u);
}

// Every delimiter ends a column, but one inside a quoted column; blank-aligned text takes runs of blanks as one.
TEST(PriceLines, ColumnsEndAtEachDelimiter)
{
    const struct
    {
        Delimiter delimiter;
        const char* row;
        const char* columns;
    } cases[] = {
        {Delimiter::kComma, "1,,2", "[1][][2]"},
        {Delimiter::kComma, "2025-01-02,10,,9,10.5,1000,77", "[2025-01-02][10][][9][10.5][1000][77]"},
        {Delimiter::kComma, " \"01/05/99\" , 12.5 ,\"\",x,", "[01/05/99][12.5][][x][]"},
        {Delimiter::kComma, "\"1,263.89\",\"54.11M\"", "[1,263.89][54.11M]"},
        {Delimiter::kComma, "\"a \"\"b\"\", c\",d", "[a \"\"b\"\", c][d]"},
        {Delimiter::kComma, "\"a\"b\"", "[a\"b]"},
        // A quote not closed is a character of its column, at either end.
        {Delimiter::kComma, "\"01/05/99,1", "[\"01/05/99][1]"},
        {Delimiter::kComma, "01/05/99\",1", "[01/05/99\"][1]"},
        {Delimiter::kComma, "  ,   ", "[][]"},
        {Delimiter::kTab, "a\t\tb\t c ", "[a][][b][c]"},
        {Delimiter::kSemicolon, "14.11.2025;138,95;;1", "[14.11.2025][138,95][][1]"},
        {Delimiter::kPipe, "a|b c|", "[a][b c][]"},
        {Delimiter::kSpace, "  2025-01-02 \t  101.5   \"a b\"  ", "[2025-01-02][101.5][a b]"},
        {Delimiter::kSpace, "   ", ""},
    };
    for (const auto& c : cases)
    {
        Token found[20];
        std::string columns;
        for (int i = 0, n = SplitTokens(c.row, std::strlen(c.row), c.delimiter, found, 20); i < n; ++i)
            columns += "[" + std::string(found[i].text, found[i].length) + "]";
        EXPECT_EQ(columns, c.columns) << c.row;
    }
}

// Each reason a row is left out, on a one-row input after a good first row.
TEST(PriceLines, RowsThatAreNoPriceLinesAreLeftOutWithTheirReason)
{
    const struct
    {
        std::string row;
        std::string reason;
    } cases[] = {
        {std::string(300, '1'), "longer than 299 characters"},
        {"01/04/25,1,2,3,4,5", "has 6 columns, the fields need 7"},
        {"01/04/25,1,,3,4,5,6", "high is empty"},
        {",1,2,3,4,5,6", "date is empty"},
        {"\"01/04/25,1,2,3,4,5,6", "date has a double quote that is not closed"},
        {"01/04/25,1,2,3,4,5,6\"", "open interest is not a number"},
        {"01/04/25,1,2,3,n/a,5,6", "close is not a number"},
        {"01/04/25,1,2,3,4,1" + std::string(39, '0') + ",6", "volume is too large"},
        {"02/30/25,1,2,3,4,5,6", "date is not a real day in the layout MM_DD_YY"},
        {"7/15/99,1,2,3,4,5,6", "date is not a real day in the layout MM_DD_YY"},
        {"01/03/25,1,2,3,4,5,6", "same date as line 2"},
        {"01/01/25,1,2,3,4,5,6", "date does not follow line 2"},
    };
    for (const auto& c : cases)
    {
        const PriceLineReader reader = ReadRows({Row(1, 2), Row(1, 3), c.row, Row(1, 6)});
        ASSERT_EQ(reader.Report().examples.size(), 1u) << c.row;
        EXPECT_EQ(reader.Report().examples[0].line, 3);
        EXPECT_EQ(reader.Report().examples[0].reason, c.reason) << c.row;
        EXPECT_EQ(reader.Lines().size(), 3u);
    }
    // Rows of blanks and delimiters are no rows at all; a header row is left out, not taken for a date.
    const PriceLineReader header = ReadRows({"Date,Open,High,Low,Close,Volume,OI", "", " , ", ",,,,,,,,,", Row(1, 2)});
    EXPECT_EQ(header.Report().rows, 2);
    EXPECT_EQ(header.Report().examples[0].reason, "open is not a number");
    EXPECT_EQ(header.FirstDateText(), "01/02/25");
}

TEST(PriceLines, NewestFirstFilesAreReversedAndOneWrongDateShowsLoudly)
{
    const PriceLineReader newestFirst = ReadRows({Row(3, 3), Row(3, 2), Row(2, 27)});
    ASSERT_EQ(newestFirst.Lines().size(), 3u);
    EXPECT_EQ(newestFirst.Lines().front().day, MakeDayNumber(2025, 2, 27));
    EXPECT_EQ(newestFirst.Lines().back().day, MakeDayNumber(2025, 3, 3));

    // A date typed wrong in the middle: the rows after it do not follow it, each says so.
    const PriceLineReader typo = ReadRows({Row(1, 2), Row(1, 3), Row(12, 6), Row(1, 7), Row(1, 8)});
    EXPECT_EQ(typo.Lines().size(), 3u);
    ASSERT_EQ(typo.Report().examples.size(), 2u);
    EXPECT_EQ(typo.Report().examples[1].reason, "date does not follow line 3");
}

TEST(PriceLines, OverTheRecordLimitTheNewestRowsAreKept)
{
    std::vector<std::string> rising;
    for (int day = 1; day <= 65535; ++day)
    {
        const DayParts parts = SplitDayNumber(static_cast<DayNumber>(day));
        char text[64];
        std::snprintf(text, sizeof text, "%04d%02d%02d,%d", parts.year + 1900, parts.month, parts.day, day);
        rising.emplace_back(text);
    }
    PriceLineRules rules;
    rules.column = {0, -1, -1, -1, 1, -1, -1};
    rules.dateFormat = DateFormatCode("CCYYMMDD");
    for (const bool reversed : {false, true})
    {
        if (reversed)
            std::reverse(rising.begin(), rising.end());
        const PriceLineReader reader = ReadRows(rising, rules);
        ASSERT_EQ(reader.Lines().size(), static_cast<std::size_t>(kMaxPriceRecords));
        EXPECT_EQ(reader.Lines().front().day, 2);
        EXPECT_EQ(reader.Lines().back().day, 65535);
        EXPECT_EQ(reader.Report().Text(), "1 of 65,535 rows were left out:\n"
                                          "1 older row was left out: a price file holds at most 65,534 records.");
    }
}

TEST(PriceLines, TheReportCountsEveryRowOfTheFile)
{
    PriceLineRules rules = AllFields();
    rules.skipRows = 2;
    std::vector<std::string> rows = {std::string(400, 'h'), "title", "", Row(1, 2)};
    for (int i = 0; i < 7; ++i)
        rows.push_back("x\x01y,\xe4,2");
    const PriceLineReader reader = ReadRows(rows, rules);
    EXPECT_EQ(reader.Report().Text(), "7 of 8 rows were left out:\n"
                                      "line 5: has 3 columns, the fields need 7: x?y,\xc3\xa4,2\n"
                                      "line 6: has 3 columns, the fields need 7: x?y,\xc3\xa4,2\n"
                                      "line 7: has 3 columns, the fields need 7: x?y,\xc3\xa4,2\n"
                                      "line 8: has 3 columns, the fields need 7: x?y,\xc3\xa4,2\n"
                                      "line 9: has 3 columns, the fields need 7: x?y,\xc3\xa4,2\n"
                                      "and 2 more.");
}

// Rows whose prices do not fit in their own high and low are kept as the file holds them, and counted.
TEST(PriceLines, RowsOutsideTheirRangeAreKeptAndCounted)
{
    PriceLineRules rules = AllFields();
    rules.timeColumn = 7;
    const PriceLineReader reader = ReadRows({"01/02/25,1,2,0.5,1.5,100,7,09:30", "01/03/25,1,0.5,2,1.5,100,7,09:30",
                                             "01/06/25,3,2,0.5,1.5,100,7,09:30", "01/07/25,1,2,0.5,0.4,100,7,09:30",
                                             "01/08/25,1,2,1,1,100,7,16:00:05", "01/09/25,1,2,1,2.5,100,7,16:00"},
                                            rules);
    ASSERT_EQ(reader.Lines().size(), 6u);
    EXPECT_EQ(reader.Lines()[1].values[kFieldHigh], 0.5f);
    EXPECT_EQ(reader.Lines()[4].time, 160005);
    EXPECT_EQ(reader.Report().Text(), "");
    EXPECT_EQ(reader.Report().OutsideRangeText(),
              "4 rows have high below low or open or close outside low to high, first at lines 2, 3, 4.");
    // Without a low there is nothing to be below.
    rules.column[kFieldLow] = -1;
    EXPECT_EQ(ReadRows({"01/02/25,1,0.5,9,0.5,100,7,09:30"}, rules).Report().OutsideRangeText(),
              "1 row has high below low or open or close outside low to high, at line 1.");
    EXPECT_EQ(ReadRows({"01/02/25,1,2,0.5,1.5,100,7,9.30"}, rules).Report().examples[0].reason,
              "time is not a time of day");
}
