// Pixels or millimetres: the switch on the main panel turns the numbers,
// the axes of the chart, the history, the video graph, the bar graph and the
// histogram, and the statistics into millimetres, where the sensor has a
// scale. The displays keep the pixel values the sensor sends; only what they
// show is scaled (runtime: SetNumericDisplayScale, SetAxisDisplayScale), so
// the drawings stay exactly those of the pixels.
#include "display/display.h"

#include "form/form.h"
#include "link/link.h"
#include "link/record.h"
#include "runtime/graph.h"
#include "runtime/translate.h"
#include "runtime/ui.h"

#include <cstdio>

const int MM_DECIMALS = 3;  // a micrometre

int ShowingMillimetres(void)
{
    int on = 0;
    GetCtrlVal(panelHandle, PANEL_MM, &on);
    return on && ScaleKnown();
}

static void ShowScaleNote(void)
{
    char scale[40], text[160];
    ShortFixedText(scale, sizeof scale, mm_per_pixel, 7);
    if (mm_source == MM_CALIBRATED) {
        char offset[40];
        FixedText(offset, sizeof offset, mm_offset, MM_DECIMALS);
        std::snprintf(text, sizeof text, TR("%s mm per pixel, offset %s mm: calibrated on a gauge"), scale, offset);
    } else if (mm_source == MM_SENSOR_TYPE) {
        char range[40];
        ShortFixedText(range, sizeof range, SensorWorkingRangeMm(), 3);
        std::snprintf(text, sizeof text, TR("%s mm per pixel: the sensor type's %s mm over %d pixels"), scale, range,
                      ccdmaxpixel);
    } else {
        std::snprintf(text, sizeof text, TR("No millimetre scale for this sensor: pixels only"));
    }
    SetCtrlVal(panelHandle, PANEL_MM_SCALE, text);
}

void ShowValueMm(void)
{
    char text[40] = "-";
    if (ScaleKnown()) FixedText(text, sizeof text, PositionMm(Mvalue), MM_DECIMALS);
    SetCtrlVal(panelHandle, PANEL_MVALUE_MM, text);
}

void ApplyUnits(void)
{
    const int known = ScaleKnown();
    if (!known) SetCtrlVal(panelHandle, PANEL_MM, 0);
    SetCtrlAttribute(panelHandle, PANEL_MM, ATTR_DIMMED, !known);
    const int mm = ShowingMillimetres();
    const double factor = mm ? mm_per_pixel : 1.0, offset = mm ? mm_offset : 0.0;
    const int decimals = mm ? MM_DECIMALS : 0;

    const int positions[] = {PANEL_MVALUE,     PANEL_MVALUE_2, PANEL_LEDGE, PANEL_REDGE,
                             PANEL_TEACH_SHOW, PANEL_ANAMAX,   PANEL_ANAMIN};
    for (int c : positions) SetNumericDisplayScale(panelHandle, c, factor, offset, decimals);
    SetNumericDisplayScale(panelHandle, PANEL_TOLERANCE_SHOW, factor, 0.0, decimals);

    const char* label = mm ? TR("Position (mm)") : TR("Position (pixel)");
    SetAxisDisplayScale(panelHandle, PANEL_GRAPH_RAW, AXIS_Y, factor, offset);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_YNAME, label);
    SetAxisDisplayScale(panelHandle, PANEL_GRAPH_HISTORY, AXIS_Y, factor, offset);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_HISTORY, ATTR_YNAME, label);
    SetAxisDisplayScale(panelHandle, PANEL_GRAPH_VIDEO, AXIS_X, factor, offset);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_VIDEO, ATTR_XNAME, label);
    SetAxisDisplayScale(panelHandle, PANEL_GRAPH_BAR, AXIS_X, factor, offset);
    SetAxisDisplayScale(panelHandle, PANEL_GRAPH_HISTOGRAM, AXIS_X, factor, offset);

    ShowScaleNote();
    ShowValueMm();
    ShowRunStatistics();
}

int CC_SWITCH_Millimetres(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) ApplyUnits();
    return 0;
}
