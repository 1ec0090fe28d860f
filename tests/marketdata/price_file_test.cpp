#include "marketdata/Dates.h"
#include "marketdata/FieldLayout.h"
#include "marketdata/PriceFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tavrix;
using namespace testing_support;

namespace {
const std::array<int, kFieldCount> kAllFields = {1, 1, 1, 1, 1, 1, 1};
}

TEST(PriceFile, HeaderOfANewFileAndItsCount)
{
    std::vector<std::uint8_t> header = MakePriceFileHeader(5);
    EXPECT_EQ(Hex(header), "00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00");
    SetPriceFileRecordCount(header.data(), 250);
    EXPECT_EQ(PriceFileCountWord(header.data()), 251);
    EXPECT_EQ(Hex(header).substr(0, 11), "00 00 fb 00");
    SetPriceFileRecordCount(header.data(), kMaxPriceRecords);
    EXPECT_EQ(PriceFileCountWord(header.data()), 65535);
}

TEST(PriceFile, RecordOfOneInputLineFromLibraryFunctions)
{
    // 01/03/00,100.5,101.25,99.75,100.0,12000 with open interest off.
    std::array<MbfBytes, kFieldCount> values{};
    values[kFieldDate] = DayToDateValue(ParseDateText("01/03/00", 3));
    const char* texts[] = {"100.5", "101.25", "99.75", "100.0", "12000"};
    for (int field = kFieldOpen; field <= kFieldVolume; ++field)
        values[field] = ToMbf(std::strtof(texts[field - 1], nullptr));
    std::uint8_t record[28];
    EXPECT_EQ(Hex(Bytes(record, record + BuildPriceRecord(values, {1, 1, 1, 1, 1, 1, 0}, record))),
              "70 2a 74 94 00 00 49 87 00 80 4a 87 00 80 47 87 00 00 48 87 00 80 3b 8e");

    // Switched-off fields leave no gap: date, high, low, close is 16 bytes in that order.
    EXPECT_EQ(Hex(Bytes(record, record + BuildPriceRecord(values, {1, 0, 1, 1, 1, 0, 0}, record))),
              "70 2a 74 94 00 80 4a 87 00 80 47 87 00 00 48 87");
}

TEST(FieldLayoutFile, AllSevenFieldsIsEightyOneBytes)
{
    TempDir dir;
    ASSERT_EQ(WriteFieldLayoutFile(dir / "F1.DOP", kAllFields), kStatusOk);
    const std::string text = ReadText(dir / "F1.DOP");
    EXPECT_EQ(text, "\"DATE\",0,0\r\n\"OPEN\",4,4\r\n\"HIGH\",4,4\r\n\"LOW\",4,4\r\n"
                    "\"CLOSE\",4,4\r\n\"VOL\",4,4\r\n\"OI\",4,4\r\n");
    EXPECT_EQ(text.size(), 81u);

    std::vector<Field> fields;
    ASSERT_EQ(ReadFieldLayoutFile(dir / "F1.DOP", &fields), kStatusOk);
    EXPECT_EQ(fields, DefaultFieldsForCount(7));
}

TEST(FieldLayoutFile, ReplacesAnOlderFileAndWritesOnlyFieldsSwitchedOn)
{
    TempDir dir;
    WriteText(dir / "F2.DOP", std::string(500, 'x'));
    ASSERT_EQ(WriteFieldLayoutFile(dir / "F2.DOP", {1, 0, 0, 0, 1, 0, 0}), kStatusOk);
    EXPECT_EQ(ReadText(dir / "F2.DOP"), "\"DATE\",0,0\r\n\"CLOSE\",4,4\r\n");

    std::vector<Field> fields;
    ASSERT_EQ(ReadFieldLayoutFile(dir / "F2.DOP", &fields), kStatusOk);
    EXPECT_EQ(fields, (std::vector<Field>{kFieldDate, kFieldClose}));
    WriteText(dir / "F3.DOP", "\"DATE\",0,0\r\n\"PRICE\",4,4\r\n");
    EXPECT_EQ(ReadFieldLayoutFile(dir / "F3.DOP", &fields), kStatusInvalidParm);
}

TEST(FieldLayoutFile, UnwritablePlaceIsReportedNotWrittenThrough)
{
    TempDir dir;
    WriteText(dir / "file", "a regular file where a folder should be");
    EXPECT_EQ(WriteFieldLayoutFile(dir / "file/F1.DOP", kAllFields), kStatusFileOpen);
    if (FileExists("/dev/full"))
    {
        EXPECT_EQ(WriteFieldLayoutFile("/dev/full", kAllFields), kStatusFileWrite);
    }
}

TEST(PriceFile, ReadsAVendorWrittenPriceFile)
{
    const std::string fixture = std::string(TAVRIX_FIXTURES) + "/metastock-sample/F1.DAT";
    ASSERT_TRUE(FileExists(fixture)) << "vendor fixture missing: " << fixture;
    PriceFileContents contents;
    ASSERT_EQ(ReadPriceFile(fixture, DefaultFieldsForCount(7), &contents), kStatusOk);
    EXPECT_EQ(contents.countWord, 128);
    ASSERT_EQ(contents.rows.size(), 127u);
    EXPECT_EQ(contents.trailingBytes, 0u);
    EXPECT_EQ(contents.rows[0].values[kFieldDate], 1100104.0f);
    for (const PriceRow& row : contents.rows)
    {
        EXPECT_LE(row.values[kFieldLow], row.values[kFieldHigh]);
        EXPECT_LE(row.values[kFieldLow], row.values[kFieldClose]);
        EXPECT_LE(row.values[kFieldClose], row.values[kFieldHigh]);
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
    std::vector<std::uint8_t> bytes = MakePriceFileHeader(2);
    const MbfBytes one = ToMbf(1.0f);
    bytes.insert(bytes.end(), one.begin(), one.end());
    bytes.insert(bytes.end(), one.begin(), one.end());
    bytes.insert(bytes.end(), {1, 2, 3});
    WriteBytes(dir / "F1.DAT", bytes);
    ASSERT_EQ(ReadPriceFile(dir / "F1.DAT", DefaultFieldsForCount(2), &contents), kStatusOk);
    ASSERT_EQ(contents.rows.size(), 1u);
    EXPECT_EQ(contents.rows[0].values[kFieldClose], 1.0f);
    EXPECT_EQ(contents.trailingBytes, 3u);
}
