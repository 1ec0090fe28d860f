#include "marketdata/Dates.h"
#include "support/TempDir.h"
#include "text/LineReader.h"
#include "text/PriceLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

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
    return {",", {1, 1, 1, 1, 1, 1, 1}, {0, 1, 2, 3, 4, 5, 6}, 3, 0};
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

TEST(PriceLines, RowsAndTokens)
{
    using Texts = std::vector<std::string>;
    EXPECT_EQ(Rows("a\r\nb\nc"), (Texts{"a", "b", "c"}));
    EXPECT_EQ(Rows("a\rb\r\r\n\r\n\nx"), (Texts{"a", "b", "", "", "", "x"}));
    EXPECT_EQ(Rows(std::string(7, 'x') + "\r\nyy", 5), (Texts{"xxxxx/7", "yy"})); // a long row comes whole
    // The reader fills 65,536 bytes at a time: a CR last in one fill and its LF first in the next.
    EXPECT_EQ(Rows(std::string(65535, 'y') + "\r\nlast\n", 1 << 17).size(), 2u);

    const std::pair<const char*, const char*> tokens[] = {
        {"1,,2", "1|2"},      {" \"01/05/99\" , 12.5 ,\"\",x", "01/05/99|12.5|x"},
        {"\"a\"b\"", "a\"b"}, {"\"01/05/99,1", "\"01/05/99|1"},
        {"  ,   ", ""},
    };
    for (const auto& [row, expected] : tokens)
    {
        Token found[20];
        std::string joined;
        for (int i = 0, n = SplitTokens(row, std::strlen(row), ",", found, 20); i < n; ++i)
            joined += (i ? "|" : "") + std::string(found[i].text, found[i].length);
        EXPECT_EQ(joined, expected) << row;
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
    // Rows without a token are no rows at all; a header row is left out, not taken for a date.
    const PriceLineReader header = ReadRows({"Date,Open,High,Low,Close,Volume,OI", "", " , ", Row(1, 2)});
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
    const PriceLineRules rules{",", {1, 0, 0, 0, 1, 0, 0}, {0, 0, 0, 0, 1, 0, 0}, DateFormatCode("CCYYMMDD"), 0};
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
