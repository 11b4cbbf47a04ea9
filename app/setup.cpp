// Port set-up: open the chosen COM port, prove the line, identify the
// sensor, read its parameter set and firmware text, and show each step on
// the panels. Runs at start-up and on every port choice.
#include "app/app.h"

#include "display/display.h"
#include "form/form.h"
#include "link/health.h"
#include "link/link.h"
#include "link/state.h"
#include "params/params.h"
#include "runtime/graph.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <cstdio>

static void ShowStatus(void)
{
    SetCtrlVal(panelHandle, PANEL_STATUS, szStatus);
}

// The status line may say more than szStatus holds: a device path and the
// system's reason after the program's own text.
static void ShowStatusWithCause(const char* cause)
{
    char text[STATUS_LEN + PATH_LEN + 64];
    if (cause && cause[0])
        std::snprintf(text, sizeof text, "%s - %s", szStatus, cause);
    else
        std::snprintf(text, sizeof text, "%s", szStatus);
    SetCtrlVal(panelHandle, PANEL_STATUS, text);
}

static void Describe(const char* line)
{
    ReplaceTextBoxLine(panelPopUp, POPUP_SENSOR_INFO, 0, line);
}

static void DimGain(int dimmed)
{
    SetCtrlAttribute(panelPopUp, POPUP_GAIN, ATTR_DIMMED, dimmed);
}

static void ShowSensorIdentity(void)
{
    SetCtrlAttribute(panelPopUp, POPUP_PIXELSTART, ATTR_MAX_VALUE, ccdmaxpixel);
    if (ccdMode == 0)
        SetVideoAxis(0, 0);
    else
        SetVideoAxis(1, pix1);

    // A type 2 sensor with a resolution code of no description leaves the
    // last description and the gain switch as they are.
    const char* description = SensorDescription();
    if (description) {
        Describe(description);
        DimGain(ccdtype == 101);  // the 256-pixel CCD has no gain switch
    }
    if (ccdtype == 3) SetAxisScalingMode(panelHandle, PANEL_GRAPH_RAW, AXIS_Y, VAL_MANUAL, 0.0, ccdmaxpixel);

    if (pcbtype == 400) {
        // This board has neither gain, window mode, potentiometer, analog
        // output nor the serial output mode.
        const int popupCtrls[] = {POPUP_GAIN, POPUP_CCDMODE, POPUP_POTI_ITEM, POPUP_ANAMODE};
        for (int c : popupCtrls) SetCtrlAttribute(panelPopUp, c, ATTR_DIMMED, 1);
        const int mainCtrls[] = {PANEL_RS232MODE, PANEL_ANAMAX, PANEL_ANAMIN};
        for (int c : mainCtrls) SetCtrlAttribute(panelHandle, c, ATTR_DIMMED, 1);
    }
}

int GetHARDWAREInfo(void)
{
    if (!ReadHardwareInfo()) return 0;
    ShowSensorIdentity();
    return 1;
}

static void ShowFirmwareWaiting(int)
{
    SetCtrlVal(panelHandle, PANEL_STATUS, "Waiting for firmware info ...");
}

int GetVERSIONInfo(void)
{
    int count = ReadFirmwareText(ShowFirmwareWaiting);
    ShowStatus();
    return count;
}

void InitRS232(int port)
{
    // Until this port's sensor has said what it is, nothing of the last
    // one's identity may steer a request (board type 400 turns the video
    // read into command 11, which a board-0 sensor takes as a reset).
    ResetSensorIdentity();
    ApplyUnits();
    ret = OpenSensorPort(port);
    NotePortOpened(port, ret);
    if (ret < 0) {
        // The program's text, then the cause: which device, and why.
        CopyText(szStatus, STATUS_LEN, PortErrorText(ret));
        ShowStatusWithCause(ComOpenCause());
        return;
    }

    NoteSetUp();
    ret = CheckComLine(port);
    ShowStatus();
    if (ret != 1) return;
    RememberPort(port);

    ret = GetHARDWAREInfo();
    TakeSensorScale();
    if (ret == 0) {
        // The parameter read overwrites the status line at once, so the
        // failure stays visible in the sensor description instead.
        CopyText(szStatus, STATUS_LEN, "Error reading HARDWARE-info!");
        ReplaceTextBoxLine(panelPopUp, POPUP_SENSOR_INFO, 0, "Error reading HARDWARE-info!");
    }

    // The set-up leaves RAM as the transfer target, and the radio buttons
    // must say so: a Send after a port change would otherwise write RAM only
    // while EEPROM still looks chosen.
    ChooseTarget(RAM);
    char readFailure[STATUS_LEN] = "";
    if (!PushGET(RAM)) CopyText(readFailure, STATUS_LEN, szStatus);

    ret = GetVERSIONInfo();
    if (ret < FIRMWARE_BYTES) CopyText(szStatus, STATUS_LEN, "Error reading firmware-info!");
    // The firmware text must not paint over a failed parameter read: the
    // panels then still show the old set, not the sensor's.
    if (readFailure[0]) {
        char text[2 * STATUS_LEN];
        std::snprintf(text, sizeof text, "Parameters not read: %s", readFailure);
        CopyText(szStatus, STATUS_LEN, text);
    }
    ShowStatus();
    PublishIdentity();
}

int CC_DropDCom(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    // One choice in the ring arrives as a change (2) followed by a commit (1);
    // the set-up runs once for it, on whichever comes first.
    static int commitPending = 0;
    if (event != EVENT_COMMIT && event != EVENT_VAL_CHANGED) return 0;
    if (event == EVENT_COMMIT && commitPending) {
        commitPending = 0;
        return 0;
    }
    commitPending = (event == EVENT_VAL_CHANGED);
    if (!BeginExchange()) {
        // A reply wait or a loop is running on the port in use: keep it.
        SetCtrlVal(panelHandle, PANEL_COMPORT, com);
        return 0;
    }
    CloseCom(com);
    GetCtrlVal(panelHandle, PANEL_COMPORT, &com);
    SetCtrlVal(panelHandle, PANEL_STATUS, "Init COM-Port ...");
    InitRS232(com);
    EndExchange();
    return 0;
}
