#include "JobFixture.h"

#include "marketdata/DirectoryCheck.h"
#include "marketdata/DirectoryTree.h"
#include "marketdata/Emaster.h"

#include <tuple>

using namespace tavrix;
using namespace testing_support;

namespace {
// Rows of January 2025, one a day with the given close.
std::string Rows(const std::vector<std::pair<int, const char*>>& days)
{
    std::string text;
    char row[64];
    for (const auto& [day, close] : days)
        text += (std::snprintf(row, sizeof row, "01/%02d/25,1,2,0.5,%s,100,7\n", day, close), row);
    return text;
}

class DirectoryJobsTest : public JobFixture
{
protected:
    // A job on m_out for `symbol`, reading `input` with all seven fields in MM_DD_YY.
    std::unique_ptr<ConversionJob> Job(const std::string& symbol, const std::string& input = "")
    {
        return MakeJob(input.empty() ? "" : Input(input), false, 3, symbol);
    }

    std::string Problems()
    {
        std::string text;
        for (const CheckFinding& finding : CheckDirectoryTree(m_out).findings)
            if (!finding.note)
                text += finding.text + "\n";
        return text;
    }

    std::vector<MasterRecord> Records()
    {
        MasterFile file;
        ReadMasterFile(Out("MASTER"), &file);
        return file.records;
    }
};
} // namespace

TEST_F(DirectoryJobsTest, UpdateAddsNewDaysCountsPresentOnesAndRefusesDifferencesUnlessReplacing)
{
    ASSERT_EQ(MakeJob(Input(Rows({{2, "4"}, {3, "5"}, {6, "6"}})), true)->Run(), 0);
    const Bytes before = ReadBytes(Out("F1.DAT"));

    auto update = Job("ACME", Rows({{3, "5"}, {6, "6"}, {7, "7"}, {8, "8"}}));
    ASSERT_EQ(update->Update(false), 0) << update->m_error.Text();
    EXPECT_EQ(update->m_nAdded, 2);
    EXPECT_EQ(update->m_nAlreadyPresent, 2);
    const Bytes after = ReadBytes(Out("F1.DAT"));
    ASSERT_EQ(after.size(), 6u * 28);
    EXPECT_EQ(PriceFileCountWord(after.data()), 6);
    EXPECT_EQ(Bytes(after.begin() + 28, after.begin() + 4 * 28), Bytes(before.begin() + 28, before.end()));
    EXPECT_EQ(FromMbf(&Records()[0][kRecLastDate]), 1250108.0f);
    EXPECT_EQ(FromMbf(&after[5 * 28 + 16]), 8.0f);

    // A day whose close differs: refused with the difference named, nothing changed.
    const auto snapshot = SnapshotDir(m_out);
    auto conflict = Job("acme", Rows({{6, "6.5"}, {9, "9"}}));
    EXPECT_EQ(conflict->Update(false), 1);
    EXPECT_EQ(conflict->m_error.Text(Audience::kCommandLine),
              "1 day differs from the price file:\n2025-01-06: close is 6 in the price file, "
              "6.5 in the input\nNothing was changed.\n--replace rewrites these days.");
    EXPECT_EQ(SnapshotDir(m_out), snapshot);
    auto replace = Job("acme", Rows({{6, "6.5"}, {9, "9"}}));
    ASSERT_EQ(replace->Update(true), 0);
    EXPECT_EQ(replace->m_nReplaced, 1);
    EXPECT_EQ(replace->m_nAdded, 1);
    EXPECT_EQ(FromMbf(&ReadBytes(Out("F1.DAT"))[3 * 28 + 16]), 6.5f);
    EXPECT_EQ(Problems(), "");

    // The input must give the security's fields; a key that names several, or none, is refused, but
    // a symbol that is the key names its security alone.
    ASSERT_EQ(MakeJob(Input(Rows({{2, "4"}})), false, 3, "ACME B")->Run(), 0);
    const auto unchanged = SnapshotDir(m_out);
    auto fields = Job("ACME B", Rows({{3, "5"}}));
    fields->m_settings.Column(kFieldOpenInterest).on = false;
    EXPECT_EQ(fields->Update(false), 1);
    EXPECT_EQ(fields->m_error.Text(),
              "The input gives date open high low close volume,\nbut ACME B holds date open high "
              "low close volume open interest.");
    auto several = Job("acme corp", Rows({{3, "5"}}));
    EXPECT_EQ(several->Update(false), 1);
    EXPECT_EQ(several->m_error.Text().rfind("acme corp names 2 securities in ", 0), 0u) << several->m_error.Text();
    auto exact = Job("acme", Rows({{3, "5"}}));
    ASSERT_EQ(exact->Update(false), 0) << exact->m_error.Text();
    EXPECT_EQ(std::tuple(exact->m_nFileNumber, exact->m_nAlreadyPresent), std::tuple(1, 1));
    auto none = Job("ZZZ");
    EXPECT_EQ(none->Remove(), 1);
    EXPECT_EQ(none->m_error.Text(), "No security ZZZ in " + m_out + "/MASTER");
    EXPECT_EQ(SnapshotDir(m_out), unchanged);
}

