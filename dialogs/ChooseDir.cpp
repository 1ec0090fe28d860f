#include "dialogs/ChooseDir.h"

#include "dialogs/DataExchange.h"
#include "platform/FileOps.h"
#include "app/MessageBox.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace {
constexpr const char* kDummyFileName = "Junk";
// On Linux '/' is the separator, so the backslash takes its place among the refused characters.
constexpr const char* kRefusedCharacters = "*?|\\<>\"";

std::string FormatMessage(const char* pattern, const std::string& text)
{
    std::string message = pattern;
    message.replace(message.find("%s"), 2, text);
    return message;
}

// `~` and `~/...` name the home folder; any other relative name is taken from `base`.
std::string ResolveFolder(const std::string& typed, const std::string& base)
{
    QString text = ToQString(typed);
    if (text == "~" || text.startsWith("~/"))
        text = QDir::homePath() + text.mid(1);
    return FromQString(QDir::cleanPath(QDir(ToQString(base)).absoluteFilePath(text)));
}

bool IsFolder(const std::string& path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> SplitFolders(const std::string& path)
{
    std::vector<std::string> names;
    std::stringstream pieces(path);
    std::string name;
    while (std::getline(pieces, name, '/'))
        if (!name.empty())
            names.push_back(name);
    return names;
}
} // namespace

CChooseDir::CChooseDir(QWidget* parent)
    : QDialog(parent), m_editDirName(new QLineEdit(this)), m_lstFolders(new QListWidget(this)),
      m_cmbDrives(new QComboBox(this))
{
    setWindowTitle("Choose Directory");
    setObjectName("CChooseDir");
    m_editDirName->setObjectName("m_editDirName");
    m_lstFolders->setObjectName("lstFolders");
    m_cmbDrives->setObjectName("cmbDrives");

    auto* nameLabel = new QLabel("Directory &name:", this);
    nameLabel->setBuddy(m_editDirName);
    auto* drivesLabel = new QLabel("Dri&ves:", this);
    drivesLabel->setBuddy(m_cmbDrives);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("IDOK");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("IDCANCEL");

    auto* layout = new QGridLayout(this);
    layout->addWidget(nameLabel, 0, 0);
    layout->addWidget(m_editDirName, 1, 0);
    layout->addWidget(m_lstFolders, 2, 0);
    layout->addWidget(drivesLabel, 3, 0);
    layout->addWidget(m_cmbDrives, 4, 0);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    layout->addLayout(buttons, 0, 1, 5, 1);
    resize(400, 320);

    connect(ok, &QPushButton::clicked, this, &CChooseDir::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_lstFolders, &QListWidget::currentRowChanged, this, [this] { BuildDirName(); });
    connect(m_lstFolders, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        // Opening the folder of an entry: the chain up to it, or one of the open folder's subfolders.
        std::string folder = "/";
        const int row = m_lstFolders->row(item);
        for (int i = 1; i <= row && i < m_nChainLength; ++i)
            folder = platform::JoinPath(folder, FromQString(m_lstFolders->item(i)->text()));
        if (row >= m_nChainLength)
            folder = platform::JoinPath(m_strOpenFolder, FromQString(item->text()));
        OpenFolder(folder);
    });
    connect(m_cmbDrives, &QComboBox::textActivated, this,
            [this](const QString& drive) { OpenFolder(FromQString(drive)); });
    FillDrives();
    SetInitialDir("");
}

void CChooseDir::SetInitialDir(const std::string& directory)
{
    QDir dir(ToQString(directory));
    if (directory.empty() || !dir.exists())
        dir = QDir::current();
    OpenFolder(FromQString(dir.absolutePath()));
}

void CChooseDir::OpenFolder(const std::string& folder)
{
    m_strOpenFolder = FromQString(QDir(ToQString(folder)).absolutePath());
    const QSignalBlocker blocker(m_lstFolders);
    m_lstFolders->clear();
    m_lstFolders->addItem("/");
    for (const std::string& name : SplitFolders(m_strOpenFolder))
        m_lstFolders->addItem(ToQString(name));
    m_nChainLength = m_lstFolders->count();
    QDir dir(ToQString(m_strOpenFolder));
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name))
        m_lstFolders->addItem(sub);
    m_lstFolders->setCurrentRow(m_nChainLength - 1);
    BuildDirName();
}

void CChooseDir::BuildDirName()
{
    const int selected = m_lstFolders->currentRow();
    m_strDirName.clear();
    if (selected < 0)
        return;
    // The chain down to the selected entry; a subfolder of the open folder follows the whole chain
    // alone, not after the subfolders listed before it.
    const auto append = [this](int i) {
        if (!m_strDirName.empty() && m_strDirName.back() != platform::kPathSeparator)
            m_strDirName += platform::kPathSeparator;
        m_strDirName += FromQString(m_lstFolders->item(i)->text());
    };
    for (int i = 0; i <= selected && i < m_nChainLength; ++i)
        append(i);
    if (selected >= m_nChainLength)
        append(selected);
    m_editDirName->setText(ToQString(m_strDirName));
}

void CChooseDir::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_lstFolders->setFocus();
    m_bFirstPaint = true;
    // Once shown, highlight the root without telling the field, which keeps the full start path.
    QTimer::singleShot(0, this, [this] {
        if (!m_bFirstPaint)
            return;
        m_bFirstPaint = false;
        const QSignalBlocker blocker(m_lstFolders);
        m_lstFolders->setCurrentRow(0);
    });
}

void CChooseDir::OnOK()
{
    if (OnFileNameOK())
        accept();
}

bool CChooseDir::OnFileNameOK()
{
    m_strDirName = FromQString(m_editDirName->text());
    if (m_strDirName.find_first_of(kRefusedCharacters) != std::string::npos)
    {
        ui::AfxMessageBox(FormatMessage("%s is not a valid pathname.", m_strDirName));
        return false;
    }
    // The result is the absolute folder meant, resolved from the folder shown, so the conversion
    // finds the same folder whatever the working directory is by then; nothing changes it here.
    const std::string folder = ResolveFolder(m_strDirName, m_strOpenFolder);
    if (!IsFolder(folder))
    {
        if (!ui::AskYesNo(FormatMessage("Directory %s does not exist.\nCreate this directory?", folder)))
            return false;
        if (platform::_mkdir(folder.c_str()) != 0)
        {
            const std::string reason = platform::LastErrorText();
            ui::AfxMessageBox(
                FormatMessage("There was a problem creating %s.\nThe new directory was not created", folder) + " (" +
                reason + ").");
            return false;
        }
    }
    m_strDirName = folder;
    m_strFileName = m_strDirName + platform::kPathSeparator + kDummyFileName;
    m_nFileOffset = static_cast<int>(m_strDirName.size()) + 1;
    return true;
}

void CChooseDir::FillDrives()
{
    std::vector<std::string> drives = {"/"};
    if (const char* home = std::getenv("HOME"); home && *home)
        drives.push_back(home);
    // Mounted volumes a user would pick: removable media and extra disks.
    std::ifstream mounts("/proc/mounts");
    std::string device, mountPoint, rest;
    while (mounts >> device >> mountPoint && std::getline(mounts, rest))
        if (mountPoint.rfind("/media/", 0) == 0 || mountPoint.rfind("/mnt", 0) == 0 ||
            mountPoint.rfind("/run/media/", 0) == 0)
            if (std::find(drives.begin(), drives.end(), mountPoint) == drives.end())
                drives.push_back(mountPoint);
    for (const std::string& drive : drives)
        m_cmbDrives->addItem(ToQString(drive));
}
