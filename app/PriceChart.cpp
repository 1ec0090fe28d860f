#include "app/PriceChart.h"

#include "engine/SecurityExport.h"
#include "marketdata/Dates.h"

#include <QAreaSeries>
#include <QCandlestickSeries>
#include <QCandlestickSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QRubberBand>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// The plots' margins are fixed, so that both panes put a date at the same pixel.
constexpr double kLeftMargin = 76;
constexpr double kRightMargin = 14;
constexpr double kAxisHeight = 24;
// Candles need a few pixels each to be told apart; with less, the close line says more.
constexpr double kPixelsPerCandle = 3;
constexpr int kFewestBarsInView = 10;
constexpr double kZoomStep = 1.25;
constexpr double kPanStep = 0.1;
const QColor kRising(38, 150, 90);
const QColor kFalling(205, 65, 60);
const QColor kLine(40, 90, 170);
const QColor kVolume(120, 135, 160);

QChart* NewChart()
{
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->setBackgroundRoundness(0);
    chart->setAnimationOptions(QChart::NoAnimation);
    return chart;
}

QChartView* NewView(QChart* chart, QWidget* parent)
{
    auto* view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing, false);
    view->setFocusPolicy(Qt::StrongFocus);
    view->setMouseTracking(true);
    view->viewport()->setMouseTracking(true);
    return view;
}

QCandlestickSeries* NewCandles(const QColor& rising, const QColor& falling)
{
    auto* series = new QCandlestickSeries;
    series->setIncreasingColor(rising);
    series->setDecreasingColor(falling);
    series->setPen(QPen(Qt::darkGray, 0));
    series->setBodyOutlineVisible(false);
    series->setCapsVisible(false);
    series->setBodyWidth(0.7);
    series->setMinimumColumnWidth(1);
    return series;
}

void Attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y)
{
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

QCategoryAxis* NewDateAxis()
{
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setGridLineColor(QColor(225, 225, 225));
    return axis;
}

// About `parts` ticks at round values (1, 2 or 5 times a power of ten), without widening the range
// as nice numbers would; labels with the decimals those values need.
void SetRoundTicks(QValueAxis* axis, double low, double high, int parts)
{
    const double rough = (high - low) / parts;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double step = rough / power < 1.5 ? power : rough / power < 3.5 ? 2 * power : 5 * power;
    // Never a small interval over a wide range on the way, which would mean millions of ticks.
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(std::max(step, axis->tickInterval()));
    axis->setRange(low, high);
    axis->setTickInterval(step);
    axis->setLabelFormat(QString("%.%1f").arg(std::clamp(-static_cast<int>(std::floor(std::log10(step))), 0, 6)));
}

QString ValueText(float value)
{
    return QString::fromStdString(tavrix::ShortestText(value));
}

// Steps between the date axis's ticks, in days: minutes, days, months (negative: -1 is a month),
// years (-12 and beyond).
constexpr double kMinute = 1.0 / 1440;
const double kSteps[] = {
    kMinute, 5 * kMinute, 15 * kMinute, 30 * kMinute, 60 * kMinute, 120 * kMinute, 360 * kMinute, 720 * kMinute, 1,
    2,       7,           -1,           -3,           -6,           -12,           -24,           -60,           -120,
    -240,    -600};

double StepLength(double step)
{
    return step > 0 ? step : -step * 30.44;
}

QString TickLabel(double x, double step)
{
    const auto day = static_cast<tavrix::DayNumber>(std::floor(x));
    const tavrix::DayParts parts = tavrix::SplitDayNumber(day);
    if (step > 0 && step < 1)
    {
        const int minutes = static_cast<int>(std::lround((x - std::floor(x)) * 1440));
        return QString::asprintf("%02d-%02d %02d:%02d", parts.month, parts.day, minutes / 60, minutes % 60);
    }
    if (step > 0)
        return QString::fromStdString(tavrix::IsoDayText(day));
    if (step > -12)
        return QString::asprintf("%04d-%02d", parts.year + 1900, parts.month);
    return QString::number(parts.year + 1900);
}
} // namespace

