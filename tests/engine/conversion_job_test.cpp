#include "JobFixture.h"

#include "engine/EngineMessages.h"
#include "marketdata/Dates.h"
#include "marketdata/MasterReader.h"
#include "settings/ProfileStore.h"
#include "support/HiveSandbox.h"

#include <cstring>

using namespace tavrix;
using namespace testing_support;

namespace {
const std::string kConversionDay = "b0 f4 19 95"; // 1261206

std::string Record(const Bytes& master, int index)
{
    return Hex(Bytes(master.begin() + kMasterRecordSize * index, master.begin() + kMasterRecordSize * (index + 1)));
}

class ConversionJobTest : public JobFixture
{
};
} // namespace

TEST_F(ConversionJobTest, NewMasterFromNothing)
{
    auto job = MakeJob(Input("01/03/00,100.5,101.25,99.75,100.0,12000,7\n"), true);
    job->m_bFieldOn[kFieldOpenInterest] = 0;
    ASSERT_EQ(job->Run(), 0) << (m_boxes.texts.empty() ? "" : m_boxes.texts[0]);
    EXPECT_TRUE(m_boxes.texts.empty());

    const Bytes master = ReadBytes(Out("MASTER"));
    ASSERT_EQ(master.size(), 106u);
    EXPECT_EQ(Hex(Bytes(master.begin(), master.begin() + 4)), "01 00 01 00");
    const std::string expected = "01 00 65 18 06 00 00 41 43 4d 45 20 43 4f 52 50 20 20 20 20 20 20 20 00 00 "
                                 "70 2a 74 94 70 2a 74 94 44 00 00 "
                                 "41 43 4d 45 20 20 20 20 20 20 20 20 20 20 20 20 00";
    EXPECT_EQ(Record(master, 1), expected);

    // Header of six fields with count 2, then the one record of the line.
    EXPECT_EQ(Hex(ReadBytes(Out("F1.DAT"))), "00 00 02 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 "
                                             "70 2a 74 94 00 00 49 87 00 80 4a 87 00 80 47 87 00 00 48 87 00 80 3b 8e");
    EXPECT_EQ(ReadText(Out("F1.DOP")),
              "\"DATE\",0,0\r\n\"OPEN\",4,4\r\n\"HIGH\",4,4\r\n\"LOW\",4,4\r\n\"CLOSE\",4,4\r\n\"VOL\",4,4\r\n");
    EXPECT_EQ(ListDir(m_out), (std::vector<std::string>{"F1.DAT", "F1.DOP", "MASTER"}));
    EXPECT_EQ(job->m_szPath, m_out);
}

TEST_F(ConversionJobTest, ThreeLinesWithAllFieldsMakeA112BytePriceFile)
{
    WriteMaster(m_out, {SecurityRecord(1, "OLD", "OLD ONE")});
    auto job = MakeJob(Input("03/01/99,1,2,0.5,1.5,100,7\r\n03/02/99,1,2,0.5,1.5,100,7\r\n"
                             "02/26/99,1,2,0.5,1.5,100,7"),
                       false);
    ASSERT_EQ(job->Run(), 0);
    const Bytes data = ReadBytes(Out("F2.DAT"));
    ASSERT_EQ(data.size(), 112u);
    EXPECT_EQ(Hex(Bytes(data.begin(), data.begin() + 28)),
              "00 00 04 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00");
    const Bytes master = ReadBytes(Out("MASTER"));
    // First date is the first line's, last the last line's: descending input is not reordered.
    EXPECT_EQ(FromMbf(&master[2 * kMasterRecordSize + kRecFirstDate]), 990301.0f);
    EXPECT_EQ(FromMbf(&master[2 * kMasterRecordSize + kRecLastDate]), 990226.0f);
    EXPECT_EQ(FromMbf(&data[3 * 28]), 990226.0f);
}

TEST_F(ConversionJobTest, NewMasterRefusedWhereOneExists)
{
    WriteMaster(m_out, {SecurityRecord(1, "OLD")}, "master");
    const Bytes before = ReadBytes(Out("master"));
    EXPECT_EQ(MakeJob(Input("01/03/00,1,1,1,1,1,1\n"), true)->Run(), 1);
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>{msg::kMasterExists});
    EXPECT_EQ(ReadBytes(Out("master")), before);
    EXPECT_EQ(ListDir(m_out), std::vector<std::string>{"master"});
}

