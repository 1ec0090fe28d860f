#include "app/TavrixView.h"

#include "app/MessageBox.h"
#include "dialogs/DataExchange.h"
#include "dialogs/FileReading.h"
#include "dialogs/SettingsDlg.h"
#include "engine/BatchConversion.h"
#include "engine/MarketConversion.h"
#include "engine/ConversionJob.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"
#include "settings/ConversionSettings.h"
#include "settings/ProfileStore.h"
#include "settings/SettingsRules.h"
#include "text/PriceLines.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextCursor>
#include <QTime>

#include <cstdio>
#include <functional>
#include <sstream>

namespace {
constexpr int kPreviewLines = 10;
constexpr int kPreviewPiece = static_cast<int>(tavrix::PriceLineReader::kMaxRowLength);
// Enough for ten pieces of 299 characters of up to four bytes, with their line ends.
constexpr std::size_t kPreviewBytes = 16384;
// Lines of differing days the update question shows; Show Details has them all.
constexpr std::size_t kDifferencesShown = 5;

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

std::string FileName(const std::string& path)
{
    return path.substr(path.find_last_of('/') + 1);
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

// The report and the rows kept whose values lie outside their day's range, as the log keeps them.
std::string ReportText(const tavrix::PriceLineReport& report)
{
    std::string text = report.leftOut > 0 ? report.Text() : "";
    if (const std::string range = report.OutsideRangeText(); !range.empty())
        text += (text.empty() ? "" : "\n") + range;
    return text;
}

// Warnings heard during a run, each once, for one message after it.
std::function<void(const std::string&)> CollectInto(std::string* warnings)
{
    return [warnings](const std::string& warning) {
        if (warnings->find(warning) == std::string::npos)
            *warnings += (warnings->empty() ? "" : "\n") + warning;
    };
}

// A table's result cell for a refusal: its message's first line.
std::string RefusedCell(const tavrix::JobError& error)
{
    std::string why = FirstLine(error.what);
    if (!why.empty() && why.back() == ':')
        why.pop_back();
    return "refused: " + why;
}

// The reasons after a table, each line led by the file's or ticker's name.
void AddReasons(const std::string& lead, const std::string& text, std::string* reasons)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        *reasons += "\r\n" + (lead.empty() ? line : lead + ": " + line);
}

// Columns padded to their widest cell, for the log's fixed-width font.
std::string TableText(const std::vector<std::vector<std::string>>& rows)
{
    std::vector<std::size_t> widths;
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i)
        {
            widths.resize(std::max(widths.size(), row.size()));
            widths[i] = std::max(widths[i], platform::CharacterCount(row[i]));
        }
    std::string text;
    for (const auto& row : rows)
    {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i)
            line +=
                row[i] + (i + 1 < row.size() ? std::string(widths[i] - platform::CharacterCount(row[i]) + 2, ' ') : "");
        text += "\r\n" + line;
    }
    return text;
}
} // namespace

CTavrixView::CTavrixView(tavrix::ProfileStore* store, QWidget* parent) : QPlainTextEdit(parent), m_pProfileStore(store)
{
    setObjectName("CTavrixView");
    setReadOnly(true);
    // A long row scrolls sideways instead of breaking in the middle of a number.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setUndoRedoEnabled(false);
    // Columns of the preview line up only in a fixed-width font.
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // A file dropped on the log goes to the main window, which opens it.
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    viewport()->setMouseTracking(true);
}

void CTavrixView::SetInputPath(const std::string& path)
{
    SetInputPaths({path});
}

void CTavrixView::SetInputPaths(const std::vector<std::string>& paths)
{
    m_inputs = paths;
    m_strInputPath = paths.empty() ? "" : paths.front();
    m_pInput.reset();
    m_bNewFile = !paths.empty();
    m_strPrepared.clear();
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
    cursor.insertText(text, QTextCharFormat());
    // The start of the last line: the log shows its end rows from their left edge, not scrolled to
    // the end of a long one.
    cursor.movePosition(QTextCursor::StartOfBlock);
    setTextCursor(cursor);
    ensureCursorVisible();
    document()->setModified(false);
}