CPriceChart::CPriceChart(QWidget* parent) : QWidget(parent)
{
    m_pValues = new QLabel(this);
    m_pValues->setObjectName("m_values");
    m_pValues->setTextFormat(Qt::PlainText);
    m_pValues->setContentsMargins(6, 2, 6, 2);

    m_pPriceChart = NewChart();
    m_pVolumeChart = NewChart();
    m_pPriceView = NewView(m_pPriceChart, this);
    m_pPriceView->setObjectName("m_priceView");
    m_pVolumeView = NewView(m_pVolumeChart, this);
    m_pVolumeView->setObjectName("m_volumeView");
    // Room for three labels on each value axis.
    m_pPriceView->setMinimumHeight(120);
    m_pVolumeView->setMinimumHeight(90);

    m_pPriceDates = NewDateAxis();
    m_pVolumeDates = NewDateAxis();
    m_pPriceX = new QValueAxis;
    m_pVolumeX = new QValueAxis;
    m_pPriceChart->addAxis(m_pPriceX, Qt::AlignBottom);
    m_pVolumeChart->addAxis(m_pVolumeX, Qt::AlignBottom);
    m_pPriceX->hide();
    m_pVolumeX->hide();
    m_pPriceAxis = new QValueAxis;
    m_pVolumeAxis = new QValueAxis;
    m_pPriceChart->addAxis(m_pPriceDates, Qt::AlignBottom);
    m_pPriceChart->addAxis(m_pPriceAxis, Qt::AlignLeft);
    m_pVolumeChart->addAxis(m_pVolumeDates, Qt::AlignBottom);
    m_pVolumeChart->addAxis(m_pVolumeAxis, Qt::AlignLeft);

    m_pCandles = NewCandles(kRising, kFalling);
    m_pCloseLine = new QLineSeries;
    m_pCloseLine->setPen(QPen(kLine, 1));
    Attach(m_pPriceChart, m_pCandles, m_pPriceX, m_pPriceAxis);
    Attach(m_pPriceChart, m_pCloseLine, m_pPriceX, m_pPriceAxis);
    m_pVolumeBars = NewCandles(kVolume, kVolume);
    m_pVolumeOutline = new QLineSeries(this);
    m_pVolumeArea = new QAreaSeries(m_pVolumeOutline);
    m_pVolumeArea->setPen(QPen(kVolume, 1));
    m_pVolumeArea->setBrush(kVolume.lighter(130));
    Attach(m_pVolumeChart, m_pVolumeBars, m_pVolumeX, m_pVolumeAxis);
    Attach(m_pVolumeChart, m_pVolumeArea, m_pVolumeX, m_pVolumeAxis);

    // Above the chart's own plot area (z 0), below its grid (z 2).
    m_pPricePlot = new QGraphicsRectItem(m_pPriceChart);
    m_pVolumePlot = new QGraphicsRectItem(m_pVolumeChart);
    for (QGraphicsRectItem* plot : {m_pPricePlot, m_pVolumePlot})
    {
        plot->setBrush(palette().base());
        plot->setPen(Qt::NoPen);
        plot->setZValue(0.5);
    }
    for (QChartView* view : {m_pPriceView, m_pVolumeView})
        view->setBackgroundBrush(palette().window());
    const QPen markerPen(QColor(90, 90, 90), 0, Qt::DashLine);
    m_pPriceMarker = m_pPriceChart->scene()->addLine(QLineF(), markerPen);
    m_pVolumeMarker = m_pVolumeChart->scene()->addLine(QLineF(), markerPen);
    for (QGraphicsLineItem* marker : {m_pPriceMarker, m_pVolumeMarker})
        marker->setZValue(100);

    for (QChartView* view : {m_pPriceView, m_pVolumeView})
    {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        view->setToolTip("Wheel: zoom. Drag: pan. Right or Shift drag: zoom to those dates. Double click: show all.");
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pValues);
    layout->addWidget(m_pPriceView, 3);
    layout->addWidget(m_pVolumeView, 1);
    Clear();
}

void CPriceChart::SetCaption(const QString& caption)
{
    m_caption = caption;
    m_pValues->setText(ValuesText());
}

void CPriceChart::Clear()
{
    SetBars({}, {});
}

