#include "UiFixture.h"

#include "dialogs/ChooseDir.h"
#include "dialogs/SettingsDlg.h"
#include "dialogs/SpinButton.h"

#include <QCheckBox>
#include <QListWidget>
#include <QRadioButton>

using namespace testing_support;

namespace {
class SettingsDlgTest : public UiFixture
{
protected:
    SettingsDlgTest() : m_dlg(&m_code)
    {
        tavrix::ConversionSettings settings;
        settings.m_strPath = m_out;
        settings.m_strSymbol = "ACME";
        Show(settings);
    }

    void Show(const tavrix::ConversionSettings& settings)
    {
        m_dlg.LoadFrom(settings);
        m_dlg.OnInitDialog();
        m_dlg.show();
    }

    QLineEdit* Edit(const char* name) { return m_dlg.findChild<QLineEdit*>(name); }
    QComboBox* DateFormat() { return m_dlg.findChild<QComboBox*>("m_strDateFormat"); }

    int m_code = 1;
    CSettingsDlg m_dlg;
};
} // namespace

TEST_F(SettingsDlgTest, DefaultsAreShownAndConfirmingHandsOnTheDateCode)
{
    EXPECT_EQ(Text(&m_dlg, "m_nDateCol"), "1");
    EXPECT_EQ(Text(&m_dlg, "m_nOICol"), "7");
    EXPECT_TRUE(m_dlg.findChild<QRadioButton*>("m_nExist0")->isChecked());
    EXPECT_TRUE(m_dlg.findChild<QRadioButton*>("m_nDelimiter0")->isChecked());
    EXPECT_EQ(DateFormat()->currentText(), "MMDDYY");
    EXPECT_FALSE(Edit("m_nSkipRows")->isEnabled());
    EXPECT_EQ(m_dlg.focusWidget(), m_dlg.findChild<QWidget*>("IDOK"));
    Click(&m_dlg, "IDOK");
    EXPECT_TRUE(m_boxes.texts.empty());
    EXPECT_EQ(m_dlg.result(), QDialog::Accepted);
    EXPECT_EQ(m_code, 9);
}

TEST_F(SettingsDlgTest, DuplicateColumnsThenSymbolThenPathEachInTurn)
{
    SetText(&m_dlg, "m_nCloCol", "1");
    SetText(&m_dlg, "m_strSymbol", "   ");
    SetText(&m_dlg, "m_strPath", "  ");
    Click(&m_dlg, "IDOK");
    SetText(&m_dlg, "m_nCloCol", "5");
    Click(&m_dlg, "IDOK");
    SetText(&m_dlg, "m_strSymbol", "  ibm ");
    Click(&m_dlg, "IDOK");
    EXPECT_EQ(m_boxes.texts, (std::vector<std::string>{"Duplicate columns specified\nCorrect or disable",
                                                       "You did not enter a valid symbol", "Please enter path"}));
    EXPECT_TRUE(m_dlg.isVisible());
    EXPECT_EQ(Text(&m_dlg, "m_strSymbol"), "  IBM"); // trimmed at the right, upper case, shown so

    SetText(&m_dlg, "m_strPath", QString::fromStdString(m_out) + "  ");
    Click(&m_dlg, "IDOK");
    EXPECT_EQ(m_dlg.result(), QDialog::Accepted);
    EXPECT_EQ(m_dlg.m_strPath, m_out + "  "); // handed on with its trailing blanks
}

TEST_F(SettingsDlgTest, ARefusedNumberStopsTheReadingAtItsField)
{
    SetText(&m_dlg, "m_nOpenCol", "25");
    SetText(&m_dlg, "m_nCloCol", "1"); // a duplicate that must not be reported yet
    Click(&m_dlg, "IDOK");
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>{"Please enter an integer between 1 and 20."});
    EXPECT_EQ(m_dlg.focusWidget(), Edit("m_nOpenCol"));
    EXPECT_TRUE(m_dlg.isVisible());

    SetText(&m_dlg, "m_nOpenCol", "2x");
    Click(&m_dlg, "IDOK");
    EXPECT_EQ(m_boxes.texts.back(), "Please enter a positive integer.");
    EXPECT_EQ(m_dlg.m_nCloCol, 5u); // read no further than the refused field

    SetText(&m_dlg, "m_nOpenCol", "20");
    SetText(&m_dlg, "m_nCloCol", "5");
    QTest::mouseClick(m_dlg.findChild<QCheckBox*>("m_bSkipOn"), Qt::LeftButton);
    SetText(&m_dlg, "m_nSkipRows", "201");
    Click(&m_dlg, "IDOK");
    EXPECT_EQ(m_boxes.texts.back(), "Please enter an integer between 0 and 200.");
    SetText(&m_dlg, "m_nSkipRows", "200");
    Click(&m_dlg, "IDOK");
    EXPECT_EQ(m_dlg.result(), QDialog::Accepted);
}

