#pragma once

#include <QMainWindow>

#include <QPointer>

#include <functional>
#include <string>
#include <vector>

class CDirectoryWindow;
class CTavrixDoc;
class CTavrixView;
class QAction;
class QMenu;
class QUrl;

namespace tavrix {
class ProfileStore;
}

// Command ids of the menu, toolbar and accelerators; each QAction carries its id as data.
enum CommandId
{
    ID_SETTINGS = 32771,
    ID_CLEAR_WINDOW = 32774,
    ID_FILE_OPEN_DIRECTORY = 32775,
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_MRU_FILE1 = 57616,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57667,
    ID_CONTEXT_HELP = 57669,
    ID_HELP = 57670,
};

// The main window: menu, toolbar, status bar and the log view. It opens where it was last closed
// (section "Screen" of the store, in device pixels), keeps a list of the four files opened last
// and opens the files dropped on it.
class CMainFrame : public QMainWindow
{
    Q_OBJECT
public:
    explicit CMainFrame(tavrix::ProfileStore* store, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CTavrixView* GetActiveView() const { return m_pView; }
    CTavrixDoc* GetDocument() const { return m_pDoc; }
    QAction* Action(int id) const;

    void OnFileOpen();
    void OnFileOpenDirectory();
    // Shows a directory's securities in a window of their own; a directory already shown is raised.
    CDirectoryWindow* OpenDirectoryWindow(const std::string& directory);
    bool OpenDocument(const std::string& path);
    // Several files, one security each, under one settings dialog; false when none opened.
    bool OpenDocuments(const std::vector<std::string>& paths);
    void OnUpdateSettings();
    void OnHelpFinder();
    // The folder File > Open starts in: the last input file's.
    QString OpenFolder() const;

    std::vector<std::string> RecentFiles() const;

    // What opens the user guide; true when a viewer took it. Tests replace it; returns the old one.
    using GuideOpener = std::function<bool(const QUrl& guide)>;
    static GuideOpener SetGuideOpener(GuideOpener opener);

signals:
    void AboutRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* AddAction(QMenu* menu, int id, const QString& text, const QString& prompt, const QString& icon = {});
    void PreCreateWindow();
    void AddToRecentFileList(const std::string& path);
    void RemoveFromRecentFileList(const std::string& path);
    void StoreRecentFiles(const std::vector<std::string>& files);
    void UpdateRecentFileMenu();
    // "acme.csv - Tavrix": the open file, or how many are open.
    void UpdateTitle();

    tavrix::ProfileStore* m_pProfileStore;
    CTavrixView* m_pView;
    CTavrixDoc* m_pDoc;
    QMenu* m_pFileMenu = nullptr;
    QAction* m_pRecentPlaceholder = nullptr;
    QAction* m_pRecentSeparator = nullptr;
    std::vector<QAction*> m_recentActions;
    std::vector<QPointer<CDirectoryWindow>> m_directoryWindows;
};
