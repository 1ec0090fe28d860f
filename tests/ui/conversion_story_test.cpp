#include "UiFixture.h"

#include "app/TavrixApp.h"
#include "dialogs/SettingsDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QDropEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMimeData>
#include <QTableWidget>
#include <QUrl>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <cstdlib>

using namespace testing_support;

namespace {
const std::string kRows = "01/03/00,100.5,101.25,99.75,100.0,12000,7\n01/04/00,101,102,100,101.5,13000,8\n"
                          "01/05/00,102,103,101,102.5,14000,9";
const std::string kDone =
    "Conversion completed successfully!\nACME: 3 price records, 2000-01-03 to 2000-01-05, F1.DAT in ";
const std::string kReadAs =
    "Read as: comma-separated, no header, date=1 (MM_DD_YY), open=2, high=3, low=4, close=5, volume=6, oi=7\n";

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
                      Field(dialog, "m_strName")->text() +
                      (dialog->findChild<QAbstractButton*>("m_nExist1")->isChecked() ? "|new" : "|existing");
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
    std::string Run() { return Log().substr(Log().rfind("\n----- hh:mm:ss") + 1); }

    QString m_shown;
};
} // namespace

TEST_F(ConversionStoryTest, AFileIsShownConvertedAsTheConverterDoesAndAFailedRunKeepsWhatWasTyped)
{
    EXPECT_FALSE(Frame().Action(ID_SETTINGS)->isEnabled());
    const std::string input = Input(kRows);
    Confirm("m_nExist0"); // no MASTER there yet
    ASSERT_TRUE(Frame().OpenDocument(input));
    // The default layout does not read the file, and the file reads two ways: the log says so.
    EXPECT_EQ(Log(), Header(input) + kRows +
                         "\n\nThe last settings do not read this file: no row would be a price line.\n"
                         "The file does not say how to read it either: The dates read two ways: line 1 (01/03/00) is "
                         "2000-01-03 as MM_DD_YY and 2000-03-01 as DD_MM_YY.\n\n----- hh:mm:ss  input1.csv -----\n" +
                         kReadAs + "Conversion failed.\nPath specified does not point to a Master file");
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>{"Path specified does not point to a Master file\n" + m_out +
                                                      "\n\"Make New Master\" creates one."});
    EXPECT_EQ(m_store->ReadString("Setting", "Symbol", "none"), "none"); // stored only by a run that adds

    Confirm();
    Frame().Action(ID_SETTINGS)->trigger();
    EXPECT_EQ(m_shown, QString::fromStdString(m_out) + "|ACME|ACME CORP|existing");
    EXPECT_EQ(Results(), kDone + m_out + "\nShow " + m_out);
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
    EXPECT_EQ(Log(), "----- hh:mm:ss  input1.csv -----\n" + kReadAs +
                         "Conversion failed.\nNew Master chosen but one already exists");
    EXPECT_EQ(m_boxes.texts.back(),
              "New Master chosen but one already exists\n" + m_out + "/MASTER\n\"Use Existing Master\" adds to it.");
    EXPECT_EQ(m_beeps, 1); // only the successful run
}

