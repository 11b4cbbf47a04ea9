// Graph and strip-chart controls (graph.h) on QCustomPlot.
//
// Drawing is queued and partial: every change marks what it touched (plots,
// cursors, a band of rows, or everything when an axis moved), and one queued
// Flush per frame of the screen repaints only that part of the widget. Run
// mode redraws a strip chart and a bar graph about 27 times a second; axes,
// grid and tick labels are rendered only when a range changes, and a strip
// chart repaints only the rows its moving traces pass through.
//
// [SECTION] Queued repaint (KPlotBase)
// [SECTION] Graph (KGraph)
// [SECTION] Strip chart (KStripChart)
// [SECTION] Export (right-click menu)
// [SECTION] graph.h API

#include "runtime/graph.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QSvgGenerator>
#include <QTimer>

#include <climits>
#include <cmath>
#include <typeinfo>

#include "runtime/filewriter.h"
#include "runtime/translate.h"
#include "runtime/util.h"
#include "runtime/widgets.h"

namespace kvr {

static QColor Rgb(int v)
{
    return QColor(QRgb(0xFF000000u | (unsigned(v) & 0xFFFFFFu)));
}

static const int CURSOR_ACTIVE_COLOR = 0x0000FF;  // cursor 1: the evaluated edge
static const int CURSOR_WINDOW_COLOR = 0x000000;  // cursors 2 and 3: the evaluation window

static RenderObserver g_renderObserver = nullptr;

void SetRenderObserver(RenderObserver fn)
{
    g_renderObserver = fn;
}

// ---- [SECTION] Queued repaint (KPlotBase) -------------------------------------------------------

// A layer drawn straight on the widget at each repaint (paintEvent). Its
// paint buffer is filled by a full replot like any other but never shown.
class DirectLayer : public QCPLayer {
 public:
    using QCPLayer::QCPLayer;
    QSharedPointer<QCPAbstractPaintBuffer> Buffer() const { return mPaintBuffer.toStrongRef(); }
    void DrawOn(QCPPainter* painter) { draw(painter); }
};

KPlotBase::KPlotBase(QWidget* parent) : QCustomPlot(parent)
{
    setNotAntialiasedElements(QCP::aeAll);
    setPlottingHint(QCP::phCacheLabels, true);
    setPlottingHint(QCP::phImmediateRefresh, false);
    // Paint buffers: background and grid; the plots; the cursors; axes, legend
    // and the (unused) overlay together. Plots and cursors are drawn straight
    // on the widget (paintEvent); their buffers only keep them apart from the
    // others. The plots' layer stands in for the library's "main", by name.
    plotLayer_ = new DirectLayer(this, "main");
    const int mainIndex = layer("main")->index();
    removeLayer(layer("main"));
    mLayers.insert(mainIndex, plotLayer_);
    cursorLayer_ = new DirectLayer(this, "cursors");
    mLayers.insert(mainIndex + 1, cursorLayer_);
    updateLayerIndices();
    plotLayer_->setMode(QCPLayer::lmBuffered);
    cursorLayer_->setMode(QCPLayer::lmBuffered);
    layer("overlay")->setMode(QCPLayer::lmLogical);
    setCurrentLayer("main");
    xAxis->setRange(0, 100);
    yAxis->setRange(0, 100);
    // QCustomPlot keeps every mouse event to itself; the wheel, which the plots
    // leave alone, must reach the panel's window so that it scrolls.
    setAttribute(Qt::WA_NoMousePropagation, false);
    // Only plots the program names are listed (ShowLegend).
    setAutoAddPlottableToLegend(false);
    legend->setVisible(false);
    connect(this, &QCustomPlot::afterReplot, this, [this] { underStale_ = true; });
    MarkDirty(DIRTY_ALL);
}

void KPlotBase::MarkDirty(int what)
{
    dirty_ |= what;
    if (queued_) return;
    queued_ = true;
    // A line sends replies faster than a screen shows frames: a chart drawn
    // within the last frame waits for the next one, and takes every change
    // made meanwhile in one repaint.
    const QScreen* s = screen();
    const double hz = s && s->refreshRate() >= 10.0 ? s->refreshRate() : 60.0;
    const qint64 frameMs = static_cast<qint64>(1000.0 / hz);
    const qint64 since = flushed_.isValid() ? flushed_.elapsed() : frameMs;
    if (since >= frameMs)
        QMetaObject::invokeMethod(this, &KPlotBase::Flush, Qt::QueuedConnection);
    else
        QTimer::singleShot(static_cast<int>(frameMs - since), this, &KPlotBase::Flush);
}

void KPlotBase::Flush()
{
    queued_ = false;
    if (!dirty_ || !isVisible()) return;  // a hidden chart renders when shown
    if ((dirty_ & DIRTY_ALL) || mPaintBuffers.isEmpty() || !width() || !height()) {
        // Plots and cursors are drawn at the repaint, not into their buffers.
        plotLayer_->setVisible(false);
        cursorLayer_->setVisible(false);
        replot(QCustomPlot::rpRefreshHint);
        plotLayer_->setVisible(true);
        cursorLayer_->setVisible(true);
    } else {  // drawn at the repaint: plots and cursors clipped to their axis rect, the caption
        QRect area = dirty_ & (DIRTY_PLOTS | DIRTY_CURSORS) ? PlotArea() : band_;
        if (dirty_ & DIRTY_CAPTION) area |= caption_->outerRect();
        update(area);
    }
    band_ = QRect();
    dirty_ = 0;
    flushed_.start();
    if (g_renderObserver) g_renderObserver(this);
}

void KPlotBase::MarkDirtyBetween(double y1, double y2)
{
    const double p1 = yAxis->coordToPixel(y1), p2 = yAxis->coordToPixel(y2);
    if (!std::isfinite(p1) || !std::isfinite(p2) || std::fabs(p1 - p2) > 1e6) {
        MarkDirty(DIRTY_PLOTS);
        return;
    }
    // A line between two points stays within their rows; a pen and its dots
    // take a pixel or two beside them.
    const QRect area = PlotArea();
    const int top = static_cast<int>(std::floor(std::min(p1, p2))) - 3;
    const int bottom = static_cast<int>(std::ceil(std::max(p1, p2))) + 3;
    band_ |= QRect(area.left(), top, area.width(), bottom - top + 1) & area;
    MarkDirty(DIRTY_BAND);
}

QRect KPlotBase::PlotArea() const
{
    QRect area;
    for (QCPAxisRect* r : axisRects()) area |= r->rect();
    return area.adjusted(-1, -1, 1, 1);  // a pen on the border
}

// What a plot area holds of the axes: their lines and the ticks pointing in.
static int AxesInside(const QCPAxisRect* r)
{
    int inside = 0;
    for (const QCPAxis* a : r->axes()) {
        if (a->tickLabelSide() == QCPAxis::lsInside) return INT_MAX;
        inside = std::max({inside, a->tickLengthIn(), a->subTickLengthIn(), -a->offset()});
    }
    return inside + 2;  // the axis line and its pen
}

void KPlotBase::paintEvent(QPaintEvent* e)
{
    // The library fills the background and blends every paint buffer over it
    // at each repaint, 27 times a second in run mode. Here background and grid,
    // which change only in a full replot, are kept flattened in one picture
    // that is copied; plots and cursors are drawn over it; the buffer of axes
    // and legend is blended only where they are, outside the plot areas.
    if (mPaintBuffers.isEmpty()) {
        QCustomPlot::paintEvent(e);
        return;
    }
    QCPPainter painter(this);
    if (!painter.isActive()) return;
    const qreal ratio = devicePixelRatioF();
    if (underStale_ || under_.size() != mViewport.size() * ratio) {
        under_ = QPixmap(mViewport.size() * ratio);
        under_.setDevicePixelRatio(ratio);
        if (!mBackgroundBrush.isOpaque()) under_.fill(Qt::transparent);
        QCPPainter p(&under_);
        p.fillRect(QRect(QPoint(0, 0), mViewport.size()), mBackgroundBrush);
        mPaintBuffers.first()->draw(&p);
        underStale_ = false;
    }
    painter.drawPixmap(mViewport.topLeft(), under_);
    QRegion outside = e->region();
    for (const QCPAxisRect* r : axisRects()) {
        const int m = AxesInside(r);
        if (2 * m < std::min(r->width(), r->height())) outside -= r->rect().adjusted(m, m, -m, -m);
    }
    for (int i = 1; i < mPaintBuffers.size(); i++) {
        if (mPaintBuffers[i] == plotLayer_->Buffer()) {
            plotLayer_->DrawOn(&painter);
        } else if (mPaintBuffers[i] == cursorLayer_->Buffer()) {
            cursorLayer_->DrawOn(&painter);
        } else {
            for (const QRect& r : outside) {
                painter.setClipRect(r);
                mPaintBuffers[i]->draw(&painter);
            }
            painter.setClipping(false);
        }
    }
}

void KPlotBase::showEvent(QShowEvent* e)
{
    QCustomPlot::showEvent(e);
    MarkDirty(DIRTY_ALL);
}

static bool Prop(QWidget* w, const char* name, double* v)
{
    QVariant p = w->property(name);
    bool ok = false;
    if (p.isValid()) *v = p.toDouble(&ok);
    return ok;
}

// The plots do not zoom unless the program lets them (ATTR_ZOOM_PAN): the
// wheel scrolls the panel's window, which a small screen needs.
void KPlotBase::wheelEvent(QWheelEvent* e)
{
    if (zoomPan_) {
        QCustomPlot::wheelEvent(e);
        e->accept();
        return;
    }
    e->ignore();
}

void KPlotBase::SetZoomPan(bool on)
{
    if (on == zoomPan_) return;
    zoomPan_ = on;
    setInteraction(QCP::iRangeDrag, on);
    setInteraction(QCP::iRangeZoom, on);
    axisRect()->setRangeDrag(Qt::Horizontal);
    axisRect()->setRangeZoom(Qt::Horizontal);
    setAttribute(Qt::WA_NoMousePropagation, on);
    if (on)
        connect(xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, &KPlotBase::KeepInside);
    else
        disconnect(xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, &KPlotBase::KeepInside);
}

void KPlotBase::KeepInside(const QCPRange& range)
{
    // No further out than the whole range, and no closer in than a
    // thousandth of it; a drag past an end stops at the end.
    const double full = fullX_.size(), least = full / 1000.0;
    QCPRange r = range;
    if (r.size() > full) r = fullX_;
    if (r.size() < least) r = QCPRange(r.center() - least / 2, r.center() + least / 2);
    if (r.lower < fullX_.lower) r = QCPRange(fullX_.lower, fullX_.lower + r.size());
    if (r.upper > fullX_.upper) r = QCPRange(fullX_.upper - r.size(), fullX_.upper);
    if (r.lower != range.lower || r.upper != range.upper) xAxis->setRange(r);
    MarkDirty(DIRTY_ALL);
}

// ---- Legend, labels, display scale, caption ------------------------------------------------------

void KPlotBase::ShowLegend(bool on)
{
    if (on == legendShown_) return;
    legendShown_ = on;
    if (on) {
        // A row of its own above the plot area: the legend never hides a point.
        if (axisRect()->insetLayout()->elements(false).contains(legend)) axisRect()->insetLayout()->take(legend);
        plotLayout()->insertRow(0);
        plotLayout()->addElement(0, 0, legend);
        plotLayout()->setRowStretchFactor(0, 0.001);
        legend->setFillOrder(QCPLegend::foColumnsFirst);
        legend->setBorderPen(Qt::NoPen);
        legend->setBrush(Qt::NoBrush);
        legend->setMargins(QMargins(4, 2, 4, 0));
        legend->setIconSize(28, 10);
        legend->setRowSpacing(0);
        legend->setColumnSpacing(12);
        legend->setVisible(true);
    } else {
        plotLayout()->take(legend);
        plotLayout()->simplify();
        legend->setVisible(false);
    }
    MarkDirty(DIRTY_ALL);
}

void KPlotBase::NamePlottable(QCPAbstractPlottable* plottable, const QString& name)
{
    plottable->setName(name);
    if (name.isEmpty())
        plottable->removeFromLegend();
    else if (!legend->hasItemWithPlottable(plottable))
        plottable->addToLegend();
    LegendChanged();
}

void KPlotBase::LegendChanged()
{
    if (legendShown_) MarkDirty(DIRTY_ALL);
}

QStringList KPlotBase::LegendNames() const
{
    QStringList names;
    if (!legendShown_) return names;
    for (int i = 0; i < legend->itemCount(); i++)
        if (auto* item = qobject_cast<QCPPlottableLegendItem*>(legend->item(i))) names << item->plottable()->name();
    return names;
}

void KPlotBase::SetAxisLabel(int axis, const QString& label)
{
    QCPAxis* a = axis == AXIS_X ? xAxis : yAxis;
    if (a->label() == label) return;
    a->setLabel(label);
    MarkDirty(DIRTY_ALL);
}

// Ticks on round numbers of what the axis shows (millimetres), placed at
// the values they stand for (pixels).
class ScaledTicker : public QCPAxisTicker {
 public:
    double factor = 1.0, offset = 0.0;
    void generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision, QVector<double>& ticks,
                  QVector<double>* subTicks, QVector<QString>* tickLabels) override
    {
        QCPRange shown(range.lower * factor + offset, range.upper * factor + offset);
        shown.normalize();
        QCPAxisTicker::generate(shown, locale, formatChar, precision, ticks, subTicks, tickLabels);
        for (double& t : ticks) t = (t - offset) / factor;
        if (subTicks)
            for (double& t : *subTicks) t = (t - offset) / factor;
    }
};

