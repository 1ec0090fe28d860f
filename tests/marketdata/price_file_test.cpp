#include "marketdata/Dates.h"
#include "marketdata/FieldLayout.h"
#include "marketdata/PriceFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace tavrix;
using namespace testing_support;

TEST(PriceFile, HeaderAndRecordBytes)
{
    std::vector<std::uint8_t> header = MakePriceFileHeader(5);
    EXPECT_EQ(Hex(header), "00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00");
    SetPriceFileRecordCount(header.data(), 250);
    EXPECT_EQ(Hex(header).substr(0, 11), "00 00 fb 00");
    SetPriceFileRecordCount(header.data(), kMaxPriceRecords);
    EXPECT_EQ(PriceFileCountWord(header.data()), 65535);

    // A record of 01/03/00,100.5,101.25,99.75,100.0,12000 with open interest off.
    std::array<MbfBytes, kFieldCount> values{};
    values[kFieldDate] = DayToDateValue(ParseDateText("01/03/00", 3));
    const float prices[] = {100.5f, 101.25f, 99.75f, 100.0f, 12000.0f};
    for (int field = kFieldOpen; field <= kFieldVolume; ++field)
        values[field] = ToMbf(prices[field - 1]);
    std::uint8_t record[28];
    EXPECT_EQ(Hex(Bytes(record, record + BuildPriceRecord(values, {1, 1, 1, 1, 1, 1, 0}, record))),
              "70 2a 74 94 00 00 49 87 00 80 4a 87 00 80 47 87 00 00 48 87 00 80 3b 8e");
    // Switched-off fields leave no gap: date, high, low, close is 16 bytes in that order.
    EXPECT_EQ(Hex(Bytes(record, record + BuildPriceRecord(values, {1, 0, 1, 1, 1, 0, 0}, record))),
              "70 2a 74 94 00 80 4a 87 00 80 47 87 00 00 48 87");
}

TEST(FieldLayoutFile, AllSevenFieldsIsEightyOneBytesAndOnlyFieldsSwitchedOnAreListed)
{
    TempDir dir;
    ASSERT_EQ(WriteFieldLayoutFile(dir / "F1.DOP", {1, 1, 1, 1, 1, 1, 1}), kStatusOk);
    const std::string text = ReadText(dir / "F1.DOP");
    EXPECT_EQ(text, "\"DATE\",0,0\r\n\"OPEN\",4,4\r\n\"HIGH\",4,4\r\n\"LOW\",4,4\r\n"
                    "\"CLOSE\",4,4\r\n\"VOL\",4,4\r\n\"OI\",4,4\r\n");
    EXPECT_EQ(text.size(), 81u);
    std::vector<Field> fields;
    ASSERT_EQ(ReadFieldLayoutFile(dir / "F1.DOP", &fields), kStatusOk);
    EXPECT_EQ(fields, DefaultFieldsForCount(7));

    // An older, longer file is replaced whole.
    WriteText(dir / "F2.DOP", std::string(500, 'x'));
    ASSERT_EQ(WriteFieldLayoutFile(dir / "F2.DOP", {1, 0, 0, 0, 1, 0, 0}), kStatusOk);
    EXPECT_EQ(ReadText(dir / "F2.DOP"), "\"DATE\",0,0\r\n\"CLOSE\",4,4\r\n");
    ASSERT_EQ(ReadFieldLayoutFile(dir / "F2.DOP", &fields), kStatusOk);
    EXPECT_EQ(fields, (std::vector<Field>{kFieldDate, kFieldClose}));
    WriteText(dir / "F3.DOP", "\"DATE\",0,0\r\n\"PRICE\",4,4\r\n");
    EXPECT_EQ(ReadFieldLayoutFile(dir / "F3.DOP", &fields), kStatusInvalidParm);

    // An unwritable place is reported, not written through.
    WriteText(dir / "file", "a regular file where a folder should be");
    EXPECT_EQ(WriteFieldLayoutFile(dir / "file/F1.DOP", {1, 1, 1, 1, 1, 1, 1}), kStatusFileOpen);
    if (FileExists("/dev/full"))
    {
        EXPECT_EQ(WriteFieldLayoutFile("/dev/full", {1, 1, 1, 1, 1, 1, 1}), kStatusFileWrite);
    }
}

TEST(PriceFile, CutFilesAreReadUpToTheirLastWholeRecord)
{
    TempDir dir;
    EXPECT_EQ(ReadPriceFile(dir / "none.DAT", DefaultFieldsForCount(2), nullptr), kStatusInvalidParm);
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
