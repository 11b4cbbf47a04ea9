// The drawings on the form's graphs that a parameter set and a measurement
// both make: the video curve with its threshold line and its pixel axis, and
// the tolerance band of a parameter set on the bar graph.
#include "form/form.h"

#include "link/record.h"

#include "runtime/graph.h"
#include "runtime/ui.h"

const int RED = 0xFF0000;         // video curve
const int DARK_GREEN = 0x008000;  // threshold line

void SetVideoAxis(int windowed, int first)
{
    if (windowed) {
        SetAxisScalingMode(panelHandle, PANEL_GRAPH_VIDEO, AXIS_X, VAL_MANUAL, first, first + 256.0);
        for (int i = 0; i < 256; i++) xArray[i] = static_cast<uint16_t>(first + i);
        return;
    }
    // The 256 samples cover the whole line.
    const int step = LineSampleStep();
    SetAxisScalingMode(panelHandle, PANEL_GRAPH_VIDEO, AXIS_X, VAL_MANUAL, 1.0, ccdmaxpixel);
    for (int i = 0; i < 256; i++) xArray[i] = static_cast<uint16_t>(step * i);
}

void PlotVIDEOCurve(const uint16_t* samples)
{
    SetAxisScalingMode(panelHandle, PANEL_GRAPH_VIDEO, AXIS_Y, VAL_MANUAL, 0.0, 1023.0);
    DeleteGraphPlot(panelHandle, PANEL_GRAPH_VIDEO, VAL_ALL_PLOTS, 1);
    // The curve first, the threshold line over it.
    PlotXY(panelHandle, PANEL_GRAPH_VIDEO, xArray, samples, 256, VAL_UNSIGNED_SHORT_INTEGER, VAL_UNSIGNED_SHORT_INTEGER,
           5, 10, 0, 1, RED);
    PlotXY(panelHandle, PANEL_GRAPH_VIDEO, xArray, thdArray, 256, VAL_UNSIGNED_SHORT_INTEGER,
           VAL_UNSIGNED_SHORT_INTEGER, 5, 10, 0, 1, DARK_GREEN);
}

void PlotToleranceBand(void)
{
    // Signed: a tolerance wider than the teach value starts left of pixel 0;
    // nothing is clamped here.
    int lo = static_cast<int>(tVal) - static_cast<int>(tTol);
    int hi = static_cast<int>(tVal) + static_cast<int>(tTol);
    PlotRectangle(panelHandle, PANEL_GRAPH_BAR, lo, 0.0, hi, TOL_BAND_HEIGHT, BAND_COLOR, BAND_COLOR);
}
