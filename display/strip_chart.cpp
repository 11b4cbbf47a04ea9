// Five-trace strip chart of run mode: band limits, teach value, measured
// value and the analog-mode value, the last 100 samples newest at the right.
#include "display/display.h"

#include "link/link.h"
#include "link/record.h"

#include "form/form.h"
#include "link/state.h"
#include "runtime/graph.h"
#include "runtime/translate.h"
#include "runtime/ui.h"

#include <cmath>
#include <cstdio>
#include <cstring>

const int ARRAY_TOO_SHORT = -20003;
const int SHIFT_TOO_FAR = -20102;

// The band's two limits share their green and are dashed. The analog-mode
// value is the measured value itself in analog mode 0 and is drawn over it:
// blue and dotted, so the red line shows through.
const int kChartTraceColors[TRACES] = {0x008000, 0x008000, 0x000000, 0xFF0000, 0x0060D0};
const int kChartTraceStyles[TRACES] = {VAL_DASH, VAL_DASH, VAL_SOLID, VAL_SOLID, VAL_DOT};
const char* const kChartTraceNames[TRACES] = {TR_NOOP("Upper limit"), TR_NOOP("Lower limit"), TR_NOOP("Teach value"),
                                              TR_NOOP("Measured value"), TR_NOOP("Analog output")};
const char* const kChartTraceColumns[TRACES] = {"upper_limit", "lower_limit", "teach_value", "measured_value",
                                                "analog_value"};

double arrayNORM[HISTORY_LEN];

// When each sample of arrayNORM was taken, aged with it; only the newest
// `g_measured` samples came from replies, the rest is the zeros the history
// starts with.
static char g_sampleTime[HISTORY_SAMPLES][RECORD_TIME_LEN];
static double g_sampleSeconds[HISTORY_SAMPLES];
static int g_measured;
static char g_nextTime[RECORD_TIME_LEN];  // NoteChartSampleTime, for the next sample
static double g_nextSeconds;

void ResetDisplayState(void)
{
    for (double& v : arrayNORM) v = 0.0;
    g_measured = 0;
    g_nextTime[0] = '\0';
    g_nextSeconds = 0.0;
    ClearRunHistory();
    ClearRunStatistics();
}

void NoteChartSampleTime(const char* utc, double seconds)
{
    CopyText(g_nextTime, RECORD_TIME_LEN, utc);
    g_nextSeconds = seconds;
}

int MeasuredChartSamples(void)
{
    return g_measured;
}

// The samples that were measured, oldest first, each with its time; the
// zeros before the first reply are no replies and are left out.
static void ChartCsv(int, int, CsvLineWriter write, void* sink)
{
    char line[512];
    int n = std::snprintf(line, sizeof line, "time,seconds,reply");
    for (const char* name : kChartTraceColumns) n += std::snprintf(line + n, sizeof line - n, ",%s", name);
    write(sink, line);
    for (int k = HISTORY_SAMPLES - g_measured; k < HISTORY_SAMPLES; k++) {
        char seconds[32];
        FixedText(seconds, sizeof seconds, g_sampleSeconds[k], 3);
        n = std::snprintf(line, sizeof line, "%s,%s,%d", g_sampleTime[k], g_sampleTime[k][0] ? seconds : "",
                          k - (HISTORY_SAMPLES - 1));
        for (int t = 0; t < TRACES; t++) {
            char v[32];
            const double value = arrayNORM[k * TRACES + t];
            if (value == std::floor(value))
                std::snprintf(v, sizeof v, "%.0f", value);  // pixels are whole; no ".0" after them
            else
                ShortFixedText(v, sizeof v, value, 3);
            n += std::snprintf(line + n, sizeof line - n, ",%s", v);
        }
        write(sink, line);
    }
}

// ---- The chart's measuring cursors ------------------------------------------------------------
// They stand at an age (replies before the newest) while the replies run
// under them; each label says the reply's measured value there, the second
// also how far it lies from the first, in replies and in the value.

// The sample under chart position x: the chart holds HISTORY_SAMPLES + 1
// points, the newest at the right edge; -1 where no reply was measured.
static int SampleAt(double x)
{
    const int k = static_cast<int>(std::lround(x)) - 1;
    if (k < 0 || k >= HISTORY_SAMPLES || !g_sampleTime[k][0]) return -1;
    return k;
}

// One label; with `from` (the other cursor's sample) also the distance to it.
static void CursorLabel(int cursor, double x, int from, double fromX, char* text, int size)
{
    const size_t n = static_cast<size_t>(size);
    const int age = HISTORY_SAMPLES - static_cast<int>(std::lround(x));
    const int k = SampleAt(x);
    if (k < 0) {
        std::snprintf(text, n, TR("%d: %d replies back, no reply"), cursor, age);
        return;
    }
    const double value = arrayNORM[k * TRACES + 3];
    const int apart = static_cast<int>(std::lround(x - fromX));
    const double diff = from >= 0 ? value - arrayNORM[from * TRACES + 3] : 0;
    if (ScaleKnown() && from >= 0)
        std::snprintf(text, n, TR("%d: %d replies back, %.0f pixels (%.3f mm); %+d replies, %+.3f mm from 1"), cursor,
                      age, value, PositionMm(value), apart, LengthMm(diff));
    else if (ScaleKnown())
        std::snprintf(text, n, TR("%d: %d replies back, %.0f pixels (%.3f mm)"), cursor, age, value, PositionMm(value));
    else if (from >= 0)
        std::snprintf(text, n, TR("%d: %d replies back, %.0f pixels; %+d replies, %+.0f pixels from 1"), cursor, age,
                      value, apart, diff);
    else
        std::snprintf(text, n, TR("%d: %d replies back, %.0f pixels"), cursor, age, value);
}