void CPriceChart::SetBars(const tavrix::RecordLayout& layout, const std::vector<tavrix::StoredBar>& bars)
{
    const auto has = [&layout](tavrix::Field field) { return layout.IndexOf(field) >= 0; };
    m_bHasOhlc = has(tavrix::kFieldOpen) && has(tavrix::kFieldHigh) && has(tavrix::kFieldLow);
    m_bHasVolume = has(tavrix::kFieldVolume);
    m_bIntraday = layout.hasTime;
    m_fields.clear();
    for (const tavrix::Field field : layout.fields)
        if (field != tavrix::kFieldDate)
            m_fields.push_back(field);
    m_stored = bars;
    m_bars.clear();
    m_bars.reserve(bars.size());
    for (std::size_t i = 0; i < bars.size(); ++i)
    {
        const tavrix::StoredBar& stored = bars[i];
        const tavrix::DayNumber day = tavrix::DayOfDateValue(stored.date);
        if (day == 0)
            continue;
        double when = day;
        // HHMMSS; a time that names no time of day counts as midnight.
        const auto time = static_cast<int>(stored.time);
        if (m_bIntraday && time >= 0 && static_cast<double>(time) == static_cast<double>(stored.time) &&
            time / 10000 < 24 && time / 100 % 100 < 60 && time % 100 < 60)
            when += (time / 10000 * 3600 + time / 100 % 100 * 60 + time % 100) / 86400.0;
        if (!m_bars.empty() && when <= m_bars.back().when)
            continue;
        const auto& v = stored.values;
        m_bars.push_back({when, v[tavrix::kFieldOpen], v[tavrix::kFieldHigh], v[tavrix::kFieldLow],
                          v[tavrix::kFieldClose], v[tavrix::kFieldVolume], static_cast<int>(i)});
    }
    // Empty axes would only say nothing in more words than the caption does.
    m_pPriceAxis->setVisible(!m_bars.empty());
    m_pPriceDates->setVisible(!m_bars.empty());
    m_pVolumeView->setVisible(m_bHasVolume);
    m_pPriceDates->setLabelsVisible(!m_bHasVolume);
    m_nShownBar = -1;
    m_nMarkedBar = -1;
    HideMarker();
    LayOutPlots();
    ResetZoom();
}

void CPriceChart::ResetZoom()
{
    ShowRange(-0.5, static_cast<double>(m_bars.size()) - 0.5);
}

void CPriceChart::ShowRange(double first, double last)
{
    if (!m_bars.empty())
    {
        const double lowest = -0.5;
        const double full = static_cast<double>(m_bars.size());
        const double span = std::clamp(last - first, std::min(full, static_cast<double>(kFewestBarsInView)), full);
        first = std::clamp((first + last - span) / 2, lowest, lowest + full - span);
        last = first + span;
    }
    m_viewFirst = first;
    m_viewLast = last;
    Rebuild();
}

void CPriceChart::ZoomBy(double factor, double anchor)
{
    double at = m_viewFirst + anchor * (m_viewLast - m_viewFirst);
    // From the keyboard or a menu, the marked bar stays put when it is in view.
    if (anchor < 0)
        at = m_nMarkedBar >= m_viewFirst && m_nMarkedBar <= m_viewLast ? m_nMarkedBar : (m_viewFirst + m_viewLast) / 2;
    ShowRange(at - (at - m_viewFirst) / factor, at + (m_viewLast - at) / factor);
}

void CPriceChart::PanBy(double fraction)
{
    const double shift = fraction * (m_viewLast - m_viewFirst);
    ShowRange(m_viewFirst + shift, m_viewLast + shift);
}

void CPriceChart::ShowRecord(int record)
{
    const auto found = std::lower_bound(m_bars.begin(), m_bars.end(), record,
                                        [](const Bar& bar, int wanted) { return bar.record < wanted; });
    if (found == m_bars.end() || found->record != record)
        return;
    const int bar = static_cast<int>(found - m_bars.begin());
    if (bar < m_viewFirst || bar > m_viewLast)
    {
        const double span = m_viewLast - m_viewFirst;
        ShowRange(bar - span / 2, bar + span / 2);
    }
    m_nMarkedBar = bar;
    ShowValues(bar);
}

void CPriceChart::LayOutPlots()
{
    const QSize priceSize = m_pPriceView->viewport()->size();
    const double priceBottom = m_bHasVolume ? 6 : kAxisHeight;
    m_pPriceChart->setPlotArea(QRectF(kLeftMargin, 8, std::max(10.0, priceSize.width() - kLeftMargin - kRightMargin),
                                      std::max(10.0, priceSize.height() - 8 - priceBottom)));
    const QSize volumeSize = m_pVolumeView->viewport()->size();
    m_pVolumeChart->setPlotArea(QRectF(kLeftMargin, 4, std::max(10.0, volumeSize.width() - kLeftMargin - kRightMargin),
                                       std::max(10.0, volumeSize.height() - 4 - kAxisHeight)));
    m_pPricePlot->setRect(m_pPriceChart->plotArea());
    m_pVolumePlot->setRect(m_pVolumeChart->plotArea());
}

