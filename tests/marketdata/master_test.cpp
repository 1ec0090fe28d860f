#include "marketdata/Dates.h"
#include "marketdata/DirectoryTree.h"
#include "support/MasterFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace tavrix;
using namespace testing_support;

TEST(MasterRecord, AcmeCorpAddedOnSixthDecember2026AndKeysThatMatch)
{
    NewSecurity acme{1, 6, "ACME CORP", "ACME"};
    acme.firstDate = acme.lastDate = DayToDateValue(MakeDayNumber(2026, 12, 6));
    const MasterRecord record = BuildSecurityRecord(acme);
    EXPECT_EQ(Hex(Bytes(record.begin(), record.end())), "01 00 65 18 06 00 00 "
                                                        "41 43 4d 45 20 43 4f 52 50 20 20 20 20 20 20 20 "
                                                        "00 00 b0 f4 19 95 b0 f4 19 95 44 00 00 "
                                                        "41 43 4d 45 20 20 20 20 20 20 20 20 20 20 20 20 00");

    // A key is the whole name or as many leading words of the symbol, in any letter case (Latin-1 letters too); an
    // empty key equals an empty name. Symbols are cut at 16 characters and the record's last byte stays 0.
    const std::tuple<const char*, const char*, const char*, bool> cases[] = {{"ibm", "IBM", "", true},
                                                                             {"IBM", "XYZ", "IBM", true},
                                                                             {"IBM", "IBM X", "", true},
                                                                             {"IBM X", "IBM", "", false},
                                                                             {"BRK A", "BRK A CLASS", "", true},
                                                                             {"BRK", "BRK A", "", true},
                                                                             {"BRK B", "BRK A", "", false},
                                                                             {"IB", "IBM", "", false},
                                                                             {"ACME CORP", "ACME", "acme corp", true},
                                                                             {"", "IBM", "", true},
                                                                             {"\xe0\xe9\xee", "\xc0\xc9\xce", "", true},
                                                                             {"\xdf", "\xff", "", false}};
    for (const auto& [key, symbol, name, matches] : cases)
        EXPECT_EQ(RecordMatchesKey(SecurityRecord(1, symbol, name).data(), key), matches) << key;
    EXPECT_TRUE(RecordMatchesKey(SecurityRecord(1, "ABCDEFGHIJKLMNOPQRST").data(), "abcdefghijklmnop"));

    // A <DIR> entry needs a name: eleven spaces then <DIR> is a security.
    EXPECT_FALSE(IsDirectoryEntry(DirectoryRecord("").data()));
    EXPECT_FALSE(IsDirectoryEntry(SecurityRecord(1, "IBM", "IBM <DIR>").data()));
}

// Missing, shorter than the header, a cut-off last record (no record), and files that are no MASTER
// at all: a FIFO (read without waiting for a writer), a link to an endless device, a huge file.
TEST(MasterReader, ShortMissingCutAndHostileFiles)
{
    TempDir dir;
    MasterFile file;
    EXPECT_NE(ReadMasterFile(dir / "MASTER", &file), "");
    WriteBytes(dir / "MASTER", Bytes(52, 0));
    EXPECT_EQ(ReadMasterFile(dir / "MASTER", &file), "shorter than its 53-byte header");
    WriteBytes(dir / "MASTER", Bytes(2 * kMasterRecordSize + 20, 0x41)); // whatever the header counts
    ASSERT_EQ(ReadMasterFile(dir / "MASTER", &file), "");
    EXPECT_EQ(file.records.size(), 1u);
    EXPECT_EQ(file.extraBytes, 20u);

    ASSERT_EQ(::mkfifo((dir / "FIFO").c_str(), 0600), 0);
    EXPECT_EQ(ReadMasterFile(dir / "FIFO", &file), "not a regular file");
    ASSERT_EQ(::symlink("/dev/zero", (dir / "ZERO").c_str()), 0);
    EXPECT_EQ(ReadMasterFile(dir / "ZERO", &file), "not a regular file");
    ASSERT_EQ(::truncate((dir / "MASTER").c_str(), 1 << 30), 0);
    EXPECT_EQ(ReadMasterFile(dir / "MASTER", &file).rfind("larger than any sound file", 0), 0u);
    EXPECT_TRUE(file.records.empty());
}
