#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

#include <functional>
#include <string>

// A static text that acts as a link: underlined, blue until followed and purple after (on a dark
// background the palette's link colours), a hand cursor while the pointer is over it, and a click
// that opens its link (its text when none is set); when nothing could open it, a message says
// where it leads. The visited flag belongs to the owner, so it outlives the dialog.
class CStaticLink : public QLabel
{
    Q_OBJECT
public:
    explicit CStaticLink(const QString& text, QWidget* parent = nullptr);

    // What opens a link; true when it could. Tests replace it; returns the previous one.
    using UrlOpener = std::function<bool(const QString& target)>;
    static UrlOpener SetUrlOpener(UrlOpener opener);
    // The hand cursor: 32 by 32, monochrome, hot spot at the top-left corner.
    static QCursor HandCursor();

    void OnClicked();
    // The colour the text is painted in.
    QColor LinkColour(bool visited) const;

    const QColor m_colorUnvisited{0, 0, 255};
    const QColor m_colorVisited{128, 0, 128};
    int* m_pbVisited = nullptr;
    bool m_bCaptured = false;
    bool m_bJustClicked = false;
    std::string m_strLink;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    bool m_bFontMade = false;
    QFont m_font;
    int m_nPauseTimer = 0;
};
