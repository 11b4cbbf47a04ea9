// Teach and max/min reset: one command frame each, built from pp as it
// stands, and a short wait for the sensor's answer.
#include "params/params.h"

#include "app/panels.h"
#include "app/state.h"
#include "link/link.h"
#include "runtime/ui.h"
#include "runtime/util.h"

static void SendCommand(int code)
{
    order = code;
    FillTxBuf(order, pp);
    SendFrame();
}

// Waits under TIMEOUT for the reply; a reply taken in the last pass counts.
static int AwaitReply(void)
{
    tstart = Timer();
    while (rx_flag != 1) {
        ProcessSystemEvents();
        tdiff = Timer() - tstart;
        if (!(tdiff < TIMEOUT)) break;
    }
    return rx_flag == 1;
}

int CC_ButtonTeach(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    if (!BeginExchange()) return 0;
    SendCommand(CMD_TEACH);
    SetCtrlVal(panelHandle, PANEL_STATUS, "New setpoint value teached!");
    // The sensor chose the teach value itself; reading RAM back shows it.
    // Without a reply the optimistic text must not stay: nothing says the
    // sensor took a new setpoint.
    if (AwaitReply()) {
        PushGET(RAM);
    } else {
        CopyText(szStatus, STATUS_LEN, "Timeout-RS-232...");
        SetCtrlVal(panelHandle, PANEL_STATUS, szStatus);
    }
    EndExchange();
    return 0;
}

int CC_ButtonReset(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    if (!BeginExchange()) return 0;
    SendCommand(CMD_RESET_MAXMIN);
    SetCtrlVal(panelHandle, PANEL_STATUS, "Reset Max/Min values...");
    // Decided by the reply itself, not by the clock: a reply taken in the
    // last pass is a success, and no reply is never one.
    CopyText(szStatus, STATUS_LEN, AwaitReply() ? "Reset Max/Min OK!" : "Timeout-RS-232...");
    SetCtrlVal(panelHandle, PANEL_STATUS, szStatus);
    EndExchange();
    return 0;
}
