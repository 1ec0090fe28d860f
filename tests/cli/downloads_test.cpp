#include "CliCall.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using namespace testing_support;

namespace {
using Result = CliResult;

// CSV rows split into cells; numbers compared as the singles they are stored as.
std::vector<std::vector<std::string>> Cells(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
    {
        rows.emplace_back();
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');)
            rows.back().push_back(cell);
    }
    return rows;
}

bool SameCell(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    char* endA = nullptr;
    char* endB = nullptr;
    const float x = std::strtof(a.c_str(), &endA);
    const float y = std::strtof(b.c_str(), &endB);
    return *endA == '\0' && *endB == '\0' && x == y;
}
} // namespace

// Files as popular sources publish them convert with nothing but --dir and --symbol, into a
// directory that does not exist yet, and every stored value is the file's own.
TEST(Downloads, EachShapeConvertsRightWithoutDescribingTheFile)
{
    const char* shapes[] = {"yahoo.csv",      "stooq.csv",         "nasdaq.csv", "alphavantage.csv",
                            "investing.csv",  "mt4.csv",           "mt5.csv",    "german.csv",
                            "tab-padded.txt", "space-aligned.txt", "futures.csv"};
    for (const std::string shape : shapes)
    {
        SCOPED_TRACE(shape);
        TempDir dir;
        const std::string out = dir / "new";
        const Result convert = Cli({"convert", kDownloads + shape, "--dir", out, "--symbol", "X"});
        ASSERT_EQ(convert.status, 0) << convert.err;
        EXPECT_EQ(convert.err.rfind("Read as: ", 0), 0u) << convert.err;
        const std::string expectedFile = kDownloads + shape.substr(0, shape.find('.')) + ".expected.csv";
        const auto expected = Cells(ReadText(expectedFile));
        const auto stored = Cells(Cli({"export", out, "X"}).out);
        ASSERT_EQ(stored.size(), expected.size());
        for (std::size_t row = 0; row < stored.size(); ++row)
        {
            ASSERT_EQ(stored[row].size(), expected[row].size()) << row;
            for (std::size_t cell = 0; cell < stored[row].size(); ++cell)
                EXPECT_TRUE(SameCell(stored[row][cell], expected[row][cell]))
                    << "row " << row << ": " << stored[row][cell] << " against " << expected[row][cell];
        }
        // inspect shows the first rows as they were stored, and changes nothing.
        const Result inspect = Cli({"inspect", kDownloads + shape});
        EXPECT_EQ(inspect.status, 0) << inspect.err;
        const auto shown = Cells(inspect.out.substr(inspect.out.find("\n\n") + 2));
        EXPECT_EQ(shown.at(1), stored.at(1));
    }
}

// A header that names the columns is checked against columns the user gives; an option the user
// gives always wins; a file that reads two ways is refused with both readings named.
TEST(Downloads, TheHeaderGuardsTheColumnsAndOptionsWin)
{
    TempDir dir;
    const struct
    {
        std::vector<std::string> options;
        int status;
        const char* says;
    } cases[] = {
        {{"yahoo.csv", "--columns", "date=1,open=2,high=3,low=4,close=5,volume=6,oi=7"},
         1,
         "volume is column 6, headed Adj Close"},
        {{"yahoo.csv", "--columns", "date=1,open=2,high=3,low=4,close=6,volume=7", "--without", "oi"},
         1,
         "close is column 6, headed Adj Close"},
        {{"german.csv", "--decimal", "point"}, 1, "open is not a number"},
        {{"stooq.csv", "--date-format", "DD_MM_CCYY"}, 1, "date is not a real day in the layout DD_MM_CCYY"},
        {{"stooq.csv", "--columns", "date=1,open=2,high=3,low=4,close=5,volume=6", "--without", "oi"}, 0, ""},
        // Fields not named are the header's: its own suggestion, and --without alone, convert.
        {{"yahoo.csv", "--columns", "date=1,open=2,high=3,low=4,close=5,volume=7"}, 0, "volume=7; column 6"},
        {{"futures.csv", "--without", "oi"}, 0, "close=7, volume=8; columns 5"},
        {{"stooq.csv", "--name", "ELEVENCHARS<DIR>"}, 2, "would make the security a sub-directory entry"},
    };
    int run = 0;
    for (const auto& c : cases)
    {
        std::vector<std::string> arguments = {
            "convert", kDownloads + c.options[0], "--dir", dir / std::to_string(++run), "--symbol", "X"};
        arguments.insert(arguments.end(), c.options.begin() + 1, c.options.end());
        const Result result = Cli(arguments);
        EXPECT_EQ(result.status, c.status) << c.options[0] << " " << result.err;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    }
}

