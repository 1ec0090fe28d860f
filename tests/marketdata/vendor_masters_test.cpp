#include "marketdata/Emaster.h"
#include "marketdata/FieldLayout.h"
#include "marketdata/MasterReader.h"
#include "marketdata/Xmaster.h"
#include "support/MasterFiles.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tavrix;
using namespace testing_support;

namespace {
const std::string kSample = std::string(TAVRIX_FIXTURES) + "/metastock-sample";

struct Sample
{
    MasterHeader header{};
    std::vector<MasterRecord> master;
    EmasterFile emaster;
};

Sample ReadSample()
{
    Sample sample;
    EXPECT_EQ(ReadMasterFile(kSample + "/Master", &sample.header, &sample.master), kStatusOk);
    EXPECT_EQ(ReadEmasterFile(kSample + "/Emaster", &sample.emaster), kStatusOk);
    return sample;
}

std::string HexAt(const EmasterRecord& record, int offset)
{
    return Hex(Bytes(record.begin() + offset, record.begin() + offset + 4));
}
} // namespace

TEST(Emaster, SampleRecordsRebuiltFromMasterAreByteIdentical)
{
    const Sample sample = ReadSample();
    ASSERT_EQ(sample.emaster.records.size(), 255u);
    ASSERT_EQ(sample.master.size(), 255u);
    for (std::size_t i = 0; i < sample.master.size(); ++i)
    {
        // The long name is the one thing MASTER does not hold (one record has one).
        const EmasterRecord& vendor = sample.emaster.records[i];
        const EmasterRecord built = BuildEmasterRecord(sample.master[i], EmasterLongName(vendor));
        EXPECT_EQ(Hex(Bytes(built.begin(), built.end())), Hex(Bytes(vendor.begin(), vendor.end()))) << i + 1;
    }
    EXPECT_EQ(EmasterBytes(sample.emaster), ReadBytes(kSample + "/Emaster"));

    // Long names only over 16 characters and only when they begin with MASTER's name.
    MasterRecord acme = SecurityRecord(9, "ACME", "ACME CORPORATION");
    EXPECT_EQ(EmasterLongName(BuildEmasterRecord(acme, "ACME CORPORATION HOLDINGS")), "ACME CORPORATION HOLDINGS");
    EXPECT_EQ(EmasterLongName(BuildEmasterRecord(acme, "ACME CORPORATION")), "");
    EXPECT_EQ(EmasterLongName(BuildEmasterRecord(acme, "OTHER CORPORATION HOLDINGS")), "");

    // An update sets both IEEE dates and the int32 first date.
    EmasterRecord updated = BuildEmasterRecord(acme);
    SetEmasterDates(&updated, ToMbf(1091231.0f), ToMbf(1100104.0f));
    EXPECT_EQ(HexAt(updated, kEmFirstDateLong), "5f 91 32 01"); // 20091231
    EXPECT_EQ(HexAt(updated, kEmLastDate), "40 4a 86 49");      // IEEE 1100104, as the sample holds it
}

TEST(Emaster, EachDisagreementWithMasterIsNamed)
{
    const Sample sample = ReadSample();
    EXPECT_EQ(CompareEmasterWithMaster(sample.emaster, sample.header, sample.master), std::vector<std::string>{});

    const std::pair<const char*, std::function<void(Sample&)>> cases[] = {
        {"255 records, MASTER 254", [](Sample& s) { s.master.pop_back(); }},
        {"header counters 254/255", [](Sample& s) { s.emaster.header[0] = 254; }},
        {"record 1 (F1 ASR in MASTER) has file number 2", [](Sample& s) { s.emaster.records[0][kEmFileNumber] = 2; }},
        {"symbol 'ASX'", [](Sample& s) { s.emaster.records[0][kEmSymbol + 2] = 'X'; }},
        {"name 'A.S. ROMA'", [](Sample& s) { s.master[0][kRecName + 9] = 'X'; }},
        {"field count 7 with 6 field bits", [](Sample& s) { s.emaster.records[0][kEmFieldBits] = 0x3F; }},
        {"period 'I'", [](Sample& s) { s.emaster.records[0][kEmPeriod] = 'I'; }},
        {"interval 1", [](Sample& s) { s.emaster.records[0][kEmInterval] = 1; }},
        {"first date", [](Sample& s) { s.master[0][kRecFirstDate] ^= 1; }},
        {"last date", [](Sample& s) { s.emaster.records[0][kEmLastDate + 3] = 0x95; }}, // MBF, not IEEE
        {"long name 'B.S. ROMA CALCIO' not beginning with the name",
         [](Sample& s) {
             const std::string name = "B.S. ROMA CALCIO";
             std::copy(name.begin(), name.end(), s.emaster.records[0].begin() + kEmLongName);
         }},
    };
    for (const auto& [expected, change] : cases)
    {
        Sample changed = sample;
        change(changed);
        const auto differences = CompareEmasterWithMaster(changed.emaster, changed.header, changed.master);
        ASSERT_EQ(differences.size(), 1u) << expected;
        EXPECT_NE(differences[0].find(expected), std::string::npos) << differences[0];
    }
}

TEST(Xmaster, SampleSecuritiesAboveTwoHundredFiftyFive)
{
    XmasterFile file;
    ASSERT_EQ(ReadXmasterFile(kSample + "/Xmaster", &file), kStatusOk);
    EXPECT_TRUE(HasXmasterSignature(file.header));
    EXPECT_EQ(XmasterNextNumber(file.header), 463);

    std::vector<XmasterSecurity> securities;
    ASSERT_EQ(ReadXmasterSecurities(kSample, &securities), kStatusOk); // found as "Xmaster"
    ASSERT_EQ(securities.size(), 207u);
    const XmasterSecurity& first = securities.front();
    EXPECT_EQ(first.fileNumber, 256);
    EXPECT_EQ(first.priceFile, "F256.MWD");
    EXPECT_EQ(first.symbol + "|" + first.name + "|" + first.period, "RCF|RCF GROUP|D");
    EXPECT_EQ(first.fields, DefaultFieldsForCount(7));
    EXPECT_EQ(first.firstDate, 20100105); // its first record's date
    EXPECT_EQ(securities.back().fileNumber, 462);

    // Bit 80 is a time after the date; high, low and close alone are 0E.
    XmasterRecord record{};
    record[70] = 0xFF;
    EXPECT_TRUE(DecodeXmasterRecord(record).hasTime);
    EXPECT_EQ(DecodeXmasterRecord(record).fieldCount, 8);
    EXPECT_EQ(FieldsFromBits(0x0E), (std::vector<Field>{kFieldHigh, kFieldLow, kFieldClose}));

    TempDir dir;
    EXPECT_EQ(ReadXmasterSecurities(dir.path(), &securities), kStatusFileNotFound);
    WriteBytes(dir / "XMASTER", Bytes(149, 0));
    EXPECT_EQ(ReadXmasterSecurities(dir.path(), &securities), kStatusFileRead);
}
