#include "settings/ConversionSettings.h"
#include "settings/ProfileStore.h"
#include "settings/SettingsRules.h"
#include "support/HiveSandbox.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tavrix;
using namespace testing_support;

// The typed choices are stored under the entries and numbers the desktop program always used, so
// stored settings read back the same, "none chosen" (-1) included.
TEST(ConversionSettingsStore, ChoicesKeepTheirEntriesAndNumbers)
{
    HiveSandbox sandbox;
    auto store = CreateProfileStore();
    ConversionSettings settings;
    settings.m_nExist = MasterChoice::kNone;
    settings.m_nDelimiter = DelimiterChoice::kTab;
    settings.m_bSkipOn = true;
    settings.m_nSkipRows = 3;
    settings.Column(kFieldOpen) = {false, 12};
    settings.Column(kFieldOpenInterest).column = 20;
    ASSERT_EQ(settings.Save(*store), "");
    const std::pair<const char*, const char*> entries[] = {{"Exist", "-1"}, {"Delimiter", "1"}, {"SkipOn", "1"},
                                                           {"OpenOn", "0"}, {"OpenCol", "12"},  {"OICol", "20"}};
    for (const auto& [entry, text] : entries)
        EXPECT_EQ(store->ReadString("Setting", entry, "?"), text) << entry;

    ConversionSettings loaded;
    loaded.Load(*store);
    EXPECT_EQ(loaded.m_nExist, MasterChoice::kNone);
    EXPECT_EQ(loaded.m_nDelimiter, DelimiterChoice::kTab);
    EXPECT_EQ(loaded.m_nSkipRows * loaded.m_bSkipOn, 3);
    EXPECT_EQ(loaded.FieldsOn(),
              (std::vector<Field>{kFieldDate, kFieldHigh, kFieldLow, kFieldClose, kFieldVolume, kFieldOpenInterest}));
    EXPECT_EQ(loaded.Column(kFieldOpen).column, 12);
}

TEST(SettingsRules, ChecksComeInTheDialogsOrder)
{
    ConversionSettings settings;
    settings.Column(kFieldClose).column = 1; // same as the date
    settings.m_strSymbol = "   ";
    settings.m_strPath = "";
    EXPECT_EQ(rules::CheckSettings(settings),
              "Duplicate columns specified\nDate and Close both use column 1\nCorrect or disable");
    settings.Column(kFieldClose).column = 5;
    EXPECT_EQ(rules::CheckSettings(settings), rules::kInvalidSymbol);
    settings.m_strSymbol = "  ibm\xe9 ";
    EXPECT_EQ(rules::CheckSettings(settings), rules::kEnterPath);
    settings.m_strPath = "/data  ";
    EXPECT_EQ(rules::CheckSettings(settings), "");
    EXPECT_EQ(settings.m_strSymbol, "  IBM\xc9"); // leading blanks stay; Latin-1 letters are capitals too
    EXPECT_EQ(settings.m_strPath, "/data  ");

    // A range refusal comes before the duplicate test; limits count characters, not bytes.
    const std::string twoByte = "\xc3\xa9";
    std::string path151;
    for (int i = 0; i < 151; ++i)
        path151 += twoByte;
    const struct
    {
        std::function<void(ConversionSettings&)> change;
        std::string message;
    } cases[] = {
        {[](auto& s) { s.Column(kFieldOpenInterest).column = 21, s.Column(kFieldClose).column = 1; },
         "Please enter an integer between 1 and 20."},
        {[](auto& s) { s.m_nSkipRows = 201; }, "Please enter an integer between 0 and 200."},
        {[](auto& s) { s.m_nSkipRows = -5; }, "Please enter an integer between 0 and 200."},
        {[](auto& s) { s.m_strName = std::string(17, 'n'); }, "Please enter no more than 16 characters."},
        {[](auto& s) { s.m_strName = std::string(16, 'n'); }, ""},
        {[&](auto& s) { s.m_strPath = "/" + path151; }, ""},
        {[&](auto& s) { s.m_strPath = "/" + path151 + std::string(49, 'x'); },
         "Please enter no more than 200 characters."},
    };
    for (const auto& c : cases)
    {
        ConversionSettings changed = settings;
        c.change(changed);
        EXPECT_EQ(rules::CheckSettings(changed), c.message) << c.message;
    }
}