void CTavrixView::AppendDirectoryLink(const std::string& directory)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText("\n", QTextCharFormat());
    QTextCharFormat link;
    link.setAnchor(true);
    link.setAnchorHref(ToQString(directory));
    link.setFontUnderline(true);
    link.setForeground(palette().link());
    cursor.insertText("Show " + ToQString(directory), link);
    cursor.movePosition(QTextCursor::StartOfBlock);
    setTextCursor(cursor);
    ensureCursorVisible();
    document()->setModified(false);
}

void CTavrixView::mouseMoveEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseMoveEvent(event);
    viewport()->setCursor(anchorAt(event->position().toPoint()).isEmpty() ? Qt::IBeamCursor : Qt::PointingHandCursor);
}

void CTavrixView::mouseReleaseEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    const QString directory = anchorAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && !directory.isEmpty() && !textCursor().hasSelection())
        emit DirectoryLinkActivated(FromQString(directory));
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

void CTavrixView::StartRun(const std::string& what)
{
    // Runs follow one another in the log; each starts on a line of its own with its time.
    const std::string time = QTime::currentTime().toString("HH:mm:ss").toStdString();
    const QString log = toPlainText();
    AppendText(std::string(log.isEmpty()        ? ""
                           : log.endsWith('\n') ? "\r\n"
                                                : "\r\n\r\n") +
               "----- " + time + "  " + what + " -----");
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
    if (m_inputs.size() > 1)
    {
        std::string list;
        for (const std::string& input : m_inputs)
            list += "\t" + input + "\r\n";
        AppendText("To help you with the conversion settings, your " + std::to_string(m_inputs.size()) +
                   " files...\r\n\r\n" + list + "\r\nbecome one security each. The first looks like this...\r\n\r\n");
    }
    else
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

void CTavrixView::PrepareForNewFile(tavrix::ConversionSettings& settings)
{
    const int code = tavrix::DateFormatCode(settings.m_strDateFormat.c_str());
    if (std::string problem = reading::ReadingProblem(*m_pInput, settings, code);
        !problem.empty() && m_pInput->RowCount() > 0)
    {
        problem = FirstLine(problem);
        while (!problem.empty() && (problem.back() == ':' || problem.back() == '.'))
            problem.pop_back();
        std::string error;
        const std::string description = reading::FillFromFile(*m_pInput, &settings, &error);
        m_strPrepared = "The last settings do not read this file: " + problem + ".\r\n" +
                        (error.empty() ? "The dialog was filled in from the file. " + description
                                       : "The file does not say how to read it either: " + FirstLine(error));
    }
    tavrix::Security taken;
    if (m_inputs.size() == 1 && target::FindSecurity(settings.m_strPath, settings.m_strSymbol, false, &taken))
    {
        // Yesterday's symbol is already in the directory; this file is most likely another security.
        std::string symbol;
        if (tavrix::rules::ToMasterText(tavrix::SymbolOfFile(m_strInputPath), &symbol).empty() &&
            symbol.size() <= tavrix::rules::kMaxSymbolLength && symbol != settings.m_strSymbol)
        {
            settings.m_strSymbol = symbol;
            settings.m_strName.clear();
        }
    }
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
    if (!m_pInput)
    {
        std::string error;
        m_pInput = reading::ReadFile(m_strInputPath, &error);
    }
    // Until a run confirms settings for the file, a cancelled dialog comes back as prepared; the
    // log says what was filled in once.
    if (m_bNewFile)
    {
        const std::string said = m_strPrepared;
        PrepareForNewFile(settings);
        if (!m_strPrepared.empty() && m_strPrepared != said)
            AppendText("\r\n" + m_strPrepared);
    }
    // A second MASTER cannot be made where one is; the choice of the last directory does not carry over.
    if (settings.m_nExist == tavrix::MasterChoice::kMakeNew && target::HasMaster(settings.m_strPath))
        settings.m_nExist = tavrix::MasterChoice::kUseExisting;

    CSettingsDlg dialog(&m_nDateFormat, window());
    dialog.LoadFrom(settings);
    dialog.SetInput(m_pInput, m_strInputPath);
    dialog.SetFiles(m_inputs);
    if (m_inputs.size() == 1)
    {
        // A file that names its securities in a column: its tickers, whatever the date layout.
        tavrix::MarketConversion market;
        market.m_strInputPath = m_strInputPath;
        market.m_settings = settings;
        market.m_nDateFormat = tavrix::ConversionJob::kAutoDateFormat;
        std::vector<std::pair<std::string, std::string>> tickers;
        if (market.Inspect() == 0)
            for (const tavrix::MarketConversion::Ticker& ticker : market.Tickers())
                tickers.emplace_back(ticker.symbol, ticker.name);
        dialog.SetTickers(tickers);
    }
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    dialog.StoreTo(settings);
    m_bNewFile = false;
    m_bHaveLastAttempt = true;
    m_strLastPath = settings.m_strPath;
    if (!dialog.IsBatch() && !dialog.IsMarket())
    {
        m_strLastSymbol = settings.m_strSymbol;
        m_strLastName = settings.m_strName;
    }
    std::string settingsError = settings.Save(*m_pProfileStore);

    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (dialog.IsBatch() || dialog.IsMarket())
    {
        if (dialog.IsMarket())
            RunMarket(settings);
        else
            RunBatch(settings, dialog.Files());
        if (!m_pProfileStore->WriteString("Setting", "Path", settings.m_strPath.c_str()) && settingsError.empty())
            settingsError = m_pProfileStore->LastWriteError();
    }
    else if (dialog.m_bUpdate)
        RunUpdate(settings);
    else
        RunConversion(settings, &settingsError);
    QApplication::restoreOverrideCursor();
    // Once per run, however many entries could not be stored.
    if (!settingsError.empty())
        ui::AfxMessageBox(settingsError, ui::Icon::kWarning);
}

bool CTavrixView::AskConvertOthers(const tavrix::PriceLineReport& report, std::size_t kept)
{
    // The headline and the first row left out; the details hold every one the report names.
    const std::string text = report.Text();
    std::string headline = FirstLine(text);
    if (!headline.empty() && headline.back() == ':')
        headline.back() = '.';
    const std::size_t second = text.find('\n');
    const std::string first = second == std::string::npos ? "" : FirstLine(text.substr(second + 1));
    const bool most = report.leftOut * 2 > report.rows;
    return ui::AskYesNo(headline + (first.empty() ? "" : "\nThe first: " + first) +
                            (report.leftOut > 1 ? "\nShow Details lists them." : "") + "\n\nConvert the other " +
                            std::to_string(kept) + (kept == 1 ? " row?" : " rows?"),
                        most ? ui::Answer::kNo : ui::Answer::kYes, ReportText(report));
}

void CTavrixView::RunConversion(tavrix::ConversionSettings& settings, std::string* settingsError)
{
    StartRun(FileName(m_strInputPath));
    tavrix::ConversionJob job(m_pProfileStore);
    settings.ApplyToJob(job, m_strInputPath, m_nDateFormat);
    job.m_askConvertOthers = &CTavrixView::AskConvertOthers;
    job.m_onWarning = [](const std::string& warning) { ui::AfxMessageBox(warning, ui::Icon::kWarning); };
    const int result = job.Run();
    if (!job.ReadAs().empty())
        AppendText("\r\n" + job.ReadAs());
    if (result == 0)
    {
        AppendText("\r\nConversion completed successfully!\r\n" + job.Summary());
        if (const std::string report = ReportText(job.m_leftOut); !report.empty())
            AppendText("\r\n" + report);
        AppendDirectoryLink(job.m_strPath);
        ui::MessageBeep(ui::Icon::kInformation);
    }
    else
    {
        // The left-out question's No is the user's own answer: no message box for it.
        if (!job.m_error.declined)
            ui::AfxMessageBox(job.m_error.Text(tavrix::Audience::kDesktop));
        AppendText("\r\nConversion failed.\r\n" +
                   (job.m_error.declined ? std::string("Nothing was converted: the other rows were not accepted.")
                                         : FirstLine(job.m_error.what)));
    }
    if (settingsError->empty())
        *settingsError = job.m_strSettingsError;
}

void CTavrixView::RunUpdate(tavrix::ConversionSettings& settings)
{
    StartRun(FileName(m_strInputPath));
    bool askedRows = false;
    const auto setUp = [&](tavrix::ConversionJob& job) {
        settings.ApplyToJob(job, m_strInputPath, m_nDateFormat);
        job.m_askConvertOthers = [&askedRows](const tavrix::PriceLineReport& report, std::size_t kept) {
            askedRows = true;
            return AskConvertOthers(report, kept);
        };
        job.m_onWarning = [](const std::string& warning) { ui::AfxMessageBox(warning, ui::Icon::kWarning); };
    };
    auto job = std::make_unique<tavrix::ConversionJob>();
    setUp(*job);
    int result = job->Update(false);
    if (!job->ReadAs().empty())
        AppendText("\r\n" + job->ReadAs());
    bool keptDays = false;
    if (result != 0 && !job->m_differences.empty())
    {
        // Stored days are changed only when the user has seen how they differ and agreed.
        const std::vector<std::string>& days = job->m_differences;
        std::string shown, all;
        for (std::size_t i = 0; i < days.size(); ++i)
        {
            all += (i ? "\n" : "") + days[i];
            if (i < kDifferencesShown)
                shown += "\n" + days[i];
        }
        if (days.size() > kDifferencesShown)
            shown += "\nand " + std::to_string(days.size() - kDifferencesShown) + " more (Show Details).";
        const std::string question =
            std::to_string(days.size()) + (days.size() == 1 ? " day differs" : " days differ") +
            " from what the price file holds:" + shown + "\n\nReplace the stored values with the file's?";
        if (ui::AskYesNo(question, ui::Answer::kNo, all))
        {
            job = std::make_unique<tavrix::ConversionJob>();
            setUp(*job);
            if (askedRows) // answered already
                job->m_nLeftOutPolicy = tavrix::ConversionJob::kConvertOthers;
            result = job->Update(true);
        }
        else
            keptDays = true;
    }
    const std::string symbol = platform::Latin1ToUtf8(job->Symbol());
    if (result == 0)
    {
        AppendText("\r\nUpdate completed successfully!\r\n" + symbol + ": " + job->UpdateSummary());
        if (const std::string report = ReportText(job->m_leftOut); !report.empty())
            AppendText("\r\n" + report);
        AppendDirectoryLink(job->m_strPath);
        ui::MessageBeep(ui::Icon::kInformation);
        return;
    }
    if (!job->m_error.declined && !keptDays)
        ui::AfxMessageBox(job->m_error.Text(tavrix::Audience::kDesktop));
    std::string why = FirstLine(job->m_error.what);
    if (job->m_error.declined)
        why = "Nothing was changed: the other rows were not accepted.";
    else if (keptDays)
        why = "Nothing was changed: the days that differ were kept as stored.";
    AppendText("\r\nUpdate failed.\r\n" + why);
}

void CTavrixView::RunBatch(const tavrix::ConversionSettings& settings, const std::vector<tavrix::BatchFile>& files)
{
    StartRun(std::to_string(files.size()) + " files");
    tavrix::BatchConversion batch;
    batch.m_settings = settings;
    batch.m_nDateFormat = m_nDateFormat;
    // Files of a batch come from different places: each is read as it says, the dialog's
    // choices (filled from the first file) standing in where a file does not say.
    batch.m_bFileSaysFirst = true;
    // One question for each of many files would be a chore; the table and the reports below it say
    // what was left out.
    batch.m_nLeftOutPolicy = tavrix::ConversionJob::kConvertOthers;
    std::string warnings;
    batch.m_onWarning = CollectInto(&warnings);
    batch.m_files = files;
    batch.Run();
    if (!warnings.empty())
        ui::AfxMessageBox(warnings, ui::Icon::kWarning);
    if (batch.m_error.Failed())
    {
        ui::AfxMessageBox(batch.m_error.Text(tavrix::Audience::kDesktop));
        AppendText("\r\nConversion failed.\r\n" + FirstLine(batch.m_error.what));
        return;
    }
    std::vector<std::vector<std::string>> rows = {{"File", "Symbol", "Records", "First", "Last", "Result"}};
    // How the files were read: once when all were read alike, else in each file's lines.
    const std::string shared = batch.SharedReading();
    std::string reasons;
    AddReasons("", shared, &reasons);
    for (const tavrix::BatchOutcome& outcome : batch.m_outcomes)
    {
        const std::string file = FileName(outcome.input);
        if (shared.empty())
            AddReasons(file, outcome.readAs, &reasons);
        const std::string symbol = platform::Latin1ToUtf8(outcome.symbol);
        const tavrix::PriceLineReport& leftOut = outcome.leftOut;
        if (outcome.converted)
            rows.push_back({file, symbol, std::to_string(outcome.records), tavrix::IsoDayText(outcome.firstDay),
                            tavrix::IsoDayText(outcome.lastDay), outcome.ConvertedText()});
        else
            rows.push_back({file, symbol, "-", "-", "-", RefusedCell(outcome.error)});
        tavrix::JobError error = outcome.error;
        // The dialog does not force a reading on the files of a batch: alone, it does.
        if (error.desktopAdvice == tavrix::kReadingAdvice)
            error.desktopAdvice = "Open the file on its own to choose how it is read.";
        AddReasons(file, outcome.converted ? ReportText(leftOut) : error.Text(tavrix::Audience::kDesktop), &reasons);
    }
    const int converted = batch.Converted();
    EndTable(rows, converted, static_cast<int>(files.size()), " files converted into ", batch.m_strPath, reasons);
}

void CTavrixView::EndTable(const std::vector<std::vector<std::string>>& rows, int converted, int count,
                           const char* into, const std::string& directory, const std::string& reasons)
{
    const bool tickers = rows.front().front() == "Ticker";
    AppendText(std::string("\r\n") +
               (converted == count ? "Conversion completed successfully!"
                : tickers          ? "Conversion failed for some tickers."
                                   : "Conversion failed for some files.") +
               TableText(rows) + "\r\n" + std::to_string(converted) + " of " + std::to_string(count) + into +
               directory + reasons);
    if (converted > 0)
    {
        AppendDirectoryLink(directory);
        ui::MessageBeep(ui::Icon::kInformation);
    }
}

void CTavrixView::RunMarket(const tavrix::ConversionSettings& settings)
{
    StartRun(FileName(m_strInputPath));
    tavrix::MarketConversion market;
    market.m_strInputPath = m_strInputPath;
    market.m_settings = settings;
    market.m_nDateFormat = m_nDateFormat;
    std::string warnings;
    market.m_onWarning = CollectInto(&warnings);
    market.Run();
    if (!warnings.empty())
        ui::AfxMessageBox(warnings, ui::Icon::kWarning);
    if (market.m_error.Failed())
    {
        ui::AfxMessageBox(market.m_error.Text(tavrix::Audience::kDesktop));
        AppendText("\r\nConversion failed.\r\n" + FirstLine(market.m_error.what));
        return;
    }
    std::vector<std::vector<std::string>> rows = {{"Ticker", "Change", "Records", "First", "Last", "Result"}};
    std::string reasons;
    for (const tavrix::TickerOutcome& outcome : market.m_outcomes)
    {
        const std::string ticker = platform::Latin1ToUtf8(outcome.ticker);
        const std::string change = outcome.change == tavrix::TickerOutcome::kNew     ? "new"
                                   : outcome.change == tavrix::TickerOutcome::kAdded ? "added"
                                                                                     : "-";
        if (outcome.converted)
            rows.push_back({ticker, change, std::to_string(outcome.records), tavrix::IsoDayText(outcome.firstDay),
                            tavrix::IsoDayText(outcome.lastDay), outcome.ConvertedText()});
        else
            rows.push_back({ticker, change, "-", "-", "-", RefusedCell(outcome.error)});
        AddReasons(ticker,
                   outcome.converted ? ReportText(outcome.leftOut) : outcome.error.Text(tavrix::Audience::kDesktop),
                   &reasons);
    }
    AppendText("\r\n" + market.m_reading.description);
    EndTable(rows, market.Converted(), static_cast<int>(market.m_outcomes.size()), " tickers went into ",
             market.m_strPath, reasons);
}

void CTavrixView::OnClearWindow()
{
    setPlainText(QString());
    document()->setModified(false);
}
