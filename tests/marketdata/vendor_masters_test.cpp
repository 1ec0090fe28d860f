#include "marketdata/DirectoryTree.h"
#include "marketdata/Emaster.h"
#include "marketdata/FindSecurity.h"
#include "marketdata/Securities.h"
#include "support/MasterFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace tavrix;
using namespace testing_support;

namespace {
const std::string kSample = std::string(TAVRIX_FIXTURES) + "/metastock-sample";
const auto HexOf = [](const auto& bytes) { return Hex(Bytes(bytes.begin(), bytes.end())); };

// The MASTER and EMASTER a vendor wrote for 255 securities.
class VendorMasters : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"/Master", "/Emaster"})
            ASSERT_TRUE(FileExists(kSample + name)) << "vendor fixture missing: " << kSample << name;
        MasterFile master;
        ASSERT_EQ(ReadMasterFile(kSample + "/Master", &master), "");
        m_header = ReadMasterHeader(master.header.data());
        m_master = master.records;
        ASSERT_EQ(ReadRecordFile(kSample + "/Emaster", kEmasterMaxRecords, &m_emaster), "");
    }

    MasterHeader m_header{};
    std::vector<MasterRecord> m_master;
    EmasterFile m_emaster;
};
} // namespace

TEST_F(VendorMasters, MasterIsReadAndSearchedAndEmasterRebuiltFromItByteForByte)
{
    MasterRecord found{}; // the search gives its dates as IEEE singles
    ASSERT_EQ(FindSecurity(kSample, "a.s. roma", found.data()), kStatusOk);
    EXPECT_EQ(Hex(Bytes(&found[kRecFirstDate], &found[kRecFirstDate + 4])), "40 4a 86 49"); // 1100104
    ASSERT_EQ(m_emaster.records.size(), m_master.size());
    for (std::size_t i = 0; i < m_master.size(); ++i) // the long name is the one thing MASTER does not hold
        EXPECT_EQ(HexOf(BuildEmasterRecord(m_master[i], EmasterLongName(m_emaster.records[i]))),
                  HexOf(m_emaster.records[i]));
    EXPECT_EQ(m_emaster.Bytes(), ReadBytes(kSample + "/Emaster"));
}

TEST_F(VendorMasters, EachDisagreementOfEmasterWithMasterIsNamed)
{
    EXPECT_EQ(CompareEmasterWithMaster(m_emaster, m_header, m_master), std::vector<std::string>{});
    const std::pair<const char*, std::function<void(EmasterFile&, std::vector<MasterRecord>&)>> cases[] = {
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

TEST(Xmaster, MissingAndShortFiles)
{
    std::vector<Security> securities;
    TempDir dir;
    EXPECT_EQ(ReadXmasterSecurities(dir.path(), &securities), "");
    WriteBytes(dir / "XMASTER", Bytes(149, 0));
    EXPECT_EQ(ReadXmasterSecurities(dir.path(), &securities), "shorter than its 150-byte header");
}
