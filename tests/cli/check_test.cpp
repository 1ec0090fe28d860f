#include "cli/CheckCommand.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace testing_support;

// What vendors write is sound, and a check changes nothing; a path that is no directory is bad usage.
TEST(CheckCommand, VendorSampleIsSoundAndStaysUnchanged)
{
    const std::string sample = std::string(TAVRIX_FIXTURES) + "/metastock-sample";
    ASSERT_TRUE(FileExists(sample + "/Master")) << "vendor fixture missing: " << sample << "/Master";
    const auto check = [](const std::string& dir) { // the exit status, then standard output and error
        std::ostringstream out, err;
        const int status = tavrix::cli::RunCheck(dir, out, err);
        return std::to_string(status) + "\n" + out.str() + err.str();
    };
    const std::map<std::string, std::string> before = SnapshotDir(sample);
    EXPECT_EQ(check(sample), "0\n462 securities in 1 directory: no problems, 0 notes\n");
    EXPECT_EQ(check(sample + "/Intraday"), "0\n1 security in 1 directory: no problems, 0 notes\n");
    EXPECT_EQ(SnapshotDir(sample), before);
    EXPECT_EQ(check(sample + "/F1.DAT"), "2\ncheck: " + sample + "/F1.DAT is no directory\n");
}
