#include "app/TavrixApp.h"

#include "about/AboutDlg.h"

#include "app/MainFrame.h"
#include "app/TavrixDoc.h"
#include "app/TavrixView.h"
#include "dialogs/DataExchange.h"
#include "app/MessageBox.h"
#include "settings/ProfileStore.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <cstring>

CTavrixApp::CTavrixApp() = default;

CTavrixApp::~CTavrixApp()
{
    ExitInstance();
}

bool CTavrixApp::InitInstance(const QStringList& arguments)
{
    m_pProfileStore = tavrix::CreateProfileStore();
    m_pMainFrame = std::make_unique<CMainFrame>(m_pProfileStore.get());
    QObject::connect(m_pMainFrame.get(), &CMainFrame::AboutRequested, [this] { OnAppAbout(); });
    m_pMainFrame->show();
    // A directory named on the command line opens as File > Open Directory.
    if (arguments.size() == 2 && QFileInfo(arguments.at(1)).isDir())
    {
        m_pMainFrame->GetDocument()->OnNewDocument();
        m_pMainFrame->OpenDirectoryWindow(FromQString(arguments.at(1)));
        return true;
    }
    // Files named on the command line open once the window and its view exist, as File > Open.
    // One that cannot be opened is said and the window stays: from a file manager, a window that
    // vanished would say nothing.
    if (arguments.size() > 1)
    {
        std::vector<std::string> files;
        for (qsizetype i = 1; i < arguments.size(); ++i)
            files.push_back(FromQString(arguments.at(i)));
        m_pMainFrame->OpenDocuments(files);
        return true;
    }
    return m_pMainFrame->GetDocument()->OnNewDocument();
}

int CTavrixApp::ExitInstance()
{
    m_pMainFrame.reset();
    m_pProfileStore.reset();
    return 0;
}

void CTavrixApp::OnAppAbout()
{
    CAboutDlg dialog(&m_bEmailLinkVisited, &m_bWebLinkVisited, m_pMainFrame.get());
    dialog.DoModal();
}

void InstallQtPlatformHandlers()
{
    ui::SetMessageBoxHandler([](const std::string& text, const ui::MessageBoxOptions& options) {
        // A question during a conversion must not show the wait cursor.
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        struct RestoreCursor
        {
            ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
        } restore;
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle("Tavrix");
        box.setText(DisplayText(text));
        if (!options.details.empty())
            box.setDetailedText(DisplayText(options.details));
        if (options.buttons == ui::Buttons::kYesNo)
        {
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(options.defaultAnswer == ui::Answer::kNo ? QMessageBox::No : QMessageBox::Yes);
            return box.exec() == QMessageBox::Yes ? ui::Answer::kYes : ui::Answer::kNo;
        }
        box.setIcon(options.icon == ui::Icon::kError         ? QMessageBox::Critical
                    : options.icon == ui::Icon::kInformation ? QMessageBox::Information
                                                             : QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return ui::Answer::kOk;
    });
    ui::SetBeepHandler([](ui::Icon) { QApplication::beep(); });
}

int AnswerInfoOptions(int argc, char** argv, std::FILE* out)
{
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
    {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
        {
            std::fputs("Usage: tavrix [--] [FILE...]\n"
                       "Converts delimited price files into MetaStock-format data directories.\n"
                       "Opens FILE, shows its first lines and the Conversion Settings dialog;\n"
                       "several files become one security each. A DIRECTORY in place of\n"
                       "FILE shows its securities and their prices.\n\n"
                       "  -h, --help  show this help and exit\n"
                       "  --version   show the version and exit\n"
                       "  --          the next argument is a file name, even if it starts with -\n\n"
                       "The standard Qt options (-platform, -style, ...) are accepted too.\n"
                       "Without a window: tavrix-cli. More in tavrix(1) and in the user guide.\n",
                       out);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0)
        {
            std::fputs("tavrix " TAVRIX_VERSION "\n", out);
            return 0;
        }
    }
    return -1;
}

bool CheckFileArguments(QStringList* arguments, std::FILE* err)
{
    // Options end at "--"; after it every argument is a file, even one that starts with a dash.
    for (qsizetype i = 1; i < arguments->size(); ++i)
    {
        const QString& argument = arguments->at(i);
        if (argument == "--")
        {
            arguments->removeAt(i);
            return true;
        }
        if (argument.startsWith('-') && argument != "-")
        {
            std::fprintf(err, "tavrix: unknown option %s\nTry 'tavrix --help'.\n", qPrintable(argument));
            return false;
        }
    }
    return true;
}
