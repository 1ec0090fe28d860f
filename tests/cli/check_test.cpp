#include "cli/CheckCommand.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using namespace testing_support;

namespace {
struct Checked
{
    int status = -1;
    std::string out;
    std::string err;
};

Checked Check(const std::string& dir)
{
    std::ostringstream out;
    std::ostringstream err;
    Checked checked;
    checked.status = tavrix::cli::RunCheck(dir, out, err);
    checked.out = out.str();
    checked.err = err.str();
    return checked;
}

// Every file of a directory with its bytes, to show that a check changed nothing.
std::string Snapshot(const std::string& dir)
{
    std::string all;
    for (const std::string& name : ListDir(dir))
        all += name + "\n" + Hex(ReadBytes(dir + "/" + name)) + "\n";
    return all;
}
} // namespace

TEST(CheckCommand, VendorSampleIsSound)
{
    const std::string sample = std::string(TAVRIX_FIXTURES) + "/metastock-sample";
    const Checked daily = Check(sample);
    EXPECT_EQ(daily.status, 0);
    EXPECT_EQ(daily.out, "462 securities in 1 directory: no problems, 0 notes\n");
    const Checked intraday = Check(sample + "/Intraday");
    EXPECT_EQ(intraday.status, 0);
    EXPECT_EQ(intraday.out, "1 security in 1 directory: no problems, 0 notes\n");
}

TEST(CheckCommand, WhatTheConverterWritesIsSoundAndStaysUnchanged)
{
    TempDir temp;
    const std::string dir = temp / "out";
    MakeDir(dir);
    WriteText(temp / "in.csv", "Date,Open,High,Low,Close,Volume,OI\n01/02/2025,10,11,9,10.5,1000,5\n"
                               "01/03/2025,10.5,12,10,11,1200,6\n01/06/2025,11,11.5,10,10.25,900,7\n");
    const std::string convert = "XDG_CONFIG_HOME='" + (temp / "config") + "' '" + TAVRIX_CLI + "' convert '" +
                                (temp / "in.csv") + "' --dir '" + dir + "' --date-format MM_DD_CCYY --skip 1 ";
    for (const char* options : {"--symbol ALL --new-master", "--symbol SIX --without oi",
                                "--symbol FIVE --without open,oi", "--symbol SIXTEEN_CHARS_AB"})
        ASSERT_EQ(std::system((convert + options + " >/dev/null 2>&1").c_str()), 0) << options;

    const std::string before = Snapshot(dir);
    const Checked checked = Check(dir);
    EXPECT_EQ(checked.status, 0) << checked.out;
    EXPECT_EQ(checked.out,
              dir +
                  "/MASTER: note: record 3 (F3 'FIVE') holds date high low close volume (F3.DOP); readers that go "
                  "by the field count show \"date open high low close\" or refuse it\n" +
                  dir +
                  "/MASTER: note: record 4 (F4 'SIXTEEN_CHARS_AB'): the symbol has 16 characters; readers "
                  "show 'SIXTEEN_CHARS_'\n"
                  "4 securities in 1 directory: no problems, 2 notes\n");
    EXPECT_EQ(Snapshot(dir), before);

    // A problem makes the exit status 1; a path that is no directory is bad usage.
    WriteBytes(dir + "/F3.DAT", Bytes(20, 0));
    const Checked broken = Check(dir);
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.out.find("F3.DAT: the header's count word is 0, the file holds 0 records (count word 1)"),
              std::string::npos)
        << broken.out;
    EXPECT_NE(broken.out.find(": 1 problem, 2 notes\n"), std::string::npos) << broken.out;
    const Checked missing = Check(temp / "nothing");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "check: " + (temp / "nothing") + " is no directory\n");
}