int KPlotBase::SetDisplayScale(int axis, double factor, double offset)
{
    if (factor == 0.0 || !std::isfinite(factor) || !std::isfinite(offset)) return UIE_BAD_VALUE;
    QCPAxis* a = axis == AXIS_X ? xAxis : yAxis;
    auto scaled = a->ticker().dynamicCast<ScaledTicker>();
    if (!scaled) {
        if (factor == 1.0 && offset == 0.0) return 0;
        if (typeid(*a->ticker()) != typeid(QCPAxisTicker))
            return UIE_BAD_VALUE;  // an axis with a scale of its own (the strip chart's replies)
        scaled = QSharedPointer<ScaledTicker>::create();
        scaled->setTickCount(a->ticker()->tickCount());
        a->setTicker(scaled);
    }
    if (scaled->factor == factor && scaled->offset == offset) return 0;
    scaled->factor = factor;
    scaled->offset = offset;
    MarkDirty(DIRTY_ALL);
    return 0;
}

void KPlotBase::SetCaption(const QString& text)
{
    if (!caption_) {
        if (text.isEmpty()) return;
        // A line of its own above the plot area (and its legend), so it never
        // hides a bar; it stays once made, so the plot keeps its size.
        caption_ = new QCPTextElement(this);
        // A caption that follows the data changes with it: drawn at the
        // repaint like the plots, so a new text costs no replot.
        caption_->setLayer(cursorLayer_);
        QFont f = font();
        f.setPointSizeF(f.pointSizeF() * 0.85);
        caption_->setFont(f);
        caption_->setMargins(QMargins(2, 2, 2, 0));
        plotLayout()->insertRow(0);
        plotLayout()->addElement(0, 0, caption_);
        plotLayout()->setRowStretchFactor(0, 0.001);
        MarkDirty(DIRTY_ALL);
    }
    if (caption_->text() == text) return;
    caption_->setText(text);
    MarkDirty(DIRTY_CAPTION);
}

