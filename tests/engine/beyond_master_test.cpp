#include "JobFixture.h"

#include "engine/BatchConversion.h"
#include "engine/DirectoryChange.h"
#include "engine/DirectoryReading.h"
#include "engine/MarketConversion.h"
#include "marketdata/DirectoryCheck.h"
#include "marketdata/Securities.h"
#include "marketdata/Xmaster.h"

#include <filesystem>

using namespace tavrix;
using namespace testing_support;

namespace {
const std::string kFixture = std::string(TAVRIX_FIXTURES) + "/metastock-sample";

class BeyondMasterTest : public JobFixture
{
protected:
    // A batch of `count` one-row files S0, S1, ... into m_out; the close of file i is i.
    std::unique_ptr<BatchConversion> Batch(int count, MasterChoice master, const std::string& prefix = "S")
    {
        auto batch = std::make_unique<BatchConversion>();
        batch->m_settings.m_strPath = m_out;
        batch->m_settings.m_nExist = master;
        batch->m_nDateFormat = DateFormatCode("MM_DD_YY");
        for (int i = 0; i < count; ++i)
            batch->m_files.push_back(
                {Input("01/02/25,1," + std::to_string(i + 2) + ",0.5," + std::to_string(i) + ",100,7\n"),
                 prefix + std::to_string(i), ""});
        return batch;
    }
    std::string Problems()
    {
        std::string text;
        for (const CheckFinding& finding : CheckDirectoryTree(m_out).findings)
            text += finding.note ? "" : finding.file + ": " + finding.text + "\n";
        return text;
    }
    std::vector<Security> Listed()
    {
        std::vector<Security> securities;
        EXPECT_EQ(ListSecurities(m_out, &securities), "");
        return securities;
    }
};
} // namespace

// Past 255 securities MASTER is full and XMASTER takes the rest, from F256.MWD, its records laid
// out as a vendor's: the same constant bytes and zeros, the dates where the vendor keeps them.
TEST_F(BeyondMasterTest, XmasterTakesTheSecuritiesPast255AsVendorsWriteThem)
{
    auto batch = Batch(300, MasterChoice::kMakeNew);
    ASSERT_EQ(batch->Run(), 0) << batch->m_error.Text();
    EXPECT_EQ(ReadBytes(Out("MASTER")).size(), 256u * kMasterRecordSize);
    XmasterFile xmaster;
    ASSERT_EQ(ReadRecordFile(Out("XMASTER"), kXmasterMaxRecords, &xmaster), "");
    ASSERT_EQ(xmaster.records.size(), 45u);
    EXPECT_EQ(Hex(Bytes(xmaster.header.begin(), xmaster.header.begin() + 22)),
              "5d fe 58 4d 8b 02 00 00 00 00 2d 00 00 00 2d 00 00 00 2d 01 00 00");
    XmasterFile vendor;
    ASSERT_EQ(ReadRecordFile(kFixture + "/Xmaster", kXmasterMaxRecords, &vendor), "");
    // The fixture's F256 (RCF GROUP, 2010-01-05 to 2010-07-09) written by us, byte for byte but
    // the stale bytes the vendor leaves after the name's end.
    XmasterSecurity rcf = DecodeXmasterRecord(vendor.records[0]);
    rcf.fieldBits = 0x7F;
    XmasterRecord expected = vendor.records[0];
    for (const int stale : {38, 41, 46})
        expected[stale] = 0;
    const XmasterRecord ours = BuildXmasterRecord(rcf);
    EXPECT_EQ(Hex(Bytes(ours.begin(), ours.end())), Hex(Bytes(expected.begin(), expected.end())));
    const XmasterSecurity last = DecodeXmasterRecord(xmaster.records.back());
    EXPECT_EQ(std::tuple(last.fileNumber, last.symbol, last.firstDate, last.lastDate),
              std::tuple(300, std::string("S299"), 20250102, 20250102));
    const std::vector<Security> securities = Listed();
    ASSERT_EQ(securities.size(), 300u);
    EXPECT_EQ(securities.back().PriceFileName(), "F300.MWD");
    PriceFileContents bars;
    ASSERT_EQ(ReadSecurityBars(securities.back(), &bars), "");
    EXPECT_EQ(bars.bars.at(0).values[kFieldClose], 299.0f);
    EXPECT_EQ(Problems(), "");

    // Update and remove work on XMASTER's securities as on MASTER's; a duplicate is one across both.
    auto update = MakeJob(Input("01/03/25,1,2,0.5,1.5,100,7\n"), false, 3, "S299");
    ASSERT_EQ(update->Update(false), 0) << update->m_error.Text();
    EXPECT_EQ(update->m_nAdded, 1);
    auto duplicate = MakeJob(Input("01/03/25,1,2,0.5,1.5,100,7\n"), false, 3, "s270");
    EXPECT_EQ(duplicate->Run(), 1);
    EXPECT_EQ(duplicate->m_error.what, "Duplicate Symbol");
    auto remove = MakeJob("", false, 3, "S299");
    ASSERT_EQ(remove->Remove(), 0) << remove->m_error.Text();
    EXPECT_FALSE(FileExists(Out("F300.MWD")));
    ASSERT_EQ(ReadRecordFile(Out("XMASTER"), kXmasterMaxRecords, &xmaster), "");
    EXPECT_EQ(std::tuple(xmaster.records.size(), XmasterCount(xmaster.header), XmasterNextNumber(xmaster.header)),
              std::tuple(44u, 44, 301)); // a number once given is not given again
    EXPECT_EQ(Problems(), "");

    // Up to a 2,000th security, numbered on from where XMASTER's counter stands.
    ASSERT_EQ(Batch(1701, MasterChoice::kUseExisting, "M")->Run(), 0);
    const std::vector<Security> many = Listed();
    ASSERT_EQ(many.size(), 2000u);
    EXPECT_EQ(std::pair(many.back().symbol, many.back().PriceFileName()),
              std::pair(std::string("M1700"), std::string("F2001.MWD")));
    ASSERT_EQ(ReadSecurityBars(many.back(), &bars), "");
    EXPECT_EQ(bars.bars.at(0).values[kFieldClose], 1700.0f);
    EXPECT_EQ(Problems(), "");

    // An XMASTER whose header miscounts its records is not written back: its securities stay as they are.
    Bytes damaged = ReadBytes(Out("XMASTER"));
    damaged[kXmCount] = 45;
    WriteBytes(Out("XMASTER"), damaged);
    for (const bool removing : {false, true})
    {
        auto job = MakeJob(Input("01/06/25,1,2,0.5,1.5,100,7\n"), false, 3, "S298");
        EXPECT_EQ(removing ? job->Remove() : job->Update(false), 1);
        EXPECT_EQ(job->m_error.what.rfind("The XMASTER file is damaged", 0), 0u) << job->m_error.Text();
    }
    EXPECT_EQ(ReadBytes(Out("XMASTER")), damaged);
    EXPECT_TRUE(FileExists(Out("F299.MWD")));
}

