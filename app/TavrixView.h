#pragma once

#include <QEvent>
#include <QPlainTextEdit>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavrix {
class InputText;
class ProfileStore;
struct ConversionSettings;
struct BatchFile;
struct PriceLineReport;
} // namespace tavrix

// Sent by the document to the view, synchronously, once a file has been opened.
class ShowPreviewEvent : public QEvent
{
public:
    static const QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 4); // as WM_APP + 4
    ShowPreviewEvent() : QEvent(kType) {}
};

// The log: a read-only text view that shows a preview of the opened file (long rows scroll
// sideways) and the result of each run, each under a line with its time. It holds the input
// files, the last confirmed date-format code and the path, symbol and name of the last attempt,
// which the next dialog shows even when that run failed.
class CTavrixView : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit CTavrixView(tavrix::ProfileStore* store, QWidget* parent = nullptr);

    // Bytes as the program's texts hold them: "\r\n" line ends, UTF-8 or else Latin-1.
    void AppendText(const std::string& text);
    void OnShowPreview();
    void OnSettings();
    void OnClearWindow();
    bool CanConvert() const { return !m_strInputPath.empty(); }
    void SetInputPath(const std::string& path);
    // Several files converted together, each its own security; the first is m_strInputPath.
    void SetInputPaths(const std::vector<std::string>& paths);
    const std::vector<std::string>& InputPaths() const { return m_inputs; }

    std::string m_strInputPath;
    int m_nDateFormat = 1;
    bool m_bHaveLastAttempt = false;
    std::string m_strLastPath;
    std::string m_strLastSymbol; // Latin-1, as the dialog holds it
    std::string m_strLastName;

    // The left-out rows question: true converts the `kept` rows. No is the default when most rows
    // are left out; Show Details holds the whole report.
    static bool AskConvertOthers(const tavrix::PriceLineReport& report, std::size_t kept);

signals:
    void InputPathChanged();
    // A directory named in the log was clicked.
    void DirectoryLinkActivated(const std::string& directory);

protected:
    bool event(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void AppendToLog(const QString& text);
    // A line that opens the directory window when clicked.
    void AppendDirectoryLink(const std::string& directory);
    // The line that starts a run's part of the log: its time and file.
    void StartRun(const std::string& what);
    // What the dialog opens with for a file opened just now: the file's own reading when the
    // stored settings do not read it cleanly, a symbol of its own when the stored one is taken.
    void PrepareForNewFile(tavrix::ConversionSettings& settings);
    void RunConversion(tavrix::ConversionSettings& settings, std::string* settingsError);
    void RunUpdate(tavrix::ConversionSettings& settings);
    void RunBatch(const tavrix::ConversionSettings& settings, const std::vector<tavrix::BatchFile>& files);
    // A file of many securities: each ticker a security of its own, or new days of one held.
    void RunMarket(const tavrix::ConversionSettings& settings);
    // The end of a run of many: the headline, the table, how many went in and each one's reasons,
    // then a link to the directory.
    void EndTable(const std::vector<std::vector<std::string>>& rows, int converted, int count, const char* into,
                  const std::string& directory, const std::string& reasons);

    tavrix::ProfileStore* m_pProfileStore;
    std::vector<std::string> m_inputs;
    std::shared_ptr<const tavrix::InputText> m_pInput; // the first file, read whole
    bool m_bNewFile = false;                           // no dialog shown for it yet
    std::string m_strPrepared;                         // what PrepareForNewFile filled in, for the log
};
