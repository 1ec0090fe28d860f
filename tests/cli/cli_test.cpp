#include "marketdata/Dates.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <sys/wait.h>

using namespace testing_support;

namespace {
struct Result
{
    int status = -1;
    std::string out;
    std::string err;
};

// Runs tavrix-cli with a private configuration folder, so the desktop settings are never touched.
class CliTest : public ::testing::Test
{
protected:
    Result Run(const std::string& arguments)
    {
        const std::string outFile = m_dir / "stdout";
        const std::string errFile = m_dir / "stderr";
        const std::string command = "cd '" + m_dir.path() + "' && XDG_CONFIG_HOME='" + (m_dir / "config") + "' '" +
                                    TAVRIX_CLI + "' " + arguments + " >'" + outFile + "' 2>'" + errFile + "'";
        const int raw = std::system(command.c_str());
        Result result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = ReadText(outFile);
        result.err = ReadText(errFile);
        return result;
    }

    TempDir m_dir;
};

std::string Hive(const TempDir& dir)
{
    return ReadText(dir / "config/Corvanta/registry");
}
} // namespace

TEST_F(CliTest, ConvertAndExportRoundTrip)
{
    // Dates across centuries and values across magnitudes, in a numeric layout with a header row.
    std::ostringstream input;
    input << "Date;Open;High;Low;Close;Volume;OI\n";
    std::vector<std::string> dates;
    std::vector<std::vector<float>> values;
    std::uint32_t seed = 7;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int i = 0; i < 600; ++i)
    {
        const int year = 1961 + static_cast<int>(next() % 179);
        const int month = 1 + static_cast<int>(next() % 12);
        const int day = 1 + static_cast<int>(next() % 28);
        char date[16];
        std::snprintf(date, sizeof date, "%04d%02d%02d", year, month, day);
        char iso[16];
        std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", year, month, day);
        dates.push_back(iso);
        input << date;
        std::vector<float> row;
        for (int field = 0; field < 6; ++field)
        {
            const float value = static_cast<float>(next() % 1000000) / 1000.0f * (field == 4 ? 1000.0f : 1.0f);
            row.push_back(value);
            char text[32];
            std::snprintf(text, sizeof text, "\t%.9g", static_cast<double>(value));
            input << text;
        }
        values.push_back(row);
        input << (i % 2 ? "\r\n" : "\n");
    }
    WriteText(m_dir / "in.txt", input.str());
    MakeDir(m_dir / "out");

    const Result convert = Run("convert in.txt --dir out --symbol rt --name 'Round Trip' --new-master "
                               "--delimiter tab --date-format ccyymmdd --skip 1");
    ASSERT_EQ(convert.status, 0) << convert.err;
    EXPECT_NE(convert.out.find("Conversion completed successfully!"), std::string::npos);
    EXPECT_FALSE(FileExists(m_dir / "config/Corvanta/registry"));

    const Result exported = Run("export out RT");
    ASSERT_EQ(exported.status, 0) << exported.err;
    std::istringstream lines(exported.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "Date,Open,High,Low,Close,Volume,OpenInterest");
    std::size_t row = 0;
    while (std::getline(lines, line))
    {
        ASSERT_LT(row, dates.size());
        std::istringstream cells(line);
        std::string cell;
        std::getline(cells, cell, ',');
        EXPECT_EQ(cell, dates[row]) << row;
        for (int field = 0; field < 6; ++field)
        {
            std::getline(cells, cell, ',');
            EXPECT_EQ(std::strtof(cell.c_str(), nullptr), values[row][field]) << row << " " << field;
        }
        ++row;
    }
    EXPECT_EQ(row, dates.size());

    const Result list = Run("list out");
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("F1\tRT\tRound Trip\tDate Open High Low Close Volume OpenInterest\t" + dates.front() +
                            "\t" + dates.back() + "\t600\t"),
              std::string::npos)
        << list.out;
}

