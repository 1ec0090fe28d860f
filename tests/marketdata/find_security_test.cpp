#include "marketdata/DirectoryWalk.h"
#include "marketdata/FindSecurity.h"
#include "marketdata/MasterReader.h"
#include "support/MasterFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <unistd.h>

using namespace tavrix;
using namespace testing_support;

namespace {
class FindSecurityTest : public ::testing::Test
{
protected:
    Status Find(const std::string& directory, const char* key)
    {
        m_found.clear();
        m_record.fill(0xEE);
        return FindSecurity(directory, key, m_record.data(), &m_found);
    }

    TempDir m_dir;
    MasterRecord m_record{};
    std::string m_found;
};
} // namespace

TEST_F(FindSecurityTest, EmptyOrMissingDirectoryFileIsNotFound)
{
    EXPECT_EQ(Find(m_dir.path(), "IBM"), kStatusFileNotFound);
    WriteBytes(m_dir / "MASTER", Bytes(kMasterRecordSize, 0));
    EXPECT_EQ(Find(m_dir.path(), "IBM"), kStatusFileNotFound);
    EXPECT_EQ(Find(m_dir / "nowhere", "IBM"), kStatusFileNotFound);
}

TEST_F(FindSecurityTest, FindsBySymbolOrNameInAnyLetterCaseAndFileNameCase)
{
    MasterRecord ibm = SecurityRecord(3, "IBM", "INTL BUSINESS");
    const MbfBytes date = ToMbf(1261206.0f);
    std::memcpy(&ibm[kRecFirstDate], date.data(), 4);
    std::memcpy(&ibm[kRecLastDate], date.data(), 4);
    WriteMaster(m_dir.path(), {SecurityRecord(1, "AAPL"), ibm}, "master");

    ASSERT_EQ(Find(m_dir.path(), "ibm"), kStatusOk);
    EXPECT_EQ(m_record[kRecFileNumber], 3);
    EXPECT_EQ(m_found, m_dir.path() + "/");
    // The two dates come back as IEEE singles.
    float first;
    std::memcpy(&first, &m_record[kRecFirstDate], 4);
    EXPECT_EQ(first, 1261206.0f);

    ASSERT_EQ(Find(m_dir.path() + "/", "Intl Business"), kStatusOk);
    EXPECT_EQ(m_found, m_dir.path() + "/");
    EXPECT_EQ(Find(m_dir.path(), "MSFT"), kStatusFileNotFound);
}

TEST_F(FindSecurityTest, RecordsBeyondTheHeaderCountAreNotVisited)
{
    WriteMaster(m_dir.path(), {SecurityRecord(1, "AAA"), SecurityRecord(2, "BBB")}, "MASTER", 1);
    EXPECT_EQ(Find(m_dir.path(), "AAA"), kStatusOk);
    EXPECT_EQ(Find(m_dir.path(), "BBB"), kStatusFileNotFound);
}

TEST_F(FindSecurityTest, SubdirectoriesAreSearchedAfterTheStartingFileInEntryOrder)
{
    // The same key in two sub-directories: the first entry's wins; start's own records come first.
    WriteMaster(m_dir.path(), {DirectoryRecord("ARCHIVE"), DirectoryRecord("OLD"), SecurityRecord(1, "TOP")});
    WriteMaster(m_dir / "archive", {SecurityRecord(7, "DUP"), SecurityRecord(8, "TOP")}, "Master");
    WriteMaster(m_dir / "OLD", {SecurityRecord(9, "DUP"), SecurityRecord(5, "DEEP")});

    ASSERT_EQ(Find(m_dir.path(), "TOP"), kStatusOk);
    EXPECT_EQ(m_record[kRecFileNumber], 1);
    ASSERT_EQ(Find(m_dir.path(), "dup"), kStatusOk);
    EXPECT_EQ(m_record[kRecFileNumber], 7);
    EXPECT_EQ(m_found, m_dir.path() + "/archive/");
    ASSERT_EQ(Find(m_dir.path(), "DEEP"), kStatusOk);
    EXPECT_EQ(m_found, m_dir.path() + "/OLD/");
    EXPECT_EQ(Find(m_dir.path(), "NONE"), kStatusFileNotFound);

    std::vector<ListedSecurity> listed;
    ASSERT_EQ(ListSecurities(m_dir.path(), &listed), kStatusOk);
    std::vector<int> numbers;
    for (const auto& security : listed)
        numbers.push_back(security.record[kRecFileNumber]);
    EXPECT_EQ(numbers, (std::vector<int>{1, 7, 8, 9, 5}));
}

TEST_F(FindSecurityTest, DirectoryEntriesThatLeadBackEndTheWalk)
{
    // ".", "..", a link back up, two entries for one folder and a missing folder.
    WriteMaster(m_dir.path(), {DirectoryRecord("."), DirectoryRecord(".."), DirectoryRecord("SUB"),
                               DirectoryRecord("SUB"), DirectoryRecord("GONE")});
    WriteMaster(m_dir / "SUB", {DirectoryRecord("UP"), DirectoryRecord("SELF"), SecurityRecord(1, "X")});
    ASSERT_EQ(::symlink("..", (m_dir / "SUB/UP").c_str()), 0);
    ASSERT_EQ(::symlink(".", (m_dir / "SUB/SELF").c_str()), 0);

    EXPECT_EQ(Find(m_dir.path(), "NONE"), kStatusFileNotFound);
    ASSERT_EQ(Find(m_dir.path(), "X"), kStatusOk);
    EXPECT_EQ(m_found, m_dir.path() + "/SUB/");
    std::vector<ListedSecurity> listed;
    ASSERT_EQ(ListSecurities(m_dir.path(), &listed), kStatusOk);
    EXPECT_EQ(listed.size(), 1u);
}

