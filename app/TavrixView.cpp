#include "app/TavrixView.h"

#include "app/MessageBox.h"
#include "dialogs/DataExchange.h"
#include "dialogs/SettingsDlg.h"
#include "engine/ConversionJob.h"
#include "text/PriceLines.h"
#include "platform/FileOps.h"
#include "settings/ConversionSettings.h"
#include "settings/ProfileStore.h"

#include <QApplication>
#include <QFontDatabase>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextCursor>

#include <cstdio>

namespace {
constexpr int kPreviewLines = 10;
constexpr int kPreviewPiece = static_cast<int>(tavrix::PriceLineReader::kMaxRowLength);
// Enough for ten pieces of 299 characters of up to four bytes, with their line ends.
constexpr std::size_t kPreviewBytes = 16384;

// The log keeps line breaks as "\r\n" in its texts; the widget wants one character.
QString LogText(const std::string& text)
{
    QString converted = DisplayText(text);
    converted.replace("\r\n", "\n");
    return converted;
}

// The start of a longer file may end inside a UTF-8 character; leave that character out, so the
// rest can still be recognised as UTF-8.
void CutPartialCharacter(std::string& bytes)
{
    for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back)
    {
        const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (length > back)
            bytes.resize(bytes.size() - back);
        return;
    }
}
} // namespace

CTavrixView::CTavrixView(tavrix::ProfileStore* store, QWidget* parent) : QPlainTextEdit(parent), m_pProfileStore(store)
{
    setObjectName("CTavrixView");
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUndoRedoEnabled(false);
    // Columns of the preview line up only in a fixed-width font.
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // A file dropped on the log goes to the main window, which opens it.
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
}

void CTavrixView::SetInputPath(const std::string& path)
{
    m_strInputPath = path;
    emit InputPathChanged();
}

void CTavrixView::AppendText(const std::string& text)
{
    AppendToLog(LogText(text));
}

void CTavrixView::AppendToLog(const QString& text)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
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
    const bool opened = file != nullptr;
    const std::string openError = opened ? "" : platform::LastErrorText();
    std::string start(kPreviewBytes, '\0');
    start.resize(opened ? std::fread(start.data(), 1, start.size(), file.get()) : 0);
    if (start.size() == kPreviewBytes)
        CutPartialCharacter(start);
    file.reset();
    setPlainText(QString());
    AppendText("To help you with the conversion settings, your file...\r\n\r\n\t" + m_strInputPath +
               "\r\n\r\nlooks like this...\r\n\r\n");
    if (opened)
    {
        // A file in UTF-8 shows as UTF-8; any other bytes are taken as Latin-1. A row longer than
        // 299 characters shows in pieces, each counting as one of the ten lines.
        const QString text = DisplayText(start);
        QStringList rows = text.split(QRegularExpression("\r\n|\r|\n"));
        if (!rows.isEmpty() && rows.back().isEmpty())
            rows.removeLast();
        QString shown;
        int pieces = 0;
        for (const QString& row : rows)
            for (qsizetype at = 0; pieces < kPreviewLines && (at == 0 || at < row.size());
                 at += kPreviewPiece, ++pieces)
                shown += row.mid(at, kPreviewPiece) + "\n";
        AppendToLog(shown);
    }
    else
        AppendText("(The file cannot be read: " + openError + ")\r\n");
    setUpdatesEnabled(true);
    OnSettings();
}

void CTavrixView::OnSettings()
{
    if (!CanConvert() || !m_pProfileStore)
        return;
    tavrix::ConversionSettings settings;
    settings.Load(*m_pProfileStore);
    if (m_bHaveLastAttempt)
    {
        // The profile keeps these only from runs that got as far as adding the security; a failed
        // attempt's typing comes back from here.
        settings.m_strPath = m_strLastPath;
        settings.m_strSymbol = m_strLastSymbol;
        settings.m_strName = m_strLastName;
    }
    CSettingsDlg dialog(&m_nDateFormat, window());
    dialog.LoadFrom(settings);
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    dialog.StoreTo(settings);
    m_bHaveLastAttempt = true;
    m_strLastPath = settings.m_strPath;
    m_strLastSymbol = settings.m_strSymbol;
    m_strLastName = settings.m_strName;
    std::string settingsError = settings.Save(*m_pProfileStore);

    int result = 1;
    std::string outcome;
    {
        tavrix::ConversionJob job(m_pProfileStore);
        settings.ApplyToJob(job, m_strInputPath, m_nDateFormat);
        job.m_askConvertOthers = [](const tavrix::PriceLineReport& report, std::size_t kept) {
            return ui::AskYesNo(report.Text() + "\n\nConvert the other " + std::to_string(kept) +
                                (kept == 1 ? " row?" : " rows?"));
        };
        job.m_onWarning = [](const std::string& warning) { ui::AfxMessageBox(warning, ui::Icon::kWarning); };
        QApplication::setOverrideCursor(Qt::WaitCursor);
        result = job.Run();
        // What was written, or the first line of the message that made the run fail.
        if (result == 0)
            outcome = job.Summary();
        else
        {
            // The left-out question's No is the user's own answer: no message box for it.
            if (!job.m_error.declined)
                ui::AfxMessageBox(job.m_error.Text(tavrix::Audience::kDesktop));
            outcome = job.m_error.declined ? "Nothing was converted: the other rows were not accepted."
                                           : job.m_error.what.substr(0, job.m_error.what.find('\n'));
        }
        if (settingsError.empty())
            settingsError = job.m_strSettingsError;
    }
    if (result == 0)
    {
        AppendText("\r\nConversion completed successfully!");
        ui::MessageBeep(ui::Icon::kInformation);
    }
    else
        AppendText("\r\nConversion failed.");
    if (!outcome.empty())
        AppendText("\r\n" + outcome);
    QApplication::restoreOverrideCursor();
    // Once per conversion, however many entries could not be stored.
    if (!settingsError.empty())
        ui::AfxMessageBox(settingsError, ui::Icon::kWarning);
}

void CTavrixView::OnClearWindow()
{
    setPlainText(QString());
    document()->setModified(false);
}
