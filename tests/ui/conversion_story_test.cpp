#include "UiFixture.h"

#include "app/TavrixApp.h"
#include "dialogs/SettingsDlg.h"

#include <QAction>
#include <QFontMetrics>

#include <cstdlib>

using namespace testing_support;

namespace {
const std::string kRows = "01/03/00,100.5,101.25,99.75,100.0,12000,7\n01/04/00,101,102,100,101.5,13000,8\n"
                          "01/05/00,102,103,101,102.5,14000,9";
const std::string kDone =
    "Conversion completed successfully!\nACME: 3 price records, 2000-01-03 to 2000-01-05, F1.DAT in ";

std::string Header(const std::string& path)
{
    return "To help you with the conversion settings, your file...\n\n\t" + path + "\n\nlooks like this...\n\n";
}

class ConversionStoryTest : public UiFixture
{
protected:
    // Queues the dialog's answer: ACME in m_out, a new MASTER or `master`, or Cancel; keeps what it showed.
    void Confirm(const char* master = "m_nExist1")
    {
        OnNextModal<CSettingsDlg>([this, master](CSettingsDlg* dialog) {
            m_shown = Field(dialog, "m_strPath")->text() + "|" + Field(dialog, "m_strSymbol")->text() + "|" +
                      Field(dialog, "m_strName")->text();
            if (!master)
                return Click(dialog, "IDCANCEL");
            Field(dialog, "m_strPath")->setText(QString::fromStdString(m_out));
            Field(dialog, "m_strSymbol")->setText("acme");
            Field(dialog, "m_strName")->setText("ACME CORP");
            Click(dialog, master);
            dialog->findChild<QComboBox*>("m_strDateFormat")->setCurrentText("MM_DD_YY");
            Click(dialog, "IDOK");
            if (dialog->isVisible()) // refused: closed all the same, so the test goes on
                Click(dialog, "IDCANCEL");
        });
    }
    // What the log says about the last run.
    std::string Results() { return Log().substr(Log().rfind("\nConversion ") + 1); }

    QString m_shown;
};
} // namespace

TEST_F(ConversionStoryTest, AFileIsShownConvertedAsTheConverterDoesAndAFailedRunKeepsWhatWasTyped)
{
    EXPECT_FALSE(Frame().Action(ID_SETTINGS)->isEnabled());
    const std::string input = Input(kRows);
    Confirm("m_nExist0"); // no MASTER there yet
    ASSERT_TRUE(Frame().OpenDocument(input));
    EXPECT_EQ(Log(), Header(input) + kRows + "\n\nConversion failed.\nPath specified does not point to a Master file");
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>{"Path specified does not point to a Master file\n" + m_out +
                                                      "\n\"Make New Master\" creates one."});
    EXPECT_EQ(m_store->ReadString("Setting", "Symbol", "none"), "none"); // stored only by a run that adds

    Confirm();
    Frame().Action(ID_SETTINGS)->trigger();
    EXPECT_EQ(m_shown, QString::fromStdString(m_out) + "|ACME|ACME CORP");
    EXPECT_EQ(Results(), kDone + m_out);
    EXPECT_EQ(std::tuple(m_boxes.texts.size(), m_beeps, View().m_nDateFormat, View().document()->isModified()),
              std::tuple(1u, 1, 3, false));
    EXPECT_EQ(m_store->ReadString("Setting", "Symbol", ""), "ACME");

    // The command-line converter with the same settings writes the same bytes.
    MakeDir(m_dir / "cli");
    const std::string command = std::string("'") + TAVRIX_CLI + "' convert '" + input + "' --dir '" + (m_dir / "cli") +
                                "' --symbol ACME --name 'ACME CORP' --new-master --date-format MM_DD_YY >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const char* file : {"MASTER", "F1.DAT", "F1.DOP"})
        EXPECT_EQ(ReadBytes(m_out + "/" + file), ReadBytes(m_dir / "cli/" + file)) << file;

    // Clear Window, then a second new MASTER in the same directory: refused, said in the log.
    Frame().Action(ID_CLEAR_WINDOW)->trigger();
    Confirm();
    Frame().Action(ID_SETTINGS)->trigger();
    EXPECT_EQ(Log(), "\nConversion failed.\nNew Master chosen but one already exists");
    EXPECT_EQ(m_boxes.texts.back(),
              "New Master chosen but one already exists\n" + m_out + "/MASTER\n\"Use Existing Master\" adds to it.");
    EXPECT_EQ(m_beeps, 1); // only the successful run
}