TEST_F(CliTest, SameBytesAsTheEngineExampleAndSettingsSavedOnlyWhenAsked)
{
    WriteText(m_dir / "in.csv", "01/03/00,100.5,101.25,99.75,100.0,12000\n");
    MakeDir(m_dir / "out");
    const Result result = Run("convert in.csv --dir out --symbol acme --new-master --date-format MM_DD_YY "
                              "--without oi --columns date=1,open=2,high=3,low=4,close=5,volume=6 --save-settings");
    ASSERT_EQ(result.status, 0) << result.err;
    const Bytes data = ReadBytes(m_dir / "out/F1.DAT");
    ASSERT_EQ(data.size(), 48u);
    EXPECT_EQ(Hex(Bytes(data.begin() + 24, data.end())),
              "70 2a 74 94 00 00 49 87 00 80 4a 87 00 80 47 87 00 00 48 87 00 80 3b 8e");
    const std::string hive = Hive(m_dir);
    EXPECT_NE(hive.find("\"DateFormat\"=\"MM_DD_YY\"\n"), std::string::npos) << hive;
    EXPECT_NE(hive.find("\"OIOn\"=\"0\"\n"), std::string::npos);
    EXPECT_NE(hive.find("\"Symbol\"=\"ACME\"\n"), std::string::npos);
    EXPECT_NE(hive.find("\"Path\"=\"" + m_dir.path() + "/out\"\n"), std::string::npos);
}

TEST_F(CliTest, UsageErrorsUseTheDialogsTextsAndExitTwo)
{
    WriteText(m_dir / "in.csv", "01/03/00,1,2,3,4,5,6\n");
    const struct
    {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"convert in.csv --dir out --symbol A --columns close=1", "Duplicate columns specified\nCorrect or disable"},
        {"convert in.csv --dir out --symbol A --columns oi=21", "Please enter an integer between 1 and 20."},
        {"convert in.csv --dir out --symbol A --columns oi=x", "Please enter a positive integer."},
        {"convert in.csv --dir out --symbol A --skip 201", "Please enter an integer between 0 and 200."},
        {"convert in.csv --dir out --symbol ABCDEFGHIJKLMNOPQ", "Please enter no more than 16 characters."},
        {"convert in.csv --dir out --symbol '  '", "You did not enter a valid symbol"},
        {"convert in.csv --dir ' ' --symbol A", "Please enter path"},
        {"convert in.csv --dir out --symbol A --date-format MM", "is not one of YY_MM_DD, CCYY_MM_DD"},
        {"convert in.csv --dir out --symbol A --without close", "cannot be left out"},
        {"convert in.csv --dir out --symbol A --new-master --existing-master", "excludes"},
        {"convert in.csv --symbol A", "--dir is required"},
        {"frobnicate", ""},
    };
    for (const auto& c : cases)
    {
        const Result result = Run(c.arguments);
        EXPECT_EQ(result.status, 2) << c.arguments << "\n" << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << c.arguments << "\n" << result.err;
    }
}

TEST_F(CliTest, FailuresExitOneWithTheEnginesMessage)
{
    WriteText(m_dir / "in.csv", "01/03/00,1,2,3,4,5,6\n");
    Result result = Run("convert in.csv --dir nowhere --symbol A");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Path does not exist\nConversion failed.\n");

    MakeDir(m_dir / "out");
    result = Run("convert in.csv --dir out --symbol A");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Path specified does not point to a Master file\nConversion failed.\n");

    result = Run("list nowhere");
    EXPECT_EQ(result.status, 1);
    result = Run("export out A");
    EXPECT_EQ(result.status, 1);
}

TEST_F(CliTest, HelpAndVersion)
{
    Result result = Run("--version");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind("tavrix-cli ", 0), 0u);
    for (const char* command : {"--help", "convert --help", "list --help", "export --help"})
    {
        result = Run(command);
        EXPECT_EQ(result.status, 0) << command;
        EXPECT_NE(result.out.find("Usage"), std::string::npos) << command << result.out;
    }
}

TEST_F(CliTest, ListsAVendorDirectory)
{
    const std::string fixture = std::string(TAVRIX_FIXTURES) + "/metastock-sample";
    if (!FileExists(fixture + "/Master"))
        GTEST_SKIP() << "fixture not present";
    const Result result = Run("list '" + fixture + "'");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("F1\tASR\tA.S. ROMA\tDate Open High Low Close Volume OpenInterest\t2010-01-04\t"),
              std::string::npos)
        << result.out.substr(0, 400);
    const Result exported = Run("export '" + fixture + "' asr");
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out.rfind("Date,Open,High,Low,Close,Volume,OpenInterest\n2010-01-04,", 0), 0u);
}
