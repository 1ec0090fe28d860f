#include "JobFixture.h"

#include "engine/DirectoryChange.h"
#include "settings/ConversionSettings.h"
#include "settings/ProfileStore.h"
#include "support/HiveSandbox.h"

#include <cstring>
#include <functional>

using namespace tavrix;
using namespace testing_support;

namespace {
const std::string kRow = "12/31/99,1,2,3,4,5,6\n";

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
    job->m_settings.Column(kFieldOpenInterest).on = false;
    ASSERT_EQ(job->Run(), 0) << job->m_error.Text();

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
    EXPECT_EQ(job->Summary(), "ACME: 1 price record, 2000-01-03 to 2000-01-03, F1.DAT in " + m_out);
}

TEST_F(ConversionJobTest, ExistingMasterGetsTheLowestFreeNumberABackupAndA112BytePriceFile)
{
    WriteMaster(m_out, {SecurityRecord(1, "A"), SecurityRecord(2, "B"), SecurityRecord(4, "D")}, "MASTER");
    WriteText(Out("MASTER.BAK"), "an older backup");
    const Bytes before = ReadBytes(Out("MASTER"));
    auto job =
        MakeJob(Input("02/26/99,1,2,0.5,1.5,100,7\r\n03/01/99,1,2,0.5,1.5,100,7\r03/02/99,1,2,0.5,1.5,100,7"), false);
    ASSERT_EQ(job->Run(), 0);
    EXPECT_EQ(job->m_nFileNumber, 3);

    const Bytes master = ReadBytes(Out("MASTER"));
    ASSERT_EQ(master.size(), 5u * kMasterRecordSize);
    EXPECT_EQ(Hex(Bytes(master.begin(), master.begin() + 4)), "04 00 04 00");
    EXPECT_EQ(Bytes(master.begin() + 53, master.begin() + 4 * 53), Bytes(before.begin() + 53, before.end()));
    EXPECT_EQ(FromMbf(&master[4 * 53 + kRecFirstDate]), 990226.0f);
    EXPECT_EQ(FromMbf(&master[4 * 53 + kRecLastDate]), 990302.0f);
    const Bytes data = ReadBytes(Out("F3.DAT"));
    ASSERT_EQ(data.size(), 112u);
    EXPECT_EQ(Hex(Bytes(data.begin(), data.begin() + 28)),
              "00 00 04 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00");

    // The backup is MASTER as it was before, so it can put back what was there.
    EXPECT_EQ(ReadBytes(Out("MASTER.BAK")), before);
}

