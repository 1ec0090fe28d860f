#pragma once

#include <QEvent>
#include <QPlainTextEdit>

#include <functional>
#include <string>

namespace tavrix {
class ProfileStore;
}

// Sent by the document to the view, synchronously, once a file has been opened.
class ShowPreviewEvent : public QEvent
{
public:
    static const QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 4); // as WM_APP + 4
    ShowPreviewEvent() : QEvent(kType) {}
};

// The log: a read-only, wrapping text view that shows a preview of the opened file and the result
// of each conversion. It holds the input path, the last confirmed date-format code and the path,
// symbol and name of the last attempt, which the next dialog shows even when that run failed.
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

    std::string m_strInputPath;
    int m_nDateFormat = 1;
    bool m_bHaveLastAttempt = false;
    std::string m_strLastPath;
    std::string m_strLastSymbol; // Latin-1, as the dialog holds it
    std::string m_strLastName;

signals:
    void InputPathChanged();

protected:
    bool event(QEvent* event) override;

private:
    void AppendToLog(const QString& text);

    tavrix::ProfileStore* m_pProfileStore;
};
