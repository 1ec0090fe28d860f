// Takes the screenshots of the README and the user guide: the main window with a preview and a
// result, the Conversion Settings dialog, the Choose Directory dialog, the About box and the
// directory window with the converted security's chart, as real windows (run it under Xvfb). Everything goes below HOME
// (scripts/screenshots.sh gives it a plausible one in a private mount namespace), or below a temporary folder when none
// is given, so the user's own settings are never touched.
#include "about/AboutDlg.h"
#include "app/DirectoryWindow.h"
#include "app/MainFrame.h"
#include "app/PriceChart.h"
#include "app/TavrixView.h"
#include "dialogs/ChooseDir.h"
#include "dialogs/SettingsDlg.h"
#include "platform/Registry.h"
#include "settings/ProfileStore.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTableView>
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
        std::fprintf(stderr, "usage: tavrix-screenshots INPUT OUTPUT-FOLDER [HOME]\n");
        return 2;
    }
    const QString input = QFileInfo(argv[1]).absoluteFilePath();
    const QString folder = QFileInfo(argv[2]).absoluteFilePath();
    QTemporaryDir scratch;
    const QString home = argc > 3 ? QString(argv[3]) : scratch.path();
    // An empty folder for a new MASTER, as a user would make one for a first conversion.
    const QString data = home + "/MetaStock";
    QDir().mkpath(data);
    platform::SetHivePath((home + "/.config/Corvanta/registry").toStdString());
    auto store = tavrix::CreateProfileStore();
    store->WriteString("Setting", "Path", qPrintable(data));
    store->WriteInt("Setting", "Exist", 1);
    store->WriteString("Setting", "Symbol", "ACME");
    store->WriteString("Setting", "Name", "ACME CORP");
    // No date layout or rows to skip stored: the dialog shows itself filled from the file.
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
        QTimer::singleShot(300, settings, [settings, &frame, &folder, &data] {
            settings->findChild<QPushButton*>("IDC_BROWSE")->click();
            // Confirm, so the log ends with the result lines.
            settings->findChild<QPushButton*>("IDOK")->click();
            QTimer::singleShot(300, &frame, [&frame, &folder, &data] {
                Save(&frame, folder + "/main-window.png");
                int licenceVisited = 0;
                int guideVisited = 1; // shows both link colours
                CAboutDlg about(&licenceVisited, &guideVisited, &frame);
                QTimer::singleShot(300, &about, [&about, &folder] {
                    Save(&about, folder + "/about-box.png");
                    about.accept();
                });
                about.exec();
                // The directory just converted into, its security selected, its last months in view
                // and a day's values shown as the pointer shows them.
                CDirectoryWindow* window = frame.OpenDirectoryWindow(data.toStdString());
                window->setGeometry(20, 20, 980, 700);
                QTimer::singleShot(500, window, [window, &folder] {
                    window->SelectSecurity(window->Directory() + "/", 1);
                    const int records = window->findChild<QTableView*>("m_records")->model()->rowCount();
                    window->Chart()->ShowRange(records - 80.5, records - 0.5);
                    window->Chart()->ShowRecord(records - 12);
                    QTimer::singleShot(500, window, [window, &folder] {
                        Save(window, folder + "/directory-window.png");
                        QApplication::quit();
                    });
                });
            });
        });
        return true;
    });
    QTimer::singleShot(300, &frame, [&frame, input] { frame.OpenDocument(input.toStdString()); });
    return QApplication::exec();
}
