#include "app/TavrixDoc.h"

#include "app/MessageBox.h"
#include "app/TavrixView.h"
#include "platform/FileOps.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <sys/stat.h>

namespace {
// Why the file cannot be opened as an input, or "".
std::string OpenProblem(const std::string& path)
{
    platform::FilePtr file = platform::OpenFile(path, "rb");
    struct stat st
    {
    };
    if (!file)
        return platform::LastErrorText();
    if (::fstat(::fileno(file.get()), &st) != 0 || S_ISDIR(st.st_mode))
        return "It is a folder.";
    return "";
}

std::string Absolute(const std::string& path)
{
    return QFileInfo(QString::fromLocal8Bit(path.c_str())).absoluteFilePath().toLocal8Bit().toStdString();
}
} // namespace

bool CTavrixDoc::OnNewDocument()
{
    m_pView->OnClearWindow();
    return true;
}

bool CTavrixDoc::OnOpenDocument(const std::string& path)
{
    return !OnOpenDocuments({path}).empty();
}

std::vector<std::string> CTavrixDoc::OnOpenDocuments(const std::vector<std::string>& paths)
{
    std::vector<std::string> opened;
    std::string refused;
    for (const std::string& path : paths)
        if (const std::string problem = OpenProblem(path); !problem.empty())
            refused += (refused.empty() ? "" : "\n") + path + "\n" + problem;
        else
            opened.push_back(Absolute(path));
    if (!refused.empty())
        ui::AfxMessageBox("Cannot open the document\n" + refused);
    if (opened.empty())
        return opened;
    m_pView->SetInputPaths(opened);
    ShowPreviewEvent preview;
    QCoreApplication::sendEvent(m_pView, &preview);
    return opened;
}
