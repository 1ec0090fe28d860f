#include "UiFixture.h"

#include "about/AboutDlg.h"
#include "about/AboutInfo.h"
#include "about/StaticLink.h"
#include "app/TavrixApp.h"

using namespace testing_support;

namespace {
// The colour the link was last painted in.
QColor Painted(CStaticLink* link)
{
    link->grab();
    return link->palette().color(QPalette::WindowText);
}
} // namespace

using AboutTest = UiFixture;

TEST_F(AboutTest, LinksShowWhetherTheyWereFollowedInColoursThatSuitTheBackgroundAndAFailedOpenBeeps)
{
    std::vector<std::string> opened;
    const auto oldOpener = CStaticLink::SetUrlOpener([&](const QString& target) {
        opened.push_back(target.toStdString());
        return opened.size() > 1; // the first open fails
    });
    const std::shared_ptr<void> restore(nullptr, [&](void*) { CStaticLink::SetUrlOpener(oldOpener); });
    CTavrixApp app;
    ASSERT_TRUE(app.InitInstance({"tavrix"}));
    OnNextModal<CAboutDlg>([this, &app](CAboutDlg* dialog) {
        QTest::mouseClick(dialog->m_linkWeb, Qt::LeftButton);
        EXPECT_EQ(std::tuple(m_beeps, app.m_bWebLinkVisited, Painted(dialog->m_linkWeb)),
                  std::tuple(1, 0, QColor(0, 0, 255)));
        QTest::mouseClick(dialog->m_linkWeb, Qt::LeftButton);
        EXPECT_EQ(Painted(dialog->m_linkWeb), QColor(128, 0, 128));
        Click(dialog, "IDOK");
    });
    app.MainFrame()->Action(ID_APP_ABOUT)->trigger();
    OnNextModal<CAboutDlg>([](CAboutDlg* dialog) {
        EXPECT_EQ(Painted(dialog->m_linkWeb), QColor(128, 0, 128));
        EXPECT_EQ(Painted(dialog->m_linkEmail), QColor(0, 0, 255));
        // On a dark background the theme's link colours, or light ones where the theme kept the light colours.
        QPalette dark = dialog->palette();
        dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        const QColor themeBlue(0x42, 0x8B, 0xFF), themePurple(0xFF, 0x80, 0xFF);
        for (const auto& [link, visited, email, web] :
             {std::tuple{themeBlue, themePurple, themeBlue, themePurple},
              {QColor(0, 0, 255), QColor(128, 0, 128), QColor(0x8A, 0xB4, 0xF8), QColor(0xC5, 0x8A, 0xF9)}})
        {
            dark.setColor(QPalette::Link, link);
            dark.setColor(QPalette::LinkVisited, visited);
            dialog->setPalette(dark);
            EXPECT_EQ(Painted(dialog->m_linkEmail), email);
            EXPECT_EQ(Painted(dialog->m_linkWeb), web);
        }
        QTest::mouseClick(dialog->m_linkEmail, Qt::LeftButton);
        Click(dialog, "IDOK");
    });
    app.MainFrame()->Action(ID_APP_ABOUT)->trigger();
    const std::string mailto = std::string("mailto:") + about::kAuthorEmail; // the web address as it stands
    EXPECT_EQ(opened, (std::vector<std::string>{about::kWebAddress, about::kWebAddress, mailto}));
    EXPECT_EQ(std::pair(app.m_bEmailLinkVisited, app.m_bWebLinkVisited), std::pair(1, 1));
}
