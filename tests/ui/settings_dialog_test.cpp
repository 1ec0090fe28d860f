#include "UiFixture.h"

#include "dialogs/ChooseDir.h"
#include "dialogs/SettingsDlg.h"
#include "dialogs/SpinButton.h"
#include "settings/SettingsRules.h"
#include "text/InputText.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QScrollArea>

#include <cstdlib>
#include <map>
#include <unistd.h>

using namespace testing_support;

namespace {
class SettingsDlgTest : public UiFixture
{
protected:
    SettingsDlgTest() : m_dlg(&m_code) {}

    void Show()
    {
        tavrix::ConversionSettings settings;
        settings.m_strPath = m_out;
        settings.m_strSymbol = "ACME";
        settings.m_strName = "M\xFCller"; // Latin-1, as MASTER holds it
        m_dlg.LoadFrom(settings);
        m_dlg.OnInitDialog();
        m_dlg.show();
    }
    QLineEdit* Edit(const char* name) { return Field(&m_dlg, name); }
    QComboBox* DateFormat() { return m_dlg.findChild<QComboBox*>("m_strDateFormat"); }
    bool Checked(const char* name) { return m_dlg.findChild<QAbstractButton*>(name)->isChecked(); }

    int m_code = 1;
    CSettingsDlg m_dlg;
};
} // namespace

