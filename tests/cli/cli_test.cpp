#include "settings/SettingsRules.h"
#include "marketdata/Dates.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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
    // Price lines run oldest first with one row a day: draw 600 distinct days, then sort them.
    std::map<std::string, std::vector<float>> rows;
    while (rows.size() < 600)
    {
        const int year = 1961 + static_cast<int>(next() % 179);
        const int month = 1 + static_cast<int>(next() % 12);
        const int day = 1 + static_cast<int>(next() % 28);
        char iso[16];
        std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", year, month, day);
        std::vector<float> row;
        for (int field = 0; field < 6; ++field)
            row.push_back(static_cast<float>(next() % 1000000) / 1000.0f * (field == 4 ? 1000.0f : 1.0f));
        rows[iso] = row;
    }
    int i = 0;
    for (const auto& entry : rows)
    {
        dates.push_back(entry.first);
        values.push_back(entry.second);
        input << entry.first.substr(0, 4) << entry.first.substr(5, 2) << entry.first.substr(8, 2);
        for (const float value : entry.second)
        {
            char text[32];
            std::snprintf(text, sizeof text, "\t%.9g", static_cast<double>(value));
            input << text;
        }
        input << (i++ % 2 ? "\r\n" : "\n");
    }
    WriteText(m_dir / "in.txt", input.str());
    MakeDir(m_dir / "out");

    const Result convert = Run("convert in.txt --dir out --symbol rt --name 'Round Trip' --new-master "
                               "--delimiter tab --date-format ccyymmdd --skip 1");
    EXPECT_EQ(convert.err, "");
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
        {"convert in.csv --dir out --symbol A --columns close=1",
         "Duplicate columns specified\nDate and Close both use column 1\nCorrect or disable"},
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
    EXPECT_EQ(result.err, "Path does not exist\nnowhere\nConversion failed.\n");

    MakeDir(m_dir / "out");
    result = Run("convert in.csv --dir out --symbol A");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Path specified does not point to a Master file\n\"Make New Master\" creates one in " +
                              (m_dir / "out") + ".\nConversion failed.\n");

    for (const char* command : {"list nowhere", "export out A"})
        EXPECT_EQ(Run(command).status, 1) << command;
    result = Run("--version");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind("tavrix-cli ", 0), 0u);
}

// Rows that are no price lines are reported and left out; --strict refuses them; "-" reads a
// pipe; names are Latin-1 in MASTER and UTF-8 on the terminal.
TEST_F(CliTest, LeftOutRowsStrictStandardInputAndLatin1Names)
{
    const std::string rows = "Date,Open,High,Low,Close,Volume,OI\n01/02/25,1,2,3,4,5,6\n01/03/25,1,2,3,4,5,6\n";
    WriteText(m_dir / "in.csv", rows);
    MakeDir(m_dir / "out");
    Result result = Run("convert in.csv --dir out --symbol A --new-master --date-format MM_DD_YY --strict");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "1 of 3 rows were left out:\nline 1: open is not a number: Date,Open,High,Low,Close,Volume,OI\n"
                          "Conversion failed.\n");
    EXPECT_TRUE(ListDir(m_dir / "out").empty());

    result = Run("convert - --dir out --symbol 'caf\xc3\xa9' --name '\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3"
                 "\x84\xc3\x84\xc3\x84\xc3\x84' --new-master --date-format MM_DD_YY < in.csv");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "1 of 3 rows were left out:\nline 1: open is not a number: Date,Open,High,Low,Close,Volume,OI\n");
    EXPECT_EQ(result.out, "Conversion completed successfully!\nCAF\xc3\xa9: 2 price records, 2025-01-02 to 2025-01-03, "
                          "F1.DAT in " + (m_dir / "out") + "\n");
    const Bytes master = ReadBytes(m_dir / "out/MASTER");
    ASSERT_EQ(master.size(), 106u);
    EXPECT_EQ(master[53 + 7], 0xC4);
    EXPECT_EQ(master[53 + 36 + 3], 0xE9);
    EXPECT_NE(Run("list out").out.find("\tCAF\xc3\xa9\t\xc3\x84\xc3\x84"), std::string::npos);

    for (const char* name : {"'\xe2\x82\xac uro'", "$'tab\there'"})
    {
        result = Run(std::string("convert in.csv --dir out --symbol B --name ") + name);
        EXPECT_EQ(result.status, 2) << name;
        EXPECT_EQ(result.err.rfind("The name: ", 0), 0u) << result.err;
    }
}

