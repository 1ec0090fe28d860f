#include "about/StaticLink.h"

#include "app/MessageBox.h"

#include <QBitmap>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kPauseMilliseconds = 1000;

CStaticLink::UrlOpener& Opener()
{
    static CStaticLink::UrlOpener opener = [](const QString& target) {
        return QDesktopServices::openUrl(QUrl(target));
    };
    return opener;
}

// Relative luminance and contrast ratio, as accessibility guidelines measure readability.
double Luminance(const QColor& colour)
{
    const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A white hand with a black outline, index finger up: '#' outline, '-' white, '.' see-through.
const char* const kHand[32] = {
    ".....##.........................", "....#--#........................", "....#--#........................",
    "....#--#........................", "....#--#........................", "....#--###......................",
    "....#--#--###...................", "....#--#--#--##.................", "....#--#--#--#-#................",
    ".##.#--#--#--#--#...............", "#--##--------#--#...............", "#---#-----------#...............",
    ".#--#-----------#...............", "..#-------------#...............", "..#-------------#...............",
    "...#-----------#................", "...#-----------#................", "....#---------#.................",
    "....#---------#.................", ".....#-------#..................", ".....#########..................",
    "................................", "................................", "................................",
    "................................", "................................", "................................",
    "................................", "................................", "................................",
    "................................", "................................",
};
} // namespace

CStaticLink::CStaticLink(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setMouseTracking(true);
}

CStaticLink::UrlOpener CStaticLink::SetUrlOpener(UrlOpener opener)
{
    std::swap(Opener(), opener);
    return opener;
}

QCursor CStaticLink::HandCursor()
{
    QImage image(32, 32, QImage::Format_MonoLSB);
    QImage mask(32, 32, QImage::Format_MonoLSB);
    image.fill(0);
    mask.fill(0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
        {
            const char c = kHand[y][x];
            image.setPixel(x, y, c == '#' ? 1 : 0); // 1 draws black
            mask.setPixel(x, y, c == '.' ? 0 : 1);  // 1 is opaque
        }
    return QCursor(QBitmap::fromImage(image), QBitmap::fromImage(mask), 0, 0);
}

void CStaticLink::paintEvent(QPaintEvent* event)
{
    // Only a text static is coloured; one that shows a picture paints as it is.
    if (pixmap().isNull())
    {
        if (!m_bFontMade)
        {
            m_font = font();
            m_font.setUnderline(true);
            setFont(m_font);
            m_bFontMade = true;
        }
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText, LinkColour(m_pbVisited && *m_pbVisited == 1));
        setPalette(colours);
        setAutoFillBackground(false); // the dialog's background shows through
    }
    QLabel::paintEvent(event);
}

QColor CStaticLink::LinkColour(bool visited) const
{
    // Blue and purple on a light background; on a dark one they are hard to read, so the palette's
    // link colours are taken, or light ones when those are no easier to read.
    const QColor background = palette().color(QPalette::Window);
    if (background.lightness() >= 128)
        return visited ? m_colorVisited : m_colorUnvisited;
    const QColor themed = palette().color(visited ? QPalette::LinkVisited : QPalette::Link);
    if (Contrast(themed, background) >= 4.5)
        return themed;
    return visited ? QColor(0xC5, 0x8A, 0xF9) : QColor(0x8A, 0xB4, 0xF8);
}

void CStaticLink::mouseMoveEvent(QMouseEvent* event)
{
    QLabel::mouseMoveEvent(event);
    if (m_bJustClicked)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    if (!m_bCaptured && inside)
    {
        m_bCaptured = true;
        grabMouse(); // moves outside still reach the link, so it can put the arrow back
        setCursor(HandCursor());
    }
    else if (m_bCaptured && !inside)
    {
        releaseMouse();
        m_bCaptured = false;
        setCursor(Qt::ArrowCursor);
    }
}

void CStaticLink::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        OnClicked();
}

void CStaticLink::OnClicked()
{
    if (m_strLink.empty())
        m_strLink = text().toStdString();
    const QString target = QString::fromStdString(m_strLink);
    m_bCaptured = false;
    releaseMouse();
    m_bJustClicked = true;
    if (m_nPauseTimer)
        killTimer(m_nPauseTimer);
    m_nPauseTimer = startTimer(kPauseMilliseconds);
    if (!Opener()(target))
    {
        // Nothing would show otherwise; say where the page is, as Help does.
        ui::MessageBeep(ui::Icon::kNone);
        const QUrl url(target);
        ui::AfxMessageBox("No program could open the link. Open it in a web browser:\n" +
                              (url.isLocalFile() ? url.toLocalFile() : target).toStdString(),
                          ui::Icon::kInformation);
        return;
    }
    if (m_pbVisited)
        *m_pbVisited = 1;
    setCursor(Qt::ArrowCursor);
    update();
}

void CStaticLink::timerEvent(QTimerEvent* event)
{
    QLabel::timerEvent(event);
    if (event->timerId() != m_nPauseTimer)
        return;
    killTimer(m_nPauseTimer);
    m_nPauseTimer = 0;
    m_bJustClicked = false;
}
