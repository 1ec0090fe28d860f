#include "cli/CliApp.h"
#include "marketdata/Dates.h"
#include "platform/Registry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>

using namespace testing_support;

namespace {
struct Result
{
    int status = -1;
    std::string out, err;

    // The exit status, then standard output and standard error.
    std::string All() const { return std::to_string(status) + "\n" + out + err; }
};

// Blank-separated words; single quotes keep blanks in a word, as a shell would.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (const char c : line)
        if (c == '\'')
            quoted = !quoted, any = true;
        else if (c == ' ' && !quoted)
        {
            if (any)
                words.push_back(word);
            word.clear(), any = false;
        }
        else
            word.push_back(c), any = true;
    if (any)
        words.push_back(word);
    return words;
}

// Runs tavrix-cli in the test directory (empty out/, one-row row.csv) with its own settings, never the desktop's:
// in this process, or as a program for what needs one (standard input, kills, several at once).
class CliTest : public ::testing::Test
{
protected:
    CliTest() : m_oldHive(platform::SetHivePath(m_dir / "config/Corvanta/registry"))
    {
        MakeDir(m_dir / "out"), WriteText(m_dir / "row.csv", "01/02/25,2,4,1,3,5,6\n");
        char cwd[4096];
        m_cwd = ::getcwd(cwd, sizeof cwd) ? cwd : "/";
        if (::chdir(m_dir.path().c_str()) != 0)
            ADD_FAILURE() << "cannot enter " << m_dir.path();
    }
    ~CliTest() override
    {
        platform::SetHivePath(m_oldHive);
        if (::chdir(m_cwd.c_str()) != 0)
            ADD_FAILURE() << "cannot go back to " << m_cwd;
    }

    Result Run(const std::string& arguments)
    {
        std::ostringstream out, err;
        const int status = tavrix::cli::Main(Words(arguments), out, err);
        return {status, out.str(), err.str()};
    }

    // The start of a shell command in the test directory.
    std::string Shell() { return "cd '" + m_dir.path() + "' && export XDG_CONFIG_HOME='" + (m_dir / "config") + "'; "; }

    Result RunProgram(const std::string& arguments)
    {
        const int raw = std::system((Shell() + "'" + TAVRIX_CLI + "' " + arguments + " >stdout 2>stderr").c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(m_dir / "stdout"), ReadText(m_dir / "stderr")};
    }

    TempDir m_dir;

private:
    std::string m_oldHive;
    std::string m_cwd;
};

// Day number `day` as CCYYMMDD, or with separators between the parts.
std::string DateOf(int day, const char* sep = "")
{
    const tavrix::DayParts parts = tavrix::SplitDayNumber(static_cast<tavrix::DayNumber>(day));
    char text[32];
    std::snprintf(text, sizeof text, "%04d%s%02d%s%02d", parts.year + 1900, sep, parts.month, sep, parts.day);
    return text;
}
} // namespace

TEST_F(CliTest, ConvertAndExportRoundTrip)
{
    // 600 days from 1961 to 2139 and values of up to six digits, after a header row, with LF and CR LF.
    std::string input = "Date;Open;High;Low;Close;Volume;OI\n";
    std::string expected = "Date,Open,High,Low,Close,Volume,OpenInterest\n";
    std::uint32_t seed = 7;
    for (int day = 1; day < 600 * 109; day += 109)
    {
        input += DateOf(day);
        expected += DateOf(day, "-");
        for (int field = 0; field < 6; ++field)
        {
            seed = seed * 1664525u + 1013904223u;
            char text[32];
            std::snprintf(text, sizeof text, "%g", ((seed >> 8) % 1000000) / (field == 4 ? 1.0 : 1000.0));
            input += std::string("\t") + text;
            expected += std::string(",") + text;
        }
        input += day % 2 ? "\r\n" : "\n";
        expected += "\n";
    }
    WriteText(m_dir / "in.txt", input);
    const Result convert = Run("convert in.txt --dir out --symbol rt --name 'Round Trip' --new-master "
                               "--delimiter tab --date-format ccyymmdd --skip 1");
    ASSERT_EQ(convert.status, 0) << convert.err;
    EXPECT_EQ(convert.err.rfind("Read as: tab-separated, no header, first 1 row skipped, date=1 (CCYYMMDD), open=2, "
                                "high=3, low=4, close=5, volume=6, oi=7\n",
                                0),
              0u)
        << convert.err;
    EXPECT_EQ(convert.err.find("left out"), std::string::npos);
    EXPECT_FALSE(FileExists(m_dir / "config/Corvanta/registry")); // settings are saved only when asked
    EXPECT_EQ(Run("export out RT").out, expected);
    const std::string listed = "F1\tRT\tRound Trip\tDate Open High Low Close Volume OpenInterest\t" + DateOf(1, "-") +
                               "\t" + DateOf(599 * 109 + 1, "-") + "\t600\t";
    EXPECT_NE(Run("list out").out.find(listed), std::string::npos);
}