// Settings that cannot be stored fail the command after the conversion has been made.
TEST_F(CliTest, SettingsThatCannotBeSavedExitOne)
{
    WriteText(m_dir / "in.csv", "01/03/00,1,2,3,4,5,6\n");
    WriteText(m_dir / "config", "a file where the settings folder should be");
    MakeDir(m_dir / "out");
    const Result result = Run("convert in.csv --dir out --symbol A --new-master --date-format MM_DD_YY --save-settings");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("Conversion completed successfully!"), std::string::npos);
    EXPECT_NE(result.err.find("The settings were not saved:"), std::string::npos) << result.err;
    EXPECT_TRUE(FileExists(m_dir / "out/F1.DAT"));
}

// Eight conversions into one directory at once: every one waits its turn and adds its security.
TEST_F(CliTest, EightConversionsAtOnce)
{
    MakeDir(m_dir / "out");
    WriteText(m_dir / "base.csv", "01/02/25,1,2,3,4,5,6\n");
    ASSERT_EQ(Run("convert base.csv --dir out --symbol BASE --new-master --date-format MM_DD_YY").status, 0);
    std::string script;
    for (int i = 1; i <= 8; ++i)
    {
        std::string rows;
        for (int day = 1; day <= 28; ++day)
            rows += "02/" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "/25,1,2,3," + std::to_string(i) +
                    ",5,6\n";
        WriteText(m_dir / ("in" + std::to_string(i) + ".csv"), rows);
        script += "'" + std::string(TAVRIX_CLI) + "' convert in" + std::to_string(i) + ".csv --dir out --symbol S" +
                  std::to_string(i) + " --date-format MM_DD_YY & ";
    }
    const std::string all = "cd '" + m_dir.path() + "' && export XDG_CONFIG_HOME='" + (m_dir / "config") + "' && { " +
                            script + "wait; } 2>/dev/null >/dev/null";
    EXPECT_EQ(std::system(all.c_str()), 0);
    for (int i = 1; i <= 8; ++i)
    {
        const Result exported = Run("export out S" + std::to_string(i));
        ASSERT_EQ(exported.status, 0) << exported.err;
        EXPECT_NE(exported.out.find("2025-02-28,1,2,3," + std::to_string(i) + ",5,6\n"), std::string::npos);
    }
    const Result list = Run("list out");
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 10);
}

// Many files at once: each its own conversion, a bad one does not stop the others, and a table.
TEST_F(CliTest, ManyFilesUpdateRemoveAndCheck)
{
    MakeDir(m_dir / "out");
    WriteText(m_dir / "ibm.csv", "01/02/25,1,2,3,4,5,6\n01/03/25,1,2,3,4.5,5,6\n");
    WriteText(m_dir / "junk.csv", "no price lines here\n");
    WriteText(m_dir / "msft.txt", "01/06/25,1,2,3,4,5,6\n");
    WriteText(m_dir / "ibm2.csv", "01/03/25,1,2,3,4.5,5,6\n01/07/25,1,2,3,5,5,6\n");
    Result result = Run("convert ibm.csv junk.csv msft.txt --dir out --new-master --date-format MM_DD_YY");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "File\tSymbol\tRecords\tFirst\tLast\tResult\n"
                          "ibm.csv\tIBM\t2\t2025-01-02\t2025-01-03\tconverted\n"
                          "junk.csv\tJUNK\t-\t-\t-\tfailed: No price lines in\n"
                          "msft.txt\tMSFT\t1\t2025-01-06\t2025-01-06\tconverted\n"
                          "2 of 3 files converted into " + (m_dir / "out") + "\n");
    EXPECT_EQ(Run("convert ibm.csv msft.txt --dir out --symbol X").status, 2);

    result = Run("update ibm2.csv --dir out --symbol ibm --date-format MM_DD_YY");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "IBM: 1 record added, 2025-01-07 to 2025-01-07; 1 row was already present\n");
    result = Run("check out");
    EXPECT_EQ(result.status, 0) << result.out;
    result = Run("remove out msft");
    EXPECT_EQ(result.out, "Removed msft (F2) from " + (m_dir / "out") + "\n");
    EXPECT_EQ(Run("remove out msft").status, 1);
    WriteBytes(m_dir / "out/F9.DAT", Bytes(5, 0));
    EXPECT_EQ(Run("check out").status, 1);
}