TEST_F(SettingsDlgTest, CheckBoxesSwitchTheirFieldsAndClearedFieldsTakeNoPart)
{
    auto* volume = m_dlg.findChild<QCheckBox*>("m_bVolOn");
    QTest::mouseClick(volume, Qt::LeftButton);
    EXPECT_FALSE(Edit("m_nVolCol")->isEnabled());
    EXPECT_FALSE(m_dlg.findChild<CSpinButton*>("spinVolume")->isEnabled());
    EXPECT_EQ(Text(&m_dlg, "m_nVolCol"), "1");
    QTest::mouseClick(volume, Qt::LeftButton);
    EXPECT_TRUE(Edit("m_nVolCol")->isEnabled());
    EXPECT_EQ(Text(&m_dlg, "m_nVolCol"), "1");

    QTest::mouseClick(m_dlg.findChild<QCheckBox*>("m_bSkipOn"), Qt::LeftButton);
    EXPECT_TRUE(Edit("m_nSkipRows")->isEnabled());
    QTest::mouseClick(m_dlg.findChild<QCheckBox*>("m_bSkipOn"), Qt::LeftButton);
    EXPECT_EQ(Text(&m_dlg, "m_nSkipRows"), "0");

    // Open cleared while holding the date's column: no duplicate.
    QTest::mouseClick(m_dlg.findChild<QCheckBox*>("m_bOpenOn"), Qt::LeftButton);
    QTest::mouseClick(volume, Qt::LeftButton);
    SetText(&m_dlg, "m_nOICol", "2");
    Click(&m_dlg, "IDOK");
    EXPECT_TRUE(m_boxes.texts.empty()) << m_boxes.texts.front();
    EXPECT_EQ(m_dlg.result(), QDialog::Accepted);

    // The spin writes the next number within its range.
    auto* spin = m_dlg.findChild<CSpinButton*>("spinDate");
    SetText(&m_dlg, "m_nDateCol", "20");
    spin->Step(1);
    EXPECT_EQ(Text(&m_dlg, "m_nDateCol"), "20");
    spin->Step(-1);
    EXPECT_EQ(Text(&m_dlg, "m_nDateCol"), "19");
}

