#include "CliCall.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

using namespace testing_support;

namespace {
using Result = CliResult;

// A file of `tickers` securities T0, T1, ... with names, over the given days of January 2025, rows
// sorted by day then ticker; the close of ticker t on day d is t + d / 100.
std::string MarketFile(int tickers, const std::vector<int>& days)
{
    std::string text = "Symbol,Name,Date,Open,High,Low,Close,Volume\n";
    for (const int day : days)
        for (int t = 0; t < tickers; ++t)
        {
            const std::string close = std::to_string(t) + "." + (day < 10 ? "0" : "") + std::to_string(day);
            text += "T" + std::to_string(t) + ",Company " + std::to_string(t) + ",2025-01-" + (day < 10 ? "0" : "") +
                    std::to_string(day) + ",0.5," + std::to_string(t + 1) + ",0.25," + close + ",1000\n";
        }
    return text;
}

long Lines(const std::string& text)
{
    return std::count(text.begin(), text.end(), '\n');
}
} // namespace

// A market-wide file of 300 tickers makes 300 securities (255 in MASTER, the rest in XMASTER) with
// their names; the next day's file extends every one and adds a new ticker, in one change; a ticker
// whose day differs from the stored one is refused alone.
TEST(MarketFiles, ManyTickersConvertAndAreExtendedTogether)
{
    TempDir dir;
    const std::string out = dir / "market";
    WriteText(dir / "days.csv", MarketFile(300, {2, 3, 6}));
    const Result first = Cli({"convert", dir / "days.csv", "--dir", out});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(Lines(first.out), 302);
    EXPECT_NE(first.out.find("T299\tnew\t3\t2025-01-02\t2025-01-06\tconverted\n"), std::string::npos);
    const std::string listed = Cli({"list", out}).out;
    EXPECT_NE(listed.find("F256\tT255\tCompany 255\t"), std::string::npos);
    EXPECT_EQ(Cli({"export", out, "T299"}).out, "Date,Open,High,Low,Close,Volume\n2025-01-02,0.5,300,0.25,299.02,1000\n"
                                                "2025-01-03,0.5,300,0.25,299.03,1000\n"
                                                "2025-01-06,0.5,300,0.25,299.06,1000\n");

    std::string next = MarketFile(300, {6, 7}) + "NEW,Newcomer,2025-01-07,1,2,0.5,1.5,10\n";
    const std::string conflict = "T7,Company 7,2025-01-06,0.5,8,0.25,7.06,1000\n";
    next.replace(next.find(conflict), conflict.size(), "T7,Company 7,2025-01-06,0.5,8,0.25,7.5,1000\n");
    WriteText(dir / "next.csv", next);
    const Result second = Cli({"update", dir / "next.csv", "--dir", out});
    EXPECT_EQ(second.status, 1);
    EXPECT_NE(second.out.find("T8\tadded\t1\t2025-01-07\t2025-01-07\tconverted; 1 row already present\n"),
              std::string::npos)
        << second.out;
    EXPECT_NE(second.out.find("NEW\tnew\t1\t2025-01-07"), std::string::npos);
    EXPECT_NE(second.out.find("T7\tadded\t-\t-\t-\tfailed: 1 day differs from the price file, first 2025-01-06: "
                              "close is 7.05999994 in the price file, 7.5 in the input."),
              std::string::npos);
    EXPECT_NE(second.out.find("300 of 301 tickers went into"), std::string::npos);
    EXPECT_EQ(Lines(Cli({"export", out, "T299"}).out), 5);
    EXPECT_EQ(Lines(Cli({"export", out, "T7"}).out), 4);
    EXPECT_EQ(Cli({"check", out}).status, 0);

    // A file of one security asks for its symbol; a file of many takes none.
    EXPECT_EQ(Cli({"convert", kDownloads + "stooq.csv", "--dir", out}).status, 2);
    EXPECT_EQ(Cli({"convert", dir / "days.csv", "--dir", out, "--symbol", "X"}).status, 1);
}

// Intraday and daily market files from a vendor's shape: interleaved tickers read back bar by bar
// with their times, the period and bar minutes from the <PER> column.
TEST(MarketFiles, VendorShapedFilesReadBackBarByBar)
{
    for (const auto& [file, tickers] :
         {std::pair<std::string, std::vector<std::string>>{"market-daily", {"AQZR", "BXVL", "CQTN", "DVRW", "FXQH5"}},
          {"market-intraday", {"AQZR", "BXVL", "CQTN"}}})
    {
        SCOPED_TRACE(file);
        TempDir dir;
        const Result result = Cli({"convert", kDownloads + file + ".txt", "--dir", dir / "out"});
        ASSERT_EQ(result.status, 0) << result.err;
        for (const std::string& ticker : tickers)
        {
            std::istringstream stored(Cli({"export", dir / "out", ticker}).out);
            std::istringstream expected(ReadText(kDownloads + file + "." + ticker + ".expected.csv"));
            std::string a, b;
            long rows = 0;
            while (std::getline(expected, b) && std::getline(stored, a))
            {
                // Numbers compared as the singles they are stored as.
                std::istringstream cellsA(a), cellsB(b);
                for (std::string x, y; std::getline(cellsB, y, ',') && std::getline(cellsA, x, ',');)
                    EXPECT_TRUE(x == y || std::strtof(x.c_str(), nullptr) == std::strtof(y.c_str(), nullptr))
                        << ticker << " row " << rows << ": " << x << " against " << y;
                ++rows;
            }
            EXPECT_GT(rows, 10) << ticker;
            EXPECT_FALSE(std::getline(stored, a)) << ticker << " has more rows than expected";
        }
    }
}

// A ticker whose period says daily but whose rows are timed bars is refused alone, unless --daily
// makes one bar a day of them; with --strict, rows left out of one ticker keep the whole file out.
TEST(MarketFiles, PeriodDailyStrictAndStandardInput)
{
    TempDir dir;
    std::string text = ReadText(kDownloads + "market-intraday.txt");
    for (std::size_t at = 0; (at = text.find("\nAQZR,5,", at)) != std::string::npos; ++at)
        text.replace(at, 8, "\nAQZR,D,");
    WriteText(dir / "m.txt", text);
    const Result timed = Cli({"convert", dir / "m.txt", "--dir", dir / "a"});
    EXPECT_EQ(timed.status, 1);
    EXPECT_NE(timed.out.find("AQZR\tnew\t-\t-\t-\tfailed: Not converted: its period is D, but it has 12 bars on "
                             "2025-01-02.\nBXVL\tnew\t24\t"),
              std::string::npos)
        << timed.out;
    const Result daily = Cli({"convert", dir / "m.txt", "--dir", dir / "b", "--daily"});
    EXPECT_EQ(daily.status, 0) << daily.err;
    EXPECT_NE(daily.out.find("AQZR\tnew\t2\t2025-01-02\t2025-01-03\tconverted\nBXVL\tnew\t2\t"), std::string::npos);

    WriteText(dir / "bad.csv", MarketFile(3, {2, 3}) + "T1,Company 1,2025-01-06,x,2,0.25,1.06,1000\n");
    const Result strict = Cli({"convert", dir / "bad.csv", "--dir", dir / "c", "--strict"});
    EXPECT_EQ(strict.status, 1);
    EXPECT_NE(strict.out.find("T0\t-\t-\t-\t-\tfailed: Not written: rows of another ticker were left out"),
              std::string::npos)
        << strict.out;
    EXPECT_FALSE(std::filesystem::exists(dir / "c/MASTER"));
}