TEST_F(ConversionStoryTest, RowsThatAreNoPriceLinesAreAskedAboutNoChangesNothingYesConvertsTheOthers)
{
    const std::string input = Input(kRows + "\n01/06/00,n/a,103,101,102.5,14000,9");
    m_boxes.answers = {ui::Answer::kNo, ui::Answer::kYes};
    Confirm();
    ASSERT_TRUE(Frame().OpenDocument(input));
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    const std::string question = m_boxes.texts[0];
    EXPECT_NE(question.find("line 4: open is not a number"), std::string::npos) << question;
    EXPECT_EQ(question.substr(question.rfind('\n') + 1), "Convert the other 3 rows?");
    EXPECT_EQ(Results(), "Conversion failed.\nNothing was converted: the other rows were not accepted.");
    EXPECT_FALSE(FileExists(m_out + "/MASTER"));

    Confirm();
    Frame().Action(ID_SETTINGS)->trigger();
    EXPECT_EQ(m_boxes.texts, (std::vector<std::string>{question, question}));
    EXPECT_EQ(Results(), kDone + m_out);
}

TEST_F(ConversionStoryTest, SettingsThatCannotBeSavedAreReportedOnceAndTheConversionStillRuns)
{
    const std::string input = Input(kRows);
    WriteText(m_dir / "blocked", "a file where the settings folder should be");
    platform::SetHivePath(m_dir / "blocked/registry");
    Confirm();
    ASSERT_TRUE(Frame().OpenDocument(input));
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    EXPECT_EQ(m_boxes.texts[0].rfind("The settings were not saved:\n" + (m_dir / "blocked/registry") + "\n", 0), 0u)
        << m_boxes.texts[0];
    EXPECT_EQ(Results(), kDone + m_out);
}

TEST_F(ConversionStoryTest, PreviewShowsTenPiecesOfAtMost299CharactersUtf8OrElseLatin1)
{
    std::string ten, more;
    for (int i = 1; i <= 20; ++i)
        (i <= 10 ? ten : more) += "line " + std::to_string(i) + "\n";
    const std::pair<std::string, QString> files[] = {
        {ten + more, QString::fromStdString(ten)},
        {std::string(350, 'w') + "\r\nlast without end",
         QString(299, 'w') + "\n" + QString(51, 'w') + "\nlast without end\n"},
        {"", ""},
        {"M\xFCller,Caf\xE9\r\n", "M\u00FCller,Caf\u00E9\n"},         // Latin-1
        {"M\xC3\xBCller,Caf\xC3\xA9\r\n", "M\u00FCller,Caf\u00E9\n"}, // UTF-8
        {"\xE2\x82\xAC 1\r\xC3\xA9\n", "\u20AC 1\n\u00E9\n"}};        // a lone CR ends a row too
    const std::string hive = ReadText(m_sandbox.HiveFile());
    for (const auto& [bytes, shown] : files)
    {
        const std::string input = Input(bytes);
        Confirm(nullptr);
        ASSERT_TRUE(Frame().OpenDocument(input));
        EXPECT_EQ(View().toPlainText(), QString::fromStdString(Header(input)) + shown);
    }
    const QFontMetrics metrics(View().font()); // columns line up
    EXPECT_EQ(metrics.horizontalAdvance("iiii"), metrics.horizontalAdvance("WWWW"));
    EXPECT_EQ(std::pair(ReadText(m_sandbox.HiveFile()), m_beeps), std::pair(hive, 0)); // cancelled: nothing stored

    // A file that cannot be opened changes nothing.
    const std::string before = Log();
    EXPECT_FALSE(Frame().OpenDocument(m_dir / "missing.csv"));
    EXPECT_EQ(m_boxes.texts.at(0).rfind("Cannot open the document\n", 0), 0u);
    EXPECT_EQ(std::pair(Log(), View().m_strInputPath), std::pair(before, m_dir / "input6.csv"));
}

TEST_F(ConversionStoryTest, AFileNamedOnTheCommandLineOpensLikeFileOpen)
{
    const std::string input = Input("x,y\n");
    CTavrixApp app;
    Confirm(nullptr);
    ASSERT_TRUE(app.InitInstance({"tavrix", QString::fromStdString(input)}));
    EXPECT_EQ(app.MainFrame()->GetActiveView()->toPlainText().toStdString(), Header(input) + "x,y\n");
    EXPECT_TRUE(app.MainFrame()->Action(ID_SETTINGS)->isEnabled());
    app.ExitInstance();
    CTavrixApp failing;
    EXPECT_FALSE(failing.InitInstance({"tavrix", QString::fromStdString(m_dir / "missing.csv")}));
}