double CPriceChart::PlotWidth() const
{
    return m_pPriceChart->plotArea().width();
}

double CPriceChart::XAt(double pixel) const
{
    return m_viewFirst + (pixel - kLeftMargin) / PlotWidth() * (m_viewLast - m_viewFirst);
}

double CPriceChart::PixelOf(double x) const
{
    return kLeftMargin + (x - m_viewFirst) / (m_viewLast - m_viewFirst) * PlotWidth();
}

void CPriceChart::Rebuild()
{
    // [begin, last) are the bars in view.
    const int count = static_cast<int>(m_bars.size());
    const int begin = std::clamp(static_cast<int>(std::ceil(m_viewFirst)), 0, count);
    const int last = std::clamp(static_cast<int>(std::floor(m_viewLast)) + 1, begin, count);
    const double width = PlotWidth();
    m_bCandles = m_bHasOhlc && last > begin && (last - begin) * kPixelsPerCandle <= width;

    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    double loudest = 0;
    m_pCandles->clear();
    m_pVolumeBars->clear();
    m_pCloseLine->clear();
    m_pVolumeOutline->clear();
    if (m_bCandles)
    {
        QList<QCandlestickSet*> prices;
        QList<QCandlestickSet*> volumes;
        for (int i = begin; i < last; ++i)
        {
            const Bar& bar = BarAt(i);
            prices << new QCandlestickSet(bar.open, bar.high, bar.low, bar.close, i);
            low = std::min(low, static_cast<double>(bar.low));
            high = std::max(high, static_cast<double>(bar.high));
            if (m_bHasVolume)
            {
                volumes << new QCandlestickSet(0, bar.volume, 0, bar.volume, i);
                loudest = std::max(loudest, static_cast<double>(bar.volume));
            }
        }
        m_pCandles->append(prices);
        m_pVolumeBars->append(volumes);
    }
    else
    {
        // Each pixel column's first, lowest, highest and last close, in the order they came, draw
        // the line every close would; the bars just outside the view carry it to the edges.
        QList<QPointF> closes;
        QList<QPointF> volumes;
        const int from = std::max(0, begin - 1);
        const int to = std::min(count, last + 1);
        const double barsPerPixel = (m_viewLast - m_viewFirst) / std::max(1.0, width);
        const auto column = [&](int bar) { return std::floor((bar - m_viewFirst) / barsPerPixel); };
        for (int i = from; i < to;)
        {
            int lowest = i;
            int highest = i;
            int loudestBar = i;
            int j = i;
            for (const double here = column(i); j < to && column(j) == here; ++j)
            {
                const Bar& bar = BarAt(j);
                lowest = bar.close < BarAt(lowest).close ? j : lowest;
                highest = bar.close > BarAt(highest).close ? j : highest;
                loudestBar = bar.volume > BarAt(loudestBar).volume ? j : loudestBar;
                if (j >= begin && j < last)
                {
                    low = std::min(low, static_cast<double>(bar.close));
                    high = std::max(high, static_cast<double>(bar.close));
                    loudest = std::max(loudest, static_cast<double>(bar.volume));
                }
            }
            int kept[] = {i, lowest, highest, j - 1};
            std::sort(std::begin(kept), std::end(kept));
            for (int k = 0; k < 4; ++k)
                if (k == 0 || kept[k] != kept[k - 1])
                    closes << QPointF(kept[k], BarAt(kept[k]).close);
            if (m_bHasVolume)
                volumes << QPointF(loudestBar, BarAt(loudestBar).volume);
            i = j;
        }
        m_pCloseLine->replace(closes);
        m_pVolumeOutline->replace(volumes);
    }
    if (low > high)
    {
        low = 0;
        high = 1;
    }
    const double room = high > low ? (high - low) * 0.05 : std::max(std::abs(high) * 0.01, 0.01);
    SetRoundTicks(m_pPriceAxis, low - room, high + room, 5);
    SetRoundTicks(m_pVolumeAxis, 0, loudest > 0 ? loudest * 1.05 : 1, 2);
    m_pPriceX->setRange(m_viewFirst, m_viewLast);
    m_pVolumeX->setRange(m_viewFirst, m_viewLast);
    UpdateAxis(m_pPriceDates);
    UpdateAxis(m_pVolumeDates);
    if (m_nShownBar >= 0 && m_nShownBar < count)
        ShowValues(m_nShownBar);
    else
        m_pValues->setText(ValuesText());
}

