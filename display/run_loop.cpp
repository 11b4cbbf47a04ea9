// Run mode in the window: the Run and Stop buttons, and what the window does
// around the loop (dimming, the target, the pop-up, the status line). The
// exchanges are link/'s RunMode; every reply reaches the displays through
// the display's record sink (display_sink.cpp).
#include "display/display.h"

#include "form/form.h"
#include "link/link.h"
#include "runtime/translate.h"
#include "runtime/ui.h"
#include "runtime/util.h"

static int g_mode = MODE_STOPPED;

void ShowMode(int mode)
{
    static const char* const kModeTexts[] = {TR_NOOP("Stopped"), TR_NOOP("Run"), TR_NOOP("Video")};
    g_mode = mode;
    SetCtrlVal(panelHandle, PANEL_MODE, kModeTexts[mode]);
    // Stop has something to stop only while a loop runs.
    SetCtrlAttribute(panelHandle, PANEL_STOP, ATTR_DIMMED, mode == MODE_STOPPED);
}

int LoopModeShown(void)
{
    return g_mode;
}

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

int CC_BTNRun(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    if (!BeginExchange()) return 0;

    // A new run: its history and statistics start afresh, and the chart is live.
    ShowRunHistory(0);
    ClearRunHistory();
    ResetRunStatistics();
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_VIDEO, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panelHandle, PANEL_VIDEO_TOOLS, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_VISIBLE, 1);
    EnterLoopMode();
    HidePopUp();
    ShowMode(MODE_RUN);

    LoopHooks hooks{};
    hooks.firstWritten = ShowLineOk;
    LoopEnd end;
    RunMode(&hooks, &end);

    DimLoopLocked(0);
    ShowMode(MODE_STOPPED);
    EndExchange();
    return 0;
}

int CC_BTNStop(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_LEFT_CLICK) return 0;
    stop_flag = 1;
    DimLoopLocked(0);
    return 0;
}
