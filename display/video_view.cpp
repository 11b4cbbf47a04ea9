// What video mode shows beyond the latest picture, for the technician at the
// line: the moving average and its min/max envelope, a reference signal
// under the live curve (or the difference to it), and two cursors that
// measure on the curve. The threshold line and the bar graph's edges are
// drawn as always; with none of this switched on the curve is drawn exactly
// as PlotVIDEOCurve draws it.
//
// A reference is remembered per sensor (by the port's device and the line
// length) in the settings, and loaded again when that sensor is set up.
//
// Index:
//   [SECTION] State
//   [SECTION] Drawing
//   [SECTION] Cursors
//   [SECTION] Reference
//   [SECTION] Callbacks
#include "display/display.h"

#include "form/form.h"
#include "link/average.h"
#include "link/link.h"
#include "link/reference.h"
#include "runtime/filewriter.h"
#include "runtime/graph.h"
#include "runtime/rs232.h"
#include "runtime/settings.h"
#include "runtime/translate.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <cstdio>
#include <cstring>

// ---- [SECTION] State ----------------------------------------------------------------------------

const int REFERENCE_COLOR = 0x0060FF;  // the reference curve, and the zero line of the difference
const int ENVELOPE_COLOR = 0xFFA0A0;   // outline of the envelope
const int ENVELOPE_FILL = 0xFFE0E0;    // its shading
const double SNAP_PIXELS = 8.0;        // a cursor this near (screen pixels) to an edge lies on it

static PictureAverage g_average;                                  // the latest whole pictures
static PictureRecord g_newest;                                    // the newest picture as it came
static int g_haveNewest = 0;                                      // 1 once a picture came
static uint16_t g_shown[PICTURE_SAMPLES];                         // the curve shown: the newest picture or the average
static uint16_t g_low[PICTURE_SAMPLES], g_high[PICTURE_SAMPLES];  // the envelope
static int g_averaged = 0;                                        // pictures in g_shown
static int g_averageCount = 1;                                    // the operator's choice: 1, 2, 4, 8, 16
static int g_envelope = 0;                                        // the envelope switch
static int g_difference = 0;                                      // the difference switch
static int g_cursors = 0;                                         // the cursors switch
static Reference g_reference;                                     // the reference loaded or saved last
static int g_referenceOn = 0;                                     // 1 while g_reference is drawn
static char g_referencePath[PATH_LEN];                            // its file

void ResetVideoView(void)
{
    ClearAverage(&g_average);
    g_haveNewest = 0;
    g_averaged = 0;
    g_averageCount = 1;
    g_envelope = g_difference = g_cursors = 0;
    g_referenceOn = 0;
    g_referencePath[0] = '\0';
    SetCurrentReference(nullptr);
}

// ---- [SECTION] Drawing --------------------------------------------------------------------------

static void ShowStatus(const char* text)
{
    SetCtrlVal(panelHandle, PANEL_STATUS, text);
}

// The reference is drawn only where it lies where the pictures lie now.
static int ReferenceShown(void)
{
    if (!g_referenceOn) return 0;
    int first, step;
    SampleGeometry(&first, &step);
    char why[160];
    return ReferenceFits(&g_reference, ccdmaxpixel, first, step, why, sizeof why);
}

// The curve shown: the average while more than one picture is asked for,
// else adcbuf as it is (a picture whose block did not come whole included).
static const uint16_t* ShownCurve(void)
{
    return g_averageCount > 1 && g_averaged ? g_shown : adcbuf;
}