// Options the command line reads itself are bad usage, exit 2; listing or exporting what is not there fails. Settings
// are saved only when asked, and settings that cannot be saved fail the command after the conversion.
TEST_F(CliTest, BadUsageAndSettingsSavedWhenAskedOrReportedWhenTheyCannotBe)
{
    const std::pair<const char*, const char*> cases[] = {
        {"--columns oi=x", "2\nPlease enter a positive integer.\n"},
        {"--date-format MM", "2\n--date-format: 'MM' is not one of YY_MM_DD, CCYY_MM_DD, MM_DD_YY, MM_DD_CCYY,"},
        {"--without close", "2\n--without: 'close' cannot be left out (date and close are always converted;"},
        {"--new-master --existing-master", "2\n--new-master excludes --existing-master"},
        {"--name '\xe2\x82\xac uro'", "2\nThe name: "}, // no Latin-1 character
        {"--name 'tab\there'", "2\nThe name: "},        // a control character
    };
    for (const auto& [options, message] : cases)
        EXPECT_EQ(Run(std::string("convert row.csv --dir out --symbol A ") + options).All().rfind(message, 0), 0u)
            << options;
    EXPECT_EQ(Run("list nowhere").All(), "1\nCannot read the directory\nnowhere\nNo such file or directory\n");
    EXPECT_EQ(Run("export out A").All(), "1\nCannot read the MASTER file in out: there is no MASTER file\n");

    const std::string convert = "convert row.csv --dir out --date-format MM_DD_YY --without oi --save-settings ";
    const std::string readAs =
        "Read as: comma-separated, no header, date=1 (MM_DD_YY), open=2, high=3, low=4, close=5, "
        "volume=6; column 7 not used\n";
    EXPECT_EQ(Run(convert + "--symbol fourteen_chars --new-master").err, readAs); // no note: 6 fields, 14 characters
    const std::string hive = ReadText(m_dir / "config/Corvanta/registry");
    for (const char* entry : {"\"DateFormat\"=\"MM_DD_YY\"\n", "\"OIOn\"=\"0\"\n", "\"Symbol\"=\"FOURTEEN_CHARS\"\n"})
        EXPECT_NE(hive.find(entry), std::string::npos) << entry << hive;
    EXPECT_NE(hive.find("\"Path\"=\"" + m_dir.path() + "/out\"\n"), std::string::npos) << hive;

    ASSERT_EQ(std::rename((m_dir / "config").c_str(), (m_dir / "saved").c_str()), 0);
    WriteText(m_dir / "config", "a file where the settings folder should be");
    EXPECT_EQ(Run(convert + "--symbol B").All(),
              "1\nConversion completed successfully!\nB: 1 price record, 2025-01-02 to 2025-01-02, F2.DAT in " +
                  (m_dir / "out") + "\n" + readAs + "The settings were not saved:\n" + (m_dir / "config") +
                  "/Corvanta/registry\nit cannot be written.\n");
}