void CPriceChart::UpdateAxis(QCategoryAxis* axis) const
{
    for (const QString& label : axis->categoriesLabels())
        axis->remove(label);
    axis->setStartValue(m_viewFirst);
    axis->setRange(m_viewFirst, m_viewLast);
    const int count = static_cast<int>(m_bars.size());
    const int begin = std::clamp(static_cast<int>(std::ceil(m_viewFirst)), 0, count);
    const int last = std::clamp(static_cast<int>(std::floor(m_viewLast)) + 1, begin, count);
    if (last - begin < 2)
        return;
    // The shortest calendar step that leaves a label about every 110 pixels.
    const double width = std::max(110.0, PlotWidth());
    const double daysPerBar = (BarAt(last - 1).when - BarAt(begin).when) / (last - 1 - begin);
    const double wanted = daysPerBar * (m_viewLast - m_viewFirst) * 110 / width;
    double step = kSteps[std::size(kSteps) - 1];
    for (const double candidate : kSteps)
        if (StepLength(candidate) >= wanted && (m_bIntraday || candidate >= 1 || candidate < 0))
        {
            step = candidate;
            break;
        }
    // A tick where a bar begins a new step: a new minute group, day, week (Mondays; day 2 was
    // one), month group or year group.
    const auto key = [step](double when) -> long {
        if (step > 0)
            return static_cast<long>(std::floor((when - (step == 7 ? 2 : 0)) / step));
        const tavrix::DayParts parts = tavrix::SplitDayNumber(static_cast<tavrix::DayNumber>(std::floor(when)));
        return ((parts.year + 1900L) * 12 + parts.month - 1) / static_cast<long>(-step);
    };
    double lastPixel = -1e9;
    long previous = key(BarAt(begin > 0 ? begin - 1 : 0).when);
    for (int i = begin > 0 ? begin : 1; i < last; ++i)
    {
        const long here = key(BarAt(i).when);
        if (here == previous)
            continue;
        previous = here;
        // Uneven records (a gap of years, a short day) may bunch the steps' first bars together.
        const double pixel = PixelOf(i);
        if (pixel - lastPixel < 60)
            continue;
        lastPixel = pixel;
        axis->append(TickLabel(BarAt(i).when, step), i);
    }
}

int CPriceChart::NearestBar(double x) const
{
    if (m_bars.empty())
        return -1;
    return std::clamp(static_cast<int>(std::lround(x)), 0, static_cast<int>(m_bars.size()) - 1);
}

QString CPriceChart::ValuesText() const
{
    QString text = m_caption;
    if (m_bars.empty())
        return text.isEmpty() ? QString("Select a security to see its prices.") : text + "   no price records";
    const Bar& bar = m_bars[static_cast<std::size_t>(m_nShownBar >= 0 ? m_nShownBar : m_bars.size() - 1)];
    const tavrix::StoredBar& stored = m_stored[static_cast<std::size_t>(bar.record)];
    if (!text.isEmpty())
        text += "   ";
    text += QString::fromStdString(tavrix::IsoDateText(stored.date));
    if (m_bIntraday)
        text += " " + QString::fromStdString(tavrix::TimeText(stored.time));
    for (const tavrix::Field field : m_fields)
        text += QString("   %1 %2").arg(tavrix::NamesOf(field).caption, ValueText(stored.values[field]));
    return text;
}

void CPriceChart::ShowValues(int bar)
{
    m_nShownBar = bar;
    m_pValues->setText(ValuesText());
    if (bar < m_viewFirst || bar > m_viewLast)
    {
        HideMarker();
        return;
    }
    const double pixel = PixelOf(bar);
    const QRectF price = m_pPriceChart->plotArea();
    const QRectF volume = m_pVolumeChart->plotArea();
    m_pPriceMarker->setLine(pixel, price.top(), pixel, price.bottom());
    m_pVolumeMarker->setLine(pixel, volume.top(), pixel, volume.bottom());
    m_pPriceMarker->show();
    m_pVolumeMarker->show();
}

void CPriceChart::HideMarker()
{
    m_pPriceMarker->hide();
    m_pVolumeMarker->hide();
}

