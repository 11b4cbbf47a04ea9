// The run's history: every run-mode reply since Run in bounded memory (the
// strip chart shows the last hundred), and its view, which holds the chart
// still and shows the whole run over its time; the operator zooms with the
// wheel and pans by dragging, and Live brings the live display back.
//
// The view is drawn when it is asked for, from the buckets: each trace as
// its least and greatest value per bucket, which keeps every excursion of an
// eight-hour run visible however few pixels the chart has.
#include "display/display.h"

#include "form/form.h"
#include "link/record.h"
#include "link/state.h"
#include "runtime/graph.h"
#include "runtime/ui.h"

#include <cstdio>

static HistoryBucket g_buckets[HISTORY_BUCKETS];
static int g_count;       // buckets in use; the last one may be partly filled
static long g_perBucket;  // replies a full bucket holds
static long g_replies;
static int g_shown;        // the history is shown in place of the live display
static int g_liveControl;  // the graph the history replaced

void ClearRunHistory(void)
{
    g_count = 0;
    g_perBucket = 1;
    g_replies = 0;
}

// Neighbours into one: half the buckets, each holding twice the replies.
static void Halve(void)
{
    for (int i = 0; i < g_count / 2; i++) {
        const HistoryBucket& a = g_buckets[2 * i];
        const HistoryBucket& b = g_buckets[2 * i + 1];
        HistoryBucket m = a;
        m.to = b.to;
        m.replies = a.replies + b.replies;
        for (int t = 0; t < TRACES; t++) {
            if (b.least[t] < m.least[t]) m.least[t] = b.least[t];
            if (b.most[t] > m.most[t]) m.most[t] = b.most[t];
        }
        g_buckets[i] = m;
    }
    g_count /= 2;
    g_perBucket *= 2;
}

void AddToRunHistory(double seconds, const double* sample)
{
    if (g_count > 0 && g_buckets[g_count - 1].replies < g_perBucket) {
        HistoryBucket& b = g_buckets[g_count - 1];
        b.to = seconds;
        b.replies++;
        for (int t = 0; t < TRACES; t++) {
            const float v = static_cast<float>(sample[t]);
            if (v < b.least[t]) b.least[t] = v;
            if (v > b.most[t]) b.most[t] = v;
        }
    } else {
        if (g_count == HISTORY_BUCKETS) Halve();
        HistoryBucket& b = g_buckets[g_count++];
        b.from = b.to = seconds;
        b.replies = 1;
        for (int t = 0; t < TRACES; t++) b.least[t] = b.most[t] = static_cast<float>(sample[t]);
    }
    g_replies++;
}

long RunHistoryReplies(void)
{
    return g_replies;
}

int RunHistoryBucketCount(void)
{
    return g_count;
}

long RunHistoryRepliesPerBucket(void)
{
    return g_perBucket;
}

const HistoryBucket* RunHistoryBucket(int index)
{
    return index >= 0 && index < g_count ? &g_buckets[index] : nullptr;
}

// ---- The view -----------------------------------------------------------------------------------

// Each trace through its least and greatest value of every bucket, in time order.
static double g_x[2 * HISTORY_BUCKETS], g_y[2 * HISTORY_BUCKETS];

static void DrawHistory(void)
{
    DeleteGraphPlot(panelHandle, PANEL_GRAPH_HISTORY, VAL_ALL_PLOTS, 0);
    double end = g_count ? g_buckets[g_count - 1].to : 0.0;
    if (end < 1.0) end = 1.0;
    SetAxisScalingMode(panelHandle, PANEL_GRAPH_HISTORY, AXIS_X, VAL_MANUAL, 0.0, end);

    // The y axis as the live chart has it: the whole line, or around the band.
    double low = 0.0, high = ccdmaxpixel;
    int zoom = 0;
    GetCtrlVal(panelHandle, PANEL_STRIP_ZOOM, &zoom);
    if (zoom && g_count) {
        low = 1e9;
        high = -1e9;
        for (int i = 0; i < g_count; i++)
            for (int t = 0; t < 4; t++) {
                if (g_buckets[i].least[t] < low) low = g_buckets[i].least[t];
                if (g_buckets[i].most[t] > high) high = g_buckets[i].most[t];
            }
        const double margin = (high - low) * 0.05 + 5.0;
        low -= margin;
        high += margin;
    }
    SetAxisScalingMode(panelHandle, PANEL_GRAPH_HISTORY, AXIS_Y, VAL_MANUAL, low, high);
    // A legend without a trace would leave the plot area a sliver of its width.
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_HISTORY, ATTR_LEGEND_VISIBLE, g_count > 0);
    if (!g_count) return;
    for (int t = 0; t < TRACES; t++) {
        int n = 0;
        for (int i = 0; i < g_count; i++) {
            const HistoryBucket& b = g_buckets[i];
            const double at = (b.from + b.to) / 2;
            g_x[n] = at;
            g_y[n++] = b.least[t];
            if (b.most[t] != b.least[t]) {
                g_x[n] = at;
                g_y[n++] = b.most[t];
            }
        }
        int plot = PlotXY(panelHandle, PANEL_GRAPH_HISTORY, g_x, g_y, n, VAL_DOUBLE, VAL_DOUBLE, VAL_THIN_LINE, 0,
                          kChartTraceStyles[t], 1, kChartTraceColors[t]);
        if (plot > 0) SetPlotAttribute(panelHandle, PANEL_GRAPH_HISTORY, plot, ATTR_PLOT_NAME, kChartTraceNames[t]);
    }
}

