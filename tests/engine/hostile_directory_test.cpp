#include "JobFixture.h"

#include "engine/DirectoryChange.h"
#include "engine/DirectoryReading.h"
#include "marketdata/DirectoryCheck.h"
#include "marketdata/Securities.h"
#include "marketdata/Xmaster.h"

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>

using namespace tavrix;
using namespace testing_support;

namespace {
const std::string kRow = "01/02/25,1,2,0.5,1.5,100,7\n";

class HostileDirectoryTest : public JobFixture
{
protected:
    // ACME (F1) and BETA (F2), each converted from one row.
    void TwoSecurities()
    {
        ASSERT_EQ(MakeJob(Input(kRow), true, 3, "ACME")->Run(), 0);
        ASSERT_EQ(MakeJob(Input(kRow), false, 3, "BETA")->Run(), 0);
    }
    std::string Inode(const std::string& name)
    {
        struct stat st
        {
        };
        return ::lstat(Out(name).c_str(), &st) == 0 ? std::to_string(st.st_ino) : "0";
    }
    std::string Problems()
    {
        std::string text;
        for (const CheckFinding& finding : CheckDirectoryTree(m_out).findings)
            text += finding.note ? "" : finding.text + "\n";
        return text;
    }
};
} // namespace

// A journal is input like any other: one that names a file outside the directory or one no change
// writes, would delete a master file or a file they list, or is cut off or of another make, is never
// acted on; writers and readers say why and change nothing.
TEST_F(HostileDirectoryTest, PlantedJournalsAreNeverActedOn)
{
    TwoSecurities();
    MakeDir(m_dir / "outside");
    WriteText(m_dir / "outside/precious", "keep me");
    WriteText(Out("notes.txt"), "mine");
    const std::string head = "tavrix change journal 2\n";
    const std::string rollBack = "R .~tavrix-9-2-MASTER 1 - 0 MASTER\n"; // MASTER not yet in place: undo
    const std::string whole = "R .~tavrix-9-2-MASTER " + Inode("MASTER") + " - 0 MASTER\n"; // in place: finish
    const std::string journals[] = {
        head + whole + "D " + Inode("MASTER") + " MASTER\nend 2\n",
        head + whole + "D " + Inode("MASTER.BAK") + " MASTER.BAK\nend 2\n",
        head + whole + "D " + Inode("notes.txt") + " notes.txt\nend 2\n",
        head + "C .~tavrix-9-1-n " + Inode("notes.txt") + " notes.txt\n" + rollBack + "end 2\n",
        head + "C .~tavrix-9-1-M " + Inode("MASTER") + " MASTER\nR .~tavrix-9-2-F9.DAT 1 - 0 F9.DAT\nend 2\n",
        "R 1 ../outside/precious F9.DAT\n",
        head + "R .~tavrix-9-1-F9 1 ../outside/precious 1 F9.DAT\nend 1\n",
        head + "C .~tavrix-9-1-F1.DAT " + Inode("F1.DAT") + " F1.DAT\n" + rollBack + "end 2\n",
        head + "C .~tavrix-9-1-x 1 ../F1.DAT\n" + rollBack + "end 2\n",
        head + "C notours 1 F7.DAT\n" + rollBack + "end 2\n",
        head + "C .~tavrix-9-1-F7.DAT 1 F7.DAT\n" + rollBack, // cut off: no end
        "",                                                   // empty
    };
    for (const std::string& journal : journals)
    {
        SCOPED_TRACE(journal);
        WriteText(Out(DirectoryChange::kJournalName), journal);
        const auto before = SnapshotDir(m_out);
        for (auto& job : {MakeJob(Input(kRow), false, 3, "NEW"), MakeJob(Input(kRow), false, 3, "ACME")})
        {
            EXPECT_EQ(job->Run() + job->Update(false) + job->Remove(), 3);
            EXPECT_NE(job->m_error.Text().find("does not check out"), std::string::npos) << job->m_error.Text();
        }
        ReadingLock reading;
        EXPECT_NE(reading.Acquire(m_out).Text().find("does not check out"), std::string::npos);
        EXPECT_EQ(SnapshotDir(m_out), before);
        EXPECT_EQ(ReadText(m_dir / "outside/precious"), "keep me");
    }
}

