#include "settings/ProfileStore.h"
#include "support/HiveSandbox.h"

#include <gtest/gtest.h>

#include <climits>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavrix;
using namespace testing_support;

TEST(ProfileStore, EntriesAreTextsReadUpToTheBufferAndNumbersInDecimal)
{
    HiveSandbox sandbox;
    auto store = CreateProfileStore();
    const std::string section = "TavrixHive 1\n[]\n[Software]\n[Software\\Corvanta]\n[Software\\Corvanta\\Tavrix]\n"
                                "[Software\\Corvanta\\Tavrix\\Setting]\n";
    const struct
    {
        std::string stored; // as the hive file holds it, perhaps written by another program
        std::string text;   // ReadString with default "dflt"
        int number;         // ReadInt with default 99
    } cases[] = {{"\"42\"", "42", 42},
                 {"\" 42abc\"", " 42abc", 42},
                 {"\"+8\"", "+8", 8},
                 {"\"- 3\"", "- 3", 99},
                 {"\"\"", "", 99},
                 {"\"99999999999\"", "99999999999", INT_MAX},
                 {"\"-99999999999\"", "-99999999999", INT_MIN},
                 {"hex(4):2a,00,00,00", "*", 99}, // any type reads as its bytes
                 {"hex(3):34,32,00,00", "42", 42},
                 {"hex(3):31,37", "17", 17}, // no terminator: never read beyond the bytes
                 {"\"" + std::string(259, 'a') + "\"", std::string(259, 'a'), 99},
                 {"\"" + std::string(260, 'b') + "\"", "dflt", 99}}; // longer than the read buffer
    for (const auto& c : cases)
    {
        WriteText(sandbox.HiveFile(), section + "\"Entry\"=" + c.stored + "\n");
        EXPECT_EQ(store->ReadString("Setting", "Entry", "dflt"), c.text) << c.stored;
        EXPECT_EQ(store->ReadInt("Setting", "Entry", 99), c.number) << c.stored;
    }
    // Writes store texts, whole; reading a missing section creates nothing, writing creates it.
    EXPECT_TRUE(store->WriteInt("Setting", "Minus", -5));
    EXPECT_EQ(store->ReadInt("Screen", "x", 7), 7);
    EXPECT_TRUE(store->WriteString("Setting", "Long", std::string(260, 'b').c_str()));
    EXPECT_EQ(ReadText(sandbox.HiveFile()), section + "\"Entry\"=\"" + std::string(260, 'b') +
                                                "\"\n\"Minus\"=\"-5\"\n\"Long\"=\"" + std::string(260, 'b') + "\"\n");
    EXPECT_TRUE(store->WriteString("Screen", "x", "10"));
    EXPECT_EQ(store->ReadInt("Screen", "x", 0), 10);
}

TEST(ProfileStore, ImportsTheIniFileOnlyWhenTheBaseKeyIsNew)
{
    HiveSandbox sandbox;
    EXPECT_EQ(CreateProfileStore()->ReadString("Setting", "Path", "none"), "none"); // no INI file: nothing
    HiveSandbox second;
    // '[A]B', 'x[A]' and '[A' are no headers, so y lands in the section before them. 519 characters
    // make one piece of a line; the rest is a line of its own.
    WriteText(second.IniFile(), "Orphan=before any header\r\n[Setting]\r\nPath=C:\\DATA\r\nSpaced = C:\\DATA\r\n"
                                "Formula=a=b\r\n;a=b\r\n=abc\r\njust text\r\n[ Screen ]\r\nx=12\r\n[A]B\r\nx[A]\r\n"
                                "[A\r\ny=34\r\nk=" +
                                    std::string(517, 'v') + "tail=end\n");
    auto store = CreateProfileStore();
    const std::pair<const char*, std::string> entries[] = {{"Path", "C:\\DATA"}, {"Spaced ", " C:\\DATA"},
                                                           {"Formula", "a=b"},   {";a", "b"},
                                                           {"", "abc"},          {"Orphan", "none"}};
    for (const auto& [entry, text] : entries)
        EXPECT_EQ(store->ReadString("Setting", entry, "none"), text) << entry;
    EXPECT_EQ(store->ReadString("Screen", "x", ""), "12");
    EXPECT_EQ(store->ReadString("Screen", "y", ""), "34");
    EXPECT_EQ(store->ReadString("A", "y", "none"), "none");
    EXPECT_EQ(store->ReadString("Screen", "k", "none"), "none"); // 517 characters: too long to read back
    EXPECT_EQ(store->ReadString("Screen", "tail", "none"), "end");

    // A second start does not import again, even from a changed file.
    WriteText(second.IniFile(), "[Setting]\nPath=/elsewhere\nNew=1\n");
    store = CreateProfileStore();
    EXPECT_EQ(store->ReadString("Setting", "Path", ""), "C:\\DATA");
    EXPECT_EQ(store->ReadInt("Setting", "New", 0), 0);
}

