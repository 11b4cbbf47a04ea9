// Teach and max/min reset: one command frame each, carrying the parameter
// set, and a wait for the sensor's answer.
#include "params/params.h"

#include "form/form.h"
#include "link/link.h"
#include "link/state.h"
#include "runtime/ui.h"
#include "runtime/util.h"

static void ShowTeachSent(int)
{
    SetCtrlVal(panelHandle, PANEL_STATUS, "New setpoint value teached!");
}

static void ShowResetSent(int)
{
    SetCtrlVal(panelHandle, PANEL_STATUS, "Reset Max/Min values...");
}

int CC_ButtonTeach(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    if (!BeginExchange()) return 0;
    // The sensor chose the teach value itself; reading RAM back shows it.
    // Without a reply the optimistic text must not stay: nothing says the
    // sensor took a new setpoint. The time-out goes to the status line only:
    // szStatus keeps the last exchange's outcome, which a Get from a file
    // shows again.
    int readBack = 0;
    int r = TeachAndReadBack(ShowTeachSent, ShowParamsWaiting, &readBack);
    if (readBack)
        ShowParameterRead(RAM, r);
    else
        SetCtrlVal(panelHandle, PANEL_STATUS, ResultText(OP_TEACH, r));
    EndExchange();
    return 0;
}

int CC_ButtonReset(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    if (!BeginExchange()) return 0;
    // Decided by the reply itself, not by the clock: a reply taken in the
    // last pass is a success, and no reply is never one.
    CopyText(szStatus, STATUS_LEN, ResultText(OP_RESET, ResetMaxMin(ShowResetSent)));
    SetCtrlVal(panelHandle, PANEL_STATUS, szStatus);
    EndExchange();
    return 0;
}
