// Takes the screenshots of the README and the user guide: the main window with a preview, the
// Conversion Settings dialog and the Choose Directory dialog, as real windows (run it under Xvfb).
// Settings go to a temporary hive, so the user's own are never touched.
#include "about/AboutDlg.h"
#include "app/MainFrame.h"
#include "app/TavrixView.h"
#include "dialogs/ChooseDir.h"
#include "dialogs/SettingsDlg.h"
#include "platform/Registry.h"
#include "settings/ProfileStore.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {
void WhenModal(const std::function<bool(QWidget*)>& act)
{
    auto* timer = new QTimer;
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && act(modal))
        {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

void Save(QWidget* widget, const QString& path)
{
    QApplication::processEvents();
    widget->window()->grab().save(path);
    std::printf("%s\n", qPrintable(path));
}
} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Corvanta");
    QApplication::setApplicationName("Tavrix");
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: tavrix-screenshots INPUT OUTPUT-FOLDER\n");
        return 2;
    }
    const QString input = QFileInfo(argv[1]).absoluteFilePath();
    const QString folder = QFileInfo(argv[2]).absoluteFilePath();
    QTemporaryDir scratch;
    platform::SetHivePath((scratch.path() + "/registry").toStdString());
    auto store = tavrix::CreateProfileStore();
    store->WriteString("Setting", "Path", qPrintable(scratch.path()));
    store->WriteString("Setting", "Symbol", "ACME");
    store->WriteString("Setting", "Name", "ACME CORP");
    store->WriteString("Setting", "DateFormat", "MM_DD_CCYY");
    store->WriteInt("Setting", "SkipOn", 1);
    store->WriteInt("Setting", "SkipRows", 1);
    store->WriteInt("Screen", "cx", 760);
    store->WriteInt("Screen", "cy", 520);
    store->WriteInt("Screen", "x", 20);
    store->WriteInt("Screen", "y", 20);

    CMainFrame frame(store.get());
    frame.show();
    // Settings dialog: shoot it, open Browse and shoot the chooser, then cancel both.
    WhenModal([&](QWidget* modal) {
        auto* settings = qobject_cast<CSettingsDlg*>(modal);
        if (!settings)
            return false;
        Save(settings, folder + "/settings-dialog.png");
        WhenModal([&](QWidget* inner) {
            auto* chooser = qobject_cast<CChooseDir*>(inner);
            if (!chooser)
                return false;
            QTimer::singleShot(300, chooser, [chooser, &folder] {
                Save(chooser, folder + "/choose-directory.png");
                chooser->reject();
            });
            return true;
        });
        QTimer::singleShot(300, settings, [settings, &frame, &folder, &scratch] {
            settings->findChild<QPushButton*>("IDC_BROWSE")->click();
            // Confirm into a fresh folder, so the log ends with the result line.
            QDir(scratch.path()).mkdir("out");
            settings->findChild<QLineEdit*>("m_strPath")->setText(scratch.path() + "/out");
            settings->findChild<QRadioButton*>("m_nExist1")->setChecked(true);
            settings->findChild<QPushButton*>("IDOK")->click();
            QTimer::singleShot(300, &frame, [&frame, &folder] {
                Save(&frame, folder + "/main-window.png");
                int emailVisited = 0;
                int webVisited = 1; // shows both link colours
                CAboutDlg about(&emailVisited, &webVisited, &frame);
                QTimer::singleShot(300, &about, [&about, &folder] {
                    Save(&about, folder + "/about-box.png");
                    about.accept();
                });
                about.exec();
                QApplication::quit();
            });
        });
        return true;
    });
    QTimer::singleShot(300, &frame, [&frame, input] { frame.OpenDocument(input.toStdString()); });
    return QApplication::exec();
}
