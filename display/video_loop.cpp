// Video mode in the window: the Video button, the block reads with their
// status texts, and the threshold slide. The exchanges are link/'s VideoMode:
// in every cycle a measurement request, then the 256-sample video line;
// each picture reaches the displays through the display's record sink.
// Stop is looked at only at the end of a cycle; a missing reply or block
// ends the loop where it is (a silent sensor is given up within one
// time-out, not one per block), and closing the panel ends it at once.
#include "display/display.h"

#include "form/form.h"
#include "link/link.h"
#include "runtime/ui.h"
#include "runtime/util.h"

static void ShowWaiting64(int)
{
    SetCtrlVal(panelHandle, PANEL_STATUS, "Waiting for Data[64] ...");
}
static void ShowWaiting256(int)
{
    SetCtrlVal(panelHandle, PANEL_STATUS, "Waiting for Data[256] ...");
}

// A block's outcome on the status line; a longer block leaves it as it was.
static void ShowBlockResult(int samples, int r)
{
    if (EndIfPortLost(r)) return;
    const char* text = ResultText(samples == 64 ? OP_BLOCK64 : OP_BLOCK256, r);
    if (r == EX_REPLY || r == EX_TIMEOUT) CopyText(szStatus, STATUS_LEN, text);
    SetCtrlVal(panelHandle, PANEL_STATUS, szStatus);
}

int ReadData64(int first, int last)
{
    ShowBlockResult(64, ReadVideoBlock64(first, last, EX_EVENTS, ShowWaiting64));
    return 1;
}

int ReadData256(void)
{
    ShowBlockResult(256, ReadVideoBlock256(EX_EVENTS, ShowWaiting256));
    return 1;
}

int CC_BTNVideo(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    if (!BeginExchange()) return 0;

    ShowRunHistory(0);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_VIDEO, ATTR_VISIBLE, 1);
    SetCtrlAttribute(panelHandle, PANEL_VIDEO_TOOLS, ATTR_VISIBLE, 1);
    EnterLoopMode();
    if (ccdMode == 0) {
        SetVideoAxis(0, 0);
    } else {
        if (ccdMode == 1) pix1 = pStart;
        SetVideoAxis(1, pix1);
    }
    HidePopUp();
    ShowMode(MODE_VIDEO);

    LoopHooks hooks{};
    hooks.block64Written = ShowWaiting64;
    hooks.block256Written = ShowWaiting256;
    hooks.blockRead = ShowBlockResult;
    LoopEnd end;
    VideoMode(&hooks, &end);

    DimLoopLocked(0);
    ShowMode(MODE_STOPPED);
    EndExchange();
    return 0;
}

// Moves the threshold line over the live curve; the sensor gets the new
// threshold only when the parameters are sent.
int CC_SLIDEVideoThreshold(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    uint16_t value = vThd;
    GetCtrlVal(panelHandle, PANEL_VIDEO_THRESHOLD, &value);
    for (int i = 0; i < 256; i++) thdArray[i] = value;
    RedrawVideo();
    return 0;
}
