#include "UiFixture.h"

#include "app/TavrixApp.h"
#include "dialogs/SettingsDlg.h"

#include <QAction>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>

#include <cstdlib>
#include <sys/wait.h>

using namespace testing_support;

using MainFrameTest = UiFixture;

TEST_F(MainFrameTest, HelpAndVersionAnswerWithoutADisplayAndOtherOptionsAreRefused)
{
    // The real program, without a display: its standard output and exit status.
    const auto run = [this](const std::string& arguments) {
        const std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb '") +
                                    TAVRIX_GUI + "' " + arguments + " >'" + (m_dir / "stdout") + "' 2>/dev/null";
        const int status = std::system(command.c_str());
        return std::pair(ReadText(m_dir / "stdout"), WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    };
    const auto help = run("--help");
    EXPECT_EQ(std::pair(help.first.substr(0, 29), help.second),
              std::pair(std::string("Usage: tavrix [--] [FILE...]\n"), 0));
    EXPECT_EQ(run("--version"), std::pair(std::string("tavrix 1.5.0\n"), 0));
    for (const char* refused : {" --bogus", " a.csv --bogus"})
        EXPECT_EQ(run(std::string("-platform offscreen") + refused).second, 2) << refused;
    QStringList arguments = {"tavrix", "a.csv", "--", "--help"}; // "--" lets a file's name start with a dash
    EXPECT_TRUE(CheckFileArguments(&arguments, stderr));
    EXPECT_EQ(arguments, (QStringList{"tavrix", "a.csv", "--help"}));
}

TEST_F(MainFrameTest, ADroppedFileOpensAsFileOpenDoesAndFileOpenStartsInItsFolder)
{
    MakeDir(m_dir / "inputs");
    const std::string first = m_dir / "inputs/first.csv", second = m_dir / "inputs/second.csv";
    WriteText(first, "01/03/00,1,2,3,4,5,6\n");
    WriteText(second, "b\n");
    const auto drop = [this](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = View().geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Frame(), &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        if (enter.isAccepted())
            QApplication::sendEvent(&Frame(), &dropped);
    };
    OnNextModal<CSettingsDlg>([](CSettingsDlg* settings) { Click(settings, "IDCANCEL"); });
    drop({QUrl("https://example.org/prices.csv"), QUrl::fromLocalFile(QString::fromStdString(first))});
    EXPECT_EQ(std::pair(View().m_strInputPath, Frame().RecentFiles().front()), std::pair(first, first));
    EXPECT_NE(Log().find("01/03/00,1,2,3,4,5,6"), std::string::npos);
    drop({QUrl("https://example.org/prices.csv")}); // nothing local: refused
    EXPECT_EQ(View().m_strInputPath, first);

    ASSERT_EQ(::chdir(m_out.c_str()), 0); // as a conversion leaves it
    // The pointer on the toolbar button put its prompt in the status bar; the dialog took the pointer.
    Frame().statusBar()->showMessage(Frame().Action(ID_FILE_OPEN)->statusTip());
    OnNextModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->directory().absolutePath().toStdString(), m_dir / "inputs");
        EXPECT_EQ(std::pair(dialog->nameFilters().size(), dialog->fileMode()),
                  std::pair(qsizetype(2), QFileDialog::ExistingFiles));
        EXPECT_TRUE(dialog->nameFilters()[0].contains("*.csv") && dialog->nameFilters()[0].contains("*.txt") &&
                    dialog->nameFilters()[1] == "All Files (*)");
        dialog->selectFile(QString::fromStdString(second));
        OnNextModal<CSettingsDlg>([](CSettingsDlg* settings) { Click(settings, "IDCANCEL"); }, dialog);
        static_cast<QDialog*>(dialog)->accept(); // as the Open button does
    });
    Frame().Action(ID_FILE_OPEN)->trigger();
    EXPECT_EQ(View().m_strInputPath, second);
    EXPECT_EQ(std::pair(Frame().statusBar()->currentMessage(), Frame().windowTitle()),
              std::pair(QString("For Help, press F1"), QString("second.csv - Tavrix")));

    // Ctrl+, opens the settings again.
    bool shown = false;
    OnNextModal<CSettingsDlg>([&](CSettingsDlg* settings) {
        shown = true;
        Click(settings, "IDCANCEL");
    });
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    QTest::keyClick(&Frame(), Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_TRUE(shown);
}

TEST_F(MainFrameTest, HelpShowsTheGuideOrAMessageNamingItAndCtrlQQuitsStoringThePlacement)
{
    std::vector<std::string> guides;
    bool opens = true;
    const auto oldOpener = CMainFrame::SetGuideOpener([&](const QUrl& guide) {
        guides.push_back(guide.toLocalFile().toStdString());
        return opens;
    });
    const std::shared_ptr<void> restore(nullptr, [&](void*) { CMainFrame::SetGuideOpener(oldOpener); });
    Frame().Action(ID_HELP_FINDER)->trigger();
    ASSERT_EQ(guides.size(), 1u);
    EXPECT_TRUE(QString::fromStdString(guides[0]).endsWith("/guide/index.html") && m_boxes.texts.empty());

    opens = false; // no viewer could open it
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    QTest::keyClick(&Frame(), Qt::Key_F1);
    ASSERT_EQ(guides.size(), 2u);
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>{
                                 "No program could show the user guide. Open it in a web browser:\n" + guides[1]});

    Frame().setGeometry(-30, 40, 400, 300); // partly past the left edge
    QTest::keyClick(&Frame(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_EQ(std::pair(m_store->ReadInt("Screen", "x", -1), m_store->ReadInt("Screen", "cx", 0)), std::pair(0, 400));
}
