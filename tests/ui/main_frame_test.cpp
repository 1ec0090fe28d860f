#include "UiFixture.h"

#include "app/TavrixApp.h"
#include "dialogs/SettingsDlg.h"

#include <QAction>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QUrl>

#include <cstdio>

using namespace testing_support;

namespace {
class MainFrameTest : public UiFixture
{
protected:
    MainFrameTest()
    {
        m_oldOpener = CMainFrame::SetGuideOpener([this](const QUrl& guide) {
            m_guides.push_back(guide.toLocalFile().toStdString());
            return m_openSucceeds;
        });
    }
    ~MainFrameTest() override { CMainFrame::SetGuideOpener(m_oldOpener); }

    void Drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = Frame().GetActiveView()->geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Frame(), &enter);
        if (!enter.isAccepted())
            return;
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Frame(), &drop);
    }

    std::vector<std::string> m_guides;
    bool m_openSucceeds = true;

private:
    CMainFrame::GuideOpener m_oldOpener;
};

// Runs the real program; standard output and the exit status.
std::pair<std::string, int> RunTavrix(const std::string& arguments)
{
    const std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb '") + TAVRIX_GUI +
                                "' " + arguments + " 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? ::pclose(pipe) : -1;
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}
} // namespace

TEST_F(MainFrameTest, CtrlQQuits)
{
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    QTest::keyClick(&Frame(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(Frame().isVisible());
}

TEST_F(MainFrameTest, HelpAndVersionAnswerWithoutADisplayAndOtherOptionsAreRefused)
{
    const auto [help, helpStatus] = RunTavrix("--help");
    EXPECT_EQ(helpStatus, 0);
    EXPECT_EQ(help.rfind("Usage: tavrix [--] [FILE]\n", 0), 0u) << help;
    EXPECT_EQ(RunTavrix("--version"), (std::pair<std::string, int>{"tavrix 1.5.0\n", 0}));
    EXPECT_EQ(RunTavrix("-platform offscreen --bogus").second, 2);
    EXPECT_EQ(RunTavrix("-platform offscreen a.csv b.csv").second, 2);

    // "--" lets a file's name start with a dash.
    QStringList arguments = {"tavrix", "--", "--help"};
    EXPECT_TRUE(CheckFileArguments(&arguments, stderr));
    EXPECT_EQ(arguments, (QStringList{"tavrix", "--help"}));
}

TEST_F(MainFrameTest, ADroppedFileOpensAsFileOpenDoes)
{
    const std::string input = Input("01/03/00,1,2,3,4,5,6\n");
    OnNextModal<CSettingsDlg>([](CSettingsDlg* dialog) { Click(dialog, "IDCANCEL"); });
    Drop({QUrl("https://example.org/prices.csv"), QUrl::fromLocalFile(QString::fromStdString(input))});
    EXPECT_EQ(View().m_strInputPath, input);
    EXPECT_NE(Log().find("01/03/00,1,2,3,4,5,6"), std::string::npos);
    EXPECT_EQ(Frame().RecentFiles().front(), input);

    Drop({QUrl("https://example.org/prices.csv")}); // nothing local: refused
    EXPECT_EQ(View().m_strInputPath, input);
}

TEST_F(MainFrameTest, FileOpenStartsInTheFolderOfTheLastInputNotTheOutputFolder)
{
    MakeDir(m_dir / "inputs");
    const std::string first = m_dir / "inputs/first.csv";
    WriteText(first, "a\n");
    const std::string second = m_dir / "inputs/second.csv";
    WriteText(second, "b\n");
    OnNextModal<CSettingsDlg>([](CSettingsDlg* dialog) { Click(dialog, "IDCANCEL"); });
    ASSERT_TRUE(Frame().OpenDocument(first));
    ASSERT_EQ(::chdir(m_out.c_str()), 0); // as a conversion leaves it

    OnNextModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->directory().absolutePath().toStdString(), m_dir / "inputs");
        dialog->selectFile(QString::fromStdString(second));
        OnNextModal<CSettingsDlg>([](CSettingsDlg* settings) { Click(settings, "IDCANCEL"); }, dialog);
        static_cast<QDialog*>(dialog)->accept(); // as the Open button does
    });
    Frame().Action(ID_FILE_OPEN)->trigger();
    EXPECT_EQ(View().m_strInputPath, second);
}

TEST_F(MainFrameTest, WhenNoViewerShowsTheGuideAMessageNamesIt)
{
    Frame().Action(ID_HELP_FINDER)->trigger();
    ASSERT_EQ(m_guides.size(), 1u);
    EXPECT_EQ(m_guides[0].substr(m_guides[0].size() - 17), "/guide/index.html");
    EXPECT_TRUE(m_boxes.texts.empty());

    m_openSucceeds = false;
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    QTest::keyClick(&Frame(), Qt::Key_F1);
    ASSERT_EQ(m_guides.size(), 2u);
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>{
                                 "No program could show the user guide. Open it in a web browser:\n" + m_guides[1]});
}
