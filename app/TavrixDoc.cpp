#include "app/TavrixDoc.h"

#include "app/TavrixView.h"
#include "platform/FileOps.h"
#include "app/MessageBox.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <sys/stat.h>

bool CTavrixDoc::OnNewDocument()
{
    m_pView->OnClearWindow();
    return true;
}

bool CTavrixDoc::OnOpenDocument(const std::string& path)
{
    platform::FilePtr file = platform::OpenFile(path, "rb");
    struct stat st
    {
    };
    if (!file || ::fstat(::fileno(file.get()), &st) != 0 || S_ISDIR(st.st_mode))
    {
        const std::string reason = file ? "It is a folder." : platform::LastErrorText();
        ui::AfxMessageBox("Cannot open the document\n" + path + "\n" + reason);
        return false;
    }
    file.reset();
    m_pView->SetInputPath(
        QFileInfo(QString::fromLocal8Bit(path.c_str())).absoluteFilePath().toLocal8Bit().toStdString());
    ShowPreviewEvent preview;
    QCoreApplication::sendEvent(m_pView, &preview);
    return true;
}