TEST_F(SettingsDlgTest, RefusalsComeInTheDialogsOrderAndNameTheirFieldAndClearedFieldsTakeNoPart)
{
    Show();
    EXPECT_EQ(Edit("m_strName")->text(), "M\u00FCller");
    EXPECT_TRUE(Checked("m_nExist0") && !Edit("m_nSkipRows")->isEnabled());
    EXPECT_EQ(m_dlg.findChild<QComboBox*>("m_nDelimiter")->currentText(), "Comma");
    EXPECT_EQ(m_dlg.focusWidget(), m_dlg.findChild<QWidget*>("IDOK"));
    const std::string control = tavrix::rules::kNoControlCharacters;
    // What is typed ("" is the date layout), the prompt, and the refused field, which takes the focus.
    const std::tuple<std::vector<std::pair<const char*, QString>>, std::string, const char*> refused[] = {
        {{{"m_nCloCol", "1"}, {"m_strSymbol", "   "}, {"m_strPath", "  "}},
         "Duplicate columns specified\nDate and Close both use column 1\nCorrect or disable",
         nullptr},
        {{{"m_strSymbol", "   "}, {"m_strPath", "  "}}, tavrix::rules::kInvalidSymbol, nullptr},
        {{{"m_strPath", "  "}}, tavrix::rules::kEnterPath, nullptr},
        {{{"m_nOpenCol", "2x"}}, "Please enter a positive integer.\nOpen", "m_nOpenCol"},
        {{{"m_strName", "Caf\u00E9 \u20AC"}},
         "\"\u20AC\" cannot be stored: please use only Western European letters and signs (Latin-1).\nName",
         "m_strName"},
        {{{"m_strSymbol", QString("x") + QChar(0x85)}}, control + "\nSymbol", "m_strSymbol"},
        {{{"m_strName", QString(17, QChar(0xC4))}}, "Please enter no more than 16 characters.\nName", "m_strName"},
        {{{"m_strSymbol", QString(17, 'S')}}, "Please enter no more than 16 characters.\nSymbol", "m_strSymbol"},
        // A long path pasted whole is refused with a word, not cut.
        {{{"m_strPath", "/" + QString(200, 'p')}},
         "Please enter no more than 200 characters.\nDirectory Path",
         "m_strPath"},
        {{{"m_bTimeOn", ""}, {"m_nTimeCol", "5"}},
         "Duplicate columns specified\nClose and Time both use column 5\nCorrect or disable",
         nullptr},
        {{{"", "mm/dd/yyyy"}}, "Please choose a date format from the list.\nDate Format", "m_strDateFormat"},
        // Last: the reading stops at Open, so the duplicate is not reported and Close not read.
        {{{"m_nOpenCol", "25"}, {"m_nCloCol", "1"}}, "Please enter an integer between 1 and 20.\nOpen", "m_nOpenCol"},
    };
    for (const auto& [typed, prompt, focus] : refused)
    {
        Show();
        for (const auto& [name, text] : typed)
            if (!*name)
                DateFormat()->setEditText(text);
            else if (m_dlg.findChild<QCheckBox*>(name))
                Click(&m_dlg, name);
            else
                Edit(name)->setText(text);
        Click(&m_dlg, "IDOK");
        EXPECT_EQ(m_boxes.texts.empty() ? "" : m_boxes.texts.back(), prompt);
        EXPECT_TRUE(!focus || m_dlg.focusWidget() == m_dlg.findChild<QWidget*>(focus)) << prompt;
    }
    EXPECT_EQ(std::tuple(m_boxes.texts.size(), m_dlg.m_settings.Column(tavrix::kFieldClose).column, m_dlg.isVisible()),
              std::tuple(std::size(refused), 5, true));

    // The symbol is trimmed at the right and in capitals (Latin-1 letters too), the path keeps its blanks,
    // and nine A-umlauts are nine characters, as MASTER holds them: one byte each.
    Show();
    Edit("m_strSymbol")->setText("  ibm\u00E9 ");
    Edit("m_strName")->setText(QString(9, QChar(0xC4)));
    Edit("m_strPath")->setText(QString::fromStdString(m_out) + "  ");
    Click(&m_dlg, "IDOK");
    EXPECT_EQ(std::pair(m_dlg.result(), m_code), std::pair(int(QDialog::Accepted), 9));
    EXPECT_EQ(Edit("m_strSymbol")->text(), "  IBM\u00C9");
    const tavrix::ConversionSettings& accepted = m_dlg.m_settings;
    EXPECT_EQ(std::tie(accepted.m_strSymbol, accepted.m_strName, accepted.m_strPath),
              std::tuple("  IBM\xC9", std::string(9, '\xC4'), m_out + "  "));

    // Open, cleared, holds the date's column; Open Int takes Open's.
    Show();
    Click(&m_dlg, "m_bOpenOn");
    Click(&m_dlg, "m_bVolOn");
    EXPECT_FALSE(Edit("m_nVolCol")->isEnabled() || m_dlg.findChild<CSpinButton*>("spinVolume")->isEnabled());
    Edit("m_nOICol")->setText("2");
    m_boxes.answers = {ui::Answer::kNo, ui::Answer::kYes}; // to whether to convert anyway
    Click(&m_dlg, "IDOK");
    EXPECT_EQ(m_boxes.texts.back().rfind("Note: the security holds date high low close open interest;", 0), 0u);
    EXPECT_TRUE(m_dlg.isVisible()); // No stays in the dialog
    Click(&m_dlg, "IDOK");
    EXPECT_EQ(m_dlg.result(), QDialog::Accepted);

    // The same rule for bytes from a terminal: UTF-8 in, Latin-1 out.
    const std::string bad = tavrix::rules::kNotUtf8;
    for (const auto& [utf8, prompt] : std::vector<std::pair<std::string, std::string>>{
             {"\xC3\x84", ""}, {"\xC4", bad}, {"\xC0\x80", bad}, {"\xED\xA0\x80", bad}, {"a\x7F", control}})
    {
        std::string latin1;
        EXPECT_EQ(tavrix::rules::ToMasterText(utf8, &latin1), prompt);
        EXPECT_EQ(latin1, prompt.empty() ? "\xC4" : "");
    }
}

