#include "settings/ProfileStore.h"
#include "support/HiveSandbox.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace tavrix;
using namespace testing_support;

namespace {
class ProfileStoreTest : public ::testing::Test
{
protected:
    void SetUp() override { m_store = CreateProfileStore(); }

    // Stores raw bytes under Setting\<entry> the way another program might.
    void SetRaw(const char* entry, platform::DWORD type, const std::string& bytes)
    {
        HKEY key = nullptr;
        ASSERT_EQ(platform::RegCreateKeyExA(platform::HKEY_LOCAL_MACHINE, "Software\\Corvanta\\Tavrix\\Setting", 0,
                                            nullptr, 0, platform::KEY_WRITE, nullptr, &key, nullptr),
                  platform::ERROR_SUCCESS);
        platform::RegSetValueExA(key, entry, 0, type, reinterpret_cast<const platform::BYTE*>(bytes.data()),
                                 static_cast<platform::DWORD>(bytes.size()));
        platform::RegCloseKey(key);
    }

    std::string RawBytes(const char* section, const char* entry)
    {
        HKEY key = nullptr;
        const std::string path = std::string("Software\\Corvanta\\Tavrix\\") + section;
        if (platform::RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, path.c_str(), 0, platform::KEY_READ, &key) != 0)
            return "<no key>";
        platform::BYTE buffer[600];
        platform::DWORD size = sizeof buffer;
        const auto status = platform::RegQueryValueExA(key, entry, nullptr, nullptr, buffer, &size);
        platform::RegCloseKey(key);
        return status == 0 ? std::string(reinterpret_cast<char*>(buffer), size) : "<no value>";
    }

    HiveSandbox m_sandbox;
    std::unique_ptr<ProfileStore> m_store;
};
} // namespace