QString KPlotBase::Caption() const
{
    return caption_ ? caption_->text() : QString();
}

void KPlotBase::ApplyFormProperties()
{
    double lo, hi;
    if (Prop(this, "yMin", &lo) && Prop(this, "yMax", &hi) && lo < hi) yAxis->setRange(lo, hi);
    if (property("yLabel").isValid()) yAxis->setLabel(property("yLabel").toString());
    if (property("xLabel").isValid()) xAxis->setLabel(property("xLabel").toString());
    fullX_ = xAxis->range();
    MarkDirty(DIRTY_ALL);
}

// ---- [SECTION] Graph (KGraph) -------------------------------------------------------------------

KGraph::KGraph(QWidget* parent) : KPlotBase(parent)
{
    for (int i = 0; i < 3; i++) {
        QPen pen(Rgb(i == 0 ? CURSOR_ACTIVE_COLOR : CURSOR_WINDOW_COLOR));
        Cursor& c = cursors_[i];
        c.line = new QCPItemStraightLine(this);
        c.line->setLayer(cursorLayer_);
        c.line->setPen(pen);
        c.marker = new QCPItemTracer(this);
        c.marker->setLayer(cursorLayer_);
        c.marker->setStyle(QCPItemTracer::tsSquare);
        c.marker->setSize(7);
        c.marker->setPen(pen);
        c.marker->setBrush(QBrush(pen.color()));
        c.line->setVisible(false);  // a cursor appears once the program places it
        c.marker->setVisible(false);
    }
}

void KGraph::ApplyFormProperties()
{
    double lo, hi;
    if (Prop(this, "xMin", &lo) && Prop(this, "xMax", &hi) && lo < hi) xAxis->setRange(lo, hi);
    if (Prop(this, "xTicks", &lo)) xAxis->ticker()->setTickCount(int(lo));  // about so many, on round numbers
    if (property("compact").toBool()) {
        // A strip of a few dozen pixels: no y scale, thin margins.
        yAxis->setTicks(false);
        yAxis->setTickLabels(false);
        yAxis->grid()->setVisible(false);
        xAxis->grid()->setVisible(false);
    }
    KPlotBase::ApplyFormProperties();
}

int KGraph::SetRange(int axis, double min, double max)
{
    QCPAxis* a = axis == AXIS_X ? xAxis : yAxis;
    if (axis == AXIS_X) fullX_ = QCPRange(min, max);
    if (a->range().lower == min && a->range().upper == max) return 0;
    a->setRange(min, max);
    MarkDirty(DIRTY_ALL);
    return 0;
}

void KGraph::GetRange(int axis, double* min, double* max) const
{
    const QCPAxis* a = axis == AXIS_X ? xAxis : yAxis;
    *min = a->range().lower;
    *max = a->range().upper;
}

int KGraph::SetCursor(int cursor, double x, double y)
{
    Cursor& c = cursors_[cursor - 1];
    if (c.shown && c.x == x && c.y == y) return 0;
    c.x = x;
    c.y = y;
    c.shown = true;
    c.line->point1->setCoords(x, 0);
    c.line->point2->setCoords(x, 1);
    c.marker->position->setCoords(x, y);
    c.line->setVisible(true);
    c.marker->setVisible(true);
    MarkDirty(DIRTY_CURSORS);
    return 0;
}

int KGraph::GetCursor(int cursor, double* x, double* y) const
{
    *x = cursors_[cursor - 1].x;
    *y = cursors_[cursor - 1].y;
    return 0;
}

int KGraph::NextHandle()
{
    int h = nextHandle_;
    nextHandle_ = nextHandle_ == INT_MAX ? 1 : nextHandle_ + 1;
    return h;
}

static Qt::PenStyle PenStyle(int lineStyle)
{
    return lineStyle == VAL_DASH ? Qt::DashLine : lineStyle == VAL_DOT ? Qt::DotLine : Qt::SolidLine;
}

int KGraph::AddXY(std::vector<double> x, std::vector<double> y, int color, int style, int lineStyle)
{
    QPen pen(Rgb(color));
    pen.setStyle(PenStyle(lineStyle));
    QCPAbstractPlottable* plottable;
    if (style == VAL_VERTICAL_BAR) {
        // Bars as wide as the points are apart (a histogram's bins).
        auto* bars = new QCPBars(xAxis, yAxis);
        bars->setWidth(x.size() > 1 ? std::fabs(x[1] - x[0]) : 1.0);
        bars->setBrush(QBrush(Rgb(color)));
        bars->setPen(QPen(Rgb(color).darker(130)));
        bars->setData(QVector<double>(x.begin(), x.end()), QVector<double>(y.begin(), y.end()));
        plottable = bars;
    } else {
        auto* curve = new QCPCurve(xAxis, yAxis);
        curve->setPen(pen);
        curve->setData(QVector<double>(x.begin(), x.end()), QVector<double>(y.begin(), y.end()));
        plottable = curve;
    }
    plottable->setLayer("main");
    Plot p{NextHandle(), XY,       std::move(x),
           std::move(y), color,    0,
           plottable,    nullptr,  style == VAL_VERTICAL_BAR ? VAL_VERTICAL_BAR : VAL_THIN_LINE,
           lineStyle,    QString()};
    plots_.push_back(std::move(p));
    MarkDirty(DIRTY_PLOTS);
    return plots_.back().handle;
}

int KGraph::SetPlotName(int handle, const QString& name)
{
    for (Plot& p : plots_) {
        if (p.handle != handle) continue;
        if (!p.curve) return UIE_BAD_VALUE;  // a rectangle is no plottable of the legend
        p.name = name;
        NamePlottable(p.curve, name);
        return 0;
    }
    return UIE_BAD_VALUE;
}

int KGraph::AddRectangle(double x1, double y1, double x2, double y2, int color, int fillColor)
{
    // Run mode replaces every rectangle of the bar graph 27 times a second;
    // rectangles of deleted plots are kept hidden and taken again, moved to
    // the end of the plots' layer so they still draw in plotting order.
    QCPItemRect* r;
    if (!spareRects_.empty()) {
        r = spareRects_.back();
        spareRects_.pop_back();
        r->setLayer(cursorLayer_);
        r->setVisible(true);
    } else {
        r = new QCPItemRect(this);
    }
    r->setLayer("main");
    r->setPen(QPen(Rgb(color)));
    r->setBrush(QBrush(Rgb(fillColor)));
    r->topLeft->setCoords(std::min(x1, x2), std::max(y1, y2));
    r->bottomRight->setCoords(std::max(x1, x2), std::min(y1, y2));
    Plot p{NextHandle(), RECTANGLE, {x1, x2},      {y1, y2},  color,    fillColor,
           nullptr,      r,         VAL_THIN_LINE, VAL_SOLID, QString()};
    plots_.push_back(std::move(p));
    MarkDirty(DIRTY_PLOTS);
    return plots_.back().handle;
}

int KGraph::Delete(int handle)
{
    bool found = false;
    for (size_t i = plots_.size(); i-- > 0;) {
        Plot& p = plots_[i];
        if (handle != VAL_ALL_PLOTS && p.handle != handle) continue;
        if (p.curve) {
            if (!p.name.isEmpty()) LegendChanged();
            removePlottable(p.curve);
        }
        if (p.rect) {
            p.rect->setVisible(false);
            spareRects_.push_back(p.rect);
        }
        plots_.erase(plots_.begin() + long(i));
        found = true;
    }
    if (found) MarkDirty(DIRTY_PLOTS);
    return found || handle == VAL_ALL_PLOTS ? 0 : UIE_BAD_VALUE;
}

