#include "marketdata/Emaster.h"
#include "marketdata/FindSecurity.h"
#include "marketdata/MasterReader.h"
#include "marketdata/Xmaster.h"
#include "support/MasterFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace tavrix;
using namespace testing_support;

namespace {
const std::string kSample = std::string(TAVRIX_FIXTURES) + "/metastock-sample";

// The MASTER, EMASTER and XMASTER a vendor wrote for 462 securities.
class VendorMasters : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"/Master", "/Emaster", "/Xmaster"})
            ASSERT_TRUE(FileExists(kSample + name)) << "vendor fixture missing: " << kSample << name;
        ASSERT_EQ(ReadMasterFile(kSample + "/Master", &m_header, &m_master), kStatusOk);
        ASSERT_EQ(ReadEmasterFile(kSample + "/Emaster", &m_emaster), kStatusOk);
    }

    MasterHeader m_header{};
    std::vector<MasterRecord> m_master;
    EmasterFile m_emaster;
};
} // namespace

TEST_F(VendorMasters, MasterIsReadAndSearchedAndEmasterRebuiltFromItByteForByte)
{
    ASSERT_EQ(m_master.size(), 255u);
    EXPECT_EQ(RecordSymbol(m_master[0].data()) + "|" + RecordName(m_master[0].data()), "ASR|A.S. ROMA");
    MasterRecord found{}; // the search gives its dates as IEEE singles
    ASSERT_EQ(FindSecurity(kSample, "a.s. roma", found.data()), kStatusOk);
    EXPECT_EQ(Hex(Bytes(&found[kRecFirstDate], &found[kRecFirstDate + 4])), "40 4a 86 49"); // 1100104
    ASSERT_EQ(m_emaster.records.size(), 255u);
    for (std::size_t i = 0; i < m_master.size(); ++i)
    {
        EXPECT_EQ(m_master[i][kRecFileNumber], i + 1);
        // The long name is the one thing MASTER does not hold (one record has one).
        const EmasterRecord& vendor = m_emaster.records[i];
        const EmasterRecord built = BuildEmasterRecord(m_master[i], EmasterLongName(vendor));
        EXPECT_EQ(Hex(Bytes(built.begin(), built.end())), Hex(Bytes(vendor.begin(), vendor.end()))) << i + 1;
    }
    EXPECT_EQ(EmasterBytes(m_emaster), ReadBytes(kSample + "/Emaster"));

    // Long names only over 16 characters and only when they begin with MASTER's name.
    MasterRecord acme = SecurityRecord(9, "ACME", "ACME CORPORATION");
    EXPECT_EQ(EmasterLongName(BuildEmasterRecord(acme, "ACME CORPORATION HOLDINGS")), "ACME CORPORATION HOLDINGS");
    EXPECT_EQ(EmasterLongName(BuildEmasterRecord(acme, "ACME CORPORATION")), "");
    EXPECT_EQ(EmasterLongName(BuildEmasterRecord(acme, "OTHER CORPORATION HOLDINGS")), "");

    // An update sets both IEEE dates and the int32 first date.
    EmasterRecord updated = BuildEmasterRecord(acme);
    SetEmasterDates(&updated, ToMbf(1091231.0f), ToMbf(1100104.0f));
    EXPECT_EQ(Hex(Bytes(&updated[kEmFirstDateLong], &updated[kEmFirstDateLong + 4])), "5f 91 32 01"); // 20091231
    EXPECT_EQ(Hex(Bytes(&updated[kEmLastDate], &updated[kEmLastDate + 4])), "40 4a 86 49");           // IEEE 1100104
}

TEST_F(VendorMasters, EachDisagreementOfEmasterWithMasterIsNamed)
{
    EXPECT_EQ(CompareEmasterWithMaster(m_emaster, m_header, m_master), std::vector<std::string>{});
    using Change = std::function<void(EmasterFile&, std::vector<MasterRecord>&)>;
    const std::pair<const char*, Change> cases[] = {
        {"255 records, MASTER 254", [](auto&, auto& m) { m.pop_back(); }},
        {"header counters 254/255", [](auto& e, auto&) { e.header[0] = 254; }},
        {"record 1 (F1 ASR in MASTER) has file number 2", [](auto& e, auto&) { e.records[0][kEmFileNumber] = 2; }},
        {"symbol 'ASX'", [](auto& e, auto&) { e.records[0][kEmSymbol + 2] = 'X'; }},
        {"name 'A.S. ROMA'", [](auto&, auto& m) { m[0][kRecName + 9] = 'X'; }},
        {"field count 7 with 6 field bits", [](auto& e, auto&) { e.records[0][kEmFieldBits] = 0x3F; }},
        {"period 'I'", [](auto& e, auto&) { e.records[0][kEmPeriod] = 'I'; }},
        {"interval 1", [](auto& e, auto&) { e.records[0][kEmInterval] = 1; }},
        {"first date", [](auto&, auto& m) { m[0][kRecFirstDate] ^= 1; }},
        {"last date", [](auto& e, auto&) { e.records[0][kEmLastDate + 3] = 0x95; }}, // MBF, not IEEE
        {"long name 'B.S. ROMA CALCIO' not beginning with the name",
         [](auto& e, auto&) { std::memcpy(&e.records[0][kEmLongName], "B.S. ROMA CALCIO", 16); }},
    };
    for (const auto& [expected, change] : cases)
    {
        EmasterFile emaster = m_emaster;
        std::vector<MasterRecord> master = m_master;
        change(emaster, master);
        const auto differences = CompareEmasterWithMaster(emaster, m_header, master);
        ASSERT_EQ(differences.size(), 1u) << expected;
        EXPECT_NE(differences[0].find(expected), std::string::npos) << differences[0];
    }
}

TEST_F(VendorMasters, XmasterListsTheSecuritiesAboveTwoHundredFiftyFive)
{
    std::vector<XmasterSecurity> securities;
    ASSERT_EQ(ReadXmasterSecurities(kSample, &securities), kStatusOk); // found as "Xmaster"
    ASSERT_EQ(securities.size(), 207u);
    EXPECT_EQ(securities.front().priceFile + " " + securities.back().priceFile, "F256.MWD F462.MWD");
    // Bit 80 is a time after the date, which counts as a field: 8E is high, low, close and the time.
    XmasterRecord record{};
    record[70] = 0x8E;
    EXPECT_EQ(DecodeXmasterRecord(record).fieldCount, 4);
    TempDir dir;
    EXPECT_EQ(ReadXmasterSecurities(dir.path(), &securities), kStatusFileNotFound);
    WriteBytes(dir / "XMASTER", Bytes(149, 0));
    EXPECT_EQ(ReadXmasterSecurities(dir.path(), &securities), kStatusFileRead);
}