TEST_F(ConversionJobTest, DirectoryChecks)
{
    auto missing = MakeJob(Input("x\n"), false);
    missing->SetPath(m_dir / "nowhere");
    EXPECT_EQ(missing->Run(), 1);
    EXPECT_EQ(MakeJob(Input("x\n"), false)->Run(), 1);
    auto fields = MakeJob(Input("x\n"), true);
    fields->m_bFieldOn = {1, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(fields->Run(), 1);
    EXPECT_EQ(m_boxes.texts, (std::vector<std::string>{msg::kPathDoesNotExist, msg::kNoMasterFile, msg::kMoreColumns}));
}

TEST_F(ConversionJobTest, ExistingMasterGetsTheLowestFreeNumberAndABackup)
{
    WriteMaster(m_out, {SecurityRecord(1, "A"), SecurityRecord(2, "B"), SecurityRecord(4, "D")}, "MASTER");
    WriteText(Out("MASTER.BAK"), "an older backup");
    const Bytes before = ReadBytes(Out("MASTER"));
    auto job = MakeJob(Input("12/31/99,1,2,3,4,5,6\n"), false);
    ASSERT_EQ(job->Run(), 0);
    EXPECT_EQ(job->m_nFileNumber, 3);

    const Bytes master = ReadBytes(Out("MASTER"));
    ASSERT_EQ(master.size(), 5u * kMasterRecordSize);
    EXPECT_EQ(Hex(Bytes(master.begin(), master.begin() + 4)), "04 00 04 00");
    EXPECT_EQ(Bytes(master.begin() + 53, master.begin() + 4 * 53), Bytes(before.begin() + 53, before.end()));
    EXPECT_EQ(master[4 * kMasterRecordSize], 3);

    // The backup is MASTER as it stood right after the add: the new record with the conversion day.
    const Bytes backup = ReadBytes(Out("MASTER.BAK"));
    ASSERT_EQ(backup.size(), master.size());
    EXPECT_EQ(Hex(Bytes(backup.begin() + 4 * 53 + kRecFirstDate, backup.begin() + 4 * 53 + kRecFirstDate + 4)),
              kConversionDay);
    Bytes finished = master;
    std::memcpy(&finished[4 * 53 + kRecFirstDate], &backup[4 * 53 + kRecFirstDate], 8);
    EXPECT_EQ(finished, backup);
    EXPECT_TRUE(FileExists(Out("F3.DAT")));
    EXPECT_TRUE(FileExists(Out("F3.DOP")));
}

TEST_F(ConversionJobTest, DuplicateSymbolInAnyLetterCaseIsRefused)
{
    WriteMaster(m_out, {SecurityRecord(1, "XYZ", "acme")});
    const Bytes before = ReadBytes(Out("MASTER"));
    EXPECT_EQ(MakeJob(Input("12/31/99,1,2,3,4,5,6\n"), false, 3, "ACME")->Run(), 1);
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>{msg::kDuplicateSymbol});
    EXPECT_EQ(ReadBytes(Out("MASTER")), before);
}

TEST_F(ConversionJobTest, FullDirectoryIsRefusedWithNothingLeftBehind)
{
    std::vector<tavrix::MasterRecord> records;
    for (int n = 1; n <= 255; ++n)
        records.push_back(SecurityRecord(static_cast<std::uint8_t>(n), "S" + std::to_string(n)));
    WriteMaster(m_out, records);
    const Bytes full = ReadBytes(Out("MASTER"));
    EXPECT_EQ(MakeJob(Input("12/31/99,1,2,3,4,5,6\n"), false)->Run(), 1);

    // Counters below 255 but every number taken: full as well.
    Bytes allTaken = full;
    WriteMasterHeader(allTaken.data(), {200, 200});
    WriteBytes(Out("MASTER"), allTaken);
    EXPECT_EQ(MakeJob(Input("12/31/99,1,2,3,4,5,6\n"), false)->Run(), 1);
    EXPECT_EQ(m_boxes.texts, (std::vector<std::string>{msg::kMasterFull, msg::kMasterFull}));
    EXPECT_EQ(ReadBytes(Out("MASTER")), allTaken);
    EXPECT_EQ(ListDir(m_out), std::vector<std::string>{"MASTER"});
}

TEST_F(ConversionJobTest, DamagedMasterIsReportedAndLeftAlone)
{
    WriteBytes(Out("MASTER"), Bytes(30, 0x07));
    EXPECT_EQ(MakeJob(Input("12/31/99,1,2,3,4,5,6\n"), false)->Run(), 1);
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    EXPECT_EQ(m_boxes.texts[0].rfind("The Master file is damaged:\n", 0), 0u) << m_boxes.texts[0];
    EXPECT_EQ(ReadBytes(Out("MASTER")), Bytes(30, 0x07));
    EXPECT_EQ(ListDir(m_out), std::vector<std::string>{"MASTER"});
}