TEST_F(FindSecurityTest, NestingDeeperThanTheWalkTextStops)
{
    // A chain of folders each leading to the next: the walk goes as deep as its text allows.
    std::string path = m_dir.path();
    int depth = 0;
    while (path.size() < 400)
    {
        WriteMaster(path, {DirectoryRecord("DEEPER"), SecurityRecord(1, "L" + std::to_string(depth))});
        path += "/DEEPER";
        ++depth;
    }
    EXPECT_EQ(Find(m_dir.path(), "NONE"), kStatusFileNotFound);
    EXPECT_EQ(Find(m_dir.path(), "L3"), kStatusOk);
    const int reachable = static_cast<int>((kMaxWalkDirectory - m_dir.path().size() - 1) / 7);
    EXPECT_EQ(Find(m_dir.path(), ("L" + std::to_string(reachable)).c_str()), kStatusOk);
    EXPECT_LE(m_found.size(), kMaxWalkDirectory);
    EXPECT_EQ(Find(m_dir.path(), ("L" + std::to_string(reachable + 1)).c_str()), kStatusFileNotFound);
    EXPECT_EQ(Find(std::string(400, 'x'), "L0"), kStatusInvalidParm);
}

TEST_F(FindSecurityTest, ARecordThatVanishesWhileMovingOnToEntriesGivesReadError)
{
    WriteMaster(m_dir.path(), {DirectoryRecord("A"), DirectoryRecord("B")});
    WriteMaster(m_dir / "A", {SecurityRecord(1, "X")});
    WriteMaster(m_dir / "B", {SecurityRecord(2, "Y")});
    const std::string top = m_dir / "MASTER";
    // Cut the top file while the walk is inside A, so the return to it finds a record missing.
    const auto cutTop = [&](const std::string& masterPath) {
        if (masterPath.find("/A/") != std::string::npos)
            ::truncate(top.c_str(), kMasterRecordSize + 10);
    };
    EXPECT_EQ(FindSecurity(m_dir.path(), "Y", m_record.data(), nullptr, cutTop), kStatusFileRead);

    // A header that counts past its records is read as the listing reads it, also on the way back.
    WriteMaster(m_dir.path(), {DirectoryRecord("A")}, "MASTER", 2);
    EXPECT_EQ(FindSecurity(m_dir.path(), "NONE", m_record.data()), kStatusFileNotFound);
    EXPECT_EQ(FindSecurity(m_dir.path(), "X", m_record.data()), kStatusOk);
}

TEST_F(FindSecurityTest, DamagedDirectoryFilesNeverReadPastTheirEnd)
{
    const struct
    {
        const char* what;
        Bytes bytes;
        Status status;
    } cases[] = {
        {"empty file", Bytes{}, kStatusFileNotFound},
        {"cut header", Bytes(20, 0x01), kStatusFileNotFound},
        {"counter 0xFFFF", MasterBytes({SecurityRecord(1, "IBM")}, -1), kStatusFileNotFound},
        {"counter above the records, key present", MasterBytes({SecurityRecord(1, "IBM")}, 32767), kStatusOk},
        {"counter above the records, key absent", MasterBytes({SecurityRecord(1, "AAA")}, 32767), kStatusFileNotFound},
        {"garbage", Bytes(53 * 40 + 17, 0xFF), kStatusFileNotFound},
    };
    for (const auto& c : cases)
    {
        WriteBytes(m_dir / "MASTER", c.bytes);
        EXPECT_EQ(Find(m_dir.path(), "IBM"), c.status) << c.what;
    }

    // Pseudo-random bytes, including random <DIR> entries, must end in a defined status.
    std::uint32_t seed = 12345;
    for (int round = 0; round < 200; ++round)
    {
        Bytes bytes(static_cast<std::size_t>(round * 7 % 600));
        for (auto& b : bytes)
        {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<std::uint8_t>(seed >> 16);
        }
        if (bytes.size() > 53 + 23 && round % 3 == 0)
            std::memcpy(&bytes[53 + kRecDirMarker], "<DIR>", 5);
        WriteBytes(m_dir / "MASTER", bytes);
        const Status status = Find(m_dir.path(), "IBM");
        EXPECT_TRUE(status == kStatusOk || status == kStatusFileNotFound || status == kStatusFileRead) << round;
    }
}

TEST_F(FindSecurityTest, FindsInTheVendorDirectory)
{
    const std::string fixture = std::string(TAVRIX_FIXTURES) + "/metastock-sample";
    ASSERT_TRUE(FileExists(fixture + "/Master")) << "vendor fixture missing: " << fixture << "/Master";
    ASSERT_EQ(Find(fixture, "asr"), kStatusOk);
    EXPECT_EQ(m_record[kRecFileNumber], 1);
    ASSERT_EQ(Find(fixture, "A.S. ROMA"), kStatusOk);
    EXPECT_EQ(m_record[kRecFileNumber], 1);
    EXPECT_EQ(Find(fixture, "NOT THERE"), kStatusFileNotFound);
}
