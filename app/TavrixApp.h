#pragma once

#include <QStringList>

#include <cstdio>
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

    // False when the program is to end at once; a file named on the command line that fails to
    // open is said in a message and the window stays.
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

// Answers --help and --version on `out` before anything needs a display: the exit status, or -1
// when the program is to start.
int AnswerInfoOptions(int argc, char** argv, std::FILE* out);
// The arguments left after Qt took its own: [--] [FILE...]. Another option is refused on `err`
// (false); a "--" is removed, so the files, if any, start at the second argument.
bool CheckFileArguments(QStringList* arguments, std::FILE* err);