// Rows that are no price lines are left out and reported; --strict refuses them; "-" reads a pipe; Latin-1 names.
TEST_F(CliTest, LeftOutRowsStrictStandardInputAndLatin1Names)
{
    WriteText(m_dir / "in.csv", "Date,Open,High,Low,Close,Volume,OI\n01/02/25,2,4,1,3,5,6\n01/03/25,2,4,1,3,5,6\n"
                                "01/06/25,n/a,4,1,3,5,6\n");
    const std::string readAs = "Read as: comma-separated, header on line 1, date=1 (MM_DD_YY), open=2, high=3, low=4, "
                               "close=5, volume=6, oi=7\n";
    const std::string report = "1 of 3 rows were left out:\nline 4: open is not a number: 01/06/25,n/a,4,1,3,5,6\n";
    EXPECT_EQ(Run("convert in.csv --dir out --symbol A --new-master --date-format MM_DD_YY --strict").All(),
              "1\n" + readAs + report + "Conversion failed.\n");
    EXPECT_TRUE(ListDir(m_dir / "out").empty());

    const Result result =
        RunProgram("convert - --dir out --symbol 'caf\xc3\xa9' --new-master --date-format MM_DD_YY --name "
                   "'\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84' <in.csv");
    const std::string summary = "CAF\xc3\x89: 2 price records, 2025-01-02 to 2025-01-03, F1.DAT in " + (m_dir / "out");
    EXPECT_EQ(result.All(), "0\nConversion completed successfully!\n" + summary + "\n" + readAs + report);
    const Bytes master = ReadBytes(m_dir / "out/MASTER");
    EXPECT_EQ(Hex({master.at(53 + 7), master.at(53 + 36 + 3)}),
              "c4 c9"); // the name's first and symbol's last in Latin-1, the symbol in capitals
    EXPECT_NE(Run("list out").out.find("\tCAF\xc3\x89\t\xc3\x84\xc3\x84"), std::string::npos); // UTF-8 again
    EXPECT_EQ(Run("export out caf\xc3\xa9").status, 0); // found in any letter case

    // A file of many securities comes through standard input as well.
    WriteText(m_dir / "market.csv", "Ticker,Date,Close\nAA,2025-01-02,5\nBB,2025-01-02,6\n");
    EXPECT_EQ(RunProgram("convert - --dir many <market.csv").status, 0);
    EXPECT_NE(Run("list many").out.find("\tBB\t"), std::string::npos);
}

// Eight conversions into one directory at once: every one waits its turn and adds its security.
TEST_F(CliTest, EightConversionsAtOnce)
{
    ASSERT_EQ(Run("convert row.csv --dir out --symbol BASE --new-master --date-format MM_DD_YY").status, 0);
    std::string script = Shell() + "{ ";
    for (int i = 1; i <= 8; ++i)
    {
        std::string rows;
        for (int day = 10; day <= 28; ++day)
            rows += "02/" + std::to_string(day) + "/25,1,9,0," + std::to_string(i) + ",5,6\n";
        WriteText(m_dir / ("in" + std::to_string(i) + ".csv"), rows);
        script += "'" + std::string(TAVRIX_CLI) + "' convert in" + std::to_string(i) + ".csv --dir out --symbol S" +
                  std::to_string(i) + " --date-format MM_DD_YY & ";
    }
    EXPECT_EQ(std::system((script + "wait; } >/dev/null 2>&1").c_str()), 0);
    for (int i = 1; i <= 8; ++i) // each security with its own rows
        EXPECT_NE(Run("export out S" + std::to_string(i)).out.find(",0," + std::to_string(i) + ",5,6\n"),
                  std::string::npos);
    const std::string listed = Run("list out").out;
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 10);
}

