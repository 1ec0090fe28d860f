#include "UiFixture.h"

#include "app/TavrixApp.h"
#include "dialogs/SettingsDlg.h"

#include <QAction>
#include <QFontMetrics>
#include <QRadioButton>

#include <cstdlib>
#include <sys/wait.h>

using namespace testing_support;

namespace {
const std::string kThreeLines = "01/03/00,100.5,101.25,99.75,100.0,12000,7\r\n"
                                "01/04/00,101,102,100,101.5,13000,8\r\n"
                                "01/05/00,102,103,101,102.5,14000,9";

std::string Header(const std::string& path)
{
    return "To help you with the conversion settings, your file...\n\n\t" + path + "\n\nlooks like this...\n\n";
}

class ConversionStoryTest : public UiFixture
{
protected:
    // Fills the settings dialog for a new MASTER in m_out (or adds to its MASTER) and confirms it.
    void ConfirmNewMaster(const char* dateFormat = "MM_DD_YY", const char* master = "m_nExist1")
    {
        OnNextModal<CSettingsDlg>([this, dateFormat, master](CSettingsDlg* dialog) {
            SetText(dialog, "m_strPath", QString::fromStdString(m_out));
            SetText(dialog, "m_strSymbol", "acme");
            SetText(dialog, "m_strName", "ACME CORP");
            Click(dialog, master);
            dialog->findChild<QComboBox*>("m_strDateFormat")->setCurrentText(dateFormat);
            Click(dialog, "IDOK");
        });
    }

    // The log's lines after the preview.
    std::vector<std::string> Results()
    {
        const QStringList lines = View().toPlainText().split('\n');
        const qsizetype blank = lines.lastIndexOf(QString(), lines.size() - 2);
        std::vector<std::string> results;
        for (qsizetype i = blank + 1; i < lines.size(); ++i)
            results.push_back(lines[i].toStdString());
        return results;
    }

    void Cancel()
    {
        OnNextModal<CSettingsDlg>([](CSettingsDlg* dialog) { Click(dialog, "IDCANCEL"); });
    }
};
} // namespace

TEST_F(ConversionStoryTest, OpeningAFileShowsItConvertsItAndWritesWhatTheConverterWrites)
{
    EXPECT_FALSE(Frame().Action(ID_SETTINGS)->isEnabled());
    const std::string input = Input(kThreeLines);
    ConfirmNewMaster();
    ASSERT_TRUE(Frame().OpenDocument(input));

    EXPECT_EQ(Log(), Header(input) +
                         "01/03/00,100.5,101.25,99.75,100.0,12000,7\n01/04/00,101,102,100,101.5,13000,8\n"
                         "01/05/00,102,103,101,102.5,14000,9\n\nConversion completed successfully!\n"
                         "ACME: 3 price records, 2000-01-03 to 2000-01-05, F1.DAT in " +
                         m_out);
    EXPECT_TRUE(m_boxes.texts.empty()) << m_boxes.texts.front();
    EXPECT_EQ(m_beeps, 1);
    EXPECT_EQ(View().m_nDateFormat, 3);
    EXPECT_TRUE(Frame().Action(ID_SETTINGS)->isEnabled());
    EXPECT_EQ(Frame().windowTitle(), "Tavrix");
    EXPECT_EQ(Frame().RecentFiles().front(), input);
    EXPECT_FALSE(View().document()->isModified());
    EXPECT_EQ(m_store->ReadString("Setting", "Symbol", ""), "ACME");

    // The command-line converter with the same settings writes the same bytes.
    MakeDir(m_dir / "cli");
    const std::string command = std::string("'") + TAVRIX_CLI + "' convert '" + input + "' --dir '" + (m_dir / "cli") +
                                "' --symbol ACME --name 'ACME CORP' --new-master --date-format MM_DD_YY >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const char* file : {"MASTER", "F1.DAT", "F1.DOP"})
        EXPECT_EQ(ReadBytes(m_out + "/" + file), ReadBytes(m_dir / "cli/" + file)) << file;
}

TEST_F(ConversionStoryTest, CancellingKeepsThePreviewAndTheStore)
{
    const std::string input = Input("a,b\n");
    const std::string hiveBefore = ReadText(m_sandbox.HiveFile());
    Cancel();
    ASSERT_TRUE(Frame().OpenDocument(input));
    EXPECT_EQ(Log(), Header(input) + "a,b\n");
    EXPECT_EQ(ReadText(m_sandbox.HiveFile()), hiveBefore);
    EXPECT_TRUE(Frame().Action(ID_SETTINGS)->isEnabled());
    EXPECT_EQ(m_beeps, 0);
}

