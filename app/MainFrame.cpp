#include "app/MainFrame.h"

#include "app/DirectoryWindow.h"
#include "app/FramePlacement.h"
#include "app/InstalledDocs.h"
#include "app/TavrixDoc.h"
#include "app/TavrixView.h"
#include "dialogs/DataExchange.h"
#include "app/MessageBox.h"
#include "settings/ProfileStore.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

// The resources live in a static library, whose initialiser the linker would otherwise drop.
static void InitResources()
{
    Q_INIT_RESOURCE(tavrix);
}

namespace {
constexpr int kRecentFiles = 4;
const char* const kIdlePrompt = "For Help, press F1";

CMainFrame::GuideOpener& Opener()
{
    static CMainFrame::GuideOpener opener = [](const QUrl& guide) { return QDesktopServices::openUrl(guide); };
    return opener;
}

// The local files of a drag; none when it carries none.
std::vector<std::string> DroppedFiles(const QMimeData* data)
{
    std::vector<std::string> files;
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                files.push_back(FromQString(url.toLocalFile()));
    return files;
}

// The status-bar prompt is the part before "\n"; the tooltip the part after it.
QString PromptPart(const QString& prompt, int part)
{
    const QStringList parts = prompt.split('\n');
    return part < parts.size() ? parts[part] : QString();
}
} // namespace

CMainFrame::CMainFrame(tavrix::ProfileStore* store, QWidget* parent)
    : QMainWindow(parent), m_pProfileStore(store), m_pView(new CTavrixView(store, this)),
      m_pDoc(new CTavrixDoc(m_pView))
{
    InitResources();
    setObjectName("CMainFrame");
    setWindowTitle("Tavrix");
    setWindowIcon(QIcon(":/res/tavrix-32.xpm"));
    setCentralWidget(m_pView);

    m_pFileMenu = menuBar()->addMenu("&File");
    QAction* open =
        AddAction(m_pFileMenu, ID_FILE_OPEN, "&Open...", "Open an existing document\nOpen", ":/res/open.xpm");
    open->setShortcut(QKeySequence("Ctrl+O"));
    QAction* openDirectory = AddAction(m_pFileMenu, ID_FILE_OPEN_DIRECTORY, "Open &Directory...",
                                       "Show the securities of a MetaStock-format directory\nOpen Directory");
    openDirectory->setShortcut(QKeySequence("Ctrl+Shift+O"));
    QAction* settings =
        AddAction(m_pFileMenu, ID_SETTINGS, "&Settings...", "File conversion settings\nSettings", ":/res/settings.xpm");
    settings->setShortcut(QKeySequence("Ctrl+,"));
    m_pFileMenu->addSeparator();
    m_pRecentPlaceholder = AddAction(m_pFileMenu, ID_FILE_MRU_FILE1, "Recent File", "Open this document");
    m_pRecentPlaceholder->setEnabled(false);
    m_pRecentSeparator = m_pFileMenu->addSeparator();
    QAction* exitAction =
        AddAction(m_pFileMenu, ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents\nExit");
    exitAction->setShortcut(QKeySequence("Ctrl+Q"));

    QMenu* viewMenu = menuBar()->addMenu("&View");
    QAction* clear =
        AddAction(viewMenu, ID_CLEAR_WINDOW, "&Clear Window", "Clear Window\nClear Window", ":/res/clear.xpm");

    QMenu* helpMenu = menuBar()->addMenu("&Help");
    QAction* helpTopics = AddAction(helpMenu, ID_HELP_FINDER, "&Help Topics", "List Help topics\nHelp Topics");
    helpMenu->addSeparator();
    QAction* about = AddAction(helpMenu, ID_APP_ABOUT, "&About Tavrix...",
                               "Display program information, version number and copyright\nAbout", ":/res/about.xpm");

    // Accelerators without a menu item of their own.
    QAction* newDocument = new QAction(this);
    newDocument->setObjectName("ID_FILE_NEW");
    newDocument->setData(ID_FILE_NEW);
    newDocument->setShortcut(QKeySequence("Ctrl+N"));
    addAction(newDocument);
    QAction* help = new QAction(this);
    help->setObjectName("ID_HELP");
    help->setData(ID_HELP);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(help);

    QToolBar* toolBar = addToolBar("Standard");
    toolBar->setObjectName("AFX_IDW_TOOLBAR");
    toolBar->setIconSize(QSize(16, 15));
    toolBar->addAction(open);
    toolBar->addAction(settings);
    toolBar->addAction(clear);
    toolBar->addSeparator();
    toolBar->addAction(about);

    statusBar()->setObjectName("AFX_IDW_STATUS_BAR");
    statusBar()->showMessage(kIdlePrompt);
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty())
            statusBar()->showMessage(kIdlePrompt);
    });

    connect(open, &QAction::triggered, this, &CMainFrame::OnFileOpen);
    connect(openDirectory, &QAction::triggered, this, &CMainFrame::OnFileOpenDirectory);
    connect(settings, &QAction::triggered, m_pView, &CTavrixView::OnSettings);
    connect(clear, &QAction::triggered, m_pView, &CTavrixView::OnClearWindow);
    connect(exitAction, &QAction::triggered, this, &QWidget::close);
    connect(newDocument, &QAction::triggered, this, [this] { m_pDoc->OnNewDocument(); });
    connect(helpTopics, &QAction::triggered, this, &CMainFrame::OnHelpFinder);
    connect(help, &QAction::triggered, this, &CMainFrame::OnHelpFinder);
    connect(about, &QAction::triggered, this, &CMainFrame::AboutRequested);
    connect(m_pView, &CTavrixView::InputPathChanged, this, &CMainFrame::OnUpdateSettings);
    connect(m_pView, &CTavrixView::InputPathChanged, this, &CMainFrame::UpdateTitle);
    connect(m_pView, &CTavrixView::DirectoryLinkActivated, this, &CMainFrame::OpenDirectoryWindow);
    // A command that showed a dialog leaves the status bar with the prompt of the button that
    // started it: the pointer left the button while the dialog had it. Back to the idle prompt.
    for (QAction* action : findChildren<QAction*>())
        connect(action, &QAction::triggered, statusBar(), &QStatusBar::clearMessage);

    OnUpdateSettings();
    UpdateRecentFileMenu();
    PreCreateWindow();
    setAcceptDrops(true);
}

