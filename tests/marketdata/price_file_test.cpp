#include "marketdata/FieldLayout.h"
#include "marketdata/PriceFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace tavrix;
using namespace testing_support;

namespace {
RecordLayout LayoutOf(std::vector<Field> fields, bool hasTime = false)
{
    RecordLayout layout;
    layout.fields = std::move(fields);
    layout.hasTime = hasTime;
    layout.fieldCount = static_cast<int>(layout.fields.size()) + hasTime;
    return layout;
}
} // namespace

// Written bytes, and files read back up to their last whole record.
TEST(PriceFile, HeaderAndRecordBytesAndCutFiles)
{
    std::vector<std::uint8_t> header = MakePriceFileHeader(5); // the count word counts the header too
    SetPriceFileRecordCount(header.data(), kMaxPriceRecords);
    EXPECT_EQ(Hex(header).substr(0, 11), "00 00 ff ff");
    EXPECT_EQ(PriceFileCountWord(header.data()), 65535);

    // A record of 01/03/00,100.5,101.25,99.75,100.0,12000 with open interest off: 24 bytes.
    PriceBar bar{MakeDayNumber(2000, 1, 3), -1, {0, 100.5f, 101.25f, 99.75f, 100, 12000, 77}};
    Bytes record;
    AppendPriceRecord(LayoutOf({kFieldDate, kFieldOpen, kFieldHigh, kFieldLow, kFieldClose, kFieldVolume}), bar,
                      &record);
    EXPECT_EQ(Hex(record), "70 2a 74 94 00 00 49 87 00 80 4a 87 00 80 47 87 00 00 48 87 00 80 3b 8e");
    // Fields left out leave no gap: date, high, low, close is 16 bytes in that order; a time follows the date.
    record.clear();
    AppendPriceRecord(LayoutOf({kFieldDate, kFieldHigh, kFieldLow, kFieldClose}), bar, &record);
    EXPECT_EQ(Hex(record), "70 2a 74 94 00 80 4a 87 00 80 47 87 00 00 48 87");
    bar.time = 93500;
    record.clear();
    AppendPriceRecord(LayoutOf({kFieldDate, kFieldClose}, true), bar, &record);
    EXPECT_EQ(Hex(record), "70 2a 74 94 00 9e 36 91 00 00 48 87");

    TempDir dir;
    PriceFileContents contents;
    const RecordLayout dateClose = DefaultLayoutForCount(2);
    EXPECT_NE(ReadPriceFile(dir / "none.DAT", dateClose, &contents), "");
    WriteBytes(dir / "F1.DAT", {0, 0, 1});
    EXPECT_EQ(ReadPriceFile(dir / "F1.DAT", dateClose, &contents), "shorter than its 8-byte header record");
    // The header, one record of date 1.0 and close 1.0, and three bytes of a second.
    WriteBytes(dir / "F1.DAT", FromHex("00 00 01 00 00 00 01 00 00 00 00 81 00 00 00 81 01 02 03"));
    ASSERT_EQ(ReadPriceFile(dir / "F1.DAT", dateClose, &contents), "");
    ASSERT_EQ(contents.bars.size(), 1u);
    EXPECT_EQ(contents.bars[0].values[kFieldClose], 1.0f);
    EXPECT_EQ(contents.trailingBytes, 3u);
}

// All seven fields is 81 bytes; only the fields given are listed. A MASTER security's layout is its F<n>.DOP's
// when that names as many fields as MASTER counts, else the usual one for the count.
TEST(FieldLayoutFile, WrittenReadBackAndTakenOnlyWhenItFits)
{
    EXPECT_EQ(FieldLayoutText(DefaultLayoutForCount(7).fields),
              "\"DATE\",0,0\r\n\"OPEN\",4,4\r\n\"HIGH\",4,4\r\n\"LOW\",4,4\r\n"
              "\"CLOSE\",4,4\r\n\"VOL\",4,4\r\n\"OI\",4,4\r\n");
    TempDir dir;
    WriteText(dir / "F2.DOP", FieldLayoutText({kFieldDate, kFieldOpenInterest}));
    std::vector<Field> fields;
    ASSERT_EQ(ReadFieldLayoutFile(dir / "F2.DOP", &fields), "");
    EXPECT_EQ(fields, (std::vector<Field>{kFieldDate, kFieldOpenInterest})); // not what two fields mean by default
    WriteText(dir / "F3.DOP", "\"DATE\",0,0\r\n\"PRICE\",4,4\r\n");
    EXPECT_EQ(ReadFieldLayoutFile(dir / "F3.DOP", &fields), "a line names no field");

    MasterRecord two{};
    two[kRecFileNumber] = 2;
    two[kRecFieldCount] = 2;
    EXPECT_EQ(MasterRecordLayout(dir.path(), two).fields, (std::vector<Field>{kFieldDate, kFieldOpenInterest}));
    two[kRecFileNumber] = 3; // an unreadable layout file
    EXPECT_EQ(MasterRecordLayout(dir.path(), two).fields, (std::vector<Field>{kFieldDate, kFieldClose}));
    MasterRecord eight = two;
    eight[kRecFieldCount] = 8;
    EXPECT_TRUE(MasterRecordLayout(dir.path(), eight).hasTime);
    EXPECT_EQ(MasterRecordLayout(dir.path(), eight).IndexOf(kFieldOpen), 2);
}
