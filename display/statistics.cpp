// Statistics of the run: the measured value over the replies since Run (or
// since the Reset button), as numbers and as a histogram with the band
// marked, and the distance of the two edges, from which a calibration takes
// a gauge's width in pixels. A sink of the records. The panel shows them a
// few times a second while the loop runs (faster than anyone reads, far
// slower than the line) and exactly as they stand when it ends.
#include "display/display.h"

#include "form/form.h"
#include "link/link.h"
#include "link/record.h"
#include "link/statistics.h"
#include "runtime/graph.h"
#include "runtime/translate.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <cstdio>

const double REFRESH_SECONDS = 0.25;
const int VALUE_BINS = 1025;     // one per pixel value 0..1024; larger values count in the last
const int MAX_BARS = 48;         // bars the histogram draws at most; wider runs share a bar between pixels
const int BAR_COLOR = 0x3060C0;  // the histogram's bars
const int BAND_FILL = 0xC8EEC8;  // the band behind them
const int BAND_EDGE = 0x008000;

static ValueStatistics g_run;       // the measured value
static ValueStatistics g_distance;  // right - left edge, replies with both edges
static long g_bins[VALUE_BINS];
static double g_shownAt;  // Timer() of the last refresh
static int g_fresh;       // took a reply since RunStatisticsFresh last said so

void ClearRunStatistics(void)
{
    ResetStatistics(&g_run);
    ResetStatistics(&g_distance);
    for (long& b : g_bins) b = 0;
    g_fresh = 0;
    g_shownAt = 0.0;
}

void ResetRunStatistics(void)
{
    ClearRunStatistics();
    ShowRunStatistics();
}

const ValueStatistics* RunStatistics(void)
{
    return &g_run;
}

const ValueStatistics* RunEdgeDistance(void)
{
    return &g_distance;
}

int RunStatisticsFresh(void)
{
    const int fresh = g_fresh;
    g_fresh = 0;
    return fresh;
}

void StatisticNumber(char* out, int size, double value, int isLength, int decimals)
{
    // A pixel's decimals, and two more in millimetres (a pixel is some 25 um).
    if (ShowingMillimetres())
        FixedText(out, size, isLength ? LengthMm(value) : PositionMm(value), decimals + (decimals ? 2 : 3));
    else
        FixedText(out, size, value, decimals);
}

// ---- The histogram ------------------------------------------------------------------------------

static double g_barX[MAX_BARS + 1], g_barY[MAX_BARS + 1];

static void DrawHistogram(void)
{
    DeleteGraphPlot(panelHandle, PANEL_GRAPH_HISTOGRAM, VAL_ALL_PLOTS, 0);
    if (g_run.count == 0) {
        SetCtrlAttribute(panelHandle, PANEL_GRAPH_HISTOGRAM, ATTR_GRAPH_CAPTION, "");
        return;
    }
    int lower, upper;
    BandLimits(g_run.teach, g_run.tolerance, &lower, &upper);
    // The values and the band, with a bar's room either side, widened to
    // steps of 16 pixels so that a slowly moving value does not move the axis
    // with every new extreme.
    int lo = g_run.minimum < lower ? g_run.minimum : lower;
    int hi = g_run.maximum > upper ? g_run.maximum : upper;
    lo -= lo % 16;
    hi += 15 - hi % 16;
    if (lo < 0) lo = 0;
    if (hi >= VALUE_BINS) hi = VALUE_BINS - 1;
    const int width = (hi - lo + MAX_BARS) / MAX_BARS;  // pixels a bar: 1, 2, ...
    int bars = 0;
    long tallest = 1;
    for (int from = lo; from <= hi && bars <= MAX_BARS; from += width, bars++) {
        long n = 0;
        for (int v = from; v < from + width && v < VALUE_BINS; v++) n += g_bins[v];
        g_barX[bars] = from + (width - 1) / 2.0;
        g_barY[bars] = static_cast<double>(n);
        if (n > tallest) tallest = n;
    }
    // The height steps 1, 2, 5, 10, 20, ... above the tallest bar: the axes
    // stay put while the counts grow, and the histogram is not drawn anew whole.
    double top = 1.0;
    for (int step = 0; top < tallest * 1.15; step++) top *= step % 3 == 1 ? 2.5 : 2.0;
    SetAxisScalingMode(panelHandle, PANEL_GRAPH_HISTOGRAM, AXIS_X, VAL_MANUAL, lo - width, hi + width);
    SetAxisScalingMode(panelHandle, PANEL_GRAPH_HISTOGRAM, AXIS_Y, VAL_MANUAL, 0.0, top);
    PlotRectangle(panelHandle, PANEL_GRAPH_HISTOGRAM, lower - 0.5, 0.0, upper + 0.5, top, BAND_EDGE, BAND_FILL);
    PlotXY(panelHandle, PANEL_GRAPH_HISTOGRAM, g_barX, g_barY, bars, VAL_DOUBLE, VAL_DOUBLE, VAL_VERTICAL_BAR, 0,
           VAL_SOLID, 1, BAR_COLOR);

    // What the picture says when it is exported on its own.
    char caption[96], cpk[32] = "-";
    double cp, k;
    if (StatisticsCapability(&g_run, &cp, &k)) FixedText(cpk, sizeof cpk, k, 2);
    std::snprintf(caption, sizeof caption, TR("n %ld   Cpk %s"), g_run.count, cpk);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_HISTOGRAM, ATTR_GRAPH_CAPTION, caption);
}

