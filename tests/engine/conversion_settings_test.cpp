#include "JobFixture.h"

#include "settings/ConversionSettings.h"
#include "settings/SettingsRules.h"

using namespace tavrix;
using namespace testing_support;

TEST(ConversionSettingsApply, MapsEverySettingIntoTheJob)
{
    // Exist 0 is "Use Existing Master"; delimiters 0 to 2 are comma, tab, space, anything else comma.
    const struct
    {
        int exist, useExisting, delimiter;
        const char* text;
    } cases[] = {{0, 1, 0, ","}, {1, 0, 1, "\t"}, {-1, 0, 2, " "}, {2, 0, -1, ","}, {0, 1, 3, ","}};
    for (const auto& c : cases)
    {
        ConversionSettings settings;
        settings.m_nExist = c.exist;
        settings.m_nDelimiter = c.delimiter;
        ConversionJob job;
        settings.ApplyToJob(job, "/in.csv", 9);
        EXPECT_EQ(job.m_bUseExistingMaster, c.useExisting) << c.exist;
        EXPECT_STREQ(job.m_szDelimiter, c.text) << c.delimiter;
    }

    ConversionSettings settings;
    settings.m_nOICol = 20;
    settings.m_bOpenOn = 0;
    settings.m_nOpenCol = 12;
    settings.m_bSkipOn = 1;
    settings.m_nSkipRows = 3;
    settings.m_strPath = std::string(400, 'p');
    settings.m_strSymbol = "ABCDEFGHIJKLMNOPQRS";
    ConversionJob job;
    settings.ApplyToJob(job, "/data/in.csv", 0);
    EXPECT_EQ(job.m_strInputPath, "/data/in.csv");
    EXPECT_EQ(job.m_nDateFormat, 0);
    EXPECT_EQ(job.m_bFieldOn, (std::array<int, 7>{1, 0, 1, 1, 1, 1, 1}));
    EXPECT_EQ(job.m_nFieldCol, (std::array<int, 7>{0, 11, 2, 3, 4, 5, 19}));
    EXPECT_EQ(job.m_nSkipRows * job.m_bSkipOn, 3);
    EXPECT_EQ(std::string(job.m_szPath), std::string(300, 'p')); // bounded, never past the end
    EXPECT_STREQ(job.m_szSymbol, "ABCDEFGHIJKLMNOP");
}

TEST(SettingsRules, ChecksComeInTheDialogsOrder)
{
    ConversionSettings settings;
    settings.m_nCloCol = 1; // same as the date
    settings.m_strSymbol = "   ";
    settings.m_strPath = "";
    EXPECT_EQ(rules::CheckSettings(settings),
              "Duplicate columns specified\nDate and Close both use column 1\nCorrect or disable");
    settings.m_nCloCol = 5;
    EXPECT_EQ(rules::CheckSettings(settings), rules::kInvalidSymbol);
    settings.m_strSymbol = "  ibm ";
    EXPECT_EQ(rules::CheckSettings(settings), rules::kEnterPath);
    settings.m_strPath = "/data  ";
    EXPECT_EQ(rules::CheckSettings(settings), "");
    EXPECT_EQ(settings.m_strSymbol, "  IBM"); // leading blanks stay
    EXPECT_EQ(settings.m_strPath, "/data  ");

    // A range refusal comes before the duplicate test.
    settings.m_nOICol = 21;
    settings.m_nCloCol = 1;
    EXPECT_EQ(rules::CheckSettings(settings), "Please enter an integer between 1 and 20.");
    settings.m_nOICol = 20;
    settings.m_nCloCol = 5;
    settings.m_nSkipRows = 201;
    EXPECT_EQ(rules::CheckSettings(settings), "Please enter an integer between 0 and 200.");
    settings.m_nSkipRows = 200;
    settings.m_strName = std::string(17, 'n');
    EXPECT_EQ(rules::CheckSettings(settings), "Please enter no more than 16 characters.");
    settings.m_strName = std::string(16, 'n');
    EXPECT_EQ(rules::CheckSettings(settings), "");
}