CMainFrame::~CMainFrame()
{
    for (const QPointer<CDirectoryWindow>& window : m_directoryWindows)
        delete window.data();
    delete m_pDoc;
}

QAction* CMainFrame::AddAction(QMenu* menu, int id, const QString& text, const QString& prompt, const QString& icon)
{
    QAction* action = icon.isEmpty() ? new QAction(text, this) : new QAction(QIcon(icon), text, this);
    action->setData(id);
    action->setStatusTip(PromptPart(prompt, 0));
    action->setToolTip(PromptPart(prompt, 1).isEmpty() ? PromptPart(prompt, 0) : PromptPart(prompt, 1));
    action->setObjectName(QString("ID_%1").arg(id));
    menu->addAction(action);
    return action;
}

QAction* CMainFrame::Action(int id) const
{
    for (QAction* action : findChildren<QAction*>())
        if (action->data().toInt() == id)
            return action;
    return nullptr;
}

void CMainFrame::PreCreateWindow()
{
    FramePlacement stored;
    stored.x = m_pProfileStore ? m_pProfileStore->ReadInt("Screen", "x", 0) : 0;
    stored.y = m_pProfileStore ? m_pProfileStore->ReadInt("Screen", "y", 0) : 0;
    stored.cx = m_pProfileStore ? m_pProfileStore->ReadInt("Screen", "cx", 0) : 0;
    stored.cy = m_pProfileStore ? m_pProfileStore->ReadInt("Screen", "cy", 0) : 0;
    // Stored in device pixels, so a scale factor in force when it was stored does not change the size.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double ratio = screen->devicePixelRatio();
    const QRect area = screen->geometry();
    const FramePlacement placement = ScaleFramePlacement(
        ComputeFramePlacement(stored, DevicePixels(area.width(), ratio), DevicePixels(area.height(), ratio)),
        1 / ratio);
    resize(placement.cx, placement.cy);
    move(placement.x, placement.y);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // A minimised window keeps the placement stored before.
    if (!isMinimized() && m_pProfileStore)
    {
        const QRect frame = frameGeometry();
        FramePlacement shown{frame.x() < 0 ? 0 : frame.x(), frame.y() < 0 ? 0 : frame.y(), width(), height()};
        shown = ScaleFramePlacement(shown, devicePixelRatioF());
        m_pProfileStore->WriteInt("Screen", "cx", shown.cx);
        m_pProfileStore->WriteInt("Screen", "cy", shown.cy);
        m_pProfileStore->WriteInt("Screen", "x", shown.x);
        m_pProfileStore->WriteInt("Screen", "y", shown.y);
    }
    // Exit ends the program: directory windows opened from here go with it.
    for (const QPointer<CDirectoryWindow>& window : m_directoryWindows)
        if (window)
            window->close();
    event->accept();
}

void CMainFrame::OnUpdateSettings()
{
    if (QAction* settings = Action(ID_SETTINGS))
        settings->setEnabled(m_pView->CanConvert());
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFiles(event->mimeData()).empty())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const std::vector<std::string> paths = DroppedFiles(event->mimeData());
    if (paths.empty())
        return;
    event->acceptProposedAction();
    OpenDocuments(paths);
}

QString CMainFrame::OpenFolder() const
{
    // A conversion leaves the output directory current, so the working directory is no guide.
    std::string last = m_pView->m_strInputPath;
    if (last.empty() && !RecentFiles().empty())
        last = RecentFiles().front();
    const QFileInfo file(ToQString(last));
    return !last.empty() && file.dir().exists() ? file.absolutePath() : QDir::homePath();
}

void CMainFrame::OnFileOpen()
{
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, "Open", OpenFolder(), "CSV and text files (*.csv *.txt *.tsv *.prn *.asc *.dat);;All Files (*)");
    std::vector<std::string> files;
    for (const QString& path : paths)
        files.push_back(FromQString(path));
    if (!files.empty())
        OpenDocuments(files);
}