// Many files at once, each its own conversion: a bad one does not stop the others. Then update, check, remove.
TEST_F(CliTest, ManyFilesUpdateRemoveAndCheck)
{
    WriteText(m_dir / "ibm.csv", "01/02/25,1,9,0,4,5,6\n01/03/25,1,9,0,4.5,5,6\n");
    WriteText(m_dir / "junk.csv", "no price lines here\n");
    WriteText(m_dir / "msft.txt", "01/06/25,1,9,0,4,5,6\n");
    WriteText(m_dir / "ibm2.csv", "01/03/25,1,9,0,4.5,5,6\n01/07/25,1,9,0,5,5,6\n");
    const std::string readAs = "Read as: comma-separated, no header, date=1 (MM_DD_YY), open=2, high=3, low=4, "
                               "close=5, volume=6, oi=7";
    EXPECT_EQ(
        Run("convert ibm.csv junk.csv msft.txt --dir out --new-master --date-format MM_DD_YY").All(),
        "1\nFile\tSymbol\tRecords\tFirst\tLast\tResult\n"
        "ibm.csv\tIBM\t2\t2025-01-02\t2025-01-03\tconverted\n"
        "junk.csv\tJUNK\t-\t-\t-\tfailed: The input cannot be read as it stands:\n"
        "msft.txt\tMSFT\t1\t2025-01-06\t2025-01-06\tconverted\n"
        "2 of 3 files converted into " +
            (m_dir / "out") + "\n" + readAs +
            "\njunk.csv: The input cannot be read as it stands:\njunk.csv: junk.csv\njunk.csv: No delimiter splits "
            "the rows into columns of numbers and dates; line 1: no price lines here\njunk.csv: Choose one with "
            "--delimiter comma, tab, semicolon, pipe or space.\n");
    // One file read: its reading is said under its name.
    EXPECT_NE(Run("convert msft.txt junk.csv --dir one --date-format MM_DD_YY").err.find("msft.txt: " + readAs),
              std::string::npos);
    EXPECT_EQ(Run("convert ibm.csv msft.txt --dir out --symbol X").status, 2);
    EXPECT_EQ(Run("convert - msft.txt --dir out").status, 2); // standard input has no name for a symbol

    EXPECT_EQ(Run("update ibm2.csv --dir out --symbol ibm --date-format MM_DD_YY").out,
              "IBM: 1 record added, 2025-01-07 to 2025-01-07; 1 row was already present\n");

    // Notes on field sets and long symbols, when converting and again by check.
    const std::string convert = "convert ibm.csv --dir out --date-format MM_DD_YY ";
    const auto note = [](const Result& result) { return result.err.substr(result.err.find("\n") + 1); };
    EXPECT_EQ(note(Run(convert + "--symbol FIVE --without open,oi")),
              "Note: the security holds date high low close volume; readers that go by the field count show \"date "
              "open high low close\" or refuse it.\n");
    EXPECT_EQ(note(Run(convert + "--symbol sixteen_chars_ab")),
              "Note: the symbol SIXTEEN_CHARS_AB has 16 characters; some readers show only the first 14, "
              "SIXTEEN_CHARS_.\n");
    EXPECT_EQ(Run("check out").out,
              "out/MASTER: note: record 3 (F3 'FIVE') holds date high low close volume (F3.DOP); "
              "readers that go by the field count show \"date open high low close\" or refuse it\n"
              "out/MASTER: note: record 4 (F4 'SIXTEEN_CHARS_AB'): the symbol has 16 characters; "
              "readers show 'SIXTEEN_CHARS_'\n4 securities in 1 directory: no problems, 2 notes\n");
    EXPECT_EQ(Run("remove out msft").All(), "0\nRemoved msft (F2) from " + (m_dir / "out") + "\n");
    EXPECT_EQ(Run("remove out msft").status, 1);
    WriteBytes(m_dir / "out/F9.DAT", Bytes(5, 0));
    EXPECT_EQ(Run("check out").status, 1);
}

