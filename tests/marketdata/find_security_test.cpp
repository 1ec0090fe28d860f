#include "marketdata/DirectoryTree.h"
#include "marketdata/FindSecurity.h"
#include "marketdata/Securities.h"
#include "support/MasterFiles.h"

#include <gtest/gtest.h>

#include <tuple>
#include <unistd.h>

using namespace tavrix;
using namespace testing_support;

namespace {
class FindSecurityTest : public ::testing::Test
{
protected:
    // "7 in /archive/": the file number found for `key` and where, below the test directory; else the status.
    std::string Where(const std::string& key, const std::string& below = "")
    {
        std::string found;
        MasterRecord record{};
        const Status status = FindSecurity(m_dir.path() + below, key.c_str(), record.data(), &found);
        return status == kStatusFileNotFound ? "none"
               : status != kStatusOk
                   ? "refused"
                   : std::to_string(record[kRecFileNumber]) + " in " + found.substr(m_dir.path().size());
    }

    TempDir m_dir;
};
} // namespace

// The starting file's own records come first, then each sub-directory in entry order, each entered
// once: ".", "..", links back up, a second entry for one folder and a missing folder lead nowhere.
// A symbol that is the key is found before any name or leading symbol words, wherever it is.
TEST_F(FindSecurityTest, SubdirectoriesInEntryOrderAndEntriesThatLeadBack)
{
    WriteMaster(m_dir.path(), {DirectoryRecord("ARCHIVE"), DirectoryRecord("."), DirectoryRecord(".."),
                               DirectoryRecord("OLD"), DirectoryRecord("OLD"), DirectoryRecord("GONE"),
                               SecurityRecord(1, "TOP"), SecurityRecord(2, "DUP X"), SecurityRecord(3, "ZZZ", "DEEP")});
    WriteMaster(m_dir / "archive", {SecurityRecord(7, "DUP"), SecurityRecord(8, "TOP"), DirectoryRecord("UP")},
                "Master");
    WriteMaster(m_dir / "OLD", {SecurityRecord(9, "DUP"), SecurityRecord(5, "DEEP"), DirectoryRecord("SELF")});
    ASSERT_EQ(::symlink("..", (m_dir / "archive/UP").c_str()), 0);
    ASSERT_EQ(::symlink(".", (m_dir / "OLD/SELF").c_str()), 0);
    EXPECT_EQ(Where("TOP") + ", " + Where("dup") + ", " + Where("DEEP") + ", " + Where("NONE") + ", " + Where("zzz") +
                  ", " + Where("dup x"),
              "1 in /, 7 in /archive/, 5 in /OLD/, none, 3 in /, 2 in /");

    std::vector<Security> listed;
    ASSERT_EQ(ListSecurities(m_dir.path(), &listed), "");
    std::string numbers;
    for (const auto& security : listed)
        numbers += std::to_string(security.fileNumber) + " ";
    EXPECT_EQ(numbers, "1 2 3 7 8 9 5 ");
}

// A chain of folders each leading to the next: the walk goes as deep as its text allows.
TEST_F(FindSecurityTest, NestingDeeperThanTheWalkTextStops)
{
    std::string path = m_dir.path();
    for (int depth = 0; path.size() < 400; ++depth, path += "/DEEPER")
        WriteMaster(path, {DirectoryRecord("DEEPER"), SecurityRecord(1, "L" + std::to_string(depth))});
    const std::size_t reachable = (kMaxWalkDirectory - m_dir.path().size() - 1) / 7;
    EXPECT_EQ(Where("L" + std::to_string(reachable)).size(), 6 + 7 * reachable); // "1 in /DEEPER/DEEPER/..."
    EXPECT_EQ(Where("L" + std::to_string(reachable + 1)), "none");
    EXPECT_EQ(Where("L0", "/" + std::string(400, 'x')), "refused");
}

// Random bytes and <DIR> trees are left to the fuzzer; these are the damages seen in the field. Each MASTER is
// read whole once, so a file cut while the walk is below it changes nothing; a header counting past its records
// is cut.
TEST_F(FindSecurityTest, MissingAndDamagedDirectoryFilesNeverReadPastTheirEnd)
{
    EXPECT_EQ(Where("IBM") + ", " + Where("IBM", "/nowhere"), "none, none");
    WriteMaster(m_dir / "A", {SecurityRecord(1, "X")});
    WriteMaster(m_dir.path(), {DirectoryRecord("A")}, "MASTER", 2);
    EXPECT_EQ(Where("NONE") + ", " + Where("X"), "none, 1 in /A/");

    const std::tuple<const char*, Bytes, const char*> cases[] = {
        {"cut header", Bytes(20, 0x01), "none"},
        {"counter 0xFFFF", MasterBytes({SecurityRecord(1, "IBM")}, -1), "none"},
        {"counter 1, key in record 2", MasterBytes({SecurityRecord(1, "A"), SecurityRecord(2, "IBM")}, 1), "none"},
        {"counter past the records", MasterBytes({SecurityRecord(1, "IBM")}, 32767), "1 in /"},
        {"counter past the records, no key", MasterBytes({SecurityRecord(1, "AAA")}, 32767), "none"},
        {"garbage", Bytes(53 * 40 + 17, 0xFF), "none"}, // a header of -1 and a cut record
    };
    for (const auto& [what, bytes, where] : cases)
    {
        WriteBytes(m_dir / "MASTER", bytes);
        EXPECT_EQ(Where("IBM"), where) << what;
    }
}