TEST_F(SettingsDlgTest, FitsASmallScreenAndKeepsTheArrowsBesideTheirFields)
{
    Show();
    // 1280 by 800 pixels at a scale factor of 2, with and without a panel.
    for (const QRect screen : {QRect(0, 0, 640, 400), QRect(0, 0, 640, 300)})
    {
        m_dlg.FitToScreen(screen);
        QApplication::processEvents();
        EXPECT_TRUE(screen.size().expandedTo(m_dlg.size()) == screen.size()) << screen.height();
        for (auto* button : {m_dlg.findChild<QWidget*>("IDOK"), m_dlg.findChild<QWidget*>("IDCANCEL")})
            EXPECT_EQ(button->visibleRegion().boundingRect(), button->rect()) << screen.height();
        m_dlg.findChild<QScrollArea*>("scrollGroups")->ensureWidgetVisible(Edit("m_strName"));
        EXPECT_FALSE(Edit("m_strName")->visibleRegion().isEmpty());
    }

    m_dlg.resize(1200, 700);
    QApplication::processEvents();
    const auto at = [this](QWidget* widget) { return QRect(widget->mapTo(&m_dlg, QPoint()), widget->size()); };
    for (const auto& [field, spin] : {std::pair{"m_nDateCol", "spinDate"}, {"m_nSkipRows", "spinSkipRows"}})
    {
        const QRect up = at(m_dlg.findChild<CSpinButton*>(spin)->findChild<QWidget*>("up"));
        const QRect down = at(m_dlg.findChild<CSpinButton*>(spin)->findChild<QWidget*>("down"));
        const QRect edit = at(Edit(field));
        EXPECT_LE(up.left() - edit.right(), 3) << field;
        EXPECT_EQ(down.top(), up.bottom() + 1) << field;
        EXPECT_LE(std::abs((up.top() + down.bottom()) / 2 - edit.center().y()), 2) << field;
    }
}

TEST_F(SettingsDlgTest, BrowseTakesTypedNamesFromTheFolderShownSaysWhyItRefusesAndKeepsTheRest)
{
    const std::string home = m_dir / "home", shown = m_dir / "shown", noParent = m_dir / "no/parent";
    MakeDir(home);
    MakeDir(shown + "/data");
    ASSERT_EQ(::chdir("/"), 0); // the working directory plays no part
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home));
    const auto ask = [](const std::string& folder) {
        return "Directory " + folder + " does not exist.\nCreate this directory?";
    };
    // What is typed, the answer to whether to create it, the folder taken ("" refused), the last message.
    const ui::Answer none = ui::Answer::kOk; // no question
    const std::tuple<std::string, ui::Answer, std::string, std::string> cases[] = {
        {"data", none, shown + "/data", ""},
        {"..", none, m_dir.path(), ""},
        {"./reldir/", ui::Answer::kYes, shown + "/reldir", ask(shown + "/reldir")},
        {"~", none, home, ""},
        {"~/mydata", ui::Answer::kYes, home + "/mydata", ask(home + "/mydata")},
        {"bad\\name", none, "", "bad\\name is not a valid pathname."},
        {noParent, ui::Answer::kNo, "", ask(noParent)},
        {noParent, ui::Answer::kYes, "",
         "There was a problem creating " + noParent +
             ".\nThe new directory was not created (No such file or directory)."},
    };
    Show();
    for (const auto& [typed, answer, folder, box] : cases)
    {
        Edit("m_strPath")->setText(QString::fromStdString(shown));
        m_boxes.texts = {""};
        if (answer != none)
            m_boxes.answers.push_back(answer);
        OnNextModal<CChooseDir>(
            [&, typed = typed](CChooseDir* chooser) {
                Field(chooser, "m_editDirName")->setText(QString::fromStdString(typed));
                Click(chooser, "IDOK");
                if (chooser->isVisible()) // refused: the chooser stays open
                    Click(chooser, "IDCANCEL");
            },
            &m_dlg);
        Click(&m_dlg, "IDC_BROWSE");
        EXPECT_EQ(m_boxes.texts.back(), box) << typed;
        EXPECT_EQ(Edit("m_strPath")->text().toStdString(), folder.empty() ? shown : folder) << typed;
    }
    EXPECT_FALSE(FileExists("/reldir") || FileExists(m_dir / "no"));
    qputenv("HOME", oldHome);

    // A subfolder picked gives the folder, one separator and its name. A refused field stops the
    // reading, and the fields after it keep what was typed.
    Edit("m_strName")->setText("\u20AC");
    Edit("m_strSymbol")->setText("XYZ");
    DateFormat()->setEditText("YYMMDD");
    OnNextModal<CChooseDir>(
        [&](CChooseDir* chooser) {
            auto* list = chooser->findChild<QListWidget*>("lstFolders");
            list->setCurrentRow(list->count() - 1);
            Click(chooser, "IDOK");
        },
        &m_dlg);
    Click(&m_dlg, "IDC_BROWSE");
    EXPECT_EQ(QStringList({Edit("m_strPath")->text(), Edit("m_strSymbol")->text(), Edit("m_strName")->text(),
                           DateFormat()->currentText()}),
              QStringList({QString::fromStdString(shown + "/reldir"), "XYZ", "\u20AC", "YYMMDD"}));
}

