#include "marketdata/Dates.h"
#include "marketdata/MasterReader.h"
#include "support/MasterFiles.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace tavrix;
using namespace testing_support;

TEST(MasterRecord, AcmeCorpAddedOnSixthDecember2026AndKeysThatMatch)
{
    NewSecurity acme{1, 6, "ACME CORP", "ACME"};
    acme.firstDate = acme.lastDate = DayToDateValue(ParseDateText("12/06/26", 3));
    const MasterRecord record = BuildSecurityRecord(acme);
    EXPECT_EQ(Hex(Bytes(record.begin(), record.end())), "01 00 65 18 06 00 00 "
                                                        "41 43 4d 45 20 43 4f 52 50 20 20 20 20 20 20 20 "
                                                        "00 00 b0 f4 19 95 b0 f4 19 95 44 00 00 "
                                                        "41 43 4d 45 20 20 20 20 20 20 20 20 20 20 20 20 00");

    // A key is the whole name or as many leading words of the symbol, in any letter case; an empty key equals an
    // empty name. Symbols are cut at 16 characters and the record's last byte stays 0.
    const std::tuple<const char*, const char*, const char*, bool> cases[] = {
        {"ibm", "IBM", "", true},      {"IBM", "XYZ", "IBM", true},        {"IBM", "IBM X", "", true},
        {"IBM X", "IBM", "", false},   {"BRK A", "BRK A CLASS", "", true}, {"BRK", "BRK A", "", true},
        {"BRK B", "BRK A", "", false}, {"IB", "IBM", "", false},           {"ACME CORP", "ACME", "acme corp", true},
        {"", "IBM", "", true}};
    for (const auto& [key, symbol, name, matches] : cases)
        EXPECT_EQ(RecordMatchesKey(SecurityRecord(1, symbol, name).data(), key), matches) << key;
    EXPECT_TRUE(RecordMatchesKey(SecurityRecord(1, "ABCDEFGHIJKLMNOPQRST").data(), "abcdefghijklmnop"));

    // A <DIR> entry needs a name: eleven spaces then <DIR> is a security.
    EXPECT_FALSE(IsDirectoryEntry(DirectoryRecord("").data()));
    EXPECT_FALSE(IsDirectoryEntry(SecurityRecord(1, "IBM", "IBM <DIR>").data()));
}

// Missing, shorter than the header, and a cut-off last record, which is no record.
TEST(MasterReader, ShortMissingAndCutFiles)
{
    TempDir dir;
    MasterHeader header{};
    std::vector<MasterRecord> records;
    EXPECT_EQ(ReadMasterFile(dir / "MASTER", &header, &records), kStatusFileOpen);
    WriteBytes(dir / "MASTER", Bytes(52, 0));
    EXPECT_EQ(ReadMasterFile(dir / "MASTER", &header, &records), kStatusFileRead);
    WriteBytes(dir / "MASTER", Bytes(2 * kMasterRecordSize + 20, 0x41)); // whatever the header counts
    ASSERT_EQ(ReadMasterFile(dir / "MASTER", &header, &records), kStatusOk);
    EXPECT_EQ(records.size(), 1u);
}
