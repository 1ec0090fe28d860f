#include "marketdata/Dates.h"
#include "marketdata/Master.h"
#include "marketdata/MasterReader.h"
#include "marketdata/TextUtil.h"
#include "support/MasterFiles.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tavrix;
using namespace testing_support;

TEST(MasterRecord, AcmeCorpAddedOnSixthDecember2026)
{
    NewSecurity acme;
    acme.fileNumber = 1;
    acme.fieldCount = 6;
    acme.name = "ACME CORP";
    acme.symbol = "ACME";
    acme.firstDate = acme.lastDate = DayToDateValue(ParseDateText("12/06/26", 3));
    const MasterRecord record = BuildSecurityRecord(acme);

    const std::string expected = "01 00 65 18 06 00 00 "
                                 "41 43 4d 45 20 43 4f 52 50 20 20 20 20 20 20 20 "
                                 "00 00 b0 f4 19 95 b0 f4 19 95 44 00 00 "
                                 "41 43 4d 45 20 20 20 20 20 20 20 20 20 20 20 20 00";
    EXPECT_EQ(Hex(Bytes(record.begin(), record.end())), Hex(FromHex(expected)));

    Bytes header(kMasterRecordSize, 0);
    WriteMasterHeader(header.data(), {1, 1});
    std::string expectedHeader = "01 00 01 00";
    for (int i = 0; i < 49; ++i)
        expectedHeader += " 00";
    EXPECT_EQ(Hex(header), expectedHeader);
}

TEST(MasterRecord, LongTextsAreCutAndShortOnesFilled)
{
    NewSecurity security;
    security.fileNumber = 255;
    security.fieldCount = 7;
    security.symbol = "ABCDEFGHIJKLMNOPQRST";
    const MasterRecord record = BuildSecurityRecord(security);
    EXPECT_EQ(std::string(record.begin() + kRecSymbol, record.begin() + kRecSymbol + 16), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(std::string(record.begin() + kRecName, record.begin() + kRecName + 16), std::string(16, ' '));
    EXPECT_EQ(record[kRecRecordLength], 28);
    EXPECT_EQ(record[52], 0);
}

TEST(MasterRecord, DirectoryEntriesAndTheirNames)
{
    const MasterRecord archive = DirectoryRecord("ARCHIVE");
    EXPECT_TRUE(IsDirectoryEntry(archive.data()));
    EXPECT_EQ(DirectoryEntryName(archive.data()), "ARCHIVE");

    MasterRecord blank = DirectoryRecord("");
    EXPECT_FALSE(IsDirectoryEntry(blank.data())); // eleven spaces then <DIR>: a security
    EXPECT_FALSE(IsDirectoryEntry(SecurityRecord(1, "IBM", "IBM <DIR>").data()));
}

TEST(MasterRecord, KeyMatchesNameOrLeadingSymbolWords)
{
    const struct
    {
        const char* key;
        const char* symbol;
        const char* name;
        bool matches;
    } cases[] = {
        {"ibm", "IBM", "", true},
        {"IBM", "XYZ", "IBM", true},
        {"IBM", "IBM X", "", true},
        {"IBM X", "IBM", "", false},
        {"BRK A", "BRK A CLASS", "", true},
        {"BRK", "BRK A", "", true},
        {"BRK B", "BRK A", "", false},
        {"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP", "", true},
        {"IB", "IBM", "", false},
        {"ACME CORP", "ACME", "acme corp", true},
        {"", "IBM", "", true}, // an empty key equals an empty name
    };
    for (const auto& c : cases)
    {
        const MasterRecord record = SecurityRecord(1, c.symbol, c.name);
        EXPECT_EQ(RecordMatchesKey(record.data(), c.key), c.matches) << c.key << " / " << c.symbol;
    }
}

TEST(TextFunctions, CountTrimAndWordPrefix)
{
    EXPECT_EQ(CountChar("BRK A B", ' '), 2);
    EXPECT_EQ(CountChar("", ' '), 0);
    char text[] = "IBM   ";
    EXPECT_EQ(TrimTrailingSpaces(text), 3);
    EXPECT_STREQ(text, "IBM");
    char spaces[] = "    ";
    TrimTrailingSpaces(spaces);
    EXPECT_STREQ(spaces, "");
    EXPECT_EQ(WordPrefixLength("BRK A CLASS", ' ', 1), 3);
    EXPECT_EQ(WordPrefixLength("BRK A CLASS", ' ', 2), 5);
    EXPECT_EQ(WordPrefixLength("BRK A CLASS", ' ', 3), 11);
    EXPECT_EQ(WordPrefixLength("", ' ', 1), 0);
}

TEST(MasterReader, ReadsAVendorWrittenDirectoryFile)
{
    const std::string fixture = std::string(TAVRIX_FIXTURES) + "/metastock-sample/Master";
    ASSERT_TRUE(FileExists(fixture)) << "vendor fixture missing: " << fixture;
    MasterHeader header{};
    std::vector<MasterRecord> records;
    ASSERT_EQ(ReadMasterFile(fixture, &header, &records), kStatusOk);
    EXPECT_EQ(header.count, 255);
    EXPECT_EQ(header.count2, 255);
    ASSERT_EQ(records.size(), 255u);
    EXPECT_EQ(records[0][kRecFileNumber], 1);
    EXPECT_EQ(RecordSymbol(records[0].data()), "ASR");
    EXPECT_EQ(RecordName(records[0].data()), "A.S. ROMA");
    EXPECT_EQ(records[0][kRecFieldCount], 7);
    EXPECT_EQ(records[0][kRecPeriod], 'D');
    EXPECT_EQ(FromMbf(&records[0][kRecFirstDate]), 1100104.0f);
    for (std::size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(records[i][kRecFileNumber], i + 1);
}

TEST(MasterReader, ShortAndMissingFilesAreReported)
{
    TempDir dir;
    MasterHeader header{};
    std::vector<MasterRecord> records;
    EXPECT_EQ(ReadMasterFile(dir / "MASTER", &header, &records), kStatusFileOpen);
    WriteBytes(dir / "MASTER", Bytes(52, 0));
    EXPECT_EQ(ReadMasterFile(dir / "MASTER", &header, &records), kStatusFileRead);
    Bytes withTail = MasterBytes({SecurityRecord(1, "A")});
    withTail.resize(withTail.size() + 20, 0x41);
    WriteBytes(dir / "MASTER", withTail);
    ASSERT_EQ(ReadMasterFile(dir / "MASTER", &header, &records), kStatusOk);
    EXPECT_EQ(records.size(), 1u); // a cut-off last record is not a record
}