TEST(ProfileStore, TwoProcessesWritingAtOnceLoseNothing)
{
    HiveSandbox sandbox;
    CreateProfileStore();
    pid_t children[2];
    for (int child = 0; child < 2; ++child)
    {
        children[child] = ::fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0)
        {
            auto store = CreateProfileStore();
            bool ok = true;
            for (int i = 0; i < 500 && ok; ++i)
                ok = store->WriteInt(child ? "B" : "A", ("e" + std::to_string(i)).c_str(), i * 2 + child);
            ::_exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children)
    {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto store = CreateProfileStore();
    int present = 0;
    for (int i = 0; i < 500; ++i)
        for (int child = 0; child < 2; ++child)
            present += store->ReadInt(child ? "B" : "A", ("e" + std::to_string(i)).c_str(), -1) == i * 2 + child;
    EXPECT_EQ(present, 1000);
}

// Writes are refused with the reason, reads give what the hive holds, and `file` keeps its bytes.
static void ExpectRefused(const std::string& file, const char* read, const char* reason)
{
    const std::string before = ReadText(file);
    auto store = CreateProfileStore();
    EXPECT_EQ(store->ReadString("Setting", "Path", "dflt"), read);
    EXPECT_FALSE(store->WriteString("Setting", "Path", "/other"));
    EXPECT_EQ(store->LastWriteError(), "The settings were not saved:\n" + platform::HivePath() + "\n" + reason);
    EXPECT_FALSE(store->WriteInt("Setting", "New", 1));
    EXPECT_EQ(ReadText(file), before);
}

TEST(ProfileStore, AHiveThatCannotBeWrittenRefusesWritesAndKeepsItsBytes)
{
    {
        HiveSandbox sandbox; // a folder where the lock file goes, as on a read-only location
        CreateProfileStore()->WriteString("Setting", "Path", "/data");
        ::unlink((sandbox.HiveFile() + ".lock").c_str());
        MakeDir(sandbox.HiveFile() + ".lock");
        ExpectRefused(sandbox.HiveFile(), "/data", "it cannot be written.");
    }
    {
        HiveSandbox sandbox; // damaged: never taken for an empty hive and overwritten
        MakeDir(sandbox.dir() / "config/Corvanta");
        WriteText(sandbox.HiveFile(), "TavrixHive 1\n[Software\\Corvanta\\Tavrix\\Setting]\n\"Path\"=\"/da");
        ExpectRefused(sandbox.HiveFile(), "dflt", "it cannot be read as a settings file.");
    }
    HiveSandbox sandbox; // below a regular file
    WriteText(sandbox.dir() / "plain", "not a folder");
    platform::SetHivePath(sandbox.dir() / "plain/Corvanta/registry");
    ExpectRefused(sandbox.dir() / "plain", "dflt", "it cannot be written.");
}