static void DrawVideo(void)
{
    const uint16_t* curve = ShownCurve();
    const int reference = ReferenceShown();
    if (!reference && !(g_envelope && g_averaged)) {
        PlotVIDEOCurve(curve);
        return;
    }
    static double x[PICTURE_SAMPLES], y[PICTURE_SAMPLES], lo[PICTURE_SAMPLES], hi[PICTURE_SAMPLES];
    static double zero[PICTURE_SAMPLES];
    const int difference = reference && g_difference;
    for (int i = 0; i < PICTURE_SAMPLES; i++) {
        const double base = difference ? g_reference.picture.samples[i] : 0.0;
        x[i] = xArray[i];
        y[i] = curve[i] - base;
        lo[i] = g_low[i] - base;
        hi[i] = g_high[i] - base;
        zero[i] = 0.0;
    }
    if (difference)
        SetAxisScalingMode(panelHandle, PANEL_GRAPH_VIDEO, AXIS_Y, VAL_MANUAL, -1023.0, 1023.0);
    else
        SetAxisScalingMode(panelHandle, PANEL_GRAPH_VIDEO, AXIS_Y, VAL_MANUAL, 0.0, 1023.0);
    DeleteGraphPlot(panelHandle, PANEL_GRAPH_VIDEO, VAL_ALL_PLOTS, 1);
    // Under the live curve: the reference (or its zero line), then the envelope.
    if (reference) {
        if (difference)
            PlotXY(panelHandle, PANEL_GRAPH_VIDEO, x, zero, PICTURE_SAMPLES, VAL_DOUBLE, VAL_DOUBLE, 5, 10, 0, 1,
                   REFERENCE_COLOR);
        else
            PlotXY(panelHandle, PANEL_GRAPH_VIDEO, xArray, g_reference.picture.samples, PICTURE_SAMPLES,
                   VAL_UNSIGNED_SHORT_INTEGER, VAL_UNSIGNED_SHORT_INTEGER, 5, 10, 0, 1, REFERENCE_COLOR);
    }
    if (g_envelope && g_averaged)
        PlotBand(panelHandle, PANEL_GRAPH_VIDEO, x, lo, hi, PICTURE_SAMPLES, VAL_DOUBLE, ENVELOPE_COLOR, ENVELOPE_FILL);
    PlotXY(panelHandle, PANEL_GRAPH_VIDEO, x, y, PICTURE_SAMPLES, VAL_DOUBLE, VAL_DOUBLE, 5, 10, 0, 1, 0xFF0000);
    PlotXY(panelHandle, PANEL_GRAPH_VIDEO, xArray, thdArray, PICTURE_SAMPLES, VAL_UNSIGNED_SHORT_INTEGER,
           VAL_UNSIGNED_SHORT_INTEGER, 5, 10, 0, 1, 0x008000);
}

static void Recompute(void)
{
    g_averaged = AverageOf(&g_average, g_averageCount, g_shown, g_low, g_high);
}

static void UpdateCursors(void);

void ShowVideoPicture(const PictureRecord* p)
{
    g_newest = *p;
    g_haveNewest = 1;
    if (p->complete) AddToAverage(&g_average, p->samples, p->first_pixel, p->pixel_step);
    Recompute();
    DrawVideo();
    if (g_cursors) UpdateCursors();
}

void RedrawVideo(void)
{
    DrawVideo();
    if (g_cursors) UpdateCursors();
}

// ---- [SECTION] Cursors --------------------------------------------------------------------------

// The signal shown at pixel x: the sample nearest to it.
static int SignalAt(double x)
{
    int first, step;
    SampleGeometry(&first, &step);
    int i = static_cast<int>((x - first) / step + 0.5);
    if (i < 0) i = 0;
    if (i >= PICTURE_SAMPLES) i = PICTURE_SAMPLES - 1;
    return ShownCurve()[i];
}

static void UpdateCursors(void)
{
    // The edges the sensor reported are where a cursor snaps to.
    double edges[2];
    int n = 0;
    if (Ledge) edges[n++] = Ledge;
    if (Redge && Redge != Ledge) edges[n++] = Redge;
    SetMeasureSnap(panelHandle, PANEL_GRAPH_VIDEO, edges, n, SNAP_PIXELS);
    double x[2];
    char text[128];
    for (int k = 0; k < 2; k++) {
        GetMeasureCursor(panelHandle, PANEL_GRAPH_VIDEO, k + 1, &x[k]);
        const int signal = SignalAt(x[k]);
        // The signal against the threshold: "<", "=" or ">" its value.
        const char* against = signal > thdArray[0] ? ">" : signal < thdArray[0] ? "<" : "=";
        int edge = 0;
        for (int e = 0; e < n; e++) edge |= edges[e] == x[k];
        std::snprintf(text, sizeof text, TR("%d: pixel %d%s, signal %d %s %d"), k + 1, static_cast<int>(x[k]),
                      edge ? TR(" (edge)") : "", signal, against, int{thdArray[0]});
        SetCtrlVal(panelHandle, k == 0 ? PANEL_CURSOR1 : PANEL_CURSOR2, text);
    }
    const int d = static_cast<int>(x[1] > x[0] ? x[1] - x[0] : x[0] - x[1]);
    if (ScaleKnown())
        std::snprintf(text, sizeof text, TR("Distance %d pixels, %.3f mm"), d, d * mm_per_pixel);
    else
        std::snprintf(text, sizeof text, TR("Distance %d pixels"), d);
    SetCtrlVal(panelHandle, PANEL_DISTANCE, text);
}

static void CursorMoved(int, int, int, double)
{
    UpdateCursors();
}

// ---- [SECTION] Reference ------------------------------------------------------------------------

// The reference drawn from now on (and the one the support file carries), from `path`.
static void UseReference(const Reference& reference, const char* path)
{
    g_reference = reference;
    g_referenceOn = 1;
    SetCurrentReference(&g_reference);
    CopyText(g_referencePath, PATH_LEN, path);
}