// Killed after the new price file is in place but before MASTER: the next job puts the old one back.
TEST_F(DirectoryJobsTest, AKilledUpdateLeavesTheOldFiles)
{
    ASSERT_EQ(MakeJob(Input(Rows({{2, "4"}, {3, "5"}})), true)->Run(), 0);
    const auto snapshot = SnapshotDir(m_out);
    const std::string input = Input(Rows({{6, "6"}}));
    ASSERT_TRUE(KilledInChild([&] {
        auto job = MakeJob(input, false);
        job->m_stepHook = KillAt("rename MASTER");
        job->Update(false);
    }));
    EXPECT_NE(SnapshotDir(m_out), snapshot); // the new price file and the journal are there
    auto next = Job("ZZZ");
    EXPECT_EQ(next->Remove(), 1); // any job into the directory tidies up first
    EXPECT_EQ(SnapshotDir(m_out), snapshot);
}

TEST_F(DirectoryJobsTest, RemoveTheFirstAMiddleOrTheLastAndTheNumberIsFreeAgain)
{
    for (const char* removed : {"A", "B", "C"})
    {
        SCOPED_TRACE(removed);
        EmptyOut();
        ASSERT_EQ(MakeJob(Input(Rows({{2, "4"}})), true, 3, "A")->Run(), 0);
        for (const char* symbol : {"B", "C"})
            ASSERT_EQ(MakeJob(Input(Rows({{2, "4"}})), false, 3, symbol)->Run(), 0);
        std::vector<MasterRecord> expected = Records();
        auto job = Job(removed);
        ASSERT_EQ(job->Remove(), 0) << job->m_error.Text();
        const int number = job->m_nFileNumber;
        expected.erase(expected.begin() + (number - 1));
        EXPECT_EQ(Records(), expected);
        const Bytes bytes = ReadBytes(Out("MASTER"));
        EXPECT_EQ(Hex(Bytes(bytes.begin(), bytes.begin() + 4)), "02 00 02 00");
        EXPECT_FALSE(FileExists(Out("F" + std::to_string(number) + ".DAT")));
        EXPECT_FALSE(FileExists(Out("F" + std::to_string(number) + ".DOP")));
        auto again = MakeJob(Input(Rows({{2, "4"}})), false, 3, "D");
        ASSERT_EQ(again->Run(), 0);
        EXPECT_EQ(again->m_nFileNumber, number);
        EXPECT_EQ(Problems(), "");
    }
}