TEST_F(SettingsDlgTest, EveryControlHasAMnemonicOfItsOwn)
{
    Show();
    // A control is reached by its own text or by the caption whose buddy it is.
    std::map<QWidget*, QString> reached;
    for (auto* label : m_dlg.findChildren<QLabel*>())
        if (label->buddy())
            reached[label->buddy()] = label->text();
    for (auto* button : m_dlg.findChildren<QAbstractButton*>())
        if (!button->text().isEmpty() && button->objectName() != "IDOK" && button->objectName() != "IDCANCEL")
            reached[button] = button->text();
    std::map<QChar, QString> letters;
    for (const auto& [control, text] : reached)
    {
        const qsizetype at = text.indexOf('&');
        ASSERT_TRUE(at >= 0 && at + 1 < text.size()) << text.toStdString();
        const QChar letter = text.at(at + 1).toLower();
        EXPECT_TRUE(letters.emplace(letter, text).second)
            << text.toStdString() << " and " << letters[letter].toStdString();
    }
    // A column behind a switch is reached through the switch, then Tab.
    const std::map<QString, const char*> switched = {{"m_nOpenCol", "m_bOpenOn"}, {"m_nHiCol", "m_bHiOn"},
                                                     {"m_nLoCol", "m_bLoOn"},     {"m_nVolCol", "m_bVolOn"},
                                                     {"m_nOICol", "m_bOIOn"},     {"m_nTimeCol", "m_bTimeOn"},
                                                     {"m_nSkipRows", "m_bSkipOn"}};
    for (auto* edit : m_dlg.findChildren<QLineEdit*>())
    {
        if (qobject_cast<QComboBox*>(edit->parentWidget()))
            continue; // a combo box's own edit
        const auto through = switched.find(edit->objectName());
        EXPECT_TRUE(reached.count(edit) ||
                    (through != switched.end() && reached.count(m_dlg.findChild<QWidget*>(through->second))))
            << edit->objectName().toStdString();
    }
    for (const char* name : {"m_nDelimiter", "m_nDecimal", "m_strDateFormat", "tblFiles"})
        EXPECT_TRUE(reached.count(m_dlg.findChild<QWidget*>(name))) << name;
}

TEST_F(SettingsDlgTest, ARelativePathIsReadFromTheFilesFolderAndTheDialogOpensBesideTheWindow)
{
    const std::string input = Input("01/03/00,1,2,3,4,5,6\n");
    ASSERT_EQ(::chdir("/"), 0); // as a previous run or a file manager may leave it
    Show();
    m_dlg.SetInput(std::make_shared<tavrix::InputText>(), input);
    Edit("m_strPath")->setText("out");
    Click(&m_dlg, "IDOK");
    EXPECT_EQ(std::pair(m_dlg.result(), m_dlg.m_settings.m_strPath), std::pair(int(QDialog::Accepted), m_out));

    // The owner's window, the dialog's size, the screen area, and where the dialog goes.
    const QRect screen(0, 0, 1280, 800);
    const std::tuple<QRect, QSize, QPoint> cases[] = {
        {QRect(0, 0, 500, 600), QSize(700, 700), QPoint(500, 0)},     // right of it
        {QRect(700, 50, 500, 600), QSize(600, 700), QPoint(100, 50)}, // left of it
        {QRect(0, 0, 1088, 680), QSize(700, 700), QPoint(580, 100)},  // no room: bottom right
        {QRect(0, 300, 400, 300), QSize(800, 700), QPoint(400, 100)}, // right, kept on the screen
    };
    for (const auto& [owner, size, at] : cases)
        EXPECT_EQ(PlaceBeside(owner, size, screen), at) << owner.x() << "," << owner.width();
}