int KGraph::AddBand(std::vector<double> x, std::vector<double> low, std::vector<double> high, int color, int fillColor)
{
    // One closed outline: along the highs, back along the lows.
    const int n = int(x.size());
    QVector<double> px, py;
    px.reserve(2 * n + 1);
    py.reserve(2 * n + 1);
    for (int i = 0; i < n; i++) {
        px.push_back(x[size_t(i)]);
        py.push_back(high[size_t(i)]);
    }
    for (int i = n - 1; i >= 0; i--) {
        px.push_back(x[size_t(i)]);
        py.push_back(low[size_t(i)]);
    }
    if (n > 0) {
        px.push_back(x[0]);
        py.push_back(high[0]);
    }
    auto* curve = new QCPCurve(xAxis, yAxis);
    curve->setLayer("main");
    curve->setPen(QPen(Rgb(color)));
    curve->setBrush(QBrush(Rgb(fillColor)));
    curve->setData(px, py);
    std::vector<double> ys = std::move(low);
    ys.insert(ys.end(), high.begin(), high.end());
    Plot p{NextHandle(), BAND, std::move(x), std::move(ys), color, fillColor, curve, nullptr};
    plots_.push_back(std::move(p));
    MarkDirty(DIRTY_PLOTS);
    return plots_.back().handle;
}

// ---- [SECTION] Measuring cursors (a graph or a strip chart) -------------------------------------------------------

static const int MEASURE_COLORS[2] = {0xC000C0, 0x008080};  // cursor 1 magenta, cursor 2 teal

// A cursor's label hangs at the top beside its line, on the side with more
// room, the second a line lower, so long labels stay on the plot.
static void PlaceLabel(QCPItemText* label, double x, const QCPRange& r, int cursor)
{
    const bool right = x > r.center();
    label->setPositionAlignment(Qt::AlignTop | (right ? Qt::AlignRight : Qt::AlignLeft));
    label->setPadding(QMargins(4, 0, 4, 0));
    label->position->setCoords(x, cursor == 0 ? 0.0 : 0.07);
}

int KPlotBase::ShowMeasuring(bool on)
{
    Measuring& m = measuring_;
    if (!m.line[0]) {
        for (int i = 0; i < 2; i++) {
            QPen pen(Rgb(MEASURE_COLORS[i]));
            pen.setStyle(Qt::DashLine);
            m.line[i] = new QCPItemStraightLine(this);
            m.line[i]->setLayer(cursorLayer_);
            m.line[i]->setPen(pen);
            m.label[i] = new QCPItemText(this);
            m.label[i]->setLayer(cursorLayer_);
            m.label[i]->setColor(pen.color());
            m.label[i]->setText(QString::number(i + 1));
            m.label[i]->setPositionAlignment(Qt::AlignTop | Qt::AlignHCenter);
            m.label[i]->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        }
        // Both start inside the x range, a third and two thirds across.
        const QCPRange r = xAxis->range();
        m.x[0] = std::round(r.lower + r.size() / 3);
        m.x[1] = std::round(r.lower + 2 * r.size() / 3);
    }
    m.on = on;
    for (int i = 0; i < 2; i++) {
        m.line[i]->setVisible(on);
        m.label[i]->setVisible(on);
        m.line[i]->point1->setCoords(m.x[i], 0);
        m.line[i]->point2->setCoords(m.x[i], 1);
        PlaceLabel(m.label[i], m.x[i], xAxis->range(), i);
    }
    setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
    MarkDirty(DIRTY_CURSORS);
    return 0;
}

// The nearest snap position within reach, or x itself.
double KPlotBase::Snapped(double x) const
{
    const Measuring& m = measuring_;
    const double px = xAxis->coordToPixel(x);
    double best = x, bestDistance = m.snapPixels;
    for (double s : m.snap) {
        const double d = std::fabs(xAxis->coordToPixel(s) - px);
        if (d <= bestDistance) {
            best = s;
            bestDistance = d;
        }
    }
    return best;
}

int KPlotBase::MoveMeasuring(int cursor, double x, bool snap, bool tell)
{
    Measuring& m = measuring_;
    if (!m.line[0]) ShowMeasuring(false);
    const QCPRange r = xAxis->range();
    x = std::round(std::max(r.lower, std::min(r.upper, x)));
    if (snap) x = Snapped(x);
    m.x[cursor] = x;
    m.line[cursor]->point1->setCoords(x, 0);
    m.line[cursor]->point2->setCoords(x, 1);
    PlaceLabel(m.label[cursor], x, r, cursor);
    MarkDirty(DIRTY_CURSORS);
    if (tell && m.observer) m.observer(m.panel, m.control, cursor + 1, x);
    return 0;
}

void KPlotBase::TellMeasuring()
{
    Measuring& m = measuring_;
    if (!m.on || !m.observer) return;
    for (int i = 0; i < 2; i++) m.observer(m.panel, m.control, i + 1, m.x[i]);
}

