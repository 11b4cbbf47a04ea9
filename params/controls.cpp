// Immediate feedback while the operator edits parameters. The panels are the
// working copy: apart from the right edge, nothing here writes a parameter
// variable; GetPanelValues collects them before a Send or a file write.
#include "params/params.h"

#include "form/form.h"
#include "link/state.h"
#include "runtime/graph.h"
#include "runtime/ui.h"

static uint16_t ReadU16(int panel, int control)
{
    uint16_t v = 0;
    GetCtrlVal(panel, control, &v);
    return v;
}

// The cursor shows the left edge limited to the bar graph's range; the entry
// keeps what was typed.
int CC_NEDITEdgeLeft(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int v = ReadU16(panelHandle, PANEL_EDGE_LEFT);
    if (v < pixB) v = pixB;
    if (v > pixE) v = pixE;
    SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 2, v, 1.0);
    return 0;
}

// The right edge is limited to the line length in the entry and in eEnd too.
int CC_NEDITEdgeRight(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int v = ReadU16(panelHandle, PANEL_EDGE_RIGHT);
    if (v > ccdmaxpixel) {
        v = ccdmaxpixel;
        eEnd = ccdmaxpixel;
        SetCtrlVal(panelHandle, PANEL_EDGE_RIGHT, v);
    }
    SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 3, v, 1.0);
    return 0;
}

int CC_NEDITTolerance(int, int, int event, void*, int, int)
{
    if (event != EVENT_VAL_CHANGED) return 0;
    SetCtrlVal(panelHandle, PANEL_TOLERANCE_SHOW, ReadU16(panelHandle, PANEL_TOLERANCE));
    return 0;
}

int CC_NEDITTeach(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    SetCtrlVal(panelHandle, PANEL_TEACH_SHOW, ReadU16(panelHandle, PANEL_TEACH));
    return 0;
}

int CC_TOGGBTN_ParaII(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int on = 0;
    GetCtrlVal(panelHandle, PANEL_PARAII, &on);
    if (on == 0)
        HidePanel(panelPopUp);
    else
        DisplayPanel(panelPopUp);
    return 0;
}

// The pop-up's close box hides it and raises the toggle, so that the next
// press of "More parameters" shows it again.
int CC_POPUP(int, int event, void*, int, int)
{
    if (event != EVENT_CLOSE) return 0;
    HidePanel(panelPopUp);
    SetCtrlVal(panelHandle, PANEL_PARAII, 0);
    return 0;
}

// While the tolerance comes from the sensor's potentiometer, the entry is dimmed.
int CC_BIN_Sw_EnableTol(int, int, int event, void*, int, int)
{
    if (event != EVENT_VAL_CHANGED) return 0;
    SetCtrlAttribute(panelHandle, PANEL_TOLERANCE, ATTR_DIMMED, ReadU16(panelPopUp, POPUP_ENABLE_TOL) == 1);
    return 0;
}

// Keeps the 256-pixel window v..v+255 inside the line. The limit never goes
// below the first pixel, also for lines shorter than 256 pixels.
int CC_NSLIDE_PixelStart(int, int, int event, void*, int, int)
{
    if (event != EVENT_VAL_CHANGED) return 0;
    int v = ReadU16(panelPopUp, POPUP_PIXELSTART);
    int limit = static_cast<int>(ccdmaxpixel) - 255;
    if (limit < 1) limit = 1;
    if (v > limit) {
        v = limit;
        SetCtrlVal(panelPopUp, POPUP_PIXELSTART, v);
    }
    SetCtrlVal(panelPopUp, POPUP_PIXELEND, v + 255);
    return 0;
}

int CC_RING_CCDMode(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int mode = ReadU16(panelPopUp, POPUP_CCDMODE);
    int windowed = mode == 1;
    SetCtrlAttribute(panelPopUp, POPUP_PIXELSTART, ATTR_DIMMED, !windowed);
    SetCtrlAttribute(panelPopUp, POPUP_PIXELEND, ATTR_DIMMED, !windowed);
    if (mode == 0) {
        pixB = 1;
        pixE = ccdmaxpixel;
    }
    return 0;
}

// The gain reaches the sensor with the next Send; nothing to show meanwhile.
int CC_BIN_Switch_VGain(int, int, int, void*, int, int)
{
    return 0;
}
