// Video mode: in every cycle a measurement request, then the 256-sample video
// line, then the bar graph and the curve, until Stop or a missing reply.
// Stop is looked at only at the end of a cycle; a missing reply ends the
// cycle where it is (a silent sensor is given up within one time-out, not
// one per block), and closing the panel ends it at once.
#include "display/display.h"

#include "app/app.h"
#include "app/panels.h"
#include "app/state.h"
#include "link/link.h"
#include "outputs/outputs.h"
#include "runtime/ui.h"
#include "runtime/util.h"

struct BlockTexts {
    const char* waiting;
    const char* timedOut;
    const char* received;
};

static const BlockTexts kTexts64 = {"Waiting for Data[64] ...", "Timeout-RS-232 while reading 64 data-words!",
                                    "Data[64] block received!"};
static const BlockTexts kTexts256 = {"Waiting for Data[256] ...",
                                     "Timeout-RS-232 while reading 256 data-words!",
                                     "Data[256] block received!"};

static void ShowWaiting64(int) { SetCtrlVal(panelHandle, PANEL_STATUS, kTexts64.waiting); }
static void ShowWaiting256(int) { SetCtrlVal(panelHandle, PANEL_STATUS, kTexts256.waiting); }

static void ShowBlockResult(const BlockTexts& t, int r)
{
    if (EndIfPortLost(r)) return;
    if (r == EX_TIMEOUT) CopyText(szStatus, STATUS_LEN, t.timedOut);
    if (r == EX_REPLY) CopyText(szStatus, STATUS_LEN, t.received);
    SetCtrlVal(panelHandle, PANEL_STATUS, szStatus);
}

static int g_blockResult = EX_REPLY;   // what the last block read came to

int ReadData64(int first, int last)
{
    g_blockResult = ReadVideoBlock64(first, last, EX_EVENTS, ShowWaiting64);
    ShowBlockResult(kTexts64, g_blockResult);
    return 1;
}

int ReadData256(void)
{
    g_blockResult = ReadVideoBlock256(EX_EVENTS, ShowWaiting256);
    ShowBlockResult(kTexts256, g_blockResult);
    return 1;
}

int CC_BTNVideo(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    if (!BeginExchange()) return 0;

    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_VIDEO, ATTR_VISIBLE, 1);
    EnterLoopMode();
    if (ccdMode == 0) {
        SetVideoAxis(0, 0);
    } else {
        if (ccdMode == 1) pix1 = pStart;
        SetVideoAxis(1, pix1);
    }
    HidePopUp();
    stop_flag = 0;
    // Each request carries the last reply back, but the first finds in pp
    // whatever landed there last: a refused or cut frame would go to the
    // sensor as its parameters. It carries the operator's set instead.
    CopyVarsToPP();

    do {
        // The last reply goes back as the payload.
        int r = Exchange(CMD_MEASURE, pp, REPLY_FRAME, TIMEOUT, EX_EVENTS);
        EndIfPortLost(r);
        if (r == EX_TIMEOUT) {
            SetCtrlVal(panelHandle, PANEL_STATUS, "Timeout RS232-Line!");
            stop_flag = 1;
        }
        // Without a reply pp holds whatever came before, after a Get the
        // parameter set, whose words 3 and 4 would become tVal and tTol.
        if (r == EX_REPLY) TakeVideoMeasurement();

        if (r == EX_TIMEOUT || r == EX_STOPPED) break;

        // A block that does not come ends the loop like a missing reply (its
        // own time-out text stays): waiting out the rest would only keep the
        // operator waiting on a silent sensor.
        if (pcbtype == 0) {
            const int firsts[] = {0, 64, 128, 192};
            for (int first : firsts) {
                ref_flag = first == 192 ? 1 : 0;
                ReadData64(first, ref_flag);
                if (g_blockResult == EX_TIMEOUT || g_blockResult == EX_STOPPED) break;
            }
        } else {
            ReadData256();
        }
        if (quit_flag) break;
        if (g_blockResult == EX_TIMEOUT) stop_flag = 1;
        RecordPicture(r == EX_REPLY && g_blockResult != EX_TIMEOUT && g_blockResult != EX_STOPPED);

        if (ccdMode == 1)
            SetVideoAxis(1, pStart);
        else
            SetVideoAxis(0, 0);
        PlotVIDEOBarGraph();
        PlotVIDEOCurve(adcbuf);
        PublishPicture();
        ProcessSystemEvents();
    } while (stop_flag == 0);

    DimLoopLocked(0);
    EndOfLoop();
    RecordFlush();
    EndExchange();
    WatchBroker();
    return 0;
}