// Several bars a day make an intraday security (period I, the bar minutes found from the bars,
// every bar's time kept), which update extends bar by bar; --daily makes one bar a day instead.
TEST(Downloads, IntradayBarsKeepTheirTimesOrBecomeDays)
{
    TempDir dir;
    const std::string file = kDownloads + "intraday-5min.csv";
    const std::string layout = "MM_DD_CCYY"; // three January days also read as June to August
    ASSERT_EQ(Cli({"convert", file, "--dir", dir / "bars", "--symbol", "I", "--date-format", layout}).status, 0);
    const Bytes master = ReadBytes(dir / "bars/MASTER");
    EXPECT_EQ(Hex(Bytes(master.begin() + 53 + 3, master.begin() + 53 + 5)), "20 08");      // eight fields
    EXPECT_EQ(Hex(Bytes(master.begin() + 53 + 33, master.begin() + 53 + 36)), "49 05 00"); // 'I', 5 minutes
    const auto stored = Cells(Cli({"export", dir / "bars", "I"}).out);
    const auto expected = Cells(ReadText(kDownloads + "intraday-5min.expected.csv"));
    ASSERT_EQ(stored.size(), expected.size());
    for (std::size_t row = 1; row < stored.size(); ++row)
        for (std::size_t cell = 0; cell < expected[row].size(); ++cell)
            ASSERT_TRUE(SameCell(stored[row][cell], expected[row][cell])) << row << ": " << stored[row][cell];
    EXPECT_EQ(stored[1].back(), "0"); // open interest, which the file does not give

    WriteText(dir / "more.csv", "Date,Time,Open,High,Low,Close,Volume\n01/08/2025,15:55,116.97,117.08,116.53,116.61,"
                                "450000\n01/08/2025,16:00,116.6,116.8,116.5,116.7,5000\n");
    const Result update =
        Cli({"update", dir / "more.csv", "--dir", dir / "bars", "--symbol", "I", "--date-format", layout});
    EXPECT_EQ(update.out, "I: 1 record added, 2025-01-08 to 2025-01-08; 1 row was already present\n") << update.err;
    EXPECT_NE(Cli({"export", dir / "bars", "I"}).out.find("\n2025-01-08,16:00:00,116.6,"), std::string::npos);
    EXPECT_EQ(Cli({"check", dir / "bars"}).status, 0);

    ASSERT_EQ(Cli({"convert", file, "--dir", dir / "days", "--symbol", "D", "--date-format", layout, "--daily"}).status,
              0);
    const std::string days = "Date,Open,High,Low,Close,Volume\n"
                             "2025-01-06,121.3,122.67,119.99,121.46,13052400\n"
                             "2025-01-07,120.6,120.79,116.04,116.12,13071400\n"
                             "2025-01-08,115.73,117.08,114.75,116.61,13250700\n";
    EXPECT_EQ(Cli({"export", dir / "days", "D"}).out, days);
    // --daily holds for inspect and update too: the same days, already present.
    EXPECT_NE(Cli({"inspect", file, "--date-format", layout, "--daily"}).out.find(days), std::string::npos);
    EXPECT_EQ(Cli({"update", file, "--dir", dir / "days", "--symbol", "D", "--date-format", layout, "--daily"}).out,
              "D: 0 records added; 3 rows were already present\n");
}