// A vendor's full MASTER with 207 in XMASTER takes 50 more there, keeping its serial and EMASTER;
// once XMASTER's counter is at its end, the lowest free number is taken and the counter stays. A
// file number a <DIR> record or an XMASTER record holds is never given to a new security.
TEST_F(BeyondMasterTest, VendorDirectoriesKeepTheirBytesAndNumbers)
{
    const auto vendor = [this] {
        std::filesystem::remove_all(m_out);
        std::filesystem::copy(kFixture, m_out, std::filesystem::copy_options::recursive);
    };
    vendor();
    const Bytes master = ReadBytes(Out("Master"));
    auto batch = Batch(50, MasterChoice::kUseExisting, "NEW");
    ASSERT_EQ(batch->Run(), 0) << batch->m_error.Text();
    EXPECT_EQ(ReadBytes(Out("Master")), master);
    XmasterFile xmaster;
    ASSERT_EQ(ReadRecordFile(Out("Xmaster"), kXmasterMaxRecords, &xmaster), "");
    EXPECT_EQ(std::tuple(xmaster.records.size(), XmasterNextNumber(xmaster.header)), std::tuple(257u, 513));
    EXPECT_EQ(Bytes(xmaster.header.begin() + kXmSerial, xmaster.header.begin() + kXmSerial + 4),
              Bytes(master.begin() + kMasterSerial, master.begin() + kMasterSerial + 4));
    EXPECT_TRUE(FileExists(Out("F512.MWD")));
    EXPECT_EQ(Problems(), "");

    vendor();
    Bytes counter = ReadBytes(Out("Xmaster"));
    counter[kXmNextNumber] = 0xFE, counter[kXmNextNumber + 1] = 0xFF; // 65534
    WriteBytes(Out("Xmaster"), counter);
    ASSERT_EQ(Batch(2, MasterChoice::kUseExisting, "END")->Run(), 0);
    ASSERT_EQ(ReadRecordFile(Out("Xmaster"), kXmasterMaxRecords, &xmaster), "");
    EXPECT_EQ(std::tuple(XmasterFileNumber(xmaster.records[207]), XmasterFileNumber(xmaster.records[208]),
                         XmasterNextNumber(xmaster.header)),
              std::tuple(65534, 463, 65535));
    EXPECT_EQ(Problems(), "");

    EmptyOut();
    WriteMaster(m_out, {SecurityRecord(1, "A"), DirectoryRecord("SUB"), SecurityRecord(4, "D")});
    Bytes withDir = ReadBytes(Out("MASTER"));
    withDir[2 * kMasterRecordSize + kRecFileNumber] = 2;
    WriteBytes(Out("MASTER"), withDir);
    XmasterFile below; // numbered 3, without its F3.DAT
    below.header = NewXmasterHeader(withDir.data(), nullptr);
    XmasterSecurity three;
    three.fileNumber = 3;
    below.records.push_back(BuildXmasterRecord(three));
    SetXmasterCounts(&below.header, 1, 256);
    WriteBytes(Out("XMASTER"), below.Bytes());
    auto job = MakeJob(Input("01/02/25,1,2,0.5,1.5,100,7\n"), false);
    ASSERT_EQ(job->Run(), 0) << job->m_error.Text();
    EXPECT_EQ(job->m_nFileNumber, 5);
}

