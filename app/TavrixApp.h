#pragma once

#include <QStringList>

#include <memory>

class CMainFrame;

namespace tavrix {
class ProfileStore;
}

// The application: the settings store first, then the main frame with its document and view,
// then the command line. The About box's two link flags live here for the run.
class CTavrixApp
{
public:
    CTavrixApp();
    ~CTavrixApp();

    // False when the program is to end at once (a file named on the command line failed to open).
    bool InitInstance(const QStringList& arguments);
    int ExitInstance();
    void OnAppAbout();

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }

    std::unique_ptr<tavrix::ProfileStore> m_pProfileStore;
    int m_bEmailLinkVisited = 0;
    int m_bWebLinkVisited = 0;

private:
    std::unique_ptr<CMainFrame> m_pMainFrame;
};

// Message boxes and the beep through Qt, with the caption "Tavrix".
void InstallQtPlatformHandlers();