void KPlotBase::mousePressEvent(QMouseEvent* e)
{
    Measuring& m = measuring_;
    if (!m.on || e->button() != Qt::LeftButton) {
        QCustomPlot::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const double px = e->position().x();
    const double d0 = std::fabs(xAxis->coordToPixel(m.x[0]) - px);
    const double d1 = std::fabs(xAxis->coordToPixel(m.x[1]) - px);
    m.dragging = d1 < d0 ? 1 : 0;
    m.active = m.dragging;
    MoveMeasuring(m.dragging, xAxis->pixelToCoord(px), true, true);
    e->accept();
}

void KPlotBase::mouseMoveEvent(QMouseEvent* e)
{
    Measuring& m = measuring_;
    if (m.dragging < 0) {
        QCustomPlot::mouseMoveEvent(e);
        return;
    }
    MoveMeasuring(m.dragging, xAxis->pixelToCoord(e->position().x()), true, true);
    e->accept();
}

void KPlotBase::mouseReleaseEvent(QMouseEvent* e)
{
    if (measuring_.dragging < 0) {
        QCustomPlot::mouseReleaseEvent(e);
        return;
    }
    measuring_.dragging = -1;
    e->accept();
}

void KPlotBase::keyPressEvent(QKeyEvent* e)
{
    Measuring& m = measuring_;
    if (!m.on) {
        QCustomPlot::keyPressEvent(e);
        return;
    }
    const int k = m.active;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const int step = (e->modifiers() & Qt::ShiftModifier) ? 10 : 1;
    switch (e->key()) {
        case Qt::Key_1: m.active = 0; break;
        case Qt::Key_2: m.active = 1; break;
        case Qt::Key_Left:
        case Qt::Key_Right: {
            const int dir = e->key() == Qt::Key_Right ? 1 : -1;
            if (ctrl) {
                // The next snap position that way, if there is one.
                double target = m.x[k];
                bool found = false;
                for (double s : m.snap) {
                    if ((s - m.x[k]) * dir <= 0) continue;
                    if (!found || std::fabs(s - m.x[k]) < std::fabs(target - m.x[k])) target = s;
                    found = true;
                }
                if (found) MoveMeasuring(k, target, false, true);
            } else {
                MoveMeasuring(k, m.x[k] + dir * step, false, true);
            }
            break;
        }
        default: QCustomPlot::keyPressEvent(e); return;
    }
    e->accept();
}

// Tab chooses the other cursor instead of leaving the graph while its
// cursors are shown; Shift+Tab still leaves it.
bool KPlotBase::focusNextPrevChild(bool next)
{
    if (measuring_.on && next && hasFocus() && measuring_.active == 0) {
        measuring_.active = 1;
        return true;
    }
    if (measuring_.on && next && hasFocus()) measuring_.active = 0;
    return QCustomPlot::focusNextPrevChild(next);
}

// ---- [SECTION] Strip chart (KStripChart) --------------------------------------------------------

// Tick labels that count points back from the newest (0 at the right edge).
class AgeTicker : public QCPAxisTicker {
 public:
    double newest = 0;

 protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override
    {
        return QString::number(qRound(tick - newest));
    }
};

static const int TRACE_DEFAULT_COLORS[] = {0xFF0000, 0x00A000, 0x0000FF, 0x000000,
                                           0xFF00FF, 0x00A0A0, 0xA0A000, 0x808080};

KStripChart::KStripChart(QWidget* parent) : KPlotBase(parent)
{
    xAxis->setTickLabels(false);
    xAxis->setRange(0, pps_ - 1);
    SetTraces(1);
}

void KStripChart::ApplyFormProperties()
{
    double v;
    if (Prop(this, "pointsPerScreen", &v)) SetPointsPerScreen(int(v));
    if (Prop(this, "traces", &v)) SetTraces(int(v));
    // A labelled x axis gets its scale: points before the newest.
    if (property("xLabel").isValid()) {
        auto ticker = QSharedPointer<AgeTicker>::create();
        ticker->newest = pps_ - 1;
        xAxis->setTicker(ticker);
        xAxis->setTickLabels(true);
    }
    KPlotBase::ApplyFormProperties();
}

int KStripChart::SetTraces(int n)
{
    if (n < 1 || n > 16) return UIE_BAD_VALUE;
    if (n == Traces()) return 0;
    while (Traces() > n) {
        removeGraph(traces_.back().graph);
        traces_.pop_back();
    }
    while (Traces() < n) {
        Trace t;
        t.color = TRACE_DEFAULT_COLORS[traces_.size() % 8];
        t.ring.assign(size_t(pps_), 0.0);
        t.graph = addGraph(xAxis, yAxis);
        t.graph->setLayer("main");
        ApplyPen(t);
        t.graph->setAdaptiveSampling(false);
        traces_.push_back(std::move(t));
    }
    MarkDirty(DIRTY_PLOTS);
    return 0;
}

int KStripChart::SetPointsPerScreen(int n)
{
    if (n < 2 || n > 100000) return UIE_BAD_VALUE;
    if (n == pps_) return 0;
    for (Trace& t : traces_) {
        std::vector<double> pts;
        const int cap = int(t.ring.size());
        for (int i = std::max(0, t.count - n); i < t.count; i++) pts.push_back(t.ring[size_t((t.head + i) % cap)]);
        t.ring.assign(size_t(n), 0.0);
        std::copy(pts.begin(), pts.end(), t.ring.begin());
        t.head = 0;
        t.count = int(pts.size());
    }
    pps_ = n;
    xAxis->setRange(0, pps_ - 1);
    if (auto ticker = xAxis->ticker().dynamicCast<AgeTicker>()) ticker->newest = pps_ - 1;
    for (Trace& t : traces_) SyncGraph(t);
    MarkDirty(DIRTY_ALL);
    return 0;
}

int KStripChart::SetRange(double min, double max)
{
    if (yAxis->range().lower == min && yAxis->range().upper == max) return 0;
    yAxis->setRange(min, max);
    MarkDirty(DIRTY_ALL);
    return 0;
}

void KStripChart::GetRange(int axis, double* min, double* max) const
{
    const QCPAxis* a = axis == AXIS_X ? xAxis : yAxis;
    *min = a->range().lower;
    *max = a->range().upper;
}

void KStripChart::ApplyPen(Trace& t)
{
    QPen pen(Rgb(t.color));
    pen.setStyle(PenStyle(t.lineStyle));
    t.graph->setPen(pen);
}

int KStripChart::SetTraceColor(int trace, int color)
{
    if (trace < 1 || trace > Traces()) return UIE_BAD_VALUE;
    Trace& t = traces_[size_t(trace - 1)];
    color &= 0xFFFFFF;
    if (t.color == color) return 0;
    t.color = color;
    ApplyPen(t);
    MarkDirty(DIRTY_PLOTS);
    if (!t.name.isEmpty()) LegendChanged();
    return 0;
}

int KStripChart::SetTraceLineStyle(int trace, int style)
{
    if (trace < 1 || trace > Traces() || style < VAL_SOLID || style > VAL_DOT) return UIE_BAD_VALUE;
    Trace& t = traces_[size_t(trace - 1)];
    if (t.lineStyle == style) return 0;
    t.lineStyle = style;
    ApplyPen(t);
    MarkDirty(DIRTY_PLOTS);
    if (!t.name.isEmpty()) LegendChanged();
    return 0;
}

int KStripChart::TraceLineStyle(int trace) const
{
    if (trace < 1 || trace > Traces()) return UIE_BAD_VALUE;
    return traces_[size_t(trace - 1)].lineStyle;
}

int KStripChart::SetTraceName(int trace, const QString& name)
{
    if (trace < 1 || trace > Traces()) return UIE_BAD_VALUE;
    Trace& t = traces_[size_t(trace - 1)];
    if (t.name == name) return 0;
    t.name = name;
    NamePlottable(t.graph, name);
    return 0;
}

int KStripChart::TraceColor(int trace) const
{
    if (trace < 1 || trace > Traces()) return UIE_BAD_VALUE;
    return traces_[size_t(trace - 1)].color;
}

// The lowest and highest value a trace shows; false unless it shows a full
// screen of one value, where a new point of that value changes nothing.
static bool Span(const std::vector<double>& ring, int head, int count, int cap, double* lo, double* hi)
{
    bool flat = count == cap;
    for (int i = 0; i < count; i++) {
        const double v = ring[size_t((head + i) % cap)];
        flat = flat && v == ring[size_t(head)];
        *lo = std::min(*lo, v);
        *hi = std::max(*hi, v);
    }
    return flat && count > 0;
}

void KStripChart::Append(const double* values, int points)
{
    const int n = Traces();
    // Only the rows the changed traces pass through, before and after, change.
    double lo = INFINITY, hi = -INFINITY;
    bool unknown = false;
    for (int i = 0; i < n; i++) {
        const Trace& t = traces_[size_t(i)];
        double tlo = INFINITY, thi = -INFINITY;
        bool same = Span(t.ring, t.head, t.count, pps_, &tlo, &thi);
        for (int k = 0; k < points; k++) {
            const double v = values[k * n + i];
            unknown = unknown || !std::isfinite(v);
            same = same && v == t.ring[size_t(t.head)];
            tlo = std::min(tlo, v);
            thi = std::max(thi, v);
        }
        if (same) continue;
        lo = std::min(lo, tlo);
        hi = std::max(hi, thi);
    }
    for (int k = 0; k < points; k++) {
        for (int i = 0; i < n; i++) {
            Trace& t = traces_[size_t(i)];
            const int cap = pps_;
            if (t.count < cap) {
                t.ring[size_t((t.head + t.count) % cap)] = values[k * n + i];
                t.count++;
            } else {
                t.ring[size_t(t.head)] = values[k * n + i];  // the oldest point makes room
                t.head = (t.head + 1) % cap;
            }
        }
    }
    for (Trace& t : traces_) SyncGraph(t);
    if (unknown)
        MarkDirty(DIRTY_PLOTS);
    else if (lo <= hi)
        MarkDirtyBetween(lo, hi);
    TellMeasuring();  // the replies under the cursors moved on
}

void KStripChart::Clear()
{
    for (Trace& t : traces_) {
        t.head = 0;
        t.count = 0;
        SyncGraph(t);
    }
    MarkDirty(DIRTY_PLOTS);
}

// Writes a trace's points into its graph in place (newest at the right edge), so a
// chart that is full allocates nothing per call.
void KStripChart::SyncGraph(Trace& t)
{
    // A run of equal values is drawn as one line: the band limits and the teach
    // value stay flat for most of a screen, and the raster engine's cost goes
    // with the points a line passes (the dashes run on across them alike).
    QVector<QCPGraphData> points;
    points.reserve(t.count);
    const int cap = pps_;
    auto at = [&](int i) { return t.ring[size_t((t.head + i) % cap)]; };
    for (int i = 0; i < t.count; i++) {
        const double y = at(i);
        if (i > 0 && i + 1 < t.count && y == at(i - 1) && y == at(i + 1)) continue;
        points.append(QCPGraphData(cap - t.count + i, y));
    }
    t.graph->data()->set(points, true);
}

std::vector<double> KStripChart::TracePoints(int trace) const
{
    std::vector<double> out;
    if (trace < 1 || trace > Traces()) return out;
    const Trace& t = traces_[size_t(trace - 1)];
    for (int i = 0; i < t.count; i++) out.push_back(t.ring[size_t((t.head + i) % pps_)]);
    return out;
}

// ---- [SECTION] Export (right-click menu) --------------------------------------------------------

static QString g_exportFolder;  // empty: the program's directory
static ExportObserver g_exportObserver = nullptr;

static void Tell(const QString& target, const QString& error)
{
    if (g_exportObserver) g_exportObserver(QFile::encodeName(target).constData(), error.toLatin1().constData());
}

QStringList KPlotBase::FormList(const char* name) const
{
    QString text = property(name).toString();
    return text.isEmpty() ? QStringList() : text.split(text.contains(';') ? ';' : ',');
}

void KPlotBase::FillExportMenu(QMenu* menu)
{
    struct Item {
        const char* name;
        const char* text;
        const char* format;
    };
    static const Item items[] = {
        {"exportPng", TR("Save as PNG..."), "png"},      {"exportSvg", TR("Save as SVG..."), "svg"},
        {"exportPdf", TR("Save as PDF..."), "pdf"},      {"copyPicture", TR("Copy picture"), "clipboard"},
        {"exportCsv", TR("Save data as CSV..."), "csv"},
    };
    for (const Item& item : items) {
        if (QString(item.format) == "csv") menu->addSeparator();
        QAction* a = menu->addAction(Shown(item.text));
        a->setObjectName(item.name);
        QString format = item.format;
        connect(a, &QAction::triggered, this, [this, format] { Export(format); });
    }
    // A strip chart whose program reads its cursors has them here (a graph
    // has its own switch on the panel).
    if (qobject_cast<KStripChart*>(this) && measuring_.observer) {
        menu->addSeparator();
        QAction* a = menu->addAction(Shown(TR("Measuring cursors")));
        a->setObjectName("measuringCursors");
        a->setCheckable(true);
        a->setChecked(measuring_.on);
        connect(a, &QAction::triggered, this, [this](bool on) {
            ShowMeasuring(on);
            if (on) setFocus(Qt::OtherFocusReason);
            TellMeasuring();
        });
    }
}

void KPlotBase::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    FillExportMenu(&menu);
    menu.exec(e->globalPos());
}

