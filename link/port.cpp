// Port set-up and line check: open the COM port with the line's fixed
// settings, prove the line with an echo frame, then identify the sensor and
// read its parameter set and firmware text. Runs at start-up and on every
// port choice.
#include "link/link.h"

#include "app/panels.h"
#include "app/state.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

static const struct {
    int code;
    const char* text;
} kPortErrors[] = {
    {-1, "Unknown system error"}, {-2, "Invalid port number"}, {-3, "Port is not open"},
    {-4, "Unknown I/0 error"},    {-6, "No serial port found"}, {-7, "Cannot open port"},
    {-13, "Invalid parameter"},   {-99, "Timeout"},
};

const char* PortErrorText(int code)
{
    for (const auto& e : kPortErrors)
        if (e.code == code) return e.text;
    return "RS-232 error!";
}

static void ShowStatus(void)
{
    SetCtrlVal(panelHandle, PANEL_STATUS, szStatus);
}

void InitRS232(int port)
{
    ret = OpenComConfig(port, "", 19200, 0, 8, 1, 4096, 4096);
    if (ret < 0) {
        CopyText(szStatus, STATUS_LEN, PortErrorText(ret));
        ShowStatus();
        return;
    }
    SetComTime(port, 2.0);
    FlushInQ(port);
    FlushOutQ(port);
    SetCTSMode(port, 0);
    InstallComCallback(port, eventMask, FRAME_BYTES, sync_word, RX_Receive_Function, 0);

    ret = CheckComLine(port);
    if (ret != 1) {
        ShowStatus();
        return;
    }

    ret = GetHARDWAREInfo();
    if (ret == 0) {
        // The parameter read overwrites the status line at once, so the
        // failure stays visible in the sensor description instead.
        CopyText(szStatus, STATUS_LEN, "Error reading HARDWARE-info!");
        ReplaceTextBoxLine(panelPopUp, POPUP_SENSOR_INFO, 0, "Error reading HARDWARE-info!");
    }

    // The set-up leaves RAM as the transfer target, and the radio buttons
    // must say so: a Send after a port change would otherwise write RAM only
    // while EEPROM still looks chosen.
    target = RAM;
    SetCtrlVal(panelHandle, PANEL_RBT_RAM, 1);
    SetCtrlVal(panelHandle, PANEL_RBT_EEPROM, 0);
    SetCtrlVal(panelHandle, PANEL_RBT_FILE, 0);
    PushGET(RAM);

    ret = GetVERSIONInfo();
    if (ret < FIRMWARE_BYTES) CopyText(szStatus, STATUS_LEN, "Error reading firmware-info!");
    ShowStatus();
}

int CheckComLine(int port)
{
    int result = 0;
    CopyVarsToPP();
    order = CMD_ECHO;
    FillTxBuf(order, pp);
    FlushOutQ(port);
    FlushInQ(port);
    rx_flag = 0;
    nBytesW = ComWrt(port, szWriteBuf, FRAME_BYTES);

    // A frame taken in the pass that also ran past the time-out still decides.
    if (!WaitForFrame(TIMEOUT)) CopyText(szStatus, STATUS_LEN, "Timeout-RS-232...");
    if (rx_flag == 1) {
        unsigned echo = static_cast<unsigned char>(szReadBuf[0]) * 256u +
                        static_cast<unsigned char>(szReadBuf[1]);
        pp[0] = static_cast<uint16_t>(echo);
        if (echo == ECHO_SYNC) {
            CopyText(szStatus, STATUS_LEN, "Echo Check - Line Ok!");
            result = 1;
        } else {
            CopyText(szStatus, STATUS_LEN, "read error - not sync byte 0xAA!");
        }
    }
    ShowStatus();
    return result;
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
