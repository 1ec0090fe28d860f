#include "UiFixture.h"

#include "dialogs/ChooseDir.h"
#include "dialogs/SettingsDlg.h"
#include "dialogs/SpinButton.h"
#include "settings/SettingsRules.h"

#include <QCheckBox>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollArea>

#include <cstdlib>

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
    SetText(&m_dlg, "m_nVolCol", "2");
    SetText(&m_dlg, "m_strSymbol", "   ");
    SetText(&m_dlg, "m_strPath", "  ");
    Click(&m_dlg, "IDOK");
    SetText(&m_dlg, "m_nCloCol", "5");
    Click(&m_dlg, "IDOK");
    SetText(&m_dlg, "m_nVolCol", "6");
    Click(&m_dlg, "IDOK");
    SetText(&m_dlg, "m_strSymbol", "  ibm ");
    Click(&m_dlg, "IDOK");
    EXPECT_EQ(m_boxes.texts, (std::vector<std::string>{
                                 "Duplicate columns specified\nDate and Close both use column 1\nCorrect or disable",
                                 "Duplicate columns specified\nOpen and Volume both use column 2\nCorrect or disable",
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
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>{"Please enter an integer between 1 and 20.\nOpen"});
    EXPECT_EQ(m_dlg.focusWidget(), Edit("m_nOpenCol"));
    EXPECT_TRUE(m_dlg.isVisible());

    SetText(&m_dlg, "m_nOpenCol", "2x");
    Click(&m_dlg, "IDOK");
    EXPECT_EQ(m_boxes.texts.back(), "Please enter a positive integer.\nOpen");
    EXPECT_EQ(m_dlg.m_nCloCol, 5u); // read no further than the refused field

    SetText(&m_dlg, "m_nOpenCol", "20");
    SetText(&m_dlg, "m_nCloCol", "5");
    QTest::mouseClick(m_dlg.findChild<QCheckBox*>("m_bSkipOn"), Qt::LeftButton);
    SetText(&m_dlg, "m_nSkipRows", "201");
    Click(&m_dlg, "IDOK");
    EXPECT_EQ(m_boxes.texts.back(), "Please enter an integer between 0 and 200.\nSkip Rows");
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
    // Date high low close open interest: readers that go by the field count show other fields.
    m_boxes.answers = {platform::IDYES};
    Click(&m_dlg, "IDOK");
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    EXPECT_EQ(m_boxes.texts[0].rfind("Note: the security holds date high low close open interest; readers", 0), 0u);
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
    EXPECT_EQ(m_boxes.texts.back(), "Please enter an integer between 1 and 20.\nOpen Int");
    // Setting and clearing the box puts 1 in the disabled field.
    QTest::mouseClick(dialog.findChild<QCheckBox*>("m_bOIOn"), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QCheckBox*>("m_bOIOn"), Qt::LeftButton);
    Click(&dialog, "IDOK");
    EXPECT_EQ(m_boxes.texts.back(), "Please enter no more than 16 characters.\nSymbol");
    // Typing cannot make it longer; shortening it is allowed.
    dialog.findChild<QLineEdit*>("m_strSymbol")->end(false); // the refusal selected the whole text
    QTest::keyClicks(dialog.findChild<QLineEdit*>("m_strSymbol"), "Z");
    EXPECT_EQ(Text(&dialog, "m_strSymbol"), "ABCDEFGHIJKLMNOPQR");
    SetText(&dialog, "m_strSymbol", "ABCDEFGHIJKLMNOPQ");
    EXPECT_EQ(Text(&dialog, "m_strSymbol"), "ABCDEFGHIJKLMNOP");

    // A typed layout that is no entry would give code 0, which reads every date as 0: refused.
    auto* dateFormat = dialog.findChild<QComboBox*>("m_strDateFormat");
    dateFormat->setEditText("mm/dd/yyyy");
    Click(&dialog, "IDOK");
    EXPECT_EQ(m_boxes.texts.back(), "Please choose a date format from the list.\nDate Format");
    EXPECT_EQ(dialog.focusWidget(), dateFormat);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(code, 5);
    dateFormat->setEditText("mm_dd_ccyy"); // an entry, whatever the letter case
    // Readers that show 14 symbol characters are named in a question; No stays in the dialog.
    m_boxes.answers = {platform::IDNO, platform::IDYES};
    Click(&dialog, "IDOK");
    EXPECT_EQ(m_boxes.texts.back(), "Note: the symbol ABCDEFGHIJKLMNOP has 16 characters; some readers show only the "
                                    "first 14, ABCDEFGHIJKLMN.\n\nConvert anyway?");
    EXPECT_TRUE(dialog.isVisible());
    Click(&dialog, "IDOK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_nExist, -1);
    EXPECT_EQ(code, 4);
}

TEST_F(SettingsDlgTest, SymbolAndNameAreLatin1CountedInCharacters)
{
    using tavrix::rules::kNoControlCharacters;
    const std::string euro =
        "\"\u20AC\" cannot be stored: please use only Western European letters and signs (Latin-1).";
    const struct
    {
        const char* field;
        QString typed;
        std::string prompt;
    } refused[] = {{"m_strName", "Caf\u00E9 \u20AC", euro + "\nName"},
                   {"m_strSymbol", "A\tB", kNoControlCharacters + std::string("\nSymbol")},
                   {"m_strName", QString("x") + QChar(0x85), kNoControlCharacters + std::string("\nName")},
                   {"m_strName", QString(17, QChar(0xC4)), "Please enter no more than 16 characters.\nName"}};
    for (const auto& c : refused)
    {
        Edit(c.field)->setText(c.typed);
        Click(&m_dlg, "IDOK");
        EXPECT_EQ(m_boxes.texts.back(), c.prompt);
        EXPECT_EQ(m_dlg.focusWidget(), Edit(c.field));
        Edit(c.field)->setText("ok");
    }
    // Nine A-umlauts are nine characters, as MASTER holds them: one byte each.
    Edit("m_strName")->setText(QString(9, QChar(0xC4)));
    Edit("m_strSymbol")->setText("\u00E9t\u00E9");
    Click(&m_dlg, "IDOK");
    EXPECT_EQ(m_boxes.texts.size(), std::size(refused));
    EXPECT_EQ(m_dlg.result(), QDialog::Accepted);
    EXPECT_EQ(m_dlg.m_strName, std::string(9, '\xC4'));
    EXPECT_EQ(m_dlg.m_strSymbol, "\xE9T\xE9"); // only a to z are made capitals
    tavrix::ConversionSettings settings;
    settings.m_strName = "M\xFCller";
    Show(settings);
    EXPECT_EQ(Text(&m_dlg, "m_strName"), "M\u00FCller");

    // The same rule for bytes from a terminal: UTF-8 in, Latin-1 out.
    const std::pair<std::string, std::string> bytes[] = {{"\xC3\x84", ""},
                                                         {"\xC4", tavrix::rules::kNotUtf8},
                                                         {"\xC0\x80", tavrix::rules::kNotUtf8},
                                                         {"\xED\xA0\x80", tavrix::rules::kNotUtf8},
                                                         {"a\x7F", kNoControlCharacters}};
    for (const auto& [utf8, prompt] : bytes)
    {
        std::string latin1;
        EXPECT_EQ(tavrix::rules::ToMasterText(utf8, &latin1), prompt);
        EXPECT_EQ(latin1, prompt.empty() ? "\xC4" : "");
    }
}

TEST_F(SettingsDlgTest, FitsASmallScreenAndKeepsTheArrowsBesideTheirFields)
{
    // 1280 by 800 pixels at a scale factor of 2, with and without a panel.
    for (const QRect screen : {QRect(0, 0, 640, 400), QRect(0, 0, 640, 300)})
    {
        m_dlg.FitToScreen(screen);
        QApplication::processEvents();
        EXPECT_LE(m_dlg.height(), screen.height());
        EXPECT_LE(m_dlg.width(), screen.width());
        for (const char* name : {"IDOK", "IDCANCEL"})
        {
            auto* button = m_dlg.findChild<QPushButton*>(name);
            EXPECT_EQ(button->visibleRegion().boundingRect(), button->rect()) << name << " " << screen.height();
        }
        auto* scroll = m_dlg.findChild<QScrollArea*>("scrollGroups");
        scroll->ensureWidgetVisible(Edit("m_strName"));
        EXPECT_FALSE(Edit("m_strName")->visibleRegion().isEmpty());
    }

    m_dlg.resize(1200, 700);
    QApplication::processEvents();
    for (const char* name : {"m_nDateCol", "m_nOpenCol", "m_nOICol", "m_nSkipRows"})
    {
        QLineEdit* edit = Edit(name);
        QWidget* spin = nullptr;
        for (auto* candidate : m_dlg.findChildren<CSpinButton*>())
            if (candidate->parentWidget() == edit->parentWidget())
                spin = candidate;
        ASSERT_NE(spin, nullptr) << name;
        const QRect up(spin->findChild<QWidget*>("up")->mapTo(&m_dlg, QPoint()),
                       spin->findChild<QWidget*>("up")->size());
        const QRect down(spin->findChild<QWidget*>("down")->mapTo(&m_dlg, QPoint()),
                         spin->findChild<QWidget*>("down")->size());
        const QRect field(edit->mapTo(&m_dlg, QPoint()), edit->size());
        EXPECT_LE(up.left() - field.right(), 3) << name;
        EXPECT_EQ(down.top(), up.bottom() + 1) << name;
        EXPECT_LE(std::abs((up.top() + down.bottom()) / 2 - field.center().y()), 2) << name;
    }
}

TEST_F(SettingsDlgTest, BrowseIntoAFolderThatIsCreatedKeepsWhatWasTyped)
{
    const std::string created = m_dir / "new folder";
    Edit("m_strName")->setText("\u20AC"); // refused, which stops the reading before the fields below
    SetText(&m_dlg, "m_strSymbol", "XYZ");
    DateFormat()->setEditText("YYMMDD");
    OnNextModal<CChooseDir>(
        [&](CChooseDir* chooser) {
            EXPECT_EQ(Text(chooser, "m_editDirName").toStdString(), m_out);
            SetText(chooser, "m_editDirName", QString::fromStdString(created));
            m_boxes.answers.push_back(platform::IDYES);
            Click(chooser, "IDOK");
        },
        &m_dlg);
    Click(&m_dlg, "IDC_BROWSE");
    ASSERT_EQ(m_boxes.texts.size(), 2u);
    EXPECT_EQ(m_boxes.texts[1], "Directory " + created + " does not exist.\nCreate this directory?");
    EXPECT_TRUE(FileExists(created));
    EXPECT_EQ(Text(&m_dlg, "m_strPath").toStdString(), created);
    EXPECT_EQ(Text(&m_dlg, "m_strSymbol"), "XYZ");
    EXPECT_EQ(Text(&m_dlg, "m_strName"), "\u20AC");
    EXPECT_EQ(DateFormat()->currentText(), "YYMMDD");
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
    EXPECT_EQ(m_boxes.texts, (std::vector<std::string>{
                                 "bad\\name is not a valid pathname.",
                                 "Directory " + (m_dir / "no/parent") + " does not exist.\nCreate this directory?",
                                 "Directory " + (m_dir / "no/parent") + " does not exist.\nCreate this directory?",
                                 "There was a problem creating " + (m_dir / "no/parent") +
                                     ".\nThe new directory was not created (No such file or directory)."}));
    EXPECT_TRUE(chooser.isVisible());
    EXPECT_FALSE(FileExists(m_dir / "no"));
}

TEST_F(SettingsDlgTest, ChooserTakesTypedNamesFromTheFolderItShows)
{
    const std::string home = m_dir / "home";
    MakeDir(home);
    MakeDir(m_dir / "shown/data");
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home));
    ASSERT_EQ(::chdir("/"), 0); // the working directory plays no part
    CChooseDir chooser;
    const struct
    {
        const char* typed;
        std::string folder;
        bool created;
    } cases[] = {{"data", m_dir / "shown/data", false},
                 {"..", m_dir.path(), false},
                 {"./reldir/", m_dir / "shown/reldir", true},
                 {"~", home, false},
                 {"~/mydata", home + "/mydata", true}};
    std::vector<std::string> questions;
    for (const auto& c : cases)
    {
        chooser.SetInitialDir(m_dir / "shown");
        chooser.setResult(0);
        chooser.show();
        SetText(&chooser, "m_editDirName", c.typed);
        if (c.created)
        {
            m_boxes.answers.push_back(platform::IDYES);
            questions.push_back("Directory " + c.folder + " does not exist.\nCreate this directory?");
        }
        Click(&chooser, "IDOK");
        EXPECT_EQ(chooser.result(), QDialog::Accepted) << c.typed;
        EXPECT_EQ(chooser.m_strFileName, c.folder + "/Junk") << c.typed;
        EXPECT_EQ(chooser.m_strFileName.substr(0, chooser.m_nFileOffset - 1), c.folder);
        EXPECT_TRUE(FileExists(c.folder));
    }
    EXPECT_EQ(m_boxes.texts, questions);
    EXPECT_FALSE(FileExists("/reldir"));
    qputenv("HOME", oldHome);
}