TEST_F(ConversionStoryTest, ClearWindowThenSettingsAppendsToAnEmptyLog)
{
    const std::string input = Input(kThreeLines);
    ConfirmNewMaster();
    ASSERT_TRUE(Frame().OpenDocument(input));
    Frame().Action(ID_CLEAR_WINDOW)->trigger();
    EXPECT_EQ(Log(), "");
    ASSERT_TRUE(Frame().Action(ID_SETTINGS)->isEnabled());

    // A second conversion into the same directory: the MASTER exists now, so it fails.
    ConfirmNewMaster("MMDDYY");
    Frame().Action(ID_SETTINGS)->trigger();
    EXPECT_EQ(Log(), "\nConversion failed.\nNew Master chosen but one already exists");
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    EXPECT_EQ(m_boxes.texts[0].rfind("New Master chosen but one already exists", 0), 0u) << m_boxes.texts[0];
    EXPECT_EQ(m_beeps, 1); // only the first, successful one
    EXPECT_EQ(View().m_nDateFormat, 9);

    // A cancelled dialog leaves the code of the last confirmed one.
    OnNextModal<CSettingsDlg>([](CSettingsDlg* dialog) {
        dialog->findChild<QComboBox*>("m_strDateFormat")->setCurrentText("YYMMDD");
        Click(dialog, "IDCANCEL");
    });
    Frame().Action(ID_SETTINGS)->trigger();
    EXPECT_EQ(View().m_nDateFormat, 9);
    EXPECT_EQ(Log(), "\nConversion failed.\nNew Master chosen but one already exists");
}

TEST_F(ConversionStoryTest, AFailedRunKeepsWhatWasTypedForTheNextDialog)
{
    const std::string input = Input(kThreeLines);
    ConfirmNewMaster("MM_DD_YY", "m_nExist0"); // no MASTER there yet
    ASSERT_TRUE(Frame().OpenDocument(input));
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    EXPECT_EQ(m_boxes.texts[0].rfind("Path specified does not point to a Master file\n", 0), 0u) << m_boxes.texts[0];
    EXPECT_NE(m_boxes.texts[0].find("Make New Master"), std::string::npos);
    EXPECT_EQ(Results(),
              (std::vector<std::string>{"Conversion failed.", "Path specified does not point to a Master file"}));
    EXPECT_EQ(m_store->ReadString("Setting", "Symbol", "none"), "none"); // stored only by a run that adds

    OnNextModal<CSettingsDlg>([this](CSettingsDlg* dialog) {
        EXPECT_EQ(Text(dialog, "m_strPath").toStdString(), m_out);
        EXPECT_EQ(Text(dialog, "m_strSymbol"), "ACME");
        EXPECT_EQ(Text(dialog, "m_strName"), "ACME CORP");
        Click(dialog, "m_nExist1");
        Click(dialog, "IDOK");
    });
    Frame().Action(ID_SETTINGS)->trigger();
    EXPECT_EQ(Results().back(), "ACME: 3 price records, 2000-01-03 to 2000-01-05, F1.DAT in " + m_out);
    EXPECT_EQ(m_store->ReadString("Setting", "Symbol", ""), "ACME");
}

TEST_F(ConversionStoryTest, RowsThatAreNoPriceLinesAreAskedAboutNoChangesNothingYesConvertsTheOthers)
{
    const std::string input = Input("Date,Open,High,Low,Close,Volume,OI\n" + kThreeLines);
    m_boxes.answers = {platform::IDNO};
    ConfirmNewMaster();
    ASSERT_TRUE(Frame().OpenDocument(input));
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    const std::string question = m_boxes.texts[0];
    EXPECT_NE(question.find("line 1: "), std::string::npos) << question;
    EXPECT_EQ(question.substr(question.rfind('\n') + 1), "Convert the other 3 rows?");
    EXPECT_EQ(Results(), (std::vector<std::string>{"Conversion failed.", question.substr(0, question.find('\n'))}));
    EXPECT_FALSE(FileExists(m_out + "/MASTER"));
    EXPECT_EQ(m_beeps, 0);

    m_boxes.answers = {platform::IDYES};
    ConfirmNewMaster();
    Frame().Action(ID_CLEAR_WINDOW)->trigger();
    Frame().Action(ID_SETTINGS)->trigger();
    EXPECT_EQ(m_boxes.texts, (std::vector<std::string>{question, question}));
    EXPECT_EQ(Log(),
              "\nConversion completed successfully!\nACME: 3 price records, 2000-01-03 to 2000-01-05, F1.DAT in " +
                  m_out);
    EXPECT_EQ(m_beeps, 1);
}

