// Run mode: every measurement reply is shown at once and answered by the
// next request, until Stop or a reply is overdue. The loop lives inside the
// Run button's callback; Stop and the receive callback run nested inside its
// event processing.
#include "display/display.h"

#include "app/app.h"
#include "app/panels.h"
#include "app/state.h"
#include "link/link.h"
#include "outputs/outputs.h"
#include "runtime/ui.h"
#include "runtime/util.h"

void DimLoopLocked(int dimmed)
{
    SetCtrlAttribute(panelHandle, PANEL_LOOPLOCK_C, ATTR_DIMMED, dimmed);
    SetCtrlAttribute(panelHandle, PANEL_LOOPLOCK_B, ATTR_DIMMED, dimmed);
    SetCtrlAttribute(panelHandle, PANEL_LOOPLOCK_A, ATTR_DIMMED, dimmed);
    // Send, Teach and Reset cannot reach the sensor while a loop holds the
    // line either; dimmed, they do not look as if they had done something.
    SetCtrlAttribute(panelHandle, PANEL_SEND, ATTR_DIMMED, dimmed);
    SetCtrlAttribute(panelHandle, PANEL_BUTTON_TEACH, ATTR_DIMMED, dimmed);
    SetCtrlAttribute(panelHandle, PANEL_BUTTON_RESET, ATTR_DIMMED, dimmed);
}

// Both loops talk to the sensor's RAM and hide the pop-up while they run.
void EnterLoopMode(void)
{
    DimLoopLocked(1);
    SetCtrlVal(panelHandle, PANEL_RBT_RAM, 1);
    target = RAM;
    SetCtrlVal(panelHandle, PANEL_RBT_EEPROM, 0);
    SetCtrlVal(panelHandle, PANEL_RBT_FILE, 0);
}

void HidePopUp(void)
{
    HidePanel(panelPopUp);
    SetCtrlVal(panelHandle, PANEL_PARAII, 0);
}

void TakeVideoMeasurement(void)
{
    TakeMeasurementWords(MEASURE_WORDS_VIDEO);
}

int EndIfPortLost(int exchangeResult)
{
    if (exchangeResult != EX_LOST) return 0;
    // Not a time-out: the adapter was pulled, and waiting longer brings nothing.
    CopyText(szStatus, STATUS_LEN, PortLostText(com));
    SetCtrlVal(panelHandle, PANEL_STATUS, PortLostText(com));
    stop_flag = 1;
    return 1;
}

static void ShowLineOk(int bytesWritten)
{
    if (bytesWritten == FRAME_BYTES) SetCtrlVal(panelHandle, PANEL_STATUS, "Line Ok!");
}

static int g_replyShown = 1;   // 0 from taking a reply's words until it is shown

// The reply just taken, shown and kept while the next request is on its way,
// or after the loop when no next request went out.
static void ShowReply(int)
{
    if (g_replyShown) return;
    g_replyShown = 1;
    RecordMeasurement();
    PublishReply();
    PlotVIDEOBarGraph();
    PlotRAWGraph();
    graphrefresh = 0;
}

int CC_BTNRun(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    if (!BeginExchange()) return 0;

    SetCtrlAttribute(panelHandle, PANEL_GRAPH_VIDEO, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_VISIBLE, 1);
    EnterLoopMode();
    HidePopUp();

    stop_flag = 0;
    graphrefresh = 0;
    CopyVarsToPP();
    int r = Exchange(CMD_MEASURE, pp, REPLY_FRAME, TIMEOUT, EX_EVENTS | EX_STOPPABLE, ShowLineOk);
    while (r == EX_REPLY) {
        // The reply's words first: pp is overwritten by the next request.
        TakeMeasurementWords(MEASURE_WORDS_RUN);
        g_replyShown = 0;
        CopyVarsToPP();   // carries the sensor's own tVal and tTol back to it
        // The next request goes out before the reply is shown: the drawing
        // then costs the line nothing, as it happens while the sensor answers.
        r = Exchange(CMD_MEASURE, pp, REPLY_FRAME, TIMEOUT, EX_EVENTS | EX_STOPPABLE, ShowReply);
    }
    ShowReply(0);
    EndIfPortLost(r);
    if (r == EX_TIMEOUT) {
        SetCtrlVal(panelHandle, PANEL_STATUS, "Timeout RS232-Line!");
        stop_flag = 1;
    }

    EndOfLoop();
    RecordFlush();
    DimLoopLocked(0);
    EndExchange();
    WatchBroker();
    return 0;
}

int CC_BTNStop(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_LEFT_CLICK) return 0;
    stop_flag = 1;
    DimLoopLocked(0);
    return 0;
}
