#include "UiFixture.h"

#include "about/AboutDlg.h"
#include "about/AboutInfo.h"
#include "about/StaticLink.h"
#include "app/TavrixApp.h"

#include <QBitmap>
#include <QLabel>
#include <QMouseEvent>

using namespace testing_support;

namespace {
class AboutTest : public UiFixture
{
protected:
    AboutTest()
    {
        m_oldOpener = CStaticLink::SetUrlOpener([this](const QString& target) {
            m_opened.push_back(target.toStdString());
            return m_openSucceeds;
        });
    }
    ~AboutTest() override { CStaticLink::SetUrlOpener(m_oldOpener); }

    // The colour the link was last painted in.
    static QColor Painted(CStaticLink* link)
    {
        link->grab();
        return link->palette().color(QPalette::WindowText);
    }

    static void Move(CStaticLink* link, QPoint point)
    {
        QMouseEvent move(QEvent::MouseMove, point, link->mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(link, &move);
    }

    std::vector<std::string> m_opened;
    bool m_openSucceeds = true;
    int m_email = 0;
    int m_web = 0;

private:
    CStaticLink::UrlOpener m_oldOpener;
};
} // namespace

TEST_F(AboutTest, AFollowedLinkStaysPurpleInTheNextShowingAndTheOtherStaysBlue)
{
    {
        CAboutDlg first(&m_email, &m_web);
        first.show();
        EXPECT_EQ(Painted(first.m_linkWeb), QColor(0, 0, 255));
        EXPECT_TRUE(first.m_linkWeb->font().underline());
        QTest::mouseClick(first.m_linkWeb, Qt::LeftButton);
        EXPECT_EQ(m_opened, std::vector<std::string>{about::kWebAddress}); // opened as it stands
        EXPECT_EQ(Painted(first.m_linkWeb), QColor(128, 0, 128));
        QTest::mouseClick(first.findChild<QWidget*>("IDOK"), Qt::LeftButton);
        EXPECT_EQ(first.result(), QDialog::Accepted);
    }
    CAboutDlg second(&m_email, &m_web);
    second.show();
    EXPECT_EQ(Painted(second.m_linkWeb), QColor(128, 0, 128));
    EXPECT_EQ(Painted(second.m_linkEmail), QColor(0, 0, 255));
    EXPECT_EQ(m_web, 1);
    EXPECT_EQ(m_email, 0);
    EXPECT_EQ(second.findChild<QLabel*>("m_strLegal")->text().toStdString(),
              "\n\nMetaStock is a\nregistered trademark of\nEQUIS International Inc.  CompuTrac is a\n"
              "registered trademark of\nDow Jones Telerate");
}

TEST_F(AboutTest, OnADarkBackgroundTheLinksTakeTheThemesColoursOrLightOnes)
{
    m_web = 1;
    CAboutDlg dialog(&m_email, &m_web);
    QPalette dark = dialog.palette();
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Link, QColor(0x42, 0x8B, 0xFF));
    dark.setColor(QPalette::LinkVisited, QColor(0xFF, 0x80, 0xFF));
    dialog.setPalette(dark);
    dialog.show();
    EXPECT_EQ(Painted(dialog.m_linkEmail), QColor(0x42, 0x8B, 0xFF));
    EXPECT_EQ(Painted(dialog.m_linkWeb), QColor(0xFF, 0x80, 0xFF));

    // A dark palette that kept the light one's link colours: light blue and purple instead.
    dark.setColor(QPalette::Link, QColor(0, 0, 255));
    dark.setColor(QPalette::LinkVisited, QColor(128, 0, 128));
    dialog.setPalette(dark);
    EXPECT_EQ(Painted(dialog.m_linkEmail), QColor(0x8A, 0xB4, 0xF8));
    EXPECT_EQ(Painted(dialog.m_linkWeb), QColor(0xC5, 0x8A, 0xF9));
}

TEST_F(AboutTest, TheEmailLinkOpensAsMailtoEveryTimeAndKeepsItsFirstTarget)
{
    CAboutDlg dialog(&m_email, &m_web);
    dialog.show();
    dialog.m_linkEmail->OnClicked();
    dialog.m_linkEmail->setText("changed@example.org");
    dialog.m_linkEmail->OnClicked();
    const std::string mailto = std::string("mailto:") + about::kAuthorEmail;
    EXPECT_EQ(m_opened, (std::vector<std::string>{mailto, mailto}));
    EXPECT_EQ(m_email, 1);
}

TEST_F(AboutTest, AFailedOpenBeepsAndLeavesTheLinkBlue)
{
    m_openSucceeds = false;
    CAboutDlg dialog(&m_email, &m_web);
    dialog.show();
    dialog.m_linkWeb->OnClicked();
    EXPECT_EQ(m_beeps, 1);
    EXPECT_EQ(m_web, 0);
    EXPECT_EQ(Painted(dialog.m_linkWeb), QColor(0, 0, 255));
}

TEST_F(AboutTest, HandCursorWhileOverTheLinkButNotInTheSecondAfterAClick)
{
    CAboutDlg dialog(&m_email, &m_web);
    dialog.show();
    CStaticLink* link = dialog.m_linkWeb;
    Move(link, QPoint(2, 2));
    EXPECT_TRUE(link->m_bCaptured);
    EXPECT_EQ(link->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(link->cursor().hotSpot(), QPoint(0, 0));
    EXPECT_EQ(link->cursor().bitmap().size(), QSize(32, 32));
    Move(link, QPoint(-5, link->height() + 5)); // outside: the capture brings the move here
    EXPECT_FALSE(link->m_bCaptured);
    EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor);

    link->OnClicked();
    Move(link, QPoint(2, 2));
    EXPECT_FALSE(link->m_bCaptured); // paused
    QTest::qWait(1100);
    EXPECT_FALSE(link->m_bJustClicked);
    Move(link, QPoint(2, 2));
    EXPECT_TRUE(link->m_bCaptured);
    Move(link, QPoint(-5, -5));
}

TEST_F(AboutTest, TheAboutCommandShowsTheBoxWithTheApplicationsFlags)
{
    CTavrixApp app;
    ASSERT_TRUE(app.InitInstance({"tavrix"}));
    OnNextModal<CAboutDlg>([](CAboutDlg* dialog) {
        dialog->m_linkEmail->OnClicked();
        QTest::mouseClick(dialog->findChild<QWidget*>("IDOK"), Qt::LeftButton);
    });
    app.MainFrame()->Action(ID_APP_ABOUT)->trigger();
    EXPECT_EQ(app.m_bEmailLinkVisited, 1);
    EXPECT_EQ(app.m_bWebLinkVisited, 0);
}