// A full disk at the journal names the journal and leaves none; a kill at each step of a remove
// leaves BETA listed with its files, or gone with them once the next job has finished the change.
TEST_F(HostileDirectoryTest, AJournalIsWholeOrAbsentAndAKilledRemoveIsFinished)
{
    TwoSecurities();
    auto full = MakeJob("", false, 3, "BETA");
    full->m_stepHook = [](const std::string& step) { return step != "write journal"; };
    const auto before = SnapshotDir(m_out);
    EXPECT_EQ(full->Remove(), 1);
    EXPECT_EQ(full->m_error.Text().rfind("Cannot write the change journal\n" + Out(DirectoryChange::kJournalName), 0),
              0u);
    EXPECT_EQ(SnapshotDir(m_out), before);

    for (const char* step : {"write MASTER", "write journal", "rename MASTER", "delete F2.DAT", "delete F2.DOP"})
    {
        SCOPED_TRACE(step);
        EmptyOut();
        TwoSecurities();
        ASSERT_TRUE(KilledInChild([&] {
            auto job = MakeJob("", false, 3, "BETA");
            job->m_stepHook = KillAt(step);
            job->Remove();
        }));
        ReadingLock reading; // readers put a cut-off change right before they read
        ASSERT_FALSE(reading.Acquire(m_out).Failed());
        reading.Release();
        const bool removed = std::string(step).rfind("delete", 0) == 0;
        EXPECT_EQ(FileExists(Out("F2.DAT")) + FileExists(Out("F2.DOP")), removed ? 0 : 2);
        EXPECT_EQ(Problems(), "");
        ASSERT_EQ(MakeJob(Input(kRow), false, 3, "NEXT")->Run(), 0); // writers sweep what killed runs staged
        for (const std::string& name : ListDir(m_out))
            EXPECT_NE(name.rfind(kTemporaryPrefix, 0), 0u) << name;
    }
}

// Files are never another security's: a price file two records name is neither rewritten nor
// deleted, whether both are in MASTER, both in XMASTER (RCS names RCF's F256.MWD) or one in each (RCF
// names ACO's F5.DAT); and a "price file" that is a directory is not said to be removed.
TEST_F(HostileDirectoryTest, FilesThatAreNotTheSecuritysAloneAreLeftAlone)
{
    const auto patch = [this](const std::string& name, std::size_t at, int number) {
        Bytes bytes = ReadBytes(Out(name));
        bytes[at] = static_cast<std::uint8_t>(number), bytes[at + 1] = static_cast<std::uint8_t>(number >> 8);
        WriteBytes(Out(name), bytes);
    };
    const auto vendor = [this] {
        std::filesystem::remove_all(m_out);
        std::filesystem::copy(std::string(TAVRIX_FIXTURES) + "/metastock-sample", m_out,
                              std::filesystem::copy_options::recursive);
    };
    const std::tuple<std::function<void()>, std::vector<std::string>, std::string> cases[] = {
        {[&] { TwoSecurities(), patch("MASTER", 2 * kMasterRecordSize + kRecFileNumber, 1); },
         {"BETA", "ACME"},
         "MASTER record 2: BETA\nMASTER record 1: ACME"},
        {[&] { vendor(), patch("Xmaster", 2 * kXmasterRecordSize + kXmFileNumber, 256); },
         {"RCS", "RCF"},
         "XMASTER record 2: RCS\nXMASTER record 1: RCF"},
        {[&] { vendor(), patch("Xmaster", kXmasterRecordSize + kXmFileNumber, 5); },
         {"RCF", "ACO"},
         "XMASTER record 1: RCF\nMASTER record 5: ACO"},
    };
    for (const auto& [setUp, keys, records] : cases)
    {
        EmptyOut();
        setUp();
        const auto before = SnapshotDir(m_out);
        for (const std::string& key : keys)
        {
            SCOPED_TRACE(key);
            auto job = MakeJob(Input("01/03/25,1,2,0.5,9,100,7\n"), false, 3, key);
            EXPECT_EQ(job->Update(true) + job->Remove(), 2);
            EXPECT_NE(job->m_error.Text().find("shares its file number"), std::string::npos) << job->m_error.Text();
        }
        auto first = MakeJob("", false, 3, keys.front());
        EXPECT_EQ(first->Remove(), 1);
        EXPECT_NE(first->m_error.reason.find(records), std::string::npos) << first->m_error.Text();
        EXPECT_EQ(SnapshotDir(m_out), before);
    }

    EmptyOut();
    TwoSecurities();
    ::unlink(Out("F2.DAT").c_str());
    MakeDir(Out("F2.DAT"));
    const auto before = SnapshotDir(m_out);
    auto job = MakeJob("", false, 3, "BETA");
    EXPECT_EQ(job->Remove(), 1);
    EXPECT_EQ(job->m_error.Text().rfind("Will not delete the price file\n" + Out("F2.DAT"), 0), 0u);
    EXPECT_EQ(SnapshotDir(m_out), before);
}