// A key names the security whose symbol it is, before any whose name or first symbol word it is:
// CL is F3 though F1 is CL H25 and F2 is named CL, for a market file, export and remove alike.
TEST_F(CliTest, ASymbolThatIsTheKeyNamesItsSecurity)
{
    const std::string head = "Symbol,Name,Date,Open,High,Low,Close,Volume\n";
    WriteText(m_dir / "market.csv", head + "CL H25,Crude,2025-01-02,1,2,0.5,1,10\nZZZ,CL,2025-01-02,1,2,0.5,1,10\n"
                                           "CL,Crude,2025-01-02,1,2,0.5,2,10\n");
    WriteText(m_dir / "next.csv", head + "CL,Crude,2025-01-03,1,2,0.5,1.5,10\n");
    ASSERT_EQ(Run("convert market.csv --dir out --new-master").status, 0);
    EXPECT_NE(Run("update next.csv --dir out").out.find("\nCL\tadded\t1\t"), std::string::npos);
    EXPECT_EQ(Run("export out cl").out,
              "Date,Open,High,Low,Close,Volume\n2025-01-02,1,2,0.5,2,10\n2025-01-03,1,2,0.5,1.5,10\n");
    EXPECT_EQ(Run("remove out cl").out, "Removed cl (F3) from " + (m_dir / "out") + "\n");
    // With no symbol CL left, export takes the first that matches otherwise, and remove names both.
    EXPECT_EQ(Run("export out cl").out, "Date,Open,High,Low,Close,Volume\n2025-01-02,1,2,0.5,1,10\n");
    EXPECT_NE(Run("remove out cl").err.find("cl names 2 securities"), std::string::npos);
}

// A run killed at a random moment leaves MASTER as it was or listing the whole new security.
TEST_F(CliTest, KilledAtRandomMoments)
{
    std::string rows;
    for (int day = 1; day <= 20000; ++day)
        rows += DateOf(day) + ",1.5,2.5,0.5," + std::to_string(day) + ",100,7\n";
    WriteText(m_dir / "big.csv", rows);
    ASSERT_EQ(Run("convert row.csv --dir out --symbol BASE --new-master --date-format MM_DD_YY").status, 0);
    std::uint32_t seed = 12345;
    for (int attempt = 0; attempt < 12; ++attempt)
    {
        const std::string symbol = "K" + std::to_string(attempt);
        seed = seed * 1664525u + 1013904223u;
        RunProgram("convert big.csv --dir out --date-format CCYYMMDD --symbol " + symbol + " >/dev/null 2>&1 & sleep " +
                   std::to_string((seed >> 8) % 40000 / 1e6) + "; kill -KILL $! 2>/dev/null; wait");
        const Result list = Run("list out");
        const std::string exported = Run("export out " + symbol).out;
        ASSERT_EQ(list.status, 0) << list.err;
        const bool listed = list.out.find("\t" + symbol + "\t") != std::string::npos;
        EXPECT_EQ(std::count(exported.begin(), exported.end(), '\n'), listed ? 20001 : 0) << symbol;
    }
    // The next run clears what the killed ones left.
    EXPECT_EQ(Run("convert row.csv --dir out --symbol LAST --date-format MM_DD_YY").status, 0);
    for (const std::string& name : ListDir(m_dir / "out"))
        EXPECT_NE(name.rfind(".~tavrix-", 0), 0u) << name;
}

// A second conversion waits for the one holding the directory, and says so once.
TEST_F(CliTest, ASecondConversionWaitsAndSaysSo)
{
    const int fd = ::open((m_dir / "out").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    std::thread release([fd] { ::usleep(300000), ::close(fd); });
    const Result result = RunProgram("convert row.csv --dir out --symbol A --new-master --date-format MM_DD_YY");
    release.join();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err.rfind("Waiting for another job on " + (m_dir / "out") + " to finish...\nRead as: ", 0), 0u)
        << result.err;
}

