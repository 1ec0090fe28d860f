#include "cli/CheckCommand.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace testing_support;

namespace {
// The exit status of a check, then what it printed to standard output and to standard error.
std::string Check(const std::string& dir)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = tavrix::cli::RunCheck(dir, out, err);
    return std::to_string(status) + "\n" + out.str() + err.str();
}
} // namespace

// What vendors write is sound, and a check changes nothing; a path that is no directory is bad usage.
TEST(CheckCommand, VendorSampleIsSoundAndStaysUnchanged)
{
    const std::string sample = std::string(TAVRIX_FIXTURES) + "/metastock-sample";
    ASSERT_TRUE(FileExists(sample + "/Master")) << "vendor fixture missing: " << sample << "/Master";
    const std::map<std::string, std::string> before = SnapshotDir(sample);
    EXPECT_EQ(Check(sample), "0\n462 securities in 1 directory: no problems, 0 notes\n");
    EXPECT_EQ(Check(sample + "/Intraday"), "0\n1 security in 1 directory: no problems, 0 notes\n");
    EXPECT_EQ(SnapshotDir(sample), before);
    EXPECT_EQ(Check(sample + "/F1.DAT"), "2\ncheck: " + sample + "/F1.DAT is no directory\n");
}