void KPlotBase::Export(const QString& format)
{
    if (format == "clipboard") {
        CopyPicture();
        Tell("clipboard", "");
        return;
    }
    QString folder = g_exportFolder;
    if (folder.isEmpty()) {
        char dir[260] = "";
        GetProjectDir(dir);
        folder = QFile::decodeName(dir);
    }
    char stamp[32] = "";
    WallClockStamp(stamp, sizeof stamp);
    QString name = property("exportName").toString();
    if (name.isEmpty()) name = objectName().toLower();
    QString file = QString("kvormx-%1-%2.%3").arg(name, QString::fromLatin1(stamp), format);
    QString pattern = "*." + format;
    const char* title = format == "csv"   ? TR("Save the plotted data as CSV")
                        : format == "svg" ? TR("Save the picture as SVG")
                        : format == "pdf" ? TR("Save the picture as PDF")
                                          : TR("Save the picture as PNG");
    char chosen[260] = "";
    int r = FileSelectPopup(QFile::encodeName(folder).constData(), QFile::encodeName(file).constData(),
                            pattern.toLatin1().constData(), title, 0, 0, 0, 1, 1, chosen);
    if (r <= 0) return;
    QString path = QFile::decodeName(chosen);
    g_exportFolder = QFileInfo(path).absolutePath();
    QString why;
    bool ok = format == "csv" ? SaveCsv(path, &why) : SavePicture(path, format, &why);
    Tell(path, ok ? QString() : why);
}

bool KPlotBase::SavePicture(const QString& path, const QString& format, QString* why)
{
    const int w = width() > 0 ? width() : 640, h = height() > 0 ? height() : 320;
    bool ok = false;
    if (format == "png") {
        ok = savePng(path, w, h);
    } else if (format == "pdf") {
        ok = savePdf(path, w, h);
    } else if (format == "svg") {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(QSize(w, h));
        svg.setViewBox(QRect(0, 0, w, h));
        svg.setTitle(accessibleName());
        QCPPainter painter;
        if (painter.begin(&svg)) {
            toPainter(&painter, w, h);
            ok = painter.end();
        }
        // The generator reports no write error: the file tells.
        ok = ok && QFileInfo(path).size() > 0;
    }
    if (!ok && why) *why = QString("cannot write %1").arg(path);
    return ok;
}

void KPlotBase::SetCsvSource(CsvSource source, int panel, int control)
{
    csvSource_ = source;
    csvPanel_ = panel;
    csvControl_ = control;
}

static void AppendLine(void* sink, const char* line)
{
    QString* text = static_cast<QString*>(sink);
    *text += QString::fromLatin1(line);
    *text += '\n';
}

QString KPlotBase::ExportCsvText() const
{
    if (!csvSource_) return CsvText();
    QString text;
    csvSource_(csvPanel_, csvControl_, AppendLine, &text);
    return text;
}

bool KPlotBase::SaveCsv(const QString& path, QString* why)
{
    QFile f(path);
    QByteArray text = ExportCsvText().toUtf8();
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size() || !f.flush()) {
        if (why) *why = f.errorString();
        return false;
    }
    f.close();
    if (f.error() != QFileDevice::NoError) {
        if (why) *why = f.errorString();
        return false;
    }
    return true;
}

void KPlotBase::CopyPicture()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard) clipboard->setImage(toPixmap(width(), height()).toImage());
}

// Numbers as the C locale writes them: a dot, no grouping.
static QString Num(double v)
{
    return std::isfinite(v) ? QString::number(v, 'g', 12) : QString();
}