void CMainFrame::OnFileOpenDirectory()
{
    const QString directory = QFileDialog::getExistingDirectory(this, "Open Directory", OpenFolder());
    if (!directory.isEmpty())
        OpenDirectoryWindow(FromQString(directory));
}

CDirectoryWindow* CMainFrame::OpenDirectoryWindow(const std::string& directory)
{
    const QString wanted = QDir::cleanPath(QFileInfo(ToQString(directory)).absoluteFilePath());
    m_directoryWindows.erase(std::remove(m_directoryWindows.begin(), m_directoryWindows.end(), nullptr),
                             m_directoryWindows.end());
    for (const QPointer<CDirectoryWindow>& window : m_directoryWindows)
        if (ToQString(window->Directory()) == wanted)
        {
            window->OnRefresh();
            window->showNormal();
            window->raise();
            window->activateWindow();
            return window;
        }
    // A window of its own, not one kept above the log: both are worked in side by side.
    auto* window = new CDirectoryWindow(directory, m_pProfileStore);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_directoryWindows.emplace_back(window);
    window->show();
    return window;
}

bool CMainFrame::OpenDocument(const std::string& path)
{
    return OpenDocuments({path});
}

bool CMainFrame::OpenDocuments(const std::vector<std::string>& paths)
{
    const std::vector<std::string> opened = m_pDoc->OnOpenDocuments(paths);
    for (const std::string& path : paths)
        if (std::find(opened.begin(), opened.end(), FromQString(QFileInfo(ToQString(path)).absoluteFilePath())) ==
            opened.end())
            RemoveFromRecentFileList(path);
    for (auto file = opened.rbegin(); file != opened.rend(); ++file)
        AddToRecentFileList(*file);
    return !opened.empty();
}

void CMainFrame::UpdateTitle()
{
    const std::vector<std::string>& files = m_pView->InputPaths();
    if (files.empty())
        return setWindowTitle("Tavrix");
    const QString first = QFileInfo(ToQString(files.front())).fileName();
    setWindowTitle((files.size() == 1 ? first : QString("%1 and %2 more").arg(first).arg(files.size() - 1)) +
                   " - Tavrix");
}

void CMainFrame::OnHelpFinder()
{
    const QString guide = UserGuide();
    if (guide.isEmpty())
        ui::AfxMessageBox("The user guide is not installed. It belongs here:\n" +
                          FromQString(InstalledDocumentPlace("guide/index.html")));
    else if (!Opener()(QUrl::fromLocalFile(guide)))
        ui::AfxMessageBox("No program could show the user guide. Open it in a web browser:\n" + FromQString(guide),
                          ui::Icon::kInformation);
}

CMainFrame::GuideOpener CMainFrame::SetGuideOpener(GuideOpener opener)
{
    std::swap(Opener(), opener);
    return opener;
}

std::vector<std::string> CMainFrame::RecentFiles() const
{
    QSettings settings;
    std::vector<std::string> files;
    for (int i = 1; i <= kRecentFiles; ++i)
    {
        const QString file = settings.value(QString("Recent File List/File%1").arg(i)).toString();
        if (!file.isEmpty())
            files.push_back(FromQString(file));
    }
    return files;
}

void CMainFrame::StoreRecentFiles(const std::vector<std::string>& files)
{
    QSettings settings;
    settings.remove("Recent File List");
    for (std::size_t i = 0; i < files.size(); ++i)
        settings.setValue(QString("Recent File List/File%1").arg(i + 1), ToQString(files[i]));
    UpdateRecentFileMenu();
}

void CMainFrame::AddToRecentFileList(const std::string& path)
{
    std::vector<std::string> files = RecentFiles();
    files.erase(std::remove(files.begin(), files.end(), path), files.end());
    files.insert(files.begin(), path);
    if (files.size() > kRecentFiles)
        files.resize(kRecentFiles);
    StoreRecentFiles(files);
}

void CMainFrame::RemoveFromRecentFileList(const std::string& path)
{
    std::vector<std::string> files = RecentFiles();
    const auto end = std::remove(files.begin(), files.end(), path);
    if (end == files.end())
        return;
    files.erase(end, files.end());
    StoreRecentFiles(files);
}

void CMainFrame::UpdateRecentFileMenu()
{
    for (QAction* action : m_recentActions)
        delete action;
    m_recentActions.clear();
    const std::vector<std::string> files = RecentFiles();
    m_pRecentPlaceholder->setVisible(files.empty());
    for (std::size_t i = 0; i < files.size(); ++i)
    {
        const QString text = QString("&%1 %2").arg(i + 1).arg(QFileInfo(ToQString(files[i])).fileName());
        auto* action = new QAction(text, this);
        action->setData(static_cast<int>(ID_FILE_MRU_FILE1 + i));
        action->setStatusTip("Open this document");
        action->setToolTip(ToQString(files[i]));
        m_pFileMenu->insertAction(m_pRecentSeparator, action);
        const std::string file = files[i];
        connect(action, &QAction::triggered, this, [this, file] { OpenDocument(file); });
        m_recentActions.push_back(action);
    }
}
