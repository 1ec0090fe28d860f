#include "marketdata/FieldLayout.h"
#include "marketdata/PriceFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace tavrix;
using namespace testing_support;

// Written bytes, and files read back up to their last whole record.
TEST(PriceFile, HeaderAndRecordBytesAndCutFiles)
{
    std::vector<std::uint8_t> header = MakePriceFileHeader(5); // the count word counts the header too
    SetPriceFileRecordCount(header.data(), kMaxPriceRecords);
    EXPECT_EQ(Hex(header).substr(0, 11), "00 00 ff ff");
    EXPECT_EQ(PriceFileCountWord(header.data()), 65535);

    // A record of 01/03/00,100.5,101.25,99.75,100.0,12000 with open interest off: 24 bytes.
    const std::array<MbfBytes, kFieldCount> values = {ToMbf(1000103), ToMbf(100.5f), ToMbf(101.25f),
                                                      ToMbf(99.75f),  ToMbf(100),    ToMbf(12000)};
    std::uint8_t record[28];
    EXPECT_EQ(Hex(Bytes(record, record + BuildPriceRecord(values, {1, 1, 1, 1, 1, 1, 0}, record))),
              "70 2a 74 94 00 00 49 87 00 80 4a 87 00 80 47 87 00 00 48 87 00 80 3b 8e");
    // Switched-off fields leave no gap: date, high, low, close is 16 bytes in that order.
    EXPECT_EQ(Hex(Bytes(record, record + BuildPriceRecord(values, {1, 0, 1, 1, 1, 0, 0}, record))),
              "70 2a 74 94 00 80 4a 87 00 80 47 87 00 00 48 87");

    TempDir dir;
    PriceFileContents contents;
    EXPECT_EQ(ReadPriceFile(dir / "none.DAT", DefaultFieldsForCount(2), &contents), kStatusFileOpen);
    WriteBytes(dir / "F1.DAT", {0, 0, 1});
    EXPECT_EQ(ReadPriceFile(dir / "F1.DAT", DefaultFieldsForCount(2), &contents), kStatusFileRead);
    // The header, one record of date 1.0 and close 1.0, and three bytes of a second.
    WriteBytes(dir / "F1.DAT", FromHex("00 00 01 00 00 00 01 00 00 00 00 81 00 00 00 81 01 02 03"));
    ASSERT_EQ(ReadPriceFile(dir / "F1.DAT", DefaultFieldsForCount(2), &contents), kStatusOk);
    ASSERT_EQ(contents.rows.size(), 1u);
    EXPECT_EQ(contents.rows[0].values[kFieldClose], 1.0f);
    EXPECT_EQ(contents.trailingBytes, 3u);
}

// All seven fields is 81 bytes; only the fields switched on are listed, and an older, longer file is replaced whole.
TEST(FieldLayoutFile, WrittenReadBackAndRefused)
{
    TempDir dir;
    std::vector<Field> fields;
    ASSERT_EQ(WriteFieldLayoutFile(dir / "F1.DOP", {1, 1, 1, 1, 1, 1, 1}), kStatusOk);
    EXPECT_EQ(ReadText(dir / "F1.DOP"), "\"DATE\",0,0\r\n\"OPEN\",4,4\r\n\"HIGH\",4,4\r\n\"LOW\",4,4\r\n"
                                        "\"CLOSE\",4,4\r\n\"VOL\",4,4\r\n\"OI\",4,4\r\n");
    ASSERT_EQ(ReadFieldLayoutFile(dir / "F1.DOP", &fields), kStatusOk);
    EXPECT_EQ(fields, DefaultFieldsForCount(7));
    WriteText(dir / "F2.DOP", std::string(500, 'x'));
    ASSERT_EQ(WriteFieldLayoutFile(dir / "F2.DOP", {1, 0, 0, 0, 0, 0, 1}), kStatusOk);
    EXPECT_EQ(ReadText(dir / "F2.DOP"), "\"DATE\",0,0\r\n\"OI\",4,4\r\n");
    ASSERT_EQ(ReadFieldLayoutFile(dir / "F2.DOP", &fields), kStatusOk);
    EXPECT_EQ(fields, (std::vector<Field>{kFieldDate, kFieldOpenInterest})); // not what two fields mean by default

    WriteText(dir / "F3.DOP", "\"DATE\",0,0\r\n\"PRICE\",4,4\r\n");
    EXPECT_EQ(ReadFieldLayoutFile(dir / "F3.DOP", &fields), kStatusInvalidParm);
    // An unwritable place is reported, not written through.
    WriteText(dir / "file", "a regular file where a folder should be");
    EXPECT_EQ(WriteFieldLayoutFile(dir / "file/F1.DOP", {1, 1, 1, 1, 1, 1, 1}), kStatusFileOpen);
    EXPECT_EQ(WriteFieldLayoutFile("/dev/full", {1, 1, 1, 1, 1, 1, 1}), kStatusFileWrite);
}