static void StripCursorMoved(int panel, int control, int, double)
{
    double x[2];
    for (int i = 0; i < 2; i++) GetMeasureCursor(panel, control, i + 1, &x[i]);
    char text[160];
    CursorLabel(1, x[0], -1, 0, text, sizeof text);
    SetMeasureCursorLabel(panel, control, 1, text);
    CursorLabel(2, x[1], SampleAt(x[0]), x[0], text, sizeof text);
    SetMeasureCursorLabel(panel, control, 2, text);
}

void InitStripChart(void)
{
    SetMeasureCursorObserver(panelHandle, PANEL_GRAPH_RAW, StripCursorMoved);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_NUM_TRACES, TRACES);
    for (int tr = 0; tr < TRACES; tr++) {
        SetTraceAttribute(panelHandle, PANEL_GRAPH_RAW, tr + 1, ATTR_TRACE_COLOR, kChartTraceColors[tr]);
        SetTraceAttribute(panelHandle, PANEL_GRAPH_RAW, tr + 1, ATTR_LINE_STYLE, kChartTraceStyles[tr]);
        SetTraceAttribute(panelHandle, PANEL_GRAPH_RAW, tr + 1, ATTR_TRACE_NAME, kChartTraceNames[tr]);
    }
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_LEGEND_VISIBLE, 1);
    SetExportCsvSource(panelHandle, PANEL_GRAPH_RAW, ChartCsv);
}

int Copy1D(const double* x, int n, double* y)
{
    if (n < 1) return ARRAY_TOO_SHORT;
    for (int i = 0; i < n; i++) y[i] = x[i];
    return 0;
}

// Copies in the direction that lets x and y be the same array.
int Shift(const double* x, int n, int m, double* y)
{
    if (n < 1) return ARRAY_TOO_SHORT;
    if (m >= n || -m >= n) return SHIFT_TOO_FAR;
    if (m == 0) return Copy1D(x, n, y);
    if (m > 0) {
        for (int i = n - 1 - m; i >= 0; i--) y[i + m] = x[i];
        for (int i = 0; i < m; i++) y[i] = 0.0;
    } else {
        int s = -m;
        for (int i = 0; i <= n - 1 - s; i++) y[i] = x[i + s];
        for (int i = n - s; i < n; i++) y[i] = 0.0;
    }
    return 0;
}

void StripZoomRange(int* low, int* high)
{
    int t = tVal, tol = tTol, mv = Mvalue;
    int lo, hi;
    if (tol < 10) {
        lo = t - 40;
        hi = t + 40;
        if (mv > hi) hi = mv + 20;
        if (mv < lo) lo = mv - 20;
    } else {
        lo = t - 4 * tol;
        hi = t + 4 * tol;
        if (mv > hi) hi = mv + 50;
        if (mv < lo) lo = mv - 50;
    }
    if (hi > 1023) hi = 1023;
    if (lo < 1) lo = 1;
    // A teach value past the end of the scale clamps to an empty or inverted
    // range, which no axis can show: the whole line then.
    if (lo >= hi) {
        lo = 0;
        hi = ccdmaxpixel;
    }
    *low = lo;
    *high = hi;
}

static double AnalogModeValue(void)
{
    switch (anaMode) {
        case 0: return Mvalue;
        case 1:
        case 3: return anaMax;
        case 2:
        case 4: return anaMin == 1023 ? 1 : anaMin;
        default: return 0;
    }
}

void PlotRAWGraph(void)
{
    double ana = AnalogModeValue();
    Shift(arrayNORM, HISTORY_LEN, -TRACES, arrayNORM);
    // The sample's time ages with it.
    for (int k = 0; k < HISTORY_SAMPLES - 1; k++) {
        std::memcpy(g_sampleTime[k], g_sampleTime[k + 1], RECORD_TIME_LEN);
        g_sampleSeconds[k] = g_sampleSeconds[k + 1];
    }
    CopyText(g_sampleTime[HISTORY_SAMPLES - 1], RECORD_TIME_LEN, g_nextTime);
    g_sampleSeconds[HISTORY_SAMPLES - 1] = g_nextSeconds;
    g_nextTime[0] = '\0';
    if (g_measured < HISTORY_SAMPLES) g_measured++;

    int lower, upper;
    BandLimits(tVal, tTol, &lower, &upper);
    int low, high;
    StripZoomRange(&low, &high);

    double* sample = arrayNORM + HISTORY_LEN - TRACES;
    sample[0] = upper;
    sample[1] = lower;
    sample[2] = tVal;
    sample[3] = Mvalue;
    sample[4] = ana;

    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_POINTS_PER_SCREEN, HISTORY_SAMPLES + 1);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_STRIP_SCROLL, 1);
    int zoom = 0;
    GetCtrlVal(panelHandle, PANEL_STRIP_ZOOM, &zoom);
    if (zoom == 0)
        SetAxisScalingMode(panelHandle, PANEL_GRAPH_RAW, AXIS_Y, VAL_MANUAL, 0.0, ccdmaxpixel);
    else
        SetAxisScalingMode(panelHandle, PANEL_GRAPH_RAW, AXIS_Y, VAL_MANUAL, low, high);
    // The chart comes with one trace: the five must exist before they can
    // take their colours, or the first reply would be drawn in stock colours.
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_NUM_TRACES, TRACES);
    for (int tr = 0; tr < TRACES; tr++)
        SetTraceAttribute(panelHandle, PANEL_GRAPH_RAW, tr + 1, ATTR_TRACE_COLOR, kChartTraceColors[tr]);
    PlotStripChart(panelHandle, PANEL_GRAPH_RAW, arrayNORM, HISTORY_LEN, 0, 0, VAL_DOUBLE);
}