TEST_F(ProfileStoreTest, IntegersAreDecimalText)
{
    EXPECT_EQ(m_store->BasePath(), "Software\\Corvanta\\Tavrix");
    EXPECT_TRUE(m_store->WriteInt("Setting", "Minus", -5));
    EXPECT_EQ(RawBytes("Setting", "Minus"), std::string("-5\0", 3));
    EXPECT_EQ(m_store->ReadInt("Setting", "Minus", 9), -5);

    const struct
    {
        const char* text;
        int expected;
    } cases[] = {{"42", 42},
                 {" 42abc", 42},
                 {"-7", -7},
                 {"+8", 8},
                 {"abc", 99},
                 {"", 99},
                 {"- 3", 99},
                 {"99999999999", 2147483647},
                 {"-99999999999", -2147483647 - 1}};
    for (const auto& c : cases)
    {
        m_store->WriteString("Setting", "Number", c.text);
        EXPECT_EQ(m_store->ReadInt("Setting", "Number", 99), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(m_store->ReadInt("Setting", "Missing", 7), 7);
    EXPECT_EQ(m_store->ReadInt("NoSection", "Number", 7), 7);
}

TEST_F(ProfileStoreTest, TextsUpToTheReadBufferAndNoMore)
{
    const std::string fits(259, 'a');
    const std::string tooLong(260, 'b');
    m_store->WriteString("Setting", "Fits", fits.c_str());
    m_store->WriteString("Setting", "TooLong", tooLong.c_str());
    EXPECT_EQ(m_store->ReadString("Setting", "Fits", "dflt"), fits);
    EXPECT_EQ(m_store->ReadString("Setting", "TooLong", "dflt"), "dflt");
    EXPECT_EQ(RawBytes("Setting", "TooLong").size(), 261u); // stored whole, only not readable here

    m_store->WriteString("Setting", "Empty", "");
    EXPECT_EQ(RawBytes("Setting", "Empty"), std::string("\0", 1));
    EXPECT_EQ(m_store->ReadString("Setting", "Empty", "dflt"), "");
}

TEST_F(ProfileStoreTest, ValuesOfOtherTypesReadAsTheirRawBytes)
{
    SetRaw("Dword", platform::REG_DWORD, std::string("\x2A\0\0\0", 4));
    EXPECT_EQ(m_store->ReadString("Setting", "Dword", "dflt"), "*");
    EXPECT_EQ(m_store->ReadInt("Setting", "Dword", 5), 5);
    SetRaw("DigitsAsBinary", platform::REG_BINARY, std::string("42\0\0", 4));
    EXPECT_EQ(m_store->ReadInt("Setting", "DigitsAsBinary", 5), 42);
    // Bytes without a terminator are never read beyond what is stored.
    SetRaw("NoZero", platform::REG_BINARY, "17");
    EXPECT_EQ(m_store->ReadString("Setting", "NoZero", "dflt"), "17");
    EXPECT_EQ(m_store->ReadInt("Setting", "NoZero", 5), 17);
}

TEST_F(ProfileStoreTest, ReadingAMissingSectionCreatesNothingWritingCreatesIt)
{
    EXPECT_EQ(m_store->ReadString("Screen", "x", "dflt"), "dflt");
    EXPECT_EQ(RawBytes("Screen", "x"), "<no key>");
    EXPECT_TRUE(m_store->WriteString("Screen", "x", "10"));
    EXPECT_EQ(m_store->ReadInt("Screen", "x", 0), 10);
}

TEST(ProfileStoreImport, ImportsTheIniFileOnlyWhenTheBaseKeyIsNew)
{
    HiveSandbox sandbox;
    WriteText(sandbox.IniFile(), "Orphan=before any header\r\n"
                                 "[Setting]\r\n"
                                 "Path=C:\\DATA\r\n"
                                 "Spaced = C:\\DATA\r\n"
                                 "Formula=a=b\r\n"
                                 ";a=b\r\n"
                                 "=abc\r\n"
                                 "just text\r\n"
                                 "[ Screen ]\r\n"
                                 "x=12\r\n"
                                 "[A]B\r\n"
                                 "x[A]\r\n"
                                 "[A\r\n"
                                 "y=34\r\n");
    auto store = CreateProfileStore();
    EXPECT_EQ(store->ReadString("Setting", "Path", ""), "C:\\DATA");
    EXPECT_EQ(store->ReadString("Setting", "Spaced ", ""), " C:\\DATA");
    EXPECT_EQ(store->ReadString("Setting", "Formula", ""), "a=b");
    EXPECT_EQ(store->ReadString("Setting", ";a", ""), "b");
    EXPECT_EQ(store->ReadString("Setting", "", ""), "abc");
    EXPECT_EQ(store->ReadString("Setting", "Orphan", "none"), "none");
    EXPECT_EQ(store->ReadString("", "Orphan", "none"), "none");
    // '[A]B', 'x[A]' and '[A' are no headers, so y lands in the section before them.
    EXPECT_EQ(store->ReadInt("Screen", "x", 0), 12);
    EXPECT_EQ(store->ReadInt("Screen", "y", 0), 34);
    EXPECT_EQ(store->ReadInt("A", "y", 0), 0);

    // A second start does not import again, even from a changed file.
    WriteText(sandbox.IniFile(), "[Setting]\nPath=/elsewhere\nNew=1\n");
    store = CreateProfileStore();
    EXPECT_EQ(store->ReadString("Setting", "Path", ""), "C:\\DATA");
    EXPECT_EQ(store->ReadInt("Setting", "New", 0), 0);
}

TEST(ProfileStoreImport, LongLinesAreReadInPiecesAndAMissingFileImportsNothing)
{
    HiveSandbox sandbox;
    {
        auto store = CreateProfileStore(); // no INI file: nothing, quietly
        EXPECT_EQ(store->ReadString("Setting", "Path", "none"), "none");
    }
    HiveSandbox second;
    // 519 characters make one piece; the rest of the line is a line of its own.
    WriteText(second.IniFile(), "[S]\n" + std::string("k=") + std::string(517, 'v') + "tail=end\n");
    auto store = CreateProfileStore();
    EXPECT_EQ(store->ReadString("S", "k", "none"), "none"); // 517 characters: too long to read back
    EXPECT_EQ(store->ReadString("S", "tail", "none"), "end");
}

TEST(ProfileStoreConcurrency, TwoProcessesWritingAtOnceLoseNothing)
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
            ProfileStore store;
            HKEY key = nullptr;
            platform::DWORD disposition = 0;
            bool ok = store.OpenBaseKey(&key, &disposition, platform::HKEY_LOCAL_MACHINE, "Software\\Corvanta\\Tavrix");
            platform::RegCloseKey(key);
            for (int i = 0; i < 500 && ok; ++i)
                ok = store.WriteInt(child ? "B" : "A", ("e" + std::to_string(i)).c_str(), i * 2 + child);
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
    {
        present += store->ReadInt("A", ("e" + std::to_string(i)).c_str(), -1) == i * 2;
        present += store->ReadInt("B", ("e" + std::to_string(i)).c_str(), -1) == i * 2 + 1;
    }
    EXPECT_EQ(present, 1000);
}

TEST(ProfileStoreFailures, AHiveThatCannotBeWrittenStillReads)
{
    HiveSandbox sandbox;
    {
        auto store = CreateProfileStore();
        store->WriteString("Setting", "Path", "/data");
    }
    const std::string before = ReadText(sandbox.HiveFile());
    // A folder where the lock file must go: no change can be made, as on a read-only location.
    ::unlink((sandbox.HiveFile() + ".lock").c_str());
    MakeDir(sandbox.HiveFile() + ".lock");
    auto store = std::make_unique<ProfileStore>();
    HKEY key = nullptr;
    platform::DWORD disposition = 0;
    EXPECT_FALSE(store->OpenBaseKey(&key, &disposition, platform::HKEY_LOCAL_MACHINE, "Software\\Corvanta\\Tavrix"));
    EXPECT_EQ(store->ReadString("Setting", "Path", "dflt"), "/data");
    EXPECT_FALSE(store->WriteString("Setting", "Path", "/other"));
    EXPECT_FALSE(store->WriteInt("Setting", "New", 1));
    EXPECT_EQ(ReadText(sandbox.HiveFile()), before);
}

TEST(ProfileStoreFailures, AHiveBelowARegularFileGivesDefaults)
{
    HiveSandbox sandbox;
    WriteText(sandbox.dir() / "plain", "not a folder");
    const std::string old = platform::SetHivePath(sandbox.dir() / "plain/Corvanta/registry");
    auto store = CreateProfileStore();
    EXPECT_EQ(store->ReadInt("Setting", "DateCol", 1), 1);
    EXPECT_FALSE(store->WriteInt("Setting", "DateCol", 3));
    EXPECT_EQ(ReadText(sandbox.dir() / "plain"), "not a folder");
    platform::SetHivePath(old);
}

TEST(ProfileStoreFailures, AnUnparsableHiveIsNeverOverwritten)
{
    HiveSandbox sandbox;
    MakeDir(sandbox.dir() / "config/Corvanta");
    const std::string damaged = "TavrixHive 1\n[Software\\Corvanta\\Tavrix\\Setting]\n\"Path\"=\"/da";
    WriteText(sandbox.HiveFile(), damaged);
    auto store = CreateProfileStore();
    EXPECT_EQ(store->ReadString("Setting", "Path", "dflt"), "dflt");
    EXPECT_FALSE(store->WriteString("Setting", "Path", "/new"));
    EXPECT_EQ(ReadText(sandbox.HiveFile()), damaged);
}