TEST_F(ConversionStoryTest, RowsThatAreNoPriceLinesAreAskedAboutNoChangesNothingYesConvertsTheOthersAndKeepsTheReport)
{
    const std::string bad = "\n01/06/00,n/a,103,101,102.5,14000,9";
    const std::string input = Input(kRows + bad);
    m_boxes.answers = {ui::Answer::kNo};
    Confirm();
    ASSERT_TRUE(Frame().OpenDocument(input));
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    const std::string report =
        "1 of 4 rows were left out:\nline 4: open is not a number: 01/06/00,n/a,103,101,102.5,14000,9";
    EXPECT_EQ(m_boxes.texts[0], "1 of 4 rows were left out.\nThe first: line 4: open is not a number: "
                                "01/06/00,n/a,103,101,102.5,14000,9\n\nConvert the other 3 rows?");
    EXPECT_EQ(std::pair(m_boxes.options[0].details, m_boxes.options[0].defaultAnswer),
              std::pair(report, ui::Answer::kYes));
    EXPECT_EQ(Run(), "----- hh:mm:ss  input1.csv -----\n" + kReadAs +
                         "Conversion failed.\nNothing was converted: the other rows were not accepted.");
    EXPECT_FALSE(FileExists(m_out + "/MASTER"));

    // No is the default once more than half the rows are left out; Show Details holds each of them.
    const std::string oneRow = kRows.substr(0, kRows.find('\n'));
    const std::tuple<std::string, int, ui::Answer> cases[] = {{kRows, 3, ui::Answer::kYes},
                                                              {oneRow, 1, ui::Answer::kYes},
                                                              {oneRow, 2, ui::Answer::kNo},
                                                              {oneRow, 5, ui::Answer::kNo}};
    for (const auto& [good, count, answer] : cases)
    {
        std::string rows = good;
        for (int i = 0; i < count; ++i)
            rows += bad;
        m_boxes.answers = {ui::Answer::kNo};
        Confirm();
        ASSERT_TRUE(Frame().OpenDocument(Input(rows)));
        const ui::MessageBoxOptions& asked = m_boxes.options.back();
        EXPECT_EQ(asked.defaultAnswer, answer) << rows;
        const long lastBad = std::count(rows.begin(), rows.end(), '\n') + 1;
        EXPECT_NE(asked.details.find("line " + std::to_string(lastBad) + ": open"), std::string::npos) << asked.details;
        EXPECT_EQ(Log().find("left out:\n", Log().rfind("----- hh")), std::string::npos); // none after No
    }

    // Yes to the first file: the log keeps the report.
    m_boxes.answers = {ui::Answer::kYes};
    Confirm();
    ASSERT_TRUE(Frame().OpenDocument(input));
    EXPECT_EQ(Results(), kDone + m_out + "\n" + report + "\nShow " + m_out);
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
    EXPECT_EQ(Results(), kDone + m_out + "\nShow " + m_out);
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
        // What follows the preview says how the dialog was filled, when it was.
        const QString preview = QString::fromStdString(Header(input)) + shown;
        EXPECT_EQ(View().toPlainText().left(preview.size()), preview);
        EXPECT_TRUE(View().toPlainText().size() == preview.size() ||
                    View().toPlainText().mid(preview.size()).startsWith("\nThe last settings do not read this file: "))
            << View().toPlainText().toStdString();
    }
    // The long row is one line that scrolls sideways, not wrapped in the middle of a number.
    Confirm(nullptr);
    ASSERT_TRUE(Frame().OpenDocument(Input(std::string(200, '1') + ".25,2\n")));
    const QTextBlock row = View().document()->findBlockByNumber(6);
    EXPECT_EQ(std::pair(row.text().size(), row.layout()->lineCount()), std::pair(qsizetype(205), 1));
    EXPECT_GT(View().horizontalScrollBar()->maximum(), 0);
    const QFontMetrics metrics(View().font()); // columns line up
    EXPECT_EQ(metrics.horizontalAdvance("iiii"), metrics.horizontalAdvance("WWWW"));
    EXPECT_EQ(std::pair(ReadText(m_sandbox.HiveFile()), m_beeps), std::pair(hive, 0)); // cancelled: nothing stored

    // A file that cannot be opened changes nothing.
    const std::string before = Log();
    EXPECT_FALSE(Frame().OpenDocument(m_dir / "missing.csv"));
    EXPECT_EQ(m_boxes.texts.at(0).rfind("Cannot open the document\n", 0), 0u);
    EXPECT_EQ(std::pair(Log(), View().m_strInputPath), std::pair(before, m_dir / "input7.csv"));
}

TEST_F(ConversionStoryTest, AFileNamedOnTheCommandLineOpensLikeFileOpenAndAMissingOneKeepsTheWindow)
{
    const std::string input = Input("x,y\n");
    CTavrixApp app;
    Confirm(nullptr);
    ASSERT_TRUE(app.InitInstance({"tavrix", QString::fromStdString(input)}));
    EXPECT_EQ(app.MainFrame()->GetActiveView()->toPlainText().toStdString().substr(0, Header(input).size() + 4),
              Header(input) + "x,y\n");
    EXPECT_TRUE(app.MainFrame()->Action(ID_SETTINGS)->isEnabled());
    EXPECT_EQ(app.MainFrame()->windowTitle(), "input1.csv - Tavrix");
    app.ExitInstance();
    CTavrixApp missing;
    EXPECT_TRUE(missing.InitInstance({"tavrix", QString::fromStdString(m_dir / "missing.csv")}));
    EXPECT_TRUE(missing.MainFrame()->isVisible());
    EXPECT_EQ(m_boxes.texts.back(),
              "Cannot open the document\n" + (m_dir / "missing.csv") + "\nNo such file or directory");
}