// A vendor directory cut to four securities (numbers 1, 2, 3 and 5) with its EMASTER: add, update
// and remove keep EMASTER in step, the vendor's second counter, and every other byte.
TEST_F(DirectoryJobsTest, VendorDirectoryStaysWhole)
{
    const std::string fixture = std::string(TAVRIX_FIXTURES) + "/metastock-sample";
    ASSERT_TRUE(FileExists(fixture + "/Master")) << "vendor fixture missing: " << fixture;
    const Bytes master = ReadBytes(fixture + "/Master");
    const Bytes emaster = ReadBytes(fixture + "/Emaster");
    Bytes cutMaster(master.begin(), master.begin() + 53);
    Bytes cutEmaster(emaster.begin(), emaster.begin() + 192);
    for (const int record : {1, 2, 3, 5})
    {
        cutMaster.insert(cutMaster.end(), master.begin() + 53 * record, master.begin() + 53 * (record + 1));
        cutEmaster.insert(cutEmaster.end(), emaster.begin() + 192 * record, emaster.begin() + 192 * (record + 1));
        WriteBytes(Out("F" + std::to_string(record) + ".DAT"),
                   ReadBytes(fixture + "/F" + std::to_string(record) + ".DAT"));
    }
    WriteMasterHeader(cutMaster.data(), {4, 5});
    cutEmaster[0] = 4;
    cutEmaster[2] = 5;
    WriteBytes(Out("MASTER"), cutMaster);
    WriteBytes(Out("EMASTER"), cutEmaster);
    ASSERT_EQ(Problems(), "");

    // EMASTER agrees with MASTER record by record, and check finds nothing wrong.
    const auto inStep = [this, &cutMaster](const std::string& step, std::size_t records, int count2) {
        MasterFile masterFile;
        EmasterFile emasterFile;
        ReadMasterFile(Out("MASTER"), &masterFile);
        ReadRecordFile(Out("EMASTER"), kEmasterMaxRecords, &emasterFile);
        const MasterHeader header = ReadMasterHeader(masterFile.header.data());
        EXPECT_EQ(masterFile.records.size() * 1000 + header.count2, records * 1000 + count2) << step;
        EXPECT_EQ(CompareEmasterWithMaster(emasterFile, header, masterFile.records), std::vector<std::string>{})
            << step;
        // The vendor's header bytes (the serial at 49 to 52) are kept by every job.
        EXPECT_EQ(Bytes(masterFile.header.begin() + kMasterSerial, masterFile.header.end()),
                  Bytes(cutMaster.begin() + kMasterSerial, cutMaster.begin() + kMasterRecordSize))
            << step;
        EXPECT_EQ(Problems(), "") << step;
    };
    // Add: number 4 is free; the second counter stays the highest number in use.
    ASSERT_EQ(MakeJob(Input("01/03/11,1,2,0.5,1.5,100,0\n01/04/11,1,2,0.5,1.6,100,0\n"), false, 3, "NEW")->Run(), 0);
    inStep("add", 5, 5);
    const Bytes added = ReadBytes(Out("MASTER"));
    EXPECT_EQ(Bytes(added.begin() + 53, added.begin() + 5 * 53), Bytes(cutMaster.begin() + 53, cutMaster.end()));
    for (const int record : {1, 2, 3, 5})
        EXPECT_EQ(ReadBytes(Out("F" + std::to_string(record) + ".DAT")),
                  ReadBytes(fixture + "/F" + std::to_string(record) + ".DAT"));

    // Update a vendor security (seven fields, no layout file) with a day after its last.
    const Bytes f2 = ReadBytes(Out("F2.DAT"));
    auto update = Job("A2A", "12/30/11,1,2,0.5,1.5,100,0\n");
    ASSERT_EQ(update->Update(false), 0) << update->m_error.Text();
    inStep("update", 5, 5);
    const Bytes updated = ReadBytes(Out("F2.DAT"));
    ASSERT_EQ(updated.size(), f2.size() + 28);
    EXPECT_EQ(Bytes(updated.begin() + 28, updated.end() - 28), Bytes(f2.begin() + 28, f2.end()));

    // Remove the highest number: the second counter comes down to the next highest.
    ASSERT_EQ(Job("ACO")->Remove(), 0);
    inStep("remove", 4, 4);
}

TEST_F(DirectoryJobsTest, ASymbolOnlyXmasterListsIsADuplicate)
{
    const std::string fixture = std::string(TAVRIX_FIXTURES) + "/metastock-sample";
    ASSERT_TRUE(FileExists(fixture + "/Xmaster")) << "vendor fixture missing: " << fixture;
    WriteMaster(m_out, {});
    WriteBytes(Out("XMASTER"), ReadBytes(fixture + "/Xmaster"));
    auto job = MakeJob(Input(Rows({{2, "4"}})), false, 3, "TMEAZA");
    EXPECT_EQ(job->Run(), 1);
    EXPECT_EQ(job->m_error.Text().rfind("Duplicate Symbol\n", 0), 0u);
}
