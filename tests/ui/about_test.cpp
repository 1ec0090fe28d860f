#include "UiFixture.h"

#include "about/AboutDlg.h"
#include "about/StaticLink.h"
#include "app/InstalledDocs.h"
#include "app/TavrixApp.h"

#include <QUrl>

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

TEST_F(AboutTest, LinksLeadToTheInstalledGuideAndLicenceShowWhetherTheyWereFollowedAndAFailedOpenIsSaid)
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
        QTest::mouseClick(dialog->m_linkGuide, Qt::LeftButton);
        EXPECT_EQ(std::tuple(m_beeps, app.m_bWebLinkVisited, Painted(dialog->m_linkGuide)),
                  std::tuple(1, 0, QColor(0, 0, 255)));
        // No browser: the message says where the page is, as Help does.
        ASSERT_EQ(m_boxes.texts.size(), 1u);
        EXPECT_EQ(m_boxes.texts[0],
                  "No program could open the link. Open it in a web browser:\n" + UserGuide().toStdString());
        QTest::mouseClick(dialog->m_linkGuide, Qt::LeftButton);
        EXPECT_EQ(Painted(dialog->m_linkGuide), QColor(128, 0, 128));
        Click(dialog, "IDOK");
    });
    app.MainFrame()->Action(ID_APP_ABOUT)->trigger();
    OnNextModal<CAboutDlg>([](CAboutDlg* dialog) {
        EXPECT_EQ(Painted(dialog->m_linkGuide), QColor(128, 0, 128));
        EXPECT_EQ(Painted(dialog->m_linkLicence), QColor(0, 0, 255));
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
            EXPECT_EQ(Painted(dialog->m_linkLicence), email);
            EXPECT_EQ(Painted(dialog->m_linkGuide), web);
        }
        QTest::mouseClick(dialog->m_linkLicence, Qt::LeftButton);
        Click(dialog, "IDOK");
    });
    app.MainFrame()->Action(ID_APP_ABOUT)->trigger();
    ASSERT_FALSE(UserGuide().isEmpty());
    const std::string guide = QUrl::fromLocalFile(UserGuide()).toString().toStdString();
    const std::string licence =
        QUrl::fromLocalFile(InstalledDocument("copyright", "res/debian/copyright")).toString().toStdString();
    EXPECT_EQ(opened, (std::vector<std::string>{guide, guide, licence}));
    EXPECT_EQ(std::pair(app.m_bEmailLinkVisited, app.m_bWebLinkVisited), std::pair(1, 1));
}