// --date-format auto takes the one layout under which every date reads, in order.
TEST_F(CliTest, DateLayoutFoundFromTheRows)
{
    MakeDir(m_dir / "out");
    const struct
    {
        const char* rows;
        int status;
        const char* message;
    } cases[] = {
        {"13/01/2025,1,2,3,4,5,6\n14/01/2025,1,2,3,4,5,6\n", 0, "Date layout found: DD_MM_CCYY\n"},
        {"01/02/2025,1,2,3,4,5,6\n01/03/2025,1,2,3,4,5,6\n", 1,
         "The date layout cannot be told from the input: MM_DD_CCYY, DD_MM_CCYY each read every date.\n"
         "For example, line 1: 01/02/2025,1,2,3,4,5,6\nChoose one with --date-format.\n"},
        {"2025.13.45,1,2,3,4,5,6\n", 1,
         "No date layout reads every date of the input in order.\nFor example, line 1: 2025.13.45,1,2,3,4,5,6\n"},
    };
    int n = 0;
    for (const auto& c : cases)
    {
        const std::string input = "in" + std::to_string(++n) + ".csv";
        WriteText(m_dir / input, c.rows);
        const Result result = Run("convert " + input + " --dir out --symbol S" + std::to_string(n) +
                                  " --new-master --date-format auto");
        EXPECT_EQ(result.status, c.status) << c.rows;
        EXPECT_EQ(result.err.rfind(c.message, 0), 0u) << result.err;
        ::unlink((m_dir / "out/MASTER").c_str());
    }
}