TEST_F(ConversionStoryTest, ASymbolAlreadyInTheDirectoryIsUpdatedAndADifferingDayReplacedOnlyWhenTheUserAgrees)
{
    Confirm();
    ASSERT_TRUE(Frame().OpenDocument(Input(kRows)));
    // A day already stored, one that differs (close 102.5 stored) and two new ones.
    const std::string input = Input("01/04/00,101,102,100,101.5,13000,8\n01/05/00,102,103,101,102.75,14000,9\n"
                                    "01/06/00,103,104,102,103.5,15000,10\n01/07/00,104,105,103,104.5,16000,11");
    const auto before = ReadBytes(m_out + "/F1.DAT");
    // Yes to updating ACME, No to replacing the day that differs.
    m_boxes.answers = {ui::Answer::kYes, ui::Answer::kNo};
    Confirm("m_nExist0");
    ASSERT_TRUE(Frame().OpenDocument(input));
    // The stored symbol is taken, so the file's name is offered; Make New Master does not carry over.
    EXPECT_EQ(m_shown, QString::fromStdString(m_out) + "|INPUT2||existing");
    ASSERT_EQ(m_boxes.texts.size(), 2u);
    EXPECT_EQ(m_boxes.texts[0].substr(0, m_boxes.texts[0].find("\n\n")),
              "ACME is already a security of " + m_out + ":\nACME (ACME CORP), 2000-01-03 to 2000-01-05, F1.DAT");
    const std::string differs = "2000-01-05: close is 102.5 in the price file, 102.75 in the input";
    EXPECT_EQ(m_boxes.texts[1], "1 day differs from what the price file holds:\n" + differs +
                                    "\n\nReplace the stored values with the file's?");
    EXPECT_EQ(std::pair(m_boxes.options[1].defaultAnswer, m_boxes.options[1].details),
              std::pair(ui::Answer::kNo, differs));
    EXPECT_EQ(Log().substr(Log().rfind("\nUpdate ") + 1),
              "Update failed.\nNothing was changed: the days that differ were kept as stored.");
    EXPECT_EQ(ReadBytes(m_out + "/F1.DAT"), before);

    m_boxes.answers = {ui::Answer::kYes, ui::Answer::kYes};
    Confirm("m_nExist0");
    Frame().Action(ID_SETTINGS)->trigger();
    EXPECT_EQ(Log().substr(Log().rfind("\nUpdate ") + 1),
              "Update completed successfully!\nACME: 2 records added, 2000-01-06 to 2000-01-07; 1 row was already "
              "present; 1 day replaced\nShow " +
                  m_out);
    const std::string exported = m_dir / "exported.csv";
    ASSERT_EQ(
        std::system(("'" + std::string(TAVRIX_CLI) + "' export '" + m_out + "' ACME >'" + exported + "'").c_str()), 0);
    const std::string csv = ReadText(exported);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 6) << csv; // a heading and five days
    EXPECT_NE(csv.find("2000-01-05,102,103,101,102.75,"), std::string::npos) << csv;
}