// Inputs and directory files that block or never end: a FIFO as the input keeps no one else waiting,
// and a MASTER or XMASTER that is a FIFO, a link to an endless device or huge is refused at once, by
// readers and writers alike, and nothing is changed.
TEST_F(HostileDirectoryTest, InputsAndFilesThatBlockOrGrowKeepNobodyWaiting)
{
    ASSERT_EQ(MakeJob(Input(kRow), true, 3, "BASE")->Run(), 0);
    const std::string fifo = m_dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread stalled([&] { MakeJob(fifo, false, 3, "SLOW")->Run(); }); // waits for a writer, without the lock
    bool waited = false;
    auto other = MakeJob(Input(kRow), false, 3, "OTHER");
    other->m_onWaitForLock = [&waited] { waited = true; };
    EXPECT_EQ(other->Run(), 0);
    EXPECT_FALSE(waited);
    const int writer = ::open(fifo.c_str(), O_WRONLY);
    ASSERT_EQ(::write(writer, kRow.data(), kRow.size()), static_cast<ssize_t>(kRow.size()));
    ::close(writer);
    stalled.join();

    const std::pair<std::string, std::string> cases[] = {
        {"MASTER", "fifo"}, {"MASTER", "zero"}, {"XMASTER", "fifo"}, {"XMASTER", "zero"}, {"XMASTER", "huge"}};
    for (const auto& [file, kind] : cases)
    {
        SCOPED_TRACE(file + " " + kind);
        EmptyOut();
        if (file == "XMASTER")
        {
            ASSERT_EQ(MakeJob(Input(kRow), true, 3, "ACME")->Run(), 0);
        }
        if (kind == "huge")
            WriteText(Out(file), "");
        const int made = kind == "fifo"   ? ::mkfifo(Out(file).c_str(), 0600)
                         : kind == "zero" ? ::symlink("/dev/zero", Out(file).c_str())
                                          : ::truncate(Out(file).c_str(), 20LL << 30); // sparse
        ASSERT_EQ(made, 0);
        const std::string why = kind == "huge" ? "larger than any sound file" : "not a regular file";
        const std::vector<std::string> names = ListDir(m_out);
        auto job = MakeJob(Input(kRow), false, 3, "NEW");
        EXPECT_EQ(job->Run() + job->Update(false) + job->Remove(), 3);
        EXPECT_NE(job->m_error.Text().find(Out(file) + "\n" + why), std::string::npos) << job->m_error.Text();
        EXPECT_NE(Problems().find(why), std::string::npos);
        std::vector<Security> listed;
        EXPECT_NE(ListSecurities(m_out, &listed).find(why), std::string::npos);
        EXPECT_EQ(ListDir(m_out), names);
    }
}

// A reader waits while a writer holds the directory, and is told so once.
TEST_F(HostileDirectoryTest, ReadersWaitForAWriter)
{
    ASSERT_EQ(MakeJob(Input(kRow), true)->Run(), 0);
    const int fd = ::open(m_out.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    std::thread release([fd] { ::usleep(200000), ::close(fd); });
    int told = 0;
    ReadingLock reading;
    EXPECT_FALSE(reading.Acquire(m_out, [&told] { ++told; }).Failed());
    release.join();
    EXPECT_EQ(told, 1);
}