// A run killed at a random moment leaves MASTER as it was or listing the whole new security.
TEST_F(CliTest, KilledAtRandomMoments)
{
    std::string rows;
    for (int day = 1; day <= 20000; ++day)
    {
        const tavrix::DayParts parts = tavrix::SplitDayNumber(static_cast<tavrix::DayNumber>(day));
        char text[64];
        std::snprintf(text, sizeof text, "%04d%02d%02d,1.5,2.5,0.5,%d,100,7\n", parts.year + 1900, parts.month,
                      parts.day, day);
        rows += text;
    }
    WriteText(m_dir / "big.csv", rows);
    MakeDir(m_dir / "out");
    WriteText(m_dir / "one.csv", "01/02/25,1,2,3,4,5,6\n");
    ASSERT_EQ(Run("convert one.csv --dir out --symbol BASE --new-master --date-format MM_DD_YY").status, 0);
    std::uint32_t seed = 12345;
    int added = 0;
    for (int attempt = 0; attempt < 12; ++attempt)
    {
        const std::string symbol = "K" + std::to_string(attempt);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            ::chdir(m_dir.path().c_str());
            ::freopen("/dev/null", "w", stderr);
            ::freopen("/dev/null", "w", stdout);
            ::execl(TAVRIX_CLI, TAVRIX_CLI, "convert", "big.csv", "--dir", "out", "--symbol", symbol.c_str(),
                    "--date-format", "CCYYMMDD", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        seed = seed * 1664525u + 1013904223u;
        ::usleep((seed >> 8) % 40000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const Result list = Run("list out");
        ASSERT_EQ(list.status, 0) << list.err;
        if (list.out.find("\t" + symbol + "\t") != std::string::npos)
        {
            ++added;
            const Result exported = Run("export out " + symbol);
            EXPECT_EQ(std::count(exported.out.begin(), exported.out.end(), '\n'), 20001) << symbol;
        }
    }
    WriteText(m_dir / "last.csv", "01/02/25,1,2,3,4,5,6\n");
    const Result last = Run("convert last.csv --dir out --symbol LAST --date-format MM_DD_YY");
    EXPECT_EQ(last.status, 0) << last.err;
    for (const std::string& name : ListDir(m_dir / "out"))
        EXPECT_NE(name.rfind(".~tavrix-", 0), 0u) << name;
    RecordProperty("completed_before_kill", added);
}

// A second conversion waits for the one holding the directory, and says so once.
TEST_F(CliTest, ASecondConversionWaitsAndSaysSo)
{
    MakeDir(m_dir / "out");
    WriteText(m_dir / "in.csv", "01/02/25,1,2,3,4,5,6\n");
    const int fd = ::open((m_dir / "out").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    std::thread release([fd] {
        ::usleep(300000);
        ::close(fd);
    });
    const Result result = Run("convert in.csv --dir out --symbol A --new-master --date-format MM_DD_YY");
    release.join();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "Waiting for another conversion into " + (m_dir / "out") + " to finish...\n");
}

TEST_F(CliTest, ListsAVendorDirectory)
{
    const std::string fixture = std::string(TAVRIX_FIXTURES) + "/metastock-sample";
    ASSERT_TRUE(FileExists(fixture + "/Master")) << "vendor fixture missing: " << fixture << "/Master";
    const Result result = Run("list '" + fixture + "'");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("F1\tASR\tA.S. ROMA\tDate Open High Low Close Volume OpenInterest\t2010-01-04\t"),
              std::string::npos)
        << result.out.substr(0, 400);
    const Result exported = Run("export '" + fixture + "' asr");
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out.rfind("Date,Open,High,Low,Close,Volume,OpenInterest\n2010-01-04,", 0), 0u);
}

