// Bar graph of the line and the result indicators, from one measurement reply.
// Red bars mark the line outside the detected edges, cursor 1 the evaluated
// edge, cursors 2 and 3 the evaluation window, green bands the tolerance.
#include "display/display.h"

#include "form/form.h"
#include "link/record.h"
#include "link/state.h"
#include "runtime/graph.h"
#include "runtime/ui.h"

const int BAR_RED = 0xFF0000;
const double BAR_LOW = 0.25, BAR_HIGH = 1.0;    // red bars
const double BAND_LOW = 0.0, BAND_HIGH = 0.35;  // green bands of a measurement
const double CURSOR_Y = 0.75;

static void Bar(int from, int to)
{
    PlotRectangle(panelHandle, PANEL_GRAPH_BAR, from, BAR_LOW, to, BAR_HIGH, BAR_RED, BAR_RED);
}

static void Band(int from, int to)
{
    PlotRectangle(panelHandle, PANEL_GRAPH_BAR, from, BAND_LOW, to, BAND_HIGH, BAND_COLOR, BAND_COLOR);
}

// A measured value outside its tolerance band shows white on red, so it
// stands out from across the room.
static void MarkValueOutsideBand(void)
{
    const int outside = !InBand(Mvalue, tVal, tTol);
    const int controls[] = {PANEL_MVALUE, PANEL_MVALUE_2};
    for (int c : controls) {
        SetCtrlAttribute(panelHandle, c, ATTR_TEXT_BGCOLOR, outside ? OUT_OF_BAND_COLOR : -1);
        SetCtrlAttribute(panelHandle, c, ATTR_TEXT_COLOR, outside ? 0xFFFFFF : -1);
    }
}

void PlotVIDEOBarGraph(void)
{
    int edgePos;
    if (eMode == 0)
        edgePos = Ledge;
    else if (eMode == 1)
        edgePos = Redge;
    else
        edgePos = (Ledge == 0 || Redge == 0) ? 1 : (Ledge + Redge) / 2;

    SetCtrlVal(panelHandle, PANEL_LEDGE, Ledge);
    SetCtrlVal(panelHandle, PANEL_REDGE, Redge);
    SetCtrlVal(panelHandle, PANEL_MVALUE, Mvalue);
    SetCtrlVal(panelHandle, PANEL_MVALUE_2, Mvalue);
    MarkValueOutsideBand();
    SetCtrlVal(panelHandle, PANEL_TEACH_SHOW, tVal);
    SetCtrlVal(panelHandle, PANEL_TOLERANCE_SHOW, tTol);
    SetCtrlVal(panelHandle, PANEL_ANAMAX, anaMax);
    if (anaMin == 1023) anaMin = 1;  // the sensor's "no minimum yet"
    SetCtrlVal(panelHandle, PANEL_ANAMIN, anaMin);

    if (ccdMode == 1) {
        pixB = pix1;
        pixE = static_cast<uint16_t>(pix1 + 256);
        SetAxisScalingMode(panelHandle, PANEL_GRAPH_BAR, AXIS_X, VAL_MANUAL, pix1, pix1 + 256.0);
    } else {
        pixB = 1;
        pixE = ccdmaxpixel;
        SetAxisScalingMode(panelHandle, PANEL_GRAPH_BAR, AXIS_X, VAL_MANUAL, 1.0, ccdmaxpixel);
        SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 2, eBeg, CURSOR_Y);
        SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 3, eEnd, CURSOR_Y);
    }

    DeleteGraphPlot(panelHandle, PANEL_GRAPH_BAR, VAL_ALL_PLOTS, 0);

    if (edgePos < pixB) edgePos = pixB;
    if (edgePos > pixE) edgePos = pixE;
    if (edgePos < 1) edgePos = 1;
    if (edgePos > 1024) edgePos = 1024;
    SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 1, edgePos, CURSOR_Y);

    // A single edge is always Ledge; mvstart/mvend say which side is covered.
    if (edcnt == 1) {
        if (mvstart < mvend)
            Bar(Ledge, pixE);
        else
            Bar(pixB, Ledge);
    } else {
        Bar(pixB, Ledge);
        Bar(Redge, pixE);
    }

    if (eMode == 2) {
        // tVal is the nominal distance of the two edges around the measured
        // centre; each edge may deviate by half of tTol.
        if (edcnt != 0) {
            int h = tVal / 2, t = tTol / 2;
            int b1 = edgePos - h - t, e1 = edgePos - h + t;
            if (b1 < 0) b1 = 1;
            if (e1 > 1023) e1 = 1024;
            Band(b1, e1);
            Band(edgePos + h - t, edgePos + h + t);
        }
    } else {
        int b = static_cast<int>(tVal) - static_cast<int>(tTol);
        int e = static_cast<int>(tVal) + static_cast<int>(tTol);
        if (b < 0) b = 1;
        if (e > 1023) e = 1024;
        Band(b, e);
    }
}
