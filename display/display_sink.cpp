// The window's displays as a sink of the records: every run-mode reply onto
// the indicators, the bar graph and the strip chart; every picture onto the
// bar graph and the video curve; the loop's end onto the status line. What
// is drawn is queued: the pixels are painted in the next event processing,
// after the next request is on the line.
#include "display/display.h"

#include "form/form.h"
#include "link/link.h"
#include "link/record.h"
#include "runtime/ui.h"

static void ShowMeasurement(const MeasurementRecord* r)
{
    PlotVIDEOBarGraph();
    ShowValueMm();
    NoteChartSampleTime(r->time, r->seconds);
    PlotRAWGraph();
    AddToRunHistory(r->seconds, arrayNORM + HISTORY_LEN - TRACES);
    graphrefresh = 0;
}

static void ShowPicture(const PictureRecord* p)
{
    SetVideoAxis(ccdMode == 1, p->first_pixel);
    PlotVIDEOBarGraph();
    ShowValueMm();
    ShowVideoPicture(p);
}

// A missing reply ends the loop with its text; a missing block has said so
// already (its own text stays), and a lost port says so.
static void ShowLoopEnd(int result, int blockSamples)
{
    if (EndIfPortLost(result)) return;
    if (result == EX_TIMEOUT && blockSamples == 0)
        SetCtrlVal(panelHandle, PANEL_STATUS, ResultText(OP_LOOP, EX_TIMEOUT));
}

static const RecordSink kDisplaySink = {ShowMeasurement, ShowPicture, nullptr, nullptr, ShowLoopEnd};

void AddDisplaySink(void)
{
    AddRecordSink(&kDisplaySink);
    AddVideoViewSink();
}