// A vendor's securities in MASTER, only in XMASTER (in F<n>.MWD) and intraday; expected lines are from the raw bytes.
TEST_F(CliTest, ListsAndExportsVendorXmasterAndIntradaySecurities)
{
    const std::string fixture = std::string(TAVRIX_FIXTURES) + "/metastock-sample";
    ASSERT_TRUE(FileExists(fixture + "/Master")) << "vendor fixture missing: " << fixture << "/Master";
    const std::string daily = "Date,Open,High,Low,Close,Volume,OpenInterest\n";
    const std::string sevenFields = "\tDate Open High Low Close Volume OpenInterest\t";
    const std::tuple<std::string, const char*, std::string, std::string, std::string, long> cases[] = {
        {fixture, "a.s. roma", "F1\tASR\tA.S. ROMA" + sevenFields + "2010-01-04\t2010-07-09\t127\t",
         daily + "2010-01-04,0.8565,0.865,0.8495,0.8605,203038,0\n", "2010-07-09,1.01,1.026,0.9265,0.939,2956970,0\n",
         128},
        {fixture, "rcs mediagroup", "F257\tRCS\tRCS MEDIAGROUP" + sevenFields + "2010-01-04\t2010-07-09\t132\t",
         daily + "2010-01-04,1.279,1.279,1.254,1.279,745064,0\n", "2010-07-09,0.958,0.975,0.94,0.958,108929,0\n", 133},
        {fixture, "TMEAZA", "F462\tTMEAZA\tTMEAZA" + sevenFields + "2010-05-24\t2010-06-23\t14\t",
         daily + "2010-05-24,0.0981,0.215,0.0981,0.0981,1406928,0\n",
         "2010-06-23,0.0001,0.0001,0.0001,0.0001,4156900,0\n", 15},
        {fixture + "/Intraday", "fib30",
         "F1\tFIB30\tFIB30\tDate Time Open High Low Close Volume OpenInterest\t2003-01-02\t2003-07-04\t64885\t",
         "Date,Time,Open,High,Low,Close,Volume,OpenInterest\n2003-01-02,09:16:00,23785,23785,23785,23785,2,0\n",
         "2003-07-04,17:39:00,24905,24930,24905,24920,69,0\n", 64886},
    };
    for (const auto& [directory, key, listed, first, last, lines] : cases)
    {
        EXPECT_NE(Run("list '" + directory + "'").out.find(listed + directory + "/\n"), std::string::npos) << key;
        const Result exported = Run("export '" + directory + "' '" + key + "'");
        EXPECT_EQ(exported.out.rfind(first, 0), 0u) << key << ": " << exported.err;
        EXPECT_EQ(exported.out.size() - exported.out.rfind(last), last.size()) << key;
        EXPECT_EQ(std::count(exported.out.begin(), exported.out.end(), '\n'), lines) << key;
    }
    const std::string all = Run("list '" + fixture + "'").out;
    EXPECT_LT(all.find("\nF255\t"), all.find("\nF256\t"));

    // Without its price file, or with a bitset that has no date, an XMASTER security is listed but not exported.
    WriteBytes(m_dir / "out/MASTER", ReadBytes(fixture + "/Master"));
    Bytes xmaster = ReadBytes(fixture + "/Xmaster");
    xmaster[2 * 150 + 70] = 0x7E; // RCS
    WriteBytes(m_dir / "out/XMASTER", xmaster);
    EXPECT_NE(Run("list out").out.find("\nF256\tRCF\tRCF GROUP" + sevenFields + "2010-01-05\t2010-07-09\t-\t"),
              std::string::npos);
    for (const auto& [key, message] :
         {std::pair{"rcf", "1\nCannot read the prices of rcf in out/F256.MWD: "},
          std::pair{"rcs", "1\nCannot read the prices of rcs in out/F257.MWD: its records hold 6 fields, which this"}})
        EXPECT_EQ(Run(std::string("export out ") + key).All().rfind(message, 0), 0u) << key;

    // An XMASTER that cannot be read is named, never passed over.
    ::unlink((m_dir / "out/XMASTER").c_str());
    ASSERT_EQ(::mkfifo((m_dir / "out/XMASTER").c_str(), 0600), 0);
    const std::string unread = "1\nCannot read the XMASTER file out/XMASTER: not a regular file\n";
    EXPECT_EQ(Run("list out").All(), unread);
    EXPECT_EQ(Run("export out ASR").All(), unread);
}
