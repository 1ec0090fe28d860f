#include "marketdata/DirectoryWalk.h"
#include "marketdata/FindSecurity.h"
#include "marketdata/MasterReader.h"
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
    Status Find(const std::string& directory, const std::string& key)
    {
        m_found.clear();
        m_record.fill(0xEE);
        return FindSecurity(directory, key.c_str(), m_record.data(), &m_found);
    }

    // "7 in /archive/": the file number found for `key` and where, below the test directory.
    std::string Where(const std::string& key)
    {
        if (Find(m_dir.path(), key) != kStatusOk)
            return "not found";
        return std::to_string(m_record[kRecFileNumber]) + " in " + m_found.substr(m_dir.path().size());
    }

    TempDir m_dir;
    MasterRecord m_record{};
    std::string m_found;
};
} // namespace

// The starting file's own records come first, then each sub-directory in entry order, each entered
// once: ".", "..", links back up, a second entry for one folder and a missing folder lead nowhere.
TEST_F(FindSecurityTest, SubdirectoriesInEntryOrderAndEntriesThatLeadBack)
{
    WriteMaster(m_dir.path(),
                {DirectoryRecord("ARCHIVE"), DirectoryRecord("."), DirectoryRecord(".."), DirectoryRecord("OLD"),
                 DirectoryRecord("OLD"), DirectoryRecord("GONE"), SecurityRecord(1, "TOP")});
    WriteMaster(m_dir / "archive", {SecurityRecord(7, "DUP"), SecurityRecord(8, "TOP"), DirectoryRecord("UP")},
                "Master");
    WriteMaster(m_dir / "OLD", {SecurityRecord(9, "DUP"), SecurityRecord(5, "DEEP"), DirectoryRecord("SELF")});
    ASSERT_EQ(::symlink("..", (m_dir / "archive/UP").c_str()), 0);
    ASSERT_EQ(::symlink(".", (m_dir / "OLD/SELF").c_str()), 0);

    EXPECT_EQ(Where("TOP"), "1 in /");
    EXPECT_EQ(Where("dup"), "7 in /archive/");
    EXPECT_EQ(Where("DEEP"), "5 in /OLD/");
    EXPECT_EQ(Where("NONE"), "not found");

    std::vector<ListedSecurity> listed;
    ASSERT_EQ(ListSecurities(m_dir.path(), &listed), kStatusOk);
    std::vector<int> numbers;
    for (const auto& security : listed)
        numbers.push_back(security.record[kRecFileNumber]);
    EXPECT_EQ(numbers, (std::vector<int>{1, 7, 8, 9, 5}));
}

TEST_F(FindSecurityTest, NestingDeeperThanTheWalkTextStops)
{
    // A chain of folders each leading to the next: the walk goes as deep as its text allows.
    std::string path = m_dir.path();
    for (int depth = 0; path.size() < 400; ++depth, path += "/DEEPER")
        WriteMaster(path, {DirectoryRecord("DEEPER"), SecurityRecord(1, "L" + std::to_string(depth))});
    const int reachable = static_cast<int>((kMaxWalkDirectory - m_dir.path().size() - 1) / 7);
    EXPECT_EQ(Find(m_dir.path(), "L" + std::to_string(reachable)), kStatusOk);
    EXPECT_LE(m_found.size(), kMaxWalkDirectory);
    EXPECT_EQ(Find(m_dir.path(), "L" + std::to_string(reachable + 1)), kStatusFileNotFound);
    EXPECT_EQ(Find(std::string(400, 'x'), "L0"), kStatusInvalidParm);
}

// On the way back from a sub-directory: a record gone is a read error, a header counting past its records is cut.
TEST_F(FindSecurityTest, RecordsMissingOnTheWayBack)
{
    WriteMaster(m_dir.path(), {DirectoryRecord("A"), DirectoryRecord("B")});
    WriteMaster(m_dir / "A", {SecurityRecord(1, "X")});
    WriteMaster(m_dir / "B", {SecurityRecord(2, "Y")});
    const auto cutTop = [this](const std::string& masterPath) {
        if (masterPath.find("/A/") != std::string::npos)
            ::truncate((m_dir / "MASTER").c_str(), kMasterRecordSize + 10);
    };
    EXPECT_EQ(FindSecurity(m_dir.path(), "Y", m_record.data(), nullptr, cutTop), kStatusFileRead);
    WriteMaster(m_dir.path(), {DirectoryRecord("A")}, "MASTER", 2);
    EXPECT_EQ(Where("NONE"), "not found");
    EXPECT_EQ(Where("X"), "1 in /A/");
}

// Random bytes and <DIR> trees are left to the fuzzer; these are the damages seen in the field.
TEST_F(FindSecurityTest, MissingAndDamagedDirectoryFilesNeverReadPastTheirEnd)
{
    EXPECT_EQ(Find(m_dir.path(), "IBM"), kStatusFileNotFound);
    EXPECT_EQ(Find(m_dir / "nowhere", "IBM"), kStatusFileNotFound);
    const std::tuple<const char*, Bytes, Status> cases[] = {
        {"cut header", Bytes(20, 0x01), kStatusFileNotFound},
        {"counter 0xFFFF", MasterBytes({SecurityRecord(1, "IBM")}, -1), kStatusFileNotFound},
        {"counter 1, key in record 2", MasterBytes({SecurityRecord(1, "A"), SecurityRecord(2, "IBM")}, 1),
         kStatusFileNotFound},
        {"counter past the records", MasterBytes({SecurityRecord(1, "IBM")}, 32767), kStatusOk},
        {"counter past the records, no key", MasterBytes({SecurityRecord(1, "AAA")}, 32767), kStatusFileNotFound},
        {"garbage", Bytes(53 * 40 + 17, 0xFF), kStatusFileNotFound}, // a header of -1 and a cut record
    };
    for (const auto& [what, bytes, status] : cases)
    {
        WriteBytes(m_dir / "MASTER", bytes);
        EXPECT_EQ(Find(m_dir.path(), "IBM"), status) << what;
    }
}