TEST_F(ConversionStoryTest, ThreeFilesDroppedAtOnceBecomeThreeSecuritiesAndARefusedOneDoesNotStopTheOthers)
{
    MakeDir(m_dir / "in");
    const std::string files[] = {m_dir / "in/acme.csv", m_dir / "in/nodata.csv", m_dir / "in/bolt.txt"};
    // A header on the first file only: the others keep their first rows.
    WriteText(files[0], "Date,Open,High,Low,Close,Volume,OI\n" + kRows);
    WriteText(files[1], "no,price,lines,here\n");
    WriteText(files[2], kRows + "\n01/06/00,n/a,103,101,102.5,14000,9");
    QStringList listed;
    OnNextModal<CSettingsDlg>([&](CSettingsDlg* dialog) {
        auto* list = dialog->findChild<QTableWidget*>("tblFiles");
        for (int row = 0; row < list->rowCount(); ++row)
            listed << list->item(row, 0)->text() + "=" + list->item(row, 1)->text();
        list->item(2, 1)->setText("bolt2");
        Field(dialog, "m_strPath")->setText(QString::fromStdString(m_out));
        Click(dialog, "m_nExist1");
        if (!dialog->findChild<QCheckBox*>("m_bSkipOn")->isChecked()) // as detection fills it for acme.csv
            Click(dialog, "m_bSkipOn");
        Field(dialog, "m_nSkipRows")->setText("1");
        dialog->findChild<QComboBox*>("m_strDateFormat")->setCurrentText("MM_DD_YY");
        Click(dialog, "IDOK");
    });
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(files[0])),
                  QUrl::fromLocalFile(QString::fromStdString(files[1])),
                  QUrl::fromLocalFile(QString::fromStdString(files[2]))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &enter);
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &dropped);
    EXPECT_EQ(listed, (QStringList{"acme.csv=ACME", "nodata.csv=NODATA", "bolt.txt=BOLT"}));
    EXPECT_EQ(Frame().windowTitle(), "acme.csv and 2 more - Tavrix");
    EXPECT_EQ(Log().substr(Log().rfind("\n----- ") + 1),
              "----- hh:mm:ss  3 files -----\n"
              "Conversion failed for some files.\n"
              "File        Symbol  Records  First       Last        Result\n"
              "acme.csv    ACME    3        2000-01-03  2000-01-05  converted\n"
              "nodata.csv  NODATA  -        -           -           refused: The input cannot be read as it stands\n"
              "bolt.txt    BOLT2   3        2000-01-03  2000-01-05  converted; 1 of 4 rows left out\n"
              "2 of 3 files converted into " +
                  m_out +
                  "\n"
                  "acme.csv: Read as: comma-separated, header on line 1, date=1 (MM_DD_YY), open=2, high=3, low=4, "
                  "close=5, volume=6, oi=7\n"
                  "acme.csv: The dates read several ways: MM_DD_YY, as chosen.\n"
                  "nodata.csv: The input cannot be read as it stands:\n"
                  "nodata.csv: " +
                  files[1] +
                  "\n"
                  "nodata.csv: No delimiter splits the rows into columns of numbers and dates; line 1: "
                  "no,price,lines,here\n"
                  "nodata.csv: Open the file on its own to choose how it is read.\n"
                  "bolt.txt: Read as: comma-separated, no header, date=1 (MM_DD_YY), open=2, high=3, low=4, "
                  "close=5, volume=6, oi=7\n"
                  "bolt.txt: The dates read several ways: MM_DD_YY, as chosen.\n"
                  "bolt.txt: 1 of 4 rows were left out:\n"
                  "bolt.txt: line 4: open is not a number: 01/06/00,n/a,103,101,102.5,14000,9\n"
                  "Show " +
                  m_out);
}