// XY plots: one row per point, x of the first plot then each plot's y.
// Without XY plots: one row per cursor and rectangle (item, from, to).
QString KGraph::CsvText() const
{
    QStringList columns = FormList("csvColumns");
    QString out;
    std::vector<const Plot*> xy;
    for (const Plot& p : plots_)
        if (p.kind == XY) xy.push_back(&p);
    if (!xy.empty()) {
        out += columns.value(0, "x");
        size_t rows = 0;
        for (size_t k = 0; k < xy.size(); k++) {
            out += "," + columns.value(int(k) + 1, QString("y%1").arg(k + 1));
            rows = std::max(rows, xy[k]->x.size());
        }
        out += "\n";
        for (size_t i = 0; i < rows; i++) {
            out += i < xy[0]->x.size() ? Num(xy[0]->x[i]) : QString();
            for (const Plot* p : xy) out += "," + (i < p->y.size() ? Num(p->y[i]) : QString());
            out += "\n";
        }
        return out;
    }
    QStringList cursorNames = FormList("cursorNames");
    QStringList colorNames = FormList("colorNames");  // "RRGGBB=name"
    out += "item,from,to\n";
    for (int i = 0; i < 3; i++) {
        if (!cursors_[i].shown) continue;
        out += QString("%1,%2,%2\n").arg(cursorNames.value(i, QString("cursor_%1").arg(i + 1)), Num(cursors_[i].x));
    }
    for (const Plot& p : plots_) {
        if (p.kind != RECTANGLE) continue;
        QString name = "rectangle";
        QString colour = QString("%1").arg(p.fillColor, 6, 16, QChar('0')).toUpper();
        for (const QString& entry : colorNames)
            if (entry.section('=', 0, 0).trimmed().toUpper() == colour) name = entry.section('=', 1);
        out += QString("%1,%2,%3\n").arg(name, Num(std::min(p.x[0], p.x[1])), Num(std::max(p.x[0], p.x[1])));
    }
    return out;
}

// One row per point, oldest first: the x scale (0 = newest), then each trace.
QString KStripChart::CsvText() const
{
    QStringList columns = FormList("csvColumns");
    QString out = columns.value(0, "point");
    for (int t = 0; t < Traces(); t++) out += "," + columns.value(t + 1, QString("trace_%1").arg(t + 1));
    out += "\n";
    int count = traces_.empty() ? 0 : traces_[0].count;
    std::vector<std::vector<double>> points;
    for (int t = 1; t <= Traces(); t++) points.push_back(TracePoints(t));
    for (int i = 0; i < count; i++) {
        out += QString::number(i - count + 1);
        for (const auto& trace : points) out += "," + (size_t(i) < trace.size() ? Num(trace[size_t(i)]) : QString());
        out += "\n";
    }
    return out;
}

// ---- [SECTION] graph.h API helpers --------------------------------------------------------------

template <class T>
static T* PlotControl(int panel, int control, int* err, const char* what)
{
    Control* c = FindControl(panel, control, err);
    if (!c) return nullptr;
    T* w = qobject_cast<T*>(c->widget.data());
    if (!w)
        *err = Fail(UIE_TYPE_MISMATCH, QString("control %1 of panel %2 is not a %3").arg(control).arg(panel).arg(what));
    return w;
}

static bool ReadPoints(const void* data, int type, int n, int start, int step, std::vector<double>* out)
{
    out->resize(size_t(n));
    for (int i = 0; i < n; i++) {
        long idx = long(start) + long(i) * step;
        switch (type) {
            case VAL_DOUBLE: (*out)[size_t(i)] = static_cast<const double*>(data)[idx]; break;
            case VAL_UNSIGNED_SHORT_INTEGER: (*out)[size_t(i)] = static_cast<const uint16_t*>(data)[idx]; break;
            case VAL_UNSIGNED_INTEGER: (*out)[size_t(i)] = static_cast<const uint32_t*>(data)[idx]; break;
            default: return false;
        }
    }
    return true;
}

static bool ValidType(int t)
{
    return t == VAL_DOUBLE || t == VAL_UNSIGNED_SHORT_INTEGER || t == VAL_UNSIGNED_INTEGER;
}

}  // namespace kvr

using namespace kvr;

// ---- [SECTION] graph.h API ----------------------------------------------------------------------

int SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    if (!c) return err;
    if (mode != VAL_MANUAL)
        return Fail(UIE_BAD_VALUE, QString("scaling mode %1: only manual (0) is supported").arg(mode));
    if (axis != AXIS_X && axis != AXIS_Y) return Fail(UIE_BAD_VALUE, QString("no axis %1").arg(axis));
    if (!(min < max) || !std::isfinite(min) || !std::isfinite(max))
        return Fail(UIE_BAD_VALUE,
                    QString("axis range %1..%2 refused: the minimum must be below the maximum").arg(min).arg(max));
    if (auto* g = qobject_cast<KGraph*>(c->widget.data())) return g->SetRange(axis, min, max);
    if (auto* s = qobject_cast<KStripChart*>(c->widget.data())) {
        if (axis != AXIS_Y) return Fail(UIE_BAD_VALUE, "a strip chart's x axis is its points per screen");
        return s->SetRange(min, max);
    }
    return Fail(UIE_TYPE_MISMATCH, QString("control %1 is not a graph or strip chart").arg(control));
}

int GetAxisRange(int panel, int control, int axis, double* min, double* max)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    if (!c) return err;
    if (axis != AXIS_X && axis != AXIS_Y) return Fail(UIE_BAD_VALUE, QString("no axis %1").arg(axis));
    if (auto* g = qobject_cast<KGraph*>(c->widget.data())) {
        g->GetRange(axis, min, max);
        return 0;
    }
    if (auto* s = qobject_cast<KStripChart*>(c->widget.data())) {
        s->GetRange(axis, min, max);
        return 0;
    }
    return Fail(UIE_TYPE_MISMATCH, QString("control %1 is not a graph or strip chart").arg(control));
}

int SetGraphCursor(int panel, int control, int cursor, double x, double y)
{
    int err;
    KGraph* g = PlotControl<KGraph>(panel, control, &err, "graph");
    if (!g) return err;
    if (cursor < 1 || cursor > 3) return Fail(UIE_BAD_VALUE, QString("no cursor %1").arg(cursor));
    return g->SetCursor(cursor, x, y);
}

int GetGraphCursor(int panel, int control, int cursor, double* x, double* y)
{
    int err;
    KGraph* g = PlotControl<KGraph>(panel, control, &err, "graph");
    if (!g) return err;
    if (cursor < 1 || cursor > 3) return Fail(UIE_BAD_VALUE, QString("no cursor %1").arg(cursor));
    return g->GetCursor(cursor, x, y);
}

int DeleteGraphPlot(int panel, int control, int plot, int refresh)
{
    (void)refresh;  // every change is repainted at the next event processing
    int err;
    KGraph* g = PlotControl<KGraph>(panel, control, &err, "graph");
    if (!g) return err;
    if (g->Delete(plot) < 0) return Fail(UIE_BAD_VALUE, QString("graph %1 has no plot %2").arg(control).arg(plot));
    return 0;
}

int PlotXY(int panel, int control, const void* x, const void* y, int n, int xType, int yType, int plotStyle,
           int pointStyle, int lineStyle, int pointFrequency, int color)
{
    (void)pointStyle;
    (void)pointFrequency;  // a line or bars, never markers
    int err;
    KGraph* g = PlotControl<KGraph>(panel, control, &err, "graph");
    if (!g) return err;
    if (!x || !y || n <= 0) return Fail(UIE_BAD_VALUE, QString("PlotXY needs points, got %1").arg(n));
    if (!ValidType(xType) || !ValidType(yType))
        return Fail(UIE_BAD_VALUE, QString("data types %1/%2 not supported").arg(xType).arg(yType));
    std::vector<double> xs, ys;
    ReadPoints(x, xType, n, 0, 1, &xs);
    ReadPoints(y, yType, n, 0, 1, &ys);
    if (lineStyle < VAL_SOLID || lineStyle > VAL_DOT) lineStyle = VAL_SOLID;
    return g->AddXY(std::move(xs), std::move(ys), color, plotStyle, lineStyle);
}

int PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2, int color, int fillColor)
{
    int err;
    KGraph* g = PlotControl<KGraph>(panel, control, &err, "graph");
    if (!g) return err;
    return g->AddRectangle(x1, y1, x2, y2, color & 0xFFFFFF, fillColor & 0xFFFFFF);
}

