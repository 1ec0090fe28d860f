#include "platform/HiveFile.h"
#include "platform/Registry.h"
#include "support/HiveSandbox.h"

#include <gtest/gtest.h>

using namespace platform;
using namespace testing_support;

namespace {
// The bytes of a literal, embedded zeros included, without the literal's own terminator.
template <std::size_t N> std::string Raw(const char (&text)[N])
{
    return std::string(text, N - 1);
}

std::string Query(HKEY key, const char* name, DWORD* type = nullptr)
{
    BYTE buffer[1024];
    DWORD size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, name, nullptr, type, buffer, &size), ERROR_SUCCESS) << name;
    return std::string(reinterpret_cast<char*>(buffer), size);
}

void Set(HKEY key, const char* name, DWORD type, const std::string& data)
{
    ASSERT_EQ(
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())),
        ERROR_SUCCESS);
}
} // namespace

TEST(HiveFile, OddNamesAndDataRoundTripThroughTheText)
{
    Hive hive;
    HiveKey& key = hive.Create(" Soft=ware ;\\[Key]\\n\xC3\xA9", nullptr);
    const std::string oddName = std::string(" a=b;[c]\"d\"\r\n%x \xFF ");
    Hive::SetValue(key, oddName, 1, Raw("line1\nline2 \"q\" %41 \xE9\x00"));
    Hive::SetValue(key, "", 1, Raw("unnamed\0"));
    Hive::SetValue(key, "dword", 4, Raw("\x2A\x00\x00\x00"));
    Hive::SetValue(key, "empty", 1, std::string());
    Hive::SetValue(key, "two zeros", 1, Raw("a\0b\0"));
    Hive::SetValue(key, "binary", 3, Raw("\x00\xFF\n"));

    const std::string text = hive.Serialize();
    Hive back;
    ASSERT_TRUE(back.Parse(text)) << text;
    EXPECT_EQ(back.Serialize(), text);
    HiveKey* found = back.Find(" soft=WARE ;\\[key]\\N\xC3\xA9");
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(found->values.size(), 6u);
    EXPECT_EQ(Hive::FindValue(*found, oddName)->data, Raw("line1\nline2 \"q\" %41 \xE9\x00"));
    EXPECT_EQ(Hive::FindValue(*found, "")->data, Raw("unnamed\0"));
    EXPECT_EQ(Hive::FindValue(*found, "DWORD")->type, 4u);
    EXPECT_EQ(Hive::FindValue(*found, "dword")->data, Raw("\x2A\x00\x00\x00"));
    EXPECT_EQ(Hive::FindValue(*found, "empty")->data, "");
    EXPECT_EQ(Hive::FindValue(*found, "two zeros")->data, Raw("a\0b\0"));
    EXPECT_EQ(Hive::FindValue(*found, "binary")->type, 3u);
    // Every level above a created key exists.
    EXPECT_NE(back.Find(" Soft=ware ;"), nullptr);
    // The common case stays readable.
    Hive plain;
    Hive::SetValue(plain.Create("Software\\Corvanta\\Tavrix\\Setting", nullptr), "Path", 1, Raw("/home/ann/data\0"));
    EXPECT_NE(plain.Serialize().find("[Software\\Corvanta\\Tavrix\\Setting]\n\"Path\"=\"/home/ann/data\"\n"),
              std::string::npos);
}

TEST(HiveFile, TextsThatAreNoHiveAreRefused)
{
    for (const char* text : {"garbage\n", "TavrixHive 1\n\"a\"=\"b\"\n", "TavrixHive 1\n[A]\n\"a\"=\"b\n",
                             "TavrixHive 1\n[A]\n\"a\"=hex(1):4\n", "TavrixHive 1\n[A]\n\"a\"=hex(x):41\n",
                             "TavrixHive 1\n[A]\n\"a\"=hex(1):41,\n", "TavrixHive 1\n[A]\n\"%4\"=\"b\"\n",
                             "TavrixHive 1\n[A]", "TavrixHive 1\n[A\n"})
    {
        Hive hive;
        hive.Create("Kept", nullptr);
        EXPECT_FALSE(hive.Parse(text)) << text;
        EXPECT_NE(hive.Find("Kept"), nullptr) << text;
    }
}