// ---- The numbers --------------------------------------------------------------------------------

static void Show(int control, const char* text)
{
    SetCtrlVal(panelHandle, control, text);
}

static void ShowCalibrationBasis(void)
{
    char text[160];
    if (g_distance.count == 0) {
        std::snprintf(text, sizeof text, TR("Run with the gauge in view, Stop, enter its width and calibrate."));
    } else {
        char mean[32];
        FixedText(mean, sizeof mean, g_distance.mean, 2);
        std::snprintf(text, sizeof text, TR("The last run: the edges %s pixels apart on average over %ld replies."),
                      mean, g_distance.count);
    }
    SetCtrlVal(panelPopUp, POPUP_MM_INFO, text);
}

void ShowRunStatistics(void)
{
    g_shownAt = Timer();
    char text[64];
    std::snprintf(text, sizeof text, "%ld", g_run.count);
    Show(PANEL_STAT_COUNT, text);
    if (g_run.count == 0) {
        const int controls[] = {PANEL_STAT_MEAN, PANEL_STAT_SD,    PANEL_STAT_MIN, PANEL_STAT_MAX,
                                PANEL_STAT_OUT,  PANEL_STAT_SHARE, PANEL_STAT_CP,  PANEL_STAT_CPK};
        for (int c : controls) Show(c, "-");
    } else {
        StatisticNumber(text, sizeof text, g_run.mean, 0, 2);
        Show(PANEL_STAT_MEAN, text);
        if (g_run.count > 1)
            StatisticNumber(text, sizeof text, StatisticsSd(&g_run), 1, 2);
        else
            std::snprintf(text, sizeof text, "-");
        Show(PANEL_STAT_SD, text);
        StatisticNumber(text, sizeof text, g_run.minimum, 0, 0);
        Show(PANEL_STAT_MIN, text);
        StatisticNumber(text, sizeof text, g_run.maximum, 0, 0);
        Show(PANEL_STAT_MAX, text);
        std::snprintf(text, sizeof text, "%ld", g_run.outOfBand);
        Show(PANEL_STAT_OUT, text);
        char share[32];
        FixedText(share, sizeof share, 100.0 * static_cast<double>(g_run.outOfBand) / static_cast<double>(g_run.count),
                  2);
        std::snprintf(text, sizeof text, "%s %%", share);
        Show(PANEL_STAT_SHARE, text);
        double cp, cpk;
        const int capable = StatisticsCapability(&g_run, &cp, &cpk);
        if (capable) FixedText(text, sizeof text, cp, 2);
        Show(PANEL_STAT_CP, capable ? text : "-");
        if (capable) FixedText(text, sizeof text, cpk, 2);
        Show(PANEL_STAT_CPK, capable ? text : "-");
    }
    DrawHistogram();
    ShowCalibrationBasis();
}

// ---- The sink -----------------------------------------------------------------------------------

static void TakeMeasurement(const MeasurementRecord* r)
{
    AddToStatistics(&g_run, r);
    g_bins[r->value < 0 ? 0 : (r->value >= VALUE_BINS ? VALUE_BINS - 1 : r->value)]++;
    if (r->left_edge && r->right_edge) {
        MeasurementRecord d = *r;
        d.value = r->right_edge - r->left_edge;
        AddToStatistics(&g_distance, &d);
    }
    g_fresh = 1;
    if (Timer() - g_shownAt >= REFRESH_SECONDS) ShowRunStatistics();
}

static void LoopEnded(int, int)
{
    ShowRunStatistics();
}

static const RecordSink kStatisticsSink = {TakeMeasurement, nullptr, nullptr, nullptr, LoopEnded};

void AddStatisticsSink(void)
{
    AddRecordSink(&kStatisticsSink);
}

int CC_BTNStatReset(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) ResetRunStatistics();
    return 0;
}