// A batch commits once: a kill at any step leaves none of its securities, even when it outgrew
// MASTER and had already put a new XMASTER in place; a refused file does not stop the others, and
// the rest go in together.
TEST_F(BeyondMasterTest, ABatchGoesInWholeOrNotAtAll)
{
    ASSERT_EQ(MakeJob(Input("01/02/25,1,2,0.5,1.5,100,7\n"), true, 3, "BASE")->Run(), 0);
    const auto before = SnapshotDir(m_out);
    for (const auto& [step, count] : {std::pair{"write F3.DAT", 4},
                                      {"write journal", 4},
                                      {"rename F4.DAT", 4},
                                      {"rename MASTER", 4},
                                      {"rename MASTER", 256}})
    {
        SCOPED_TRACE(std::string(step) + " of " + std::to_string(count));
        auto batch = Batch(count, MasterChoice::kUseExisting);
        batch->m_stepHook = KillAt(step);
        ASSERT_TRUE(KilledInChild([&] { batch->Run(); }));
        ReadingLock reading;
        ASSERT_FALSE(reading.Acquire(m_out).Failed());
        EXPECT_EQ(Listed().size(), 1u);
    }
    auto batch = Batch(4, MasterChoice::kUseExisting);
    batch->m_files[2].input = Input("not a price\n");
    batch->m_files[1].symbol = "BASE";
    EXPECT_EQ(batch->Run(), 1);
    EXPECT_EQ(batch->Converted(), 2);
    EXPECT_EQ(batch->m_outcomes[1].error.what, "Duplicate Symbol");
    EXPECT_EQ(Listed().size(), 3u);
    EXPECT_EQ(Problems(), "");
    EXPECT_NE(SnapshotDir(m_out), before);
}

// A market-wide file goes in as one change too: a kill leaves every held security as it was and
// adds none of the new tickers; the run that is not killed extends and adds them all.
TEST_F(BeyondMasterTest, AMarketFileGoesInWholeOrNotAtAll)
{
    const std::string market = Input("Ticker,Date,Open,High,Low,Close,Volume\nA,2025-01-02,1,2,0.5,1.5,10\n"
                                     "B,2025-01-02,1,2,0.5,1.5,10\nA,2025-01-03,1,2,0.5,1.6,10\n");
    const auto convert = [&](const std::string& input) {
        auto run = std::make_unique<MarketConversion>();
        run->m_strInputPath = input;
        run->m_settings.m_strPath = m_out;
        run->m_settings.m_nExist = MasterChoice::kAutomatic;
        run->m_settings.m_bColumnsGiven = false;
        run->m_nDateFormat = ConversionJob::kAutoDateFormat;
        return run;
    };
    ASSERT_EQ(convert(market)->Run(), 0);
    const auto before = SnapshotDir(m_out);
    const std::string next = Input("Ticker,Date,Open,High,Low,Close,Volume\nA,2025-01-06,1,2,0.5,1.7,10\n"
                                   "C,2025-01-06,1,2,0.5,1.5,10\nB,2025-01-06,1,2,0.5,1.7,10\n");
    for (const char* step : {"write F1.DAT", "rename F3.DAT", "rename MASTER"})
    {
        SCOPED_TRACE(step);
        ASSERT_TRUE(KilledInChild([&] {
            auto run = convert(next);
            run->m_stepHook = KillAt(step);
            run->Run();
        }));
        ReadingLock reading;
        ASSERT_FALSE(reading.Acquire(m_out).Failed());
        reading.Release();
        auto after = SnapshotDir(m_out); // what a killed run staged is hidden, and swept by the next writer
        for (auto it = after.begin(); it != after.end();)
            it = it->first.rfind(kTemporaryPrefix, 0) == 0 ? after.erase(it) : std::next(it);
        EXPECT_EQ(after, before);
    }
    auto run = convert(next);
    ASSERT_EQ(run->Run(), 0) << run->m_error.Text();
    const std::vector<Security> securities = Listed();
    ASSERT_EQ(securities.size(), 3u);
    EXPECT_EQ(std::tuple(securities[0].lastDate, securities[1].lastDate, securities[2].symbol),
              std::tuple(1250106.0, 1250106.0, std::string("C")));
}
