// Video curve and threshold line on the video graph.
#include "display/display.h"

#include "app/panels.h"
#include "app/state.h"
#include "runtime/graph.h"
#include "runtime/ui.h"

const int RED = 0xFF0000;             // video curve
const int DARK_GREEN = 0x008000;      // threshold line

void SetVideoAxis(int windowed, int first)
{
    if (windowed) {
        SetAxisScalingMode(panelHandle, PANEL_GRAPH_VIDEO, AXIS_X, VAL_MANUAL, first, first + 256.0);
        for (int i = 0; i < 256; i++) xArray[i] = static_cast<uint16_t>(first + i);
        return;
    }
    // The 256 samples cover the whole line: every 4th pixel of 1024, every
    // 2nd of 512, and every pixel of a 256-pixel line (spreading those over
    // twice the line would push half the curve off the axis).
    int step = ccdmaxpixel == 1024 ? 4 : (ccdmaxpixel == 256 ? 1 : 2);
    SetAxisScalingMode(panelHandle, PANEL_GRAPH_VIDEO, AXIS_X, VAL_MANUAL, 1.0, ccdmaxpixel);
    for (int i = 0; i < 256; i++) xArray[i] = static_cast<uint16_t>(step * i);
}

void PlotVIDEOCurve(const uint16_t* samples)
{
    SetAxisScalingMode(panelHandle, PANEL_GRAPH_VIDEO, AXIS_Y, VAL_MANUAL, 0.0, 1023.0);
    DeleteGraphPlot(panelHandle, PANEL_GRAPH_VIDEO, VAL_ALL_PLOTS, 1);
    // The curve first, the threshold line over it.
    PlotXY(panelHandle, PANEL_GRAPH_VIDEO, xArray, samples, 256, VAL_UNSIGNED_SHORT_INTEGER,
           VAL_UNSIGNED_SHORT_INTEGER, 5, 10, 0, 1, RED);
    PlotXY(panelHandle, PANEL_GRAPH_VIDEO, xArray, thdArray, 256, VAL_UNSIGNED_SHORT_INTEGER,
           VAL_UNSIGNED_SHORT_INTEGER, 5, 10, 0, 1, DARK_GREEN);
}

// Moves the threshold line over the live curve; the sensor gets the new
// threshold only when the parameters are sent.
int CC_SLIDEVideoThreshold(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    uint16_t value = vThd;
    GetCtrlVal(panelHandle, PANEL_VIDEO_THRESHOLD, &value);
    for (int i = 0; i < 256; i++) thdArray[i] = value;
    PlotVIDEOCurve(adcbuf);
    return 0;
}
