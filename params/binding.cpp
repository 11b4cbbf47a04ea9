// Binding of the parameter set to the two panels: collect the operator's
// values, and show a parameter set with its range rules applied.
#include "params/params.h"

#include "form/form.h"
#include "link/link.h"
#include "link/state.h"
#include "runtime/graph.h"
#include "runtime/ui.h"

#include <cstdio>

const int GREY = 0xA0A0A0;  // evaluation window on the bar graph

void GetPanelValues(void)
{
    GetCtrlVal(panelHandle, PANEL_POWER, &power);
    GetCtrlVal(panelHandle, PANEL_RS232MODE, &rs232Mode);
    GetCtrlVal(panelHandle, PANEL_VIDEO_THRESHOLD, &vThd);
    GetCtrlVal(panelHandle, PANEL_POLARITY, &polarity);
    GetCtrlVal(panelHandle, PANEL_EDGEMODE, &eMode);
    GetCtrlVal(panelHandle, PANEL_EDGE_LEFT, &eBeg);
    GetCtrlVal(panelHandle, PANEL_EDGE_RIGHT, &eEnd);
    GetCtrlVal(panelHandle, PANEL_TEACH, &tVal);
    GetCtrlVal(panelHandle, PANEL_TOLERANCE, &tTol);
    GetCtrlVal(panelPopUp, POPUP_BVAL, &bVal);
    GetCtrlVal(panelPopUp, POPUP_GAIN, &iGain);
    GetCtrlVal(panelPopUp, POPUP_ENABLE_TOL, &ePoti);
    GetCtrlVal(panelPopUp, POPUP_PIXELSTART, &pStart);
    GetCtrlVal(panelPopUp, POPUP_CCDMODE, &ccdMode);
    GetCtrlVal(panelPopUp, POPUP_ANAMODE, &anaMode);
}

// Shows a parameter on its control. A ring lists only the values the form
// knows and a slide has its range, but the sensor or a file may hold any
// value the range rules let through (CCD mode 2, analog mode 5, pixel start
// 0): that value gets a ring item or a slide range of its own, so that the
// next Send or save returns it unchanged instead of the control's old value.
static void ShowParam(int panel, int control, int value)
{
    int kind = 0;
    GetCtrlAttribute(panel, control, ATTR_CTRL_STYLE, &kind);
    if (kind == CTRL_SLIDE || kind == CTRL_NUMERIC) {
        int lo = 0, hi = 0;
        GetCtrlAttribute(panel, control, ATTR_MIN_VALUE, &lo);
        GetCtrlAttribute(panel, control, ATTR_MAX_VALUE, &hi);
        if (value < lo) SetCtrlAttribute(panel, control, ATTR_MIN_VALUE, value);
        if (value > hi) SetCtrlAttribute(panel, control, ATTR_MAX_VALUE, value);
    }
    if (SetCtrlVal(panel, control, value) == 0) return;
    if (kind == CTRL_RING || kind == CTRL_DROPDOWN_RING) {
        char label[32];
        std::snprintf(label, sizeof label, "%d (sensor value)", value);
        int count = 0;
        GetNumListItems(panel, control, &count);
        ReplaceListItem(panel, control, count, label, value);
        if (SetCtrlVal(panel, control, value) == 0) return;
    }
    // Nothing may show a value other than the one the variable holds.
    char text[STATUS_LEN * 2];
    std::snprintf(text, sizeof text, "Panel cannot show the value %d!", value);
    SetCtrlVal(panelHandle, PANEL_STATUS, text);
}

void SetPanelValues(void)
{
    // Out-of-range values are replaced silently.
    ApplyRangeRules(nullptr, 0);

    SetCtrlVal(panelHandle, PANEL_POWER, power);
    SetCtrlVal(panelHandle, PANEL_RS232MODE, rs232Mode);
    SetCtrlVal(panelHandle, PANEL_VIDEO_THRESHOLD, vThd);
    SetCtrlVal(panelHandle, PANEL_POLARITY, polarity);
    ShowParam(panelHandle, PANEL_EDGEMODE, eMode);
    SetCtrlVal(panelHandle, PANEL_EDGE_LEFT, eBeg);
    SetCtrlVal(panelHandle, PANEL_EDGE_RIGHT, eEnd);
    SetCtrlVal(panelHandle, PANEL_TOLERANCE_SHOW, tTol);
    SetCtrlVal(panelHandle, PANEL_TEACH_SHOW, tVal);
    SetCtrlVal(panelHandle, PANEL_TEACH, tVal);
    SetCtrlVal(panelHandle, PANEL_TOLERANCE, tTol);
    SetCtrlVal(panelPopUp, POPUP_BVAL, bVal);
    SetCtrlVal(panelPopUp, POPUP_GAIN, iGain);
    SetCtrlVal(panelPopUp, POPUP_ENABLE_TOL, ePoti);
    ShowParam(panelPopUp, POPUP_PIXELSTART, pStart);
    SetCtrlVal(panelPopUp, POPUP_PIXELEND, pStart + 255);
    ShowParam(panelPopUp, POPUP_CCDMODE, ccdMode);
    ShowParam(panelPopUp, POPUP_ANAMODE, anaMode);

    for (int i = 0; i < 256; i++) thdArray[i] = vThd;
    PlotVIDEOCurve(adcbuf);

    // The bar graph shows this parameter set alone: rectangles of an earlier
    // set would otherwise pile up under (and in window mode beside) the new ones.
    DeleteGraphPlot(panelHandle, PANEL_GRAPH_BAR, VAL_ALL_PLOTS, 0);
    if (ccdMode == 1) {
        SetCtrlAttribute(panelPopUp, POPUP_PIXELSTART, ATTR_DIMMED, 0);
        SetCtrlAttribute(panelPopUp, POPUP_PIXELEND, ATTR_DIMMED, 0);
        SetAxisScalingMode(panelHandle, PANEL_GRAPH_BAR, AXIS_X, VAL_MANUAL, pix1, pix1 + 256.0);
        PlotRectangle(panelHandle, PANEL_GRAPH_BAR, pStart, 0.0, pStart + 255, 1.0, GREY, GREY);
    } else {
        SetAxisScalingMode(panelHandle, PANEL_GRAPH_BAR, AXIS_X, VAL_MANUAL, 1.0, ccdmaxpixel);
        SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 2, eBeg, 0.75);
        SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 3, eEnd, 0.75);
        PlotRectangle(panelHandle, PANEL_GRAPH_BAR, 0.0, 0.0, ccdmaxpixel, 1.0, GREY, GREY);
        PlotToleranceBand();
    }

    if (ePoti == 1) SetCtrlAttribute(panelPopUp, POPUP_POTI_ITEM, ATTR_DIMMED, 1);
}
