// Millimetres from the panels' side: a sensor's calibration taken at its
// set-up, and the calibration on the "More parameters" panel, from a gauge
// of known width the sensor saw in the last run (the mean distance of its two
// edges) and an optional offset for positions. A calibration is kept for the
// sensor in the settings; "Scale of the sensor type" forgets it.
#include "app/app.h"

#include "display/display.h"
#include "form/form.h"
#include "link/link.h"
#include "link/record.h"
#include "link/statistics.h"
#include "runtime/translate.h"
#include "runtime/ui.h"

#include <cstdio>

void TakeSensorScale(void)
{
    LoadCalibration();
    ApplyUnits();
}

static void Tell(const char* text)
{
    SetCtrlVal(panelPopUp, POPUP_MM_INFO, text);
    SetCtrlVal(panelHandle, PANEL_STATUS, text);
}

int CC_BTNCalibrate(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    char text[64] = "";
    double gauge = 0.0, offset = 0.0;
    GetCtrlVal(panelPopUp, POPUP_GAUGE, text, sizeof text);
    if (!ParseDecimal(text, &gauge) || !(gauge > 0.0)) {
        Tell(TR("Calibration: enter the gauge's width in millimetres, a number above 0."));
        return 0;
    }
    GetCtrlVal(panelPopUp, POPUP_MM_OFFSET, text, sizeof text);
    int blank = 1;
    for (const char* p = text; *p; p++) blank = blank && *p == ' ';
    if (!blank && !ParseDecimal(text, &offset)) {
        Tell(TR("Calibration: the offset is a number of millimetres, or empty."));
        return 0;
    }
    const ValueStatistics* distance = RunEdgeDistance();
    if (distance->count == 0 || !(distance->mean > 0.0)) {
        Tell(TR("Calibration: no run saw two edges yet. Run with the gauge in view, Stop, then calibrate."));
        return 0;
    }
    CalibrateScale(gauge, distance->mean, offset);
    const int kept = SaveCalibration() == 0;
    ApplyUnits();

    char scale[32], pixels[32], message[200];
    ShortFixedText(scale, sizeof scale, mm_per_pixel, 7);
    FixedText(pixels, sizeof pixels, distance->mean, 2);
    std::snprintf(message, sizeof message, TR("Calibrated: %s mm per pixel, the gauge over %s pixels (%ld replies)%s"),
                  scale, pixels, distance->count,
                  kept ? TR("; kept for this sensor.") : TR(", not kept: settings not written."));
    Tell(message);
    return 0;
}

int CC_BTNScaleDefault(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    ForgetCalibration();
    ApplyUnits();
    Tell(ScaleKnown() ? TR("The sensor type's millimetre scale again; the calibration is forgotten.")
                      : TR("The calibration is forgotten; this sensor type has no millimetre scale: pixels only."));
    return 0;
}