// Securities only XMASTER lists (prices in F<n>.MWD) and an 8-field intraday one, as a vendor wrote
// them; the expected lines were worked out from the raw bytes, not through this program.
TEST_F(CliTest, ListsAndExportsXmasterAndIntradaySecurities)
{
    const std::string fixture = std::string(TAVRIX_FIXTURES) + "/metastock-sample";
    const std::string daily = "Date,Open,High,Low,Close,Volume,OpenInterest\n";
    const std::string sevenFields = "\tDate Open High Low Close Volume OpenInterest\t";
    const struct
    {
        std::string directory;
        const char* key;
        std::string listed; // the list line up to its directory
        std::string first;  // the header and the first record
        std::string last;
        long lines;
    } cases[] = {
        {fixture, "rcs mediagroup", "F257\tRCS\tRCS MEDIAGROUP" + sevenFields + "2010-01-04\t2010-07-09\t132\t",
         daily + "2010-01-04,1.279,1.279,1.254,1.279,745064,0\n", "2010-07-09,0.958,0.975,0.94,0.958,108929,0\n", 133},
        {fixture, "TMEAZA", "F462\tTMEAZA\tTMEAZA" + sevenFields + "2010-05-24\t2010-06-23\t14\t",
         daily + "2010-05-24,0.0981,0.215,0.0981,0.0981,1406928,0\n", "2010-06-23,1e-04,1e-04,1e-04,1e-04,4156900,0\n",
         15},
        {fixture + "/Intraday", "fib30",
         "F1\tFIB30\tFIB30\tDate Time Open High Low Close Volume OpenInterest\t2003-01-02\t2003-07-04\t64885\t",
         "Date,Time,Open,High,Low,Close,Volume,OpenInterest\n2003-01-02,09:16:00,23785,23785,23785,23785,2,0\n",
         "2003-07-04,17:39:00,24905,24930,24905,24920,69,0\n", 64886},
    };
    for (const auto& c : cases)
    {
        const Result list = Run("list '" + c.directory + "'");
        EXPECT_NE(list.out.find("\n" + c.listed + c.directory + "/\n"), std::string::npos) << c.key;
        const Result exported = Run("export '" + c.directory + "' '" + c.key + "'");
        ASSERT_EQ(exported.status, 0) << c.key << ": " << exported.err;
        EXPECT_EQ(exported.out.rfind(c.first, 0), 0u) << c.key;
        EXPECT_EQ(exported.out.size() - exported.out.rfind(c.last), c.last.size()) << c.key;
        EXPECT_EQ(std::count(exported.out.begin(), exported.out.end(), '\n'), c.lines) << c.key;
    }
    const std::string all = Run("list '" + fixture + "'").out;
    EXPECT_LT(all.find("\nF255\t"), all.find("\nF256\t"));

    // Without its price file, or with a bitset that has no date, an XMASTER security is listed but not exported.
    MakeDir(m_dir / "cut");
    WriteBytes(m_dir / "cut/MASTER", ReadBytes(fixture + "/Master"));
    Bytes xmaster = ReadBytes(fixture + "/Xmaster");
    xmaster[2 * 150 + 70] = 0x7E; // RCS
    WriteBytes(m_dir / "cut/XMASTER", xmaster);
    EXPECT_NE(Run("list cut").out.find("\nF256\tRCF\tRCF GROUP" + sevenFields + "2010-01-05\t2010-07-09\t-\t"),
              std::string::npos);
    Result result = Run("export cut rcf");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("Cannot read cut/F256.MWD", 0), 0u) << result.err;
    result = Run("export cut rcs");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Security rcs has 6 fields per record, which this program does not read.\n");
}

TEST(FieldSetNoteTest, FieldsReadersTakeForOthersAndLongSymbols)
{
    const std::string symbolNote =
        "Note: the symbol ABCDEFGHIJKLMNO has 15 characters; some readers show only the first 14, ABCDEFGHIJKLMN.";
    const struct
    {
        int open, high, low, volume, oi;
        const char* symbol;
        std::string note;
    } cases[] = {
        {1, 1, 1, 1, 1, "ABCDEFGHIJKLMN", ""},
        {1, 1, 1, 1, 0, "abcdefghijklmn  ", ""},
        {1, 1, 1, 0, 0, "A",
         "Note: the security holds date open high low close; readers that go by the field count show \"date high low "
         "close volume\" or refuse it."},
        {0, 1, 1, 1, 1, "A",
         "Note: the security holds date high low close volume open interest; readers that go by the field count show "
         "\"date open high low close volume\" or refuse it."},
        {0, 0, 0, 0, 0, "A",
         "Note: the security holds date close; no reader is known to read 2 fields by their count."},
        {1, 1, 1, 1, 1, "abcdefghijklmno", symbolNote},
        {0, 1, 1, 1, 0, "ABCDEFGHIJKLMNO",
         "Note: the security holds date high low close volume; readers that go by the field count show \"date open "
         "high low close\" or refuse it.\n" +
             symbolNote},
    };
    for (const auto& c : cases)
    {
        tavrix::ConversionSettings settings;
        settings.m_bOpenOn = c.open;
        settings.m_bHiOn = c.high;
        settings.m_bLoOn = c.low;
        settings.m_bVolOn = c.volume;
        settings.m_bOIOn = c.oi;
        settings.m_strSymbol = c.symbol;
        EXPECT_EQ(tavrix::rules::FieldSetNote(settings), c.note) << c.symbol << " " << c.open << c.volume << c.oi;
    }
}