// Every refusal names its reason and leaves the directory byte for byte as it was.
TEST_F(ConversionJobTest, RefusalsChangeNothing)
{
    struct Case
    {
        const char* name;
        std::function<void()> prepare;
        std::string input;
        bool newMaster;
        std::function<void(ConversionJob&)> adjust;
        std::string start; // of the message
    };
    const auto master = [this](std::vector<MasterRecord> records, int count = -1000) {
        return [this, records, count] { WriteMaster(m_out, records, "MASTER", count); };
    };
    const std::vector<Case> cases = {
        {"new master where one exists", [this] { WriteMaster(m_out, {SecurityRecord(1, "OLD")}, "master"); }, kRow,
         true, nullptr, msg::kMasterExists},
        {"no master to add to", nullptr, kRow, false, nullptr,
         std::string(msg::kNoMasterFile) + "\n" + m_out + "\n\"Make New Master\" creates one."},
        {"path does not exist", nullptr, kRow, false,
         [this](ConversionJob& job) { job.m_settings.m_strPath = m_dir / "nowhere"; },
         "Path does not exist\n" + (m_dir / "nowhere")},
        {"duplicate in any case", master({SecurityRecord(1, "XYZ", "acme")}), kRow, false, nullptr,
         "Duplicate Symbol\nACME is already the symbol or name of a security in\n" + m_out},
        {"shorter than its header", [this] { WriteBytes(Out("MASTER"), Bytes(30, 7)); }, kRow, false, nullptr,
         "The Master file is damaged:"},
        {"count below its records", master({SecurityRecord(1, "A"), SecurityRecord(2, "B")}, 1), kRow, false, nullptr,
         "The Master file is damaged:"},
        {"numeric layout, separated dates", master({}), kRow, false, [](ConversionJob& job) { job.m_nDateFormat = 9; },
         "You specified a numeric-only date format"},
        {"separated layout, digits only", nullptr, "991231,1,2,3,4,5,6\n", true, nullptr,
         "You specified a character-separated date format"},
        {"header row only", nullptr, "Date,Open,High,Low,Close,Volume,OI\n", true, nullptr, "No price lines in"},
        {"strict with a bad row", nullptr, "12/31/99,1,2,3,4,5,6\n01/03/00,n/a,2,3,4,5,6\n", true,
         [](ConversionJob& job) { job.m_nLeftOutPolicy = ConversionJob::kRefuseLeftOut; },
         "1 of 2 rows were left out:"},
        {"missing input", nullptr, "", true, [this](ConversionJob& job) { job.m_strInputPath = m_dir / "none.txt"; },
         "Cannot read the input file"},
        {"input is a directory", nullptr, "", true, [this](ConversionJob& job) { job.m_strInputPath = m_dir.path(); },
         "The input is not a file"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EmptyOut();
        if (c.prepare)
            c.prepare();
        const auto before = SnapshotDir(m_out);
        auto job = MakeJob(Input(c.input), c.newMaster);
        if (c.adjust)
            c.adjust(*job);
        EXPECT_EQ(job->Run(), 1);
        EXPECT_EQ(job->m_error.Text().rfind(c.start, 0), 0u) << job->m_error.Text();
        EXPECT_EQ(SnapshotDir(m_out), before);
    }
}

// A failure at each file step, or a kill there, leaves the directory as it was: the failed run
// tidies up itself, the killed one is rolled back by the next run, which gets number 2 again.
TEST_F(ConversionJobTest, AFailureOrAKillAtAnyFileStepChangesNothing)
{
    for (const char* step : {"write F2.DAT", "write F2.DOP", "write MASTER.BAK", "write MASTER", "rename F2.DAT",
                             "rename F2.DOP", "rename MASTER.BAK", "rename MASTER"})
        for (const bool kill : {false, true})
        {
            SCOPED_TRACE(std::string(step) + (kill ? " (killed)" : ""));
            EmptyOut();
            WriteMaster(m_out, {SecurityRecord(1, "A")});
            WriteText(Out("MASTER.BAK"), "older backup");
            const auto before = SnapshotDir(m_out);
            auto job = MakeJob(Input(kRow), false);
            if (kill)
            {
                job->m_stepHook = KillAt(step);
                ASSERT_TRUE(KilledInChild([&] { job->Run(); }));
            }
            else
            {
                job->m_stepHook = [step](const std::string& s) { return s != step; };
                EXPECT_EQ(job->Run(), 1);
                EXPECT_EQ(job->m_error.Text().find(kTemporaryPrefix), std::string::npos) << job->m_error.Text();
                EXPECT_EQ(SnapshotDir(m_out), before);
            }
            auto next = MakeJob(Input(kRow), false, 3, "NEXT");
            ASSERT_EQ(next->Run(), 0) << next->m_error.Text();
            EXPECT_EQ(next->m_nFileNumber, 2);
            EXPECT_EQ(ListDir(m_out), (std::vector<std::string>{"F2.DAT", "F2.DOP", "MASTER", "MASTER.BAK"}));
        }
    // "Make New Master" that fails leaves no MASTER.
    auto job = MakeJob(Input(kRow), true);
    EmptyOut();
    job->m_stepHook = [](const std::string& s) { return s != "rename MASTER"; };
    EXPECT_EQ(job->Run(), 1);
    EXPECT_TRUE(ListDir(m_out).empty());
}

TEST_F(ConversionJobTest, FilesMasterDoesNotListAreNeverOverwritten)
{
    WriteMaster(m_out, {SecurityRecord(2, "B")});
    WriteText(Out("F1.DAT"), "stray");
    WriteText(Out("f3.dop"), "stray layout");
    ASSERT_EQ(::symlink((m_dir / "outside").c_str(), Out("F4.DAT").c_str()), 0); // dangling
    WriteText(Out("F5.MWD"), "intraday");
    WriteMaster(m_out, {SecurityRecord(7, "ACME")}, "master"); // copied from Windows: MASTER is the one used
    const auto before = SnapshotDir(m_out);
    auto job = MakeJob(Input(kRow), false);
    ASSERT_EQ(job->Run(), 0);
    EXPECT_EQ(job->m_nFileNumber, 6);
    auto after = SnapshotDir(m_out);
    for (const auto& entry : before)
        if (entry.first != "MASTER")
        {
            EXPECT_EQ(after[entry.first], entry.second) << entry.first;
        }
    EXPECT_FALSE(FileExists(m_dir / "outside"));
    EXPECT_EQ(ReadBytes(Out("F6.DAT")).size(), 56u);
}

TEST_F(ConversionJobTest, PathIsStoredInItsAbsoluteFormAndAFailedSaveIsReported)
{
    HiveSandbox sandbox;
    auto store = CreateProfileStore();
    store->WriteString("Setting", "Path", "/previous");
    ASSERT_EQ(::chdir(m_dir.path().c_str()), 0);

    ConversionJob refused(store.get());
    refused.m_settings.m_strPath = "nowhere";
    EXPECT_EQ(refused.Run(), 1);
    EXPECT_EQ(store->ReadString("Setting", "Path", ""), "/previous");

    WriteText(m_dir / "rel.txt", kRow);
    ConversionSettings settings;
    settings.m_strPath = "out  "; // trailing blanks, as the dialog hands them on
    settings.m_strSymbol = "ACME";
    settings.m_nExist = MasterChoice::kMakeNew;
    ConversionJob job(store.get());
    settings.ApplyToJob(job, "rel.txt", 3); // relative to where the program was started
    ASSERT_EQ(job.Run(), 0) << job.m_error.Text();
    EXPECT_EQ(store->ReadString("Setting", "Path", ""), m_out);
    EXPECT_EQ(store->ReadString("Setting", "Symbol", ""), "ACME");
    EXPECT_EQ(job.m_strSettingsError, "");
    EXPECT_EQ(ReadBytes(Out("F1.DAT")).size(), 56u);

    // A hive whose folder is a file cannot be written: the conversion stands, the reason is kept.
    platform::SetHivePath(m_dir / "rel.txt/registry");
    ConversionJob unsaved(store.get());
    settings.ApplyToJob(unsaved, m_dir / "rel.txt", 3);
    unsaved.m_settings.m_strPath = m_out;
    unsaved.m_settings.m_strSymbol = "OTHER";
    unsaved.m_settings.m_nExist = MasterChoice::kUseExisting;
    ASSERT_EQ(unsaved.Run(), 0);
    EXPECT_EQ(unsaved.m_strSettingsError.rfind("The settings were not saved:\n", 0), 0u) << unsaved.m_strSettingsError;

    // A new MASTER's directory is made when its parent is there, as typed less its trailing blanks.
    auto fresh = MakeJob(m_dir / "rel.txt", true);
    fresh->m_settings.m_strPath = m_dir / "fresh ";
    ASSERT_EQ(fresh->Run(), 0) << fresh->m_error.Text();
    EXPECT_TRUE(FileExists(m_dir / "fresh/MASTER"));
}