int PlotBand(int panel, int control, const void* x, const void* low, const void* high, int n, int dataType, int color,
             int fillColor)
{
    int err;
    KGraph* g = PlotControl<KGraph>(panel, control, &err, "graph");
    if (!g) return err;
    if (!x || !low || !high || n <= 0) return Fail(UIE_BAD_VALUE, QString("PlotBand needs points, got %1").arg(n));
    if (!ValidType(dataType)) return Fail(UIE_BAD_VALUE, QString("data type %1 not supported").arg(dataType));
    std::vector<double> xs, lo, hi;
    ReadPoints(x, dataType, n, 0, 1, &xs);
    ReadPoints(low, dataType, n, 0, 1, &lo);
    ReadPoints(high, dataType, n, 0, 1, &hi);
    return g->AddBand(std::move(xs), std::move(lo), std::move(hi), color & 0xFFFFFF, fillColor & 0xFFFFFF);
}

int ShowMeasureCursors(int panel, int control, int on)
{
    int err;
    KPlotBase* g = PlotControl<KPlotBase>(panel, control, &err, "graph or strip chart");
    if (!g) return err;
    g->Measure().panel = panel;
    g->Measure().control = control;
    return g->ShowMeasuring(on != 0);
}

int SetMeasureCursor(int panel, int control, int cursor, double x)
{
    int err;
    KPlotBase* g = PlotControl<KPlotBase>(panel, control, &err, "graph or strip chart");
    if (!g) return err;
    if (cursor < 1 || cursor > 2) return Fail(UIE_BAD_VALUE, QString("no measuring cursor %1").arg(cursor));
    return g->MoveMeasuring(cursor - 1, x, false, false);
}

int GetMeasureCursor(int panel, int control, int cursor, double* x)
{
    int err;
    KPlotBase* g = PlotControl<KPlotBase>(panel, control, &err, "graph or strip chart");
    if (!g) return err;
    if (cursor < 1 || cursor > 2) return Fail(UIE_BAD_VALUE, QString("no measuring cursor %1").arg(cursor));
    if (!g->Measure().line[0]) g->ShowMeasuring(false);
    *x = g->Measure().x[cursor - 1];
    return 0;
}

int SetMeasureSnap(int panel, int control, const double* positions, int n, double pixels)
{
    int err;
    KPlotBase* g = PlotControl<KPlotBase>(panel, control, &err, "graph or strip chart");
    if (!g) return err;
    g->Measure().snap.assign(positions, positions + (n > 0 ? n : 0));
    g->Measure().snapPixels = pixels;
    return 0;
}

int SetMeasureCursorObserver(int panel, int control, MeasureCursorObserver observer)
{
    int err;
    KPlotBase* g = PlotControl<KPlotBase>(panel, control, &err, "graph or strip chart");
    if (!g) return err;
    g->Measure().panel = panel;
    g->Measure().control = control;
    g->Measure().observer = observer;
    return 0;
}

int SetMeasureCursorLabel(int panel, int control, int cursor, const char* text)
{
    int err;
    KPlotBase* g = PlotControl<KPlotBase>(panel, control, &err, "graph or strip chart");
    if (!g) return err;
    if (cursor < 1 || cursor > 2 || !text) return Fail(UIE_BAD_VALUE, QString("no measuring cursor %1").arg(cursor));
    if (!g->Measure().label[0]) g->ShowMeasuring(false);
    g->Measure().label[cursor - 1]->setText(Shown(QString::fromLatin1(text)));
    g->MarkDirty(KPlotBase::DIRTY_CURSORS);
    return 0;
}

int PlotStripChart(int panel, int control, const void* data, int n, int start, int skip, int dataType)
{
    int err;
    KStripChart* s = PlotControl<KStripChart>(panel, control, &err, "strip chart");
    if (!s) return err;
    if (!data || n <= 0 || start < 0 || skip < 0) return Fail(UIE_BAD_VALUE, "PlotStripChart: no data");
    if (n % s->Traces() != 0)
        return Fail(UIE_BAD_VALUE, QString("%1 values are not a multiple of %2 traces").arg(n).arg(s->Traces()));
    if (!ValidType(dataType)) return Fail(UIE_BAD_VALUE, QString("data type %1 not supported").arg(dataType));
    // Scratch kept between calls: run mode hands 500 values 27 times a second.
    static std::vector<double> values;
    ReadPoints(data, dataType, n, start, skip + 1, &values);
    s->Append(values.data(), n / s->Traces());
    return 0;
}

int ClearStripChart(int panel, int control)
{
    int err;
    KStripChart* s = PlotControl<KStripChart>(panel, control, &err, "strip chart");
    if (!s) return err;
    s->Clear();
    return 0;
}

int SetTraceAttribute(int panel, int control, int trace, int attribute, int value)
{
    int err;
    KStripChart* s = PlotControl<KStripChart>(panel, control, &err, "strip chart");
    if (!s) return err;
    if (attribute != ATTR_TRACE_COLOR && attribute != ATTR_LINE_STYLE)
        return Fail(UIE_BAD_ATTRIBUTE, QString("trace attribute %1 not supported").arg(attribute));
    int rc = attribute == ATTR_TRACE_COLOR ? s->SetTraceColor(trace, value) : s->SetTraceLineStyle(trace, value);
    if (rc < 0)
        return Fail(UIE_BAD_VALUE,
                    QString("strip chart %1 has no trace %2 or no style %3").arg(control).arg(trace).arg(value));
    return 0;
}

int SetTraceAttribute(int panel, int control, int trace, int attribute, const char* text)
{
    int err;
    KStripChart* s = PlotControl<KStripChart>(panel, control, &err, "strip chart");
    if (!s) return err;
    if (attribute != ATTR_TRACE_NAME)
        return Fail(UIE_BAD_ATTRIBUTE, QString("trace attribute %1 takes no text").arg(attribute));
    if (s->SetTraceName(trace, QString::fromLatin1(text ? text : "")) < 0)
        return Fail(UIE_BAD_VALUE, QString("strip chart %1 has no trace %2").arg(control).arg(trace));
    return 0;
}

int SetPlotAttribute(int panel, int control, int plot, int attribute, const char* text)
{
    int err;
    KGraph* g = PlotControl<KGraph>(panel, control, &err, "graph");
    if (!g) return err;
    if (attribute != ATTR_PLOT_NAME) return Fail(UIE_BAD_ATTRIBUTE, QString("plot attribute %1").arg(attribute));
    if (g->SetPlotName(plot, QString::fromLatin1(text ? text : "")) < 0)
        return Fail(UIE_BAD_VALUE, QString("graph %1 has no curve %2").arg(control).arg(plot));
    return 0;
}

int SetAxisDisplayScale(int panel, int control, int axis, double factor, double offset)
{
    int err;
    KPlotBase* p = PlotControl<KPlotBase>(panel, control, &err, "graph or strip chart");
    if (!p) return err;
    if (axis != AXIS_X && axis != AXIS_Y) return Fail(UIE_BAD_VALUE, QString("no axis %1").arg(axis));
    if (p->SetDisplayScale(axis, factor, offset) < 0)
        return Fail(UIE_BAD_VALUE,
                    QString("display scale %1, %2 refused for axis %3").arg(factor).arg(offset).arg(axis));
    return 0;
}

int SetExportCsvSource(int panel, int control, CsvSource source)
{
    int err;
    KPlotBase* p = PlotControl<KPlotBase>(panel, control, &err, "graph or strip chart");
    if (!p) return err;
    p->SetCsvSource(source, panel, control);
    return 0;
}

void SetExportFolder(const char* dir)
{
    g_exportFolder = QFile::decodeName(dir ? dir : "");
}

void SetExportObserver(ExportObserver fn)
{
    g_exportObserver = fn;
}