TEST(HiveFile, TwentyThousandKeysAndAKeyOfManyValuesParseWhole)
{
    std::string text = "TavrixHive 1\n[]\n[Software]\n";
    for (int i = 0; i < 20000; ++i)
        text += "[Software\\Key" + std::to_string(i) + "]\n\"Value\"=\"" + std::to_string(i) + "\"\n";
    text += "[Many]\n";
    for (int i = 0; i < 20000; ++i)
        text += "\"v" + std::to_string(i) + "\"=hex(4):" + std::to_string(i % 10) + "0,00,00,00\n";
    // A repeated section and value name (other letter case) change the existing ones.
    const std::string repeated = "[SOFTWARE\\key7]\n\"VALUE\"=\"again\"\n";

    Hive hive;
    ASSERT_TRUE(hive.Parse(text + repeated));
    std::string expected = text;
    expected.replace(expected.find("[Software\\Key7]\n\"Value\"=\"7\""), 27, "[Software\\Key7]\n\"Value\"=\"again\"");
    EXPECT_TRUE(hive.Serialize() == expected); // not EXPECT_EQ: a mismatch would print megabytes
    ASSERT_NE(hive.Find("software\\KEY19999"), nullptr);
    EXPECT_EQ(hive.Find("software\\KEY19999")->values[0].data, Raw("19999\0"));
    EXPECT_EQ(hive.Find("Many")->values.size(), 20000u);
}

TEST(Registry, CreateReportsNewOrExistingAndOpenNeedsAnExistingKey)
{
    HiveSandbox sandbox;
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Corvanta", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Corvanta\\Tavrix", 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_WRITE, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\corvanta\\TAVRIX", 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_WRITE, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);

    // Each missing level was made.
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Corvanta", 0, KEY_READ, &key), ERROR_SUCCESS);
    // A key opened for reading cannot write.
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
}

TEST(Registry, ValuesKeepTheirTypeAndExactBytes)
{
    HiveSandbox sandbox;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "K", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    Set(key, "-5", REG_SZ, Raw("-5\0"));
    Set(key, nullptr, REG_SZ, Raw("unnamed\0"));
    Set(key, "n", REG_DWORD, Raw("\x2A\x00\x00\x00"));
    Set(key, " = ; [x] \n\xE9 ", REG_SZ, Raw(" v \n=\xE9\0"));

    DWORD type = 0;
    EXPECT_EQ(Query(key, "-5", &type), Raw("-5\0"));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(Query(key, ""), Raw("unnamed\0"));
    EXPECT_EQ(Query(key, "n", &type), Raw("\x2A\x00\x00\x00"));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(Query(key, " = ; [x] \n\xE9 "), Raw(" v \n=\xE9\0"));

    // Too small a buffer: ERROR_MORE_DATA with the size needed.
    BYTE small[2];
    DWORD size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "unnamed", nullptr, nullptr, small, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key, "", nullptr, nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    RegCloseKey(key);
    // No temporary file is left beside the hive.
    EXPECT_EQ(ListDir(sandbox.dir() / "config/Corvanta"), (std::vector<std::string>{"registry", "registry.lock"}));
}

TEST(Registry, WindowsDirectoryIsTheSystemConfigurationFolder)
{
    const std::string old = SetWindowsDirectory("");
    char buffer[260];
    EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), 8u);
    EXPECT_STREQ(buffer, "/etc/xdg");
    EXPECT_EQ(GetWindowsDirectoryA(buffer, 8), 9u); // too small: the size needed
    SetWindowsDirectory(old);
}