TEST_F(SettingsDlgTest, StoredValuesAreShownAsStoredAndCheckedOnOk)
{
    tavrix::ConversionSettings settings;
    settings.m_strPath = m_out;
    settings.m_strSymbol = "ABCDEFGHIJKLMNOPQR"; // 18 characters, shown whole
    settings.m_nOICol = 21;
    settings.m_bOIOn = 0;
    settings.m_nExist = 2;
    settings.m_strDateFormat = "mm";
    int code = 5;
    CSettingsDlg dialog(&code);
    dialog.LoadFrom(settings);
    dialog.OnInitDialog();
    dialog.show();
    EXPECT_EQ(Text(&dialog, "m_strSymbol"), "ABCDEFGHIJKLMNOPQR");
    EXPECT_EQ(Text(&dialog, "m_nOICol"), "21");
    EXPECT_FALSE(dialog.findChild<QLineEdit*>("m_nOICol")->isEnabled());
    EXPECT_FALSE(dialog.findChild<QRadioButton*>("m_nExist0")->isChecked());
    EXPECT_FALSE(dialog.findChild<QRadioButton*>("m_nExist1")->isChecked());
    EXPECT_EQ(dialog.findChild<QComboBox*>("m_strDateFormat")->currentText(), "MM_DD_YY");

    Click(&dialog, "IDOK");
    EXPECT_EQ(m_boxes.texts.back(), "Please enter an integer between 1 and 20.");
    // Setting and clearing the box puts 1 in the disabled field.
    QTest::mouseClick(dialog.findChild<QCheckBox*>("m_bOIOn"), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QCheckBox*>("m_bOIOn"), Qt::LeftButton);
    Click(&dialog, "IDOK");
    EXPECT_EQ(m_boxes.texts.back(), "Please enter no more than 16 characters.");
    // Typing cannot make it longer; shortening it is allowed.
    dialog.findChild<QLineEdit*>("m_strSymbol")->end(false); // the refusal selected the whole text
    QTest::keyClicks(dialog.findChild<QLineEdit*>("m_strSymbol"), "Z");
    EXPECT_EQ(Text(&dialog, "m_strSymbol"), "ABCDEFGHIJKLMNOPQR");
    SetText(&dialog, "m_strSymbol", "ABCDEFGHIJKLMNOPQ");
    EXPECT_EQ(Text(&dialog, "m_strSymbol"), "ABCDEFGHIJKLMNOP");

    // A text that is no entry selects none: code 0.
    dialog.findChild<QComboBox*>("m_strDateFormat")->setEditText("YYYY");
    Click(&dialog, "IDOK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_nExist, -1);
    EXPECT_EQ(code, 0);
}

TEST_F(SettingsDlgTest, BrowseIntoAFolderThatIsCreated)
{
    const std::string created = m_dir / "new folder";
    OnNextModal<CChooseDir>(
        [&](CChooseDir* chooser) {
            EXPECT_EQ(Text(chooser, "m_editDirName").toStdString(), m_out);
            SetText(chooser, "m_editDirName", QString::fromStdString(created));
            m_boxes.answers.push_back(platform::IDYES);
            Click(chooser, "IDOK");
        },
        &m_dlg);
    Click(&m_dlg, "IDC_BROWSE");
    EXPECT_EQ(m_boxes.texts,
              std::vector<std::string>{"Directory " + created + " does not exist.\nCreate this directory?"});
    EXPECT_TRUE(FileExists(created));
    EXPECT_EQ(Text(&m_dlg, "m_strPath").toStdString(), created);
}

TEST_F(SettingsDlgTest, ChooserChecksWhatIsTyped)
{
    CChooseDir chooser;
    MakeDir(m_dir / "a/b");
    chooser.SetInitialDir(m_dir / "a");
    chooser.show();
    // The root is highlighted after showing, while the field keeps the start folder.
    QTRY_COMPARE_WITH_TIMEOUT(chooser.findChild<QListWidget*>("lstFolders")->currentRow(), 0, 1000);
    EXPECT_EQ(Text(&chooser, "m_editDirName").toStdString(), m_dir / "a");

    // Selecting a subfolder gives the open folder, one separator and its name.
    auto* list = chooser.findChild<QListWidget*>("lstFolders");
    list->setCurrentRow(list->count() - 1);
    EXPECT_EQ(Text(&chooser, "m_editDirName").toStdString(), m_dir / "a/b");

    SetText(&chooser, "m_editDirName", "bad\\name");
    Click(&chooser, "IDOK");
    SetText(&chooser, "m_editDirName", QString::fromStdString(m_dir / "no/parent"));
    m_boxes.answers.push_back(platform::IDNO);
    Click(&chooser, "IDOK");
    m_boxes.answers.push_back(platform::IDYES);
    Click(&chooser, "IDOK");
    EXPECT_EQ(m_boxes.texts,
              (std::vector<std::string>{
                  "bad\\name is not a valid pathname.",
                  "Directory " + (m_dir / "no/parent") + " does not exist.\nCreate this directory?",
                  "Directory " + (m_dir / "no/parent") + " does not exist.\nCreate this directory?",
                  "There was a problem creating " + (m_dir / "no/parent") + ".\nThe new directory was not created."}));
    EXPECT_TRUE(chooser.isVisible());
    EXPECT_FALSE(FileExists(m_dir / "no"));

    // A relative name is made where the program stands, and comes back as typed.
    ASSERT_EQ(::chdir(m_dir.path().c_str()), 0);
    SetText(&chooser, "m_editDirName", "rel/");
    m_boxes.answers.push_back(platform::IDYES);
    Click(&chooser, "IDOK");
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    EXPECT_TRUE(FileExists(m_dir / "rel"));
    EXPECT_EQ(chooser.m_strFileName, "rel//Junk");
    EXPECT_EQ(chooser.m_strFileName.substr(0, chooser.m_nFileOffset - 1), "rel/");
}