TEST_F(ConversionStoryTest, ADialogForAYahooFileOpensFilledFromItAndDetectFillsItAgain)
{
    const std::string input = m_dir / "acme.csv";
    WriteText(input, ReadText(std::string(TAVRIX_FIXTURES) + "/downloads/yahoo.csv"));
    OnNextModal<CSettingsDlg>([&](CSettingsDlg* dialog) {
        const auto columns = [dialog] {
            QStringList shown;
            for (const char* name : {"m_nDateCol", "m_nOpenCol", "m_nHiCol", "m_nLoCol", "m_nCloCol", "m_nVolCol"})
                shown << Field(dialog, name)->text() + " " +
                             dialog->findChild<QLabel*>(QString(name) + "Heading")->text();
            return shown.join(", ") + (dialog->findChild<QAbstractButton*>("m_bOIOn")->isChecked() ? ", oi" : "") +
                   " " + dialog->findChild<QComboBox*>("m_strDateFormat")->currentText() + " skip " +
                   Field(dialog, "m_nSkipRows")->text();
        };
        const QString filled = "1 Date, 2 Open, 3 High, 4 Low, 5 Close, 7 Volume CCYY_MM_DD skip 1";
        EXPECT_EQ(columns(), filled);
        auto* preview = dialog->findChild<QTableWidget*>("tblPreview");
        EXPECT_EQ(std::pair(preview->horizontalHeaderItem(6)->text(), preview->item(1, 6)->text()),
                  std::pair(QString("7: Volume"), QString("59741727")));
        Field(dialog, "m_nVolCol")->setText("6"); // Adj Close: the preview says so at once
        EXPECT_EQ(std::pair(preview->horizontalHeaderItem(5)->text(), columns().contains("6 Adj Close")),
                  std::pair(QString("6: Volume"), true));
        Click(dialog, "IDC_DETECT");
        EXPECT_EQ(columns(), filled);
        Click(dialog, "IDCANCEL");
    });
    ASSERT_TRUE(Frame().OpenDocument(input));
    // Cancelled: the dialog comes back filled, and the log says so once.
    QString again;
    OnNextModal<CSettingsDlg>([&](CSettingsDlg* dialog) {
        again =
            Field(dialog, "m_nVolCol")->text() + " " + dialog->findChild<QComboBox*>("m_strDateFormat")->currentText();
        Click(dialog, "IDCANCEL");
    });
    Frame().Action(ID_SETTINGS)->trigger();
    EXPECT_EQ(again, "7 CCYY_MM_DD");
    EXPECT_EQ(Log().find("The dialog was filled in"), Log().rfind("The dialog was filled in"));
    EXPECT_NE(
        Log().find("\n\nThe last settings do not read this file: The columns do not fit the header on line 1: volume "
                   "is column 6, headed Adj Close; open interest is column 7, headed Volume.\n"),
        std::string::npos)
        << Log();
    EXPECT_NE(Log().find("The dialog was filled in from the file. Read as: comma-separated, header on line 1, "
                         "date=1 (CCYY_MM_DD), open=2, high=3, low=4, close=5, volume=7"),
              std::string::npos)
        << Log();

    // Dates that read two ways: Detect keeps the layout chosen in the list, and says so.
    WriteText(input, "Date,Close\n01/02/2025,1\n01/03/2025,2\n02/03/2025,3\n");
    OnNextModal<CSettingsDlg>([&](CSettingsDlg* dialog) {
        dialog->findChild<QComboBox*>("m_strDateFormat")->setCurrentText("DD_MM_CCYY");
        Click(dialog, "IDC_DETECT");
        again = dialog->findChild<QComboBox*>("m_strDateFormat")->currentText();
        Click(dialog, "IDCANCEL");
    });
    ASSERT_TRUE(Frame().OpenDocument(input));
    ASSERT_FALSE(m_boxes.texts.empty());
    EXPECT_EQ(std::pair(again.toStdString(), m_boxes.texts.back()),
              std::pair(std::string("DD_MM_CCYY"), std::string("The dates read several ways: DD_MM_CCYY, as chosen.")));
}

// A file of many securities shows its tickers in place of Symbol and Name; one OK converts them
// all, and One bar a day makes daily securities of intraday bars.
TEST_F(ConversionStoryTest, AMarketFileShowsItsTickersAndOneOkConvertsThemAll)
{
    const std::string input = m_dir / "market.txt";
    WriteText(input, ReadText(std::string(TAVRIX_FIXTURES) + "/downloads/market-intraday.txt"));
    QStringList tickers;
    OnNextModal<CSettingsDlg>([&](CSettingsDlg* dialog) {
        auto* list = dialog->findChild<QTableWidget*>("tblFiles");
        EXPECT_FALSE(dialog->findChild<QLineEdit*>("m_strSymbol")->isVisibleTo(dialog));
        for (int row = 0; row < list->rowCount(); ++row)
            tickers << list->item(row, 0)->text();
        Field(dialog, "m_strPath")->setText(QString::fromStdString(m_out));
        Click(dialog, "m_nExist1");
        Click(dialog, "m_bDaily");
        Click(dialog, "IDOK");
    });
    ASSERT_TRUE(Frame().OpenDocument(input));
    EXPECT_EQ(tickers, (QStringList{"AQZR", "BXVL", "CQTN"}));
    EXPECT_NE(Run().find("Conversion completed successfully!\n"
                         "Ticker  Change  Records  First       Last        Result\n"
                         "AQZR    new     2        2025-01-02  2025-01-03  converted\n"),
              std::string::npos)
        << Run();
    EXPECT_NE(Run().find("3 of 3 tickers went into " + m_out), std::string::npos);
}