// A reference from the file, if it fits the line as it is now; the text
// says what happened. 1 taken, 0 refused.
static int TakeReferenceFile(const char* path, int remembered)
{
    static Reference loaded;
    char text[PATH_LEN + 200];
    if (LoadReference(path, &loaded) != 0) {
        std::snprintf(text, sizeof text, TR("Reference not loaded: %s"), ReferenceError());
        ShowStatus(text);
        return 0;
    }
    int first, step;
    SampleGeometry(&first, &step);
    char why[160];
    if (!ReferenceFits(&loaded, ccdmaxpixel, first, step, why, sizeof why)) {
        std::snprintf(text, sizeof text, TR("Reference refused: %s"), why);
        ShowStatus(text);
        return 0;
    }
    UseReference(loaded, path);
    // The remembered one comes in quietly with the set-up, whose own text
    // (the firmware, or what failed) must stay; the blue curve shows it.
    if (remembered) return 1;
    std::snprintf(text, sizeof text, TR("Reference loaded: %s"), path);
    ShowStatus(text);
    return 1;
}

static void RememberReference(const char* path)
{
    char key[PATH_LEN + 32];
    ReferenceSettingKey(key, sizeof key);
    PutSetting(key, path);
}

// A sensor set up: its remembered reference, if it has one.
static void SensorIdentified(const IdentityRecord*)
{
    char key[PATH_LEN + 32], path[PATH_LEN];
    ReferenceSettingKey(key, sizeof key);
    if (!GetSetting(key, path, sizeof path) || !path[0]) return;
    if (g_referenceOn && std::strcmp(path, g_referencePath) == 0) return;
    if (TakeReferenceFile(path, 1)) RedrawVideo();
}

static const RecordSink kVideoViewSink = {nullptr, nullptr, SensorIdentified, nullptr, nullptr};

void AddVideoViewSink(void)
{
    AddRecordSink(&kVideoViewSink);
}

// ---- [SECTION] Callbacks ------------------------------------------------------------------------

int CC_RING_Average(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int index = 0;
    GetCtrlVal(panelHandle, PANEL_AVERAGE, &index);
    g_averageCount = 1 << (index < 0 ? 0 : index > 4 ? 4 : index);
    Recompute();
    RedrawVideo();
    return 0;
}

int CC_SW_Envelope(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    GetCtrlVal(panelHandle, PANEL_ENVELOPE, &g_envelope);
    RedrawVideo();
    return 0;
}

int CC_SW_Difference(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    GetCtrlVal(panelHandle, PANEL_REF_DIFF, &g_difference);
    if (g_difference && !g_referenceOn) ShowStatus(TR("No reference loaded: the difference needs one."));
    RedrawVideo();
    return 0;
}

int CC_SW_Cursors(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    GetCtrlVal(panelHandle, PANEL_CURSORS, &g_cursors);
    SetMeasureCursorObserver(panelHandle, PANEL_GRAPH_VIDEO, CursorMoved);
    ShowMeasureCursors(panelHandle, PANEL_GRAPH_VIDEO, g_cursors);
    if (g_cursors) {
        UpdateCursors();
    } else {
        SetCtrlVal(panelHandle, PANEL_CURSOR1, "");
        SetCtrlVal(panelHandle, PANEL_CURSOR2, "");
        SetCtrlVal(panelHandle, PANEL_DISTANCE, "");
    }
    return 0;
}

int CC_BTNSaveReference(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    if (!g_haveNewest || !g_averaged) {
        ShowStatus(TR("No video picture yet: start Video first."));
        return 0;
    }
    char name[PATH_LEN], stamp[32], path[RT_PATH_LEN] = "";
    WallClockStamp(stamp, sizeof stamp);
    std::snprintf(name, sizeof name, "kvormx-reference-%s.csv", stamp);
    if (FileSelectPopup(proj_dir, name, "*.csv", TR("Save as reference"), 0, 0, 0, 1, 1, path) <= 0 || !path[0])
        return 0;
    static Reference taken;
    TakeReference(&taken, &g_newest, g_shown, g_averaged);
    char text[RT_PATH_LEN + 200];
    if (SaveReference(path, &taken) != 0) {
        std::snprintf(text, sizeof text, TR("Reference not saved: %s"), ReferenceError());
        ShowStatus(text);
        return 0;
    }
    UseReference(taken, path);
    RememberReference(path);
    std::snprintf(text, sizeof text, TR("Reference saved (%d pictures averaged): %s"), g_averaged, path);
    ShowStatus(text);
    RedrawVideo();
    return 0;
}

int CC_BTNLoadReference(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    char path[RT_PATH_LEN] = "";
    if (FileSelectPopup(proj_dir, "", "*.csv", TR("Load reference"), 2, 0, 0, 1, 0, path) <= 0 || !path[0]) return 0;
    if (TakeReferenceFile(path, 0)) {
        RememberReference(path);
        RedrawVideo();
    }
    return 0;
}
