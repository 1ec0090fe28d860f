#pragma once

#include "marketdata/PriceFile.h"

#include <QWidget>

#include <vector>

class QAreaSeries;
class QCandlestickSeries;
class QCategoryAxis;
class QChart;
class QChartView;
class QGraphicsLineItem;
class QGraphicsRectItem;
class QLabel;
class QLineSeries;
class QRubberBand;
class QValueAxis;

// A security's prices along its dates: candles, with a volume pane beneath on the same dates. Bars
// stand side by side, one per record, so that weekends, holidays and nights leave no gaps. Only
// the bars in view become chart items, and when there are more of them than the plot has room
// for, the close line (and the volume's outline) is drawn from each pixel column's extremes
// instead: chart items are heavy, and a price file holds up to 65,534 records.
//
// The wheel zooms around the pointer, a drag pans, a right or Shift drag zooms to the dates it
// spans, a double click shows everything; +, -, the arrows and Home do the same from the keyboard.
class CPriceChart : public QWidget
{
    Q_OBJECT
public:
    explicit CPriceChart(QWidget* parent = nullptr);

    // Shows the records of a security as its layout reads them; a record whose date names no day,
    // or that does not come after the one before it, is left out of the chart.
    void SetBars(const tavrix::RecordLayout& layout, const std::vector<tavrix::StoredBar>& bars);
    void Clear();
    // Shown before the values under the pointer, e.g. the security's symbol.
    void SetCaption(const QString& caption);

    // Positions along the dates count bars: 0 is the first bar's middle, 1 the next one's.
    void ShowRange(double first, double last);
    // `anchor` is the place in the view, 0 at its left edge and 1 at its right, that stays put; by
    // default the marked bar, or else the middle.
    void ZoomBy(double factor, double anchor = -1);
    void PanBy(double fraction);
    void ResetZoom();
    // Brings a record into view, keeping the zoom, and shows its values.
    void ShowRecord(int record);

    double ViewFirst() const { return m_viewFirst; }
    double ViewLast() const { return m_viewLast; }
    bool ShowsCandles() const { return m_bCandles; }
    bool HasVolumePane() const { return m_bHasVolume; }
    QCandlestickSeries* Candles() const { return m_pCandles; }
    QLineSeries* CloseLine() const { return m_pCloseLine; }
    QString ValuesText() const;

signals:
    // A click on a bar: the record it shows.
    void RecordClicked(int record);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Bar
    {
        double when; // day number (1 is 1 January 1961), the time of day as a fraction
        float open, high, low, close, volume;
        int record;
    };

    void Rebuild();
    void UpdateAxis(QCategoryAxis* axis) const;
    void LayOutPlots();
    double PlotWidth() const;
    // The position along the dates under a horizontal pixel of the plots.
    double XAt(double pixel) const;
    double PixelOf(double x) const;
    int NearestBar(double x) const;
    const Bar& BarAt(int index) const { return m_bars[static_cast<std::size_t>(index)]; }
    void ShowValues(int bar);
    void HideMarker();
    bool HandleMouse(QWidget* viewport, QEvent* event);
    bool HandleKey(QEvent* event);

    std::vector<Bar> m_bars;
    bool m_bHasOhlc = false;
    bool m_bHasVolume = false;
    bool m_bIntraday = false;
    std::vector<tavrix::Field> m_fields; // after the date, for the values under the pointer
    std::vector<tavrix::StoredBar> m_stored;
    double m_viewFirst = 0;
    double m_viewLast = 1;
    bool m_bCandles = false;
    int m_nShownBar = -1;  // whose values are shown; -1 for the last bar
    int m_nMarkedBar = -1; // the one clicked or chosen in the records; -1 for none

    QString m_caption;
    QLabel* m_pValues;
    QChartView* m_pPriceView;
    QChartView* m_pVolumeView;
    QChart* m_pPriceChart;
    QChart* m_pVolumeChart;
    QCandlestickSeries* m_pCandles;
    QLineSeries* m_pCloseLine;
    QCandlestickSeries* m_pVolumeBars;
    QLineSeries* m_pVolumeOutline;
    QAreaSeries* m_pVolumeArea;
    // Series go by a hidden value axis, since candles refuse a category axis; the category axes
    // beside them only draw the dates.
    QValueAxis* m_pPriceX;
    QValueAxis* m_pVolumeX;
    QCategoryAxis* m_pPriceDates;
    QCategoryAxis* m_pVolumeDates;
    QValueAxis* m_pPriceAxis;
    QValueAxis* m_pVolumeAxis;
    // A chart whose plot area is fixed draws no backgrounds of its own.
    QGraphicsRectItem* m_pPricePlot;
    QGraphicsRectItem* m_pVolumePlot;
    QGraphicsLineItem* m_pPriceMarker;
    QGraphicsLineItem* m_pVolumeMarker;

    // A drag in progress: panning, or marking dates to zoom to.
    enum class Drag
    {
        kNone,
        kPan,
        kZoom,
    };
    Drag m_drag = Drag::kNone;
    double m_dragStartPixel = 0;
    double m_dragStartFirst = 0;
    bool m_bDragMoved = false;
    QRubberBand* m_pRubberBand = nullptr;
};
