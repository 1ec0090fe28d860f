#include "platform/HiveFile.h"
#include "platform/Registry.h"
#include "support/HiveSandbox.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace platform;
using namespace std::string_literals;
using namespace testing_support;

TEST(Registry, OddNamesAndDataRoundTripThroughTheHiveFile)
{
    HiveSandbox sandbox;
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, " Soft=ware ;", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    DWORD disposition = 0;
    for (const char* path : {" Soft=ware ;\\[Key]\\n\xC3\xA9", " soft=WARE ;\\[key]\\N\xC3\xA9"}) // letter case aside
    {
        RegCloseKey(key);
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, &disposition), 0);
    }
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    const std::tuple<std::string, DWORD, std::string> values[] = {
        {" a=b;[c]\"d\"\r\n%x \xFF ", 1, "line1\nline2 \"q\" %41 \xE9\x00"s},
        {"", 1, "unnamed\0"s},
        {"dword", 4, "\x2A\x00\x00\x00"s},
        {"empty", 1, ""},
        {"two zeros", 1, "a\0b\0"s},
        {"binary", 3, "\x00\xFF\n"s}};
    for (const auto& [name, type, data] : values)
        RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
    for (const auto& [name, type, data] : values)
    {
        BYTE buffer[64];
        DWORD size = sizeof buffer, stored = 0;
        ASSERT_EQ(RegQueryValueExA(key, name == "dword" ? "DWORD" : name.c_str(), nullptr, &stored, buffer, &size), 0);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size), data) << name;
        EXPECT_EQ(stored, type) << name;
    }
    BYTE small[2]; // too small: ERROR_MORE_DATA with the size needed
    DWORD size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "unnamed", nullptr, nullptr, small, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    RegCloseKey(key);
    // Each level above was made; a key opened for reading cannot write; no temporary file is left.
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, " Soft=ware ;", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    EXPECT_EQ(ListDir(sandbox.dir() / "config/Corvanta"), (std::vector<std::string>{"registry", "registry.lock"}));

    const std::string text = ReadText(sandbox.HiveFile());
    Hive hive;
    ASSERT_TRUE(hive.Parse(text));
    EXPECT_EQ(hive.Serialize(), text);
    for (const char* bad : {"garbage\n", "TavrixHive 1\n\"a\"=\"b\"\n", "TavrixHive 1\n[A]\n\"a\"=\"b\n",
                            "TavrixHive 1\n[A]\n\"a\"=hex(1):4\n", "TavrixHive 1\n[A]\n\"a\"=hex(x):41\n",
                            "TavrixHive 1\n[A]\n\"a\"=hex(1):41,\n", "TavrixHive 1\n[A]\n\"%4\"=\"b\"\n",
                            "TavrixHive 1\n[A]", "TavrixHive 1\n[A\n"})
    {
        EXPECT_FALSE(hive.Parse(bad)) << bad;
        EXPECT_EQ(hive.Serialize(), text) << bad; // a refused text changes nothing
    }

    // The INI file of a first start is looked for in the system configuration folder.
    const std::string old = SetWindowsDirectory("");
    char buffer[260];
    EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), 8u);
    EXPECT_STREQ(buffer, "/etc/xdg");
    EXPECT_EQ(GetWindowsDirectoryA(buffer, 8), 9u); // too small: the size needed
    SetWindowsDirectory(old);
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
    Hive hive;
    ASSERT_TRUE(hive.Parse(text + "[SOFTWARE\\key7]\n\"VALUE\"=\"again\"\n"));
    text.replace(text.find("[Software\\Key7]\n\"Value\"=\"7\""), 27, "[Software\\Key7]\n\"Value\"=\"again\"");
    EXPECT_TRUE(hive.Serialize() == text); // not EXPECT_EQ: a mismatch would print megabytes
    ASSERT_NE(hive.Find("software\\KEY19999"), nullptr);
    EXPECT_EQ(hive.Find("software\\KEY19999")->values[0].data, "19999\0"s);
    EXPECT_EQ(hive.Find("Many")->values.size(), 20000u);
}
