#include "app/TavrixView.h"

#include "dialogs/DataExchange.h"
#include "dialogs/SettingsDlg.h"
#include "engine/ConversionJob.h"
#include "engine/LineReader.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "settings/ConversionSettings.h"

#include <QApplication>
#include <QScrollBar>
#include <QTextCursor>

namespace {
constexpr int kPreviewLines = 10;
constexpr std::size_t kPreviewPiece = 299;

// The log keeps line breaks as "\r\n" in its texts; the widget wants one character.
QString LogText(const std::string& text)
{
    QString converted = ToQString(text);
    converted.replace("\r\n", "\n");
    return converted;
}
} // namespace

CTavrixView::CTavrixView(tavrix::ProfileStore* store, QWidget* parent) : QPlainTextEdit(parent), m_pProfileStore(store)
{
    setObjectName("CTavrixView");
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUndoRedoEnabled(false);
}

void CTavrixView::SetInputPath(const std::string& path)
{
    m_strInputPath = path;
    emit InputPathChanged();
}

void CTavrixView::AppendText(const std::string& text)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(LogText(text));
    setTextCursor(cursor);
    ensureCursorVisible();
    document()->setModified(false);
}

bool CTavrixView::event(QEvent* event)
{
    if (event->type() == ShowPreviewEvent::kType)
    {
        OnShowPreview();
        return true;
    }
    return QPlainTextEdit::event(event);
}

void CTavrixView::OnShowPreview()
{
    setUpdatesEnabled(false);
    platform::FilePtr file = platform::OpenFile(m_strInputPath, "rb");
    const std::string openError = file ? "" : platform::LastErrorText();
    setPlainText(QString());
    AppendText("To help you with the conversion settings, your file...\r\n\r\n\t" + m_strInputPath +
               "\r\n\r\nlooks like this...\r\n\r\n");
    if (file)
    {
        // Rows are read as the conversion reads them; a long one shows its first 299 characters.
        tavrix::LineReader reader(file.get(), kPreviewPiece);
        char piece[kPreviewPiece + 2];
        std::size_t length = 0;
        for (int line = 0; line < kPreviewLines && reader.ReadRow(piece, &length); ++line)
            AppendText(std::string(piece, std::min(length, kPreviewPiece)) + "\r\n");
    }
    else
        AppendText("(The file cannot be read: " + openError + ")\r\n");
    file.reset();
    setUpdatesEnabled(true);
    OnSettings();
}

void CTavrixView::OnSettings()
{
    if (!CanConvert() || !m_pProfileStore)
        return;
    tavrix::ConversionSettings settings;
    settings.Load(*m_pProfileStore);
    CSettingsDlg dialog(&m_nDateFormat, window());
    dialog.LoadFrom(settings);
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    dialog.StoreTo(settings);
    settings.Save(*m_pProfileStore);

    int result = 1;
    {
        tavrix::ConversionJob job(m_pProfileStore);
        settings.ApplyToJob(job, m_strInputPath, m_nDateFormat);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        result = job.Run();
    }
    if (result == 0)
    {
        AppendText("\r\nConversion completed successfully!");
        platform::MessageBeep(platform::MB_ICONINFORMATION);
    }
    else
        AppendText("\r\nConversion failed.");
    QApplication::restoreOverrideCursor();
}

void CTavrixView::OnClearWindow()
{
    setPlainText(QString());
    document()->setModified(false);
}
