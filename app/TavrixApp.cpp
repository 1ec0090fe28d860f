#include "app/TavrixApp.h"

#include "about/AboutDlg.h"

#include "app/MainFrame.h"
#include "app/TavrixDoc.h"
#include "app/TavrixView.h"
#include "dialogs/DataExchange.h"
#include "platform/MessageBox.h"
#include "settings/ProfileStore.h"

#include <QApplication>
#include <QMessageBox>

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
    // A file named on the command line opens once the window and its view exist, as File > Open.
    if (arguments.size() > 1)
        return m_pMainFrame->OpenDocument(FromQString(arguments.at(1)));
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
    platform::SetMessageBoxHandler([](const std::string& text, unsigned type) {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle("Tavrix");
        box.setText(ToQString(text));
        const unsigned icon = type & 0xF0;
        if ((type & 0x0F) == platform::MB_YESNO)
        {
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            return box.exec() == QMessageBox::Yes ? platform::IDYES : platform::IDNO;
        }
        box.setIcon(icon == platform::MB_ICONERROR         ? QMessageBox::Critical
                    : icon == platform::MB_ICONINFORMATION ? QMessageBox::Information
                                                           : QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return platform::IDOK;
    });
    platform::SetBeepHandler([](unsigned) { QApplication::beep(); });
}