bool CPriceChart::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pPriceView->viewport() || watched == m_pVolumeView->viewport())
    {
        if (event->type() == QEvent::Resize)
        {
            LayOutPlots();
            Rebuild();
            return false;
        }
        return HandleMouse(static_cast<QWidget*>(watched), event);
    }
    if ((watched == m_pPriceView || watched == m_pVolumeView) && event->type() == QEvent::KeyPress)
        return HandleKey(event);
    return QWidget::eventFilter(watched, event);
}

bool CPriceChart::HandleMouse(QWidget* viewport, QEvent* event)
{
    switch (event->type())
    {
    case QEvent::Wheel:
    {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const double notches = wheel->angleDelta().y() / 120.0;
        if (notches != 0)
            ZoomBy(std::pow(kZoomStep, notches),
                   std::clamp((wheel->position().x() - kLeftMargin) / PlotWidth(), 0.0, 1.0));
        return true;
    }
    case QEvent::MouseButtonPress:
    {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const bool zoom = mouse->button() == Qt::RightButton ||
                          (mouse->button() == Qt::LeftButton && mouse->modifiers() & Qt::ShiftModifier);
        if (!zoom && mouse->button() != Qt::LeftButton)
            return false;
        m_drag = zoom ? Drag::kZoom : Drag::kPan;
        m_dragStartPixel = mouse->position().x();
        m_dragStartFirst = m_viewFirst;
        m_bDragMoved = false;
        if (zoom)
        {
            delete m_pRubberBand;
            m_pRubberBand = new QRubberBand(QRubberBand::Rectangle, viewport);
        }
        return true;
    }
    case QEvent::MouseMove:
    {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const double pixel = mouse->position().x();
        m_bDragMoved = m_bDragMoved || std::abs(pixel - m_dragStartPixel) > 3;
        if (m_drag == Drag::kPan && m_bDragMoved)
        {
            const double span = m_viewLast - m_viewFirst;
            const double first = m_dragStartFirst - (pixel - m_dragStartPixel) / PlotWidth() * span;
            ShowRange(first, first + span);
        }
        else if (m_drag == Drag::kZoom && m_pRubberBand)
        {
            const QRectF plot =
                viewport == m_pPriceView->viewport() ? m_pPriceChart->plotArea() : m_pVolumeChart->plotArea();
            const double left = std::clamp(std::min(pixel, m_dragStartPixel), plot.left(), plot.right());
            const double right = std::clamp(std::max(pixel, m_dragStartPixel), plot.left(), plot.right());
            m_pRubberBand->setGeometry(QRectF(left, plot.top(), right - left, plot.height()).toRect());
            m_pRubberBand->show();
        }
        if (m_drag == Drag::kNone || m_drag == Drag::kZoom)
            if (const int bar = NearestBar(XAt(pixel)); bar >= 0)
                ShowValues(bar);
        return m_drag != Drag::kNone;
    }
    case QEvent::MouseButtonRelease:
    {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const Drag drag = m_drag;
        m_drag = Drag::kNone;
        delete m_pRubberBand;
        m_pRubberBand = nullptr;
        if (drag == Drag::kZoom && m_bDragMoved)
        {
            const double a = XAt(m_dragStartPixel);
            const double b = XAt(mouse->position().x());
            ShowRange(std::min(a, b), std::max(a, b));
        }
        else if (drag == Drag::kPan && !m_bDragMoved)
            if (const int bar = NearestBar(XAt(mouse->position().x())); bar >= 0)
            {
                m_nMarkedBar = bar;
                ShowValues(bar);
                emit RecordClicked(BarAt(bar).record);
            }
        return drag != Drag::kNone;
    }
    case QEvent::MouseButtonDblClick:
        ResetZoom();
        return true;
    case QEvent::Leave:
        if (m_drag == Drag::kNone && m_nMarkedBar >= 0)
            ShowValues(m_nMarkedBar);
        else if (m_drag == Drag::kNone)
        {
            m_nShownBar = -1;
            HideMarker();
            m_pValues->setText(ValuesText());
        }
        return false;
    default:
        return false;
    }
}

bool CPriceChart::HandleKey(QEvent* event)
{
    switch (static_cast<QKeyEvent*>(event)->key())
    {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ZoomBy(kZoomStep);
        return true;
    case Qt::Key_Minus:
        ZoomBy(1 / kZoomStep);
        return true;
    case Qt::Key_Left:
        PanBy(-kPanStep);
        return true;
    case Qt::Key_Right:
        PanBy(kPanStep);
        return true;
    case Qt::Key_Home:
        ResetZoom();
        return true;
    default:
        return false;
    }
}