void ShowRunHistory(int on)
{
    on = on ? 1 : 0;
    SetCtrlVal(panelHandle, PANEL_HISTORY, on);
    SetCtrlAttribute(panelHandle, PANEL_LIVE, ATTR_DIMMED, !on);
    if (on == g_shown) {
        if (on) DrawHistory();  // asked again: the run so far, anew
        return;
    }
    g_shown = on;
    if (on) {
        int videoShown = 0;
        GetCtrlAttribute(panelHandle, PANEL_GRAPH_VIDEO, ATTR_VISIBLE, &videoShown);
        g_liveControl = videoShown ? PANEL_GRAPH_VIDEO : PANEL_GRAPH_RAW;
        DrawHistory();
        SetCtrlAttribute(panelHandle, g_liveControl, ATTR_VISIBLE, 0);
        // The video tools work on the video graph: the history takes their room.
        if (g_liveControl == PANEL_GRAPH_VIDEO) SetCtrlAttribute(panelHandle, PANEL_VIDEO_TOOLS, ATTR_VISIBLE, 0);
        SetCtrlAttribute(panelHandle, PANEL_GRAPH_HISTORY, ATTR_VISIBLE, 1);
    } else {
        SetCtrlAttribute(panelHandle, PANEL_GRAPH_HISTORY, ATTR_VISIBLE, 0);
        SetCtrlAttribute(panelHandle, g_liveControl, ATTR_VISIBLE, 1);
        if (g_liveControl == PANEL_GRAPH_VIDEO) SetCtrlAttribute(panelHandle, PANEL_VIDEO_TOOLS, ATTR_VISIBLE, 1);
    }
}

int RunHistoryShown(void)
{
    return g_shown;
}

// One row per bucket: its time span, its replies, and each trace's least
// and greatest value (the same while a bucket holds one reply).
static void HistoryCsv(int, int, CsvLineWriter write, void* sink)
{
    char line[512];
    int n = std::snprintf(line, sizeof line, "seconds_from,seconds_to,replies");
    for (const char* name : kChartTraceColumns)
        n += std::snprintf(line + n, sizeof line - n, ",%s_min,%s_max", name, name);
    write(sink, line);
    for (int i = 0; i < g_count; i++) {
        const HistoryBucket& b = g_buckets[i];
        char from[32], to[32];
        FixedText(from, sizeof from, b.from, 3);
        FixedText(to, sizeof to, b.to, 3);
        n = std::snprintf(line, sizeof line, "%s,%s,%ld", from, to, b.replies);
        for (int t = 0; t < TRACES; t++) {
            char least[32], most[32];
            ShortFixedText(least, sizeof least, b.least[t], 3);
            ShortFixedText(most, sizeof most, b.most[t], 3);
            n += std::snprintf(line + n, sizeof line - n, ",%s,%s", least, most);
        }
        write(sink, line);
    }
}

void InitRunHistory(void)
{
    g_shown = 0;
    g_liveControl = PANEL_GRAPH_VIDEO;
    ClearRunHistory();
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_HISTORY, ATTR_LEGEND_VISIBLE, 1);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_HISTORY, ATTR_ZOOM_PAN, 1);
    SetExportCsvSource(panelHandle, PANEL_GRAPH_HISTORY, HistoryCsv);
}

int CC_TOGGBTN_History(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int on = 0;
    GetCtrlVal(panelHandle, PANEL_HISTORY, &on);
    ShowRunHistory(on);
    return 0;
}

int CC_BTNLive(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    ShowRunHistory(0);
    return 0;
}