TEST_F(ConversionJobTest, ARecordBeyondTheHeaderCountStillGetsItsOwnPriceFile)
{
    // Count 1 over two records: the new record lies beyond the count, where a search cannot see it.
    WriteMaster(m_out, {SecurityRecord(1, "A"), SecurityRecord(2, "B")}, "MASTER", 1);
    WriteBytes(Out("F1.DAT"), {1, 2, 3});
    auto job = MakeJob(Input("12/31/99,1,2,3,4,5,6\n"), false);
    ASSERT_EQ(job->Run(), 0);
    EXPECT_EQ(job->m_nFileNumber, 3);
    EXPECT_EQ(ReadBytes(Out("F3.DAT")).size(), 56u);
    EXPECT_EQ(ReadBytes(Out("F1.DAT")), (Bytes{1, 2, 3}));
}

TEST_F(ConversionJobTest, AFileThatCannotBeCreatedStopsTheRunAndLeavesMasterIntact)
{
    WriteMaster(m_out, {SecurityRecord(1, "A")});
    const Bytes before = ReadBytes(Out("MASTER"));
    MakeDir(Out("MASTER.~NU")); // a folder where the copy must go
    EXPECT_EQ(MakeJob(Input("12/31/99,1,2,3,4,5,6\n"), false)->Run(), 1);
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    EXPECT_NE(m_boxes.texts[0].find("MASTER.~NU"), std::string::npos);
    EXPECT_EQ(ReadBytes(Out("MASTER")), before);
    EXPECT_FALSE(FileExists(Out("F2.DAT")));

    // The price file's place is taken: MASTER is not changed and names no missing file.
    ::rmdir(Out("MASTER.~NU").c_str());
    MakeDir(Out("F2.DAT"));
    EXPECT_EQ(MakeJob(Input("12/31/99,1,2,3,4,5,6\n"), false)->Run(), 1);
    EXPECT_EQ(ReadBytes(Out("MASTER")), before);
    EXPECT_FALSE(FileExists(Out("F2.DOP")));
    EXPECT_FALSE(FileExists(Out("MASTER.~NU")));
}

TEST_F(ConversionJobTest, AFailedFinishingCopyReportsFailureAndKeepsTheRecords)
{
    MakeDir(Out("F1.NEW"));
    auto job = MakeJob(Input("12/31/99,1,2,3,4,5,6\n01/03/00,1,2,3,4,5,6\n"), true);
    EXPECT_EQ(job->Run(), 1);
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    EXPECT_NE(m_boxes.texts[0].find("F1.NEW"), std::string::npos) << m_boxes.texts[0];
    EXPECT_EQ(ReadBytes(Out("F1.DAT")).size(), 3u * 28); // both records kept, count not yet set
}

TEST_F(ConversionJobTest, MissingInputIsReported)
{
    auto job = MakeJob(m_dir / "no-such-input.txt", true);
    EXPECT_EQ(job->Run(), 1);
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    EXPECT_EQ(m_boxes.texts[0].rfind("Cannot read the input file\n", 0), 0u);
    EXPECT_NE(m_boxes.texts[0].find("No such file"), std::string::npos);
}

TEST_F(ConversionJobTest, RelativePathIsStoredInItsAbsoluteFormOnlyWhenTheRunGetsThatFar)
{
    HiveSandbox sandbox;
    auto store = CreateProfileStore();
    store->WriteString("Setting", "Path", "/previous");
    ASSERT_EQ(::chdir(m_dir.path().c_str()), 0);

    ConversionJob refused(store.get());
    refused.SetPath("nowhere");
    refused.m_bFieldOn = {1, 0, 0, 0, 1, 0, 0};
    EXPECT_EQ(refused.Run(), 1);
    EXPECT_EQ(store->ReadString("Setting", "Path", ""), "/previous");

    WriteText(m_dir / "rel.txt", "12/31/99,1,2,3,4,5,6\n");
    ConversionJob job(store.get());
    job.m_strInputPath = "rel.txt"; // relative to where the program was started
    job.SetPath("out  ");           // trailing blanks, as the dialog hands them on
    job.SetSymbol("ACME");
    job.m_bFieldOn = {1, 0, 0, 0, 1, 0, 0};
    job.m_nFieldCol = {0, 0, 0, 0, 4, 0, 0};
    job.m_nDateFormat = 3;
    ASSERT_EQ(job.Run(), 0) << (m_boxes.texts.empty() ? "" : m_boxes.texts.back());
    EXPECT_EQ(store->ReadString("Setting", "Path", ""), m_out);
    EXPECT_EQ(store->ReadString("Setting", "Symbol", ""), "ACME");
    EXPECT_EQ(store->ReadString("Setting", "Name", "x"), "");
    EXPECT_EQ(ReadBytes(Out("F1.DAT")).size(), 16u);
}