TEST_F(ConversionStoryTest, SettingsThatCannotBeSavedAreReportedOnceAndTheConversionStillRuns)
{
    const std::string input = Input(kThreeLines);
    WriteText(m_dir / "blocked", "a file where the settings folder should be");
    platform::SetHivePath(m_dir / "blocked/registry");
    ConfirmNewMaster();
    ASSERT_TRUE(Frame().OpenDocument(input));
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    EXPECT_EQ(m_boxes.texts[0].rfind("The settings were not saved:\n" + (m_dir / "blocked/registry") + "\n", 0), 0u)
        << m_boxes.texts[0];
    EXPECT_EQ(Results().front(), "Conversion completed successfully!");
}

TEST_F(ConversionStoryTest, PreviewShowsAtMostTenPiecesOfAtMost299Characters)
{
    std::string twenty;
    for (int i = 1; i <= 20; ++i)
        twenty += "line " + std::to_string(i) + "\n";
    const std::string input = Input(twenty);
    Cancel();
    ASSERT_TRUE(Frame().OpenDocument(input));
    std::string ten;
    for (int i = 1; i <= 10; ++i)
        ten += "line " + std::to_string(i) + "\n";
    EXPECT_EQ(Log(), Header(input) + ten);

    const std::string wide = Input(std::string(350, 'w') + "\r\nlast without end");
    Cancel();
    ASSERT_TRUE(Frame().OpenDocument(wide));
    EXPECT_EQ(Log(), Header(wide) + std::string(299, 'w') + "\n" + std::string(51, 'w') + "\nlast without end\n");

    const std::string empty = Input("");
    Cancel();
    ASSERT_TRUE(Frame().OpenDocument(empty));
    EXPECT_EQ(Log(), Header(empty));
}

TEST_F(ConversionStoryTest, PreviewReadsUtf8OrElseLatin1InAFixedWidthFont)
{
    const struct
    {
        std::string bytes;
        QString shown;
    } files[] = {{"M\xFCller,Caf\xE9\r\n", "M\u00FCller,Caf\u00E9\n"},         // Latin-1
                 {"M\xC3\xBCller,Caf\xC3\xA9\r\n", "M\u00FCller,Caf\u00E9\n"}, // UTF-8
                 {"\xE2\x82\xAC 1\r\xC3\xA9\n", "\u20AC 1\n\u00E9\n"}};        // a lone CR ends a row too
    for (const auto& file : files)
    {
        const std::string input = Input(file.bytes);
        Cancel();
        ASSERT_TRUE(Frame().OpenDocument(input));
        EXPECT_EQ(View().toPlainText(), QString::fromStdString(Header(input)) + file.shown);
    }
    const QFontMetrics metrics(View().font()); // columns line up
    EXPECT_EQ(metrics.horizontalAdvance("iiii"), metrics.horizontalAdvance("WWWW"));
}

TEST_F(ConversionStoryTest, AFileThatCannotBeOpenedChangesNothing)
{
    const std::string input = Input("a\n");
    Cancel();
    ASSERT_TRUE(Frame().OpenDocument(input));
    const std::string before = Log();
    EXPECT_FALSE(Frame().OpenDocument(m_dir / "missing.csv"));
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    EXPECT_EQ(m_boxes.texts[0].rfind("Cannot open the document\n", 0), 0u);
    EXPECT_EQ(Log(), before);
    EXPECT_EQ(View().m_strInputPath, input);
}

TEST_F(ConversionStoryTest, AFileNamedOnTheCommandLineOpensLikeFileOpen)
{
    const std::string input = Input("x,y\n");
    CTavrixApp app;
    Cancel();
    ASSERT_TRUE(app.InitInstance({"tavrix", QString::fromStdString(input)}));
    CTavrixView* view = app.MainFrame()->GetActiveView();
    EXPECT_EQ(view->toPlainText().toStdString(), Header(input) + "x,y\n");
    EXPECT_EQ(view->m_strInputPath, input);
    EXPECT_TRUE(app.MainFrame()->Action(ID_SETTINGS)->isEnabled());
    app.ExitInstance();

    CTavrixApp failing;
    EXPECT_FALSE(failing.InitInstance({"tavrix", QString::fromStdString(m_dir / "missing.csv")}));
}
