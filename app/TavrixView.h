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

// The log: a read-only, wrapping text view that shows a preview of the opened file and one result
// line per conversion. It holds the input path and the last confirmed date-format code.
class CTavrixView : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit CTavrixView(tavrix::ProfileStore* store, QWidget* parent = nullptr);

    void AppendText(const std::string& text);
    void OnShowPreview();
    void OnSettings();
    void OnClearWindow();
    bool CanConvert() const { return !m_strInputPath.empty(); }
    void SetInputPath(const std::string& path);

    std::string m_strInputPath;
    int m_nDateFormat = 1;

signals:
    void InputPathChanged();

protected:
    bool event(QEvent* event) override;

private:
    tavrix::ProfileStore* m_pProfileStore;
};
