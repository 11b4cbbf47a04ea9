// Transfer target (sensor RAM, sensor EEPROM, parameter file) and the Send
// and Get buttons. The three radio buttons are independent controls; these
// callbacks keep exactly one of them on, falling back to RAM.
#include "params/params.h"

#include "form/form.h"
#include "link/link.h"
#include "link/record.h"
#include "link/state.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <cstdio>

void ChooseTarget(int chosen)
{
    target = chosen;
    SetCtrlVal(panelHandle, PANEL_RBT_RAM, chosen == RAM);
    SetCtrlVal(panelHandle, PANEL_RBT_EEPROM, chosen == EEPROM);
    SetCtrlVal(panelHandle, PANEL_RBT_FILE, chosen == DATFILE);
}

static int RadioOn(int control)
{
    int on = 0;
    GetCtrlVal(panelHandle, control, &on);
    return on;
}

// A radio button switched on chooses its target; switched off (a click on
// the one already on) it falls back to RAM, so there is always a target.
static int RadioChanged(int control, int chosen)
{
    if (RadioOn(control)) {
        ChooseTarget(chosen);
    } else {
        target = RAM;
        SetCtrlVal(panelHandle, PANEL_RBT_RAM, 1);
    }
    return 0;
}

int CC_RBTRam(int, int, int event, void*, int, int)
{
    return event == EVENT_VAL_CHANGED ? RadioChanged(PANEL_RBT_RAM, RAM) : 0;
}

int CC_RBTEeprom(int, int, int event, void*, int, int)
{
    return event == EVENT_VAL_CHANGED ? RadioChanged(PANEL_RBT_EEPROM, EEPROM) : 0;
}

int CC_RBTFile(int, int, int event, void*, int, int)
{
    return event == EVENT_VAL_CHANGED ? RadioChanged(PANEL_RBT_FILE, DATFILE) : 0;
}

// "Line Ok!" only when the set read back from the target is the set sent.
static void ShowSendResult(int r, int differs, uint16_t held)
{
    char text[STATUS_LEN];
    if (r == VERIFY_DIFFERS)
        std::snprintf(text, sizeof text, "Verify error: %s is %u in the sensor, %u sent!", kParamNames[differs],
                      static_cast<unsigned>(held), static_cast<unsigned>(pp[differs]));
    else
        CopyText(text, STATUS_LEN, ResultText(OP_SEND, r));
    SetCtrlVal(panelHandle, PANEL_STATUS, text);
}

int CC_BTNSend(int, int, int event, void*, int, int)
{
    if (event != EVENT_LEFT_CLICK) return 0;
    if (!BeginExchange()) return 0;
    SetCtrlVal(panelHandle, PANEL_STATUS, "Transmit...");
    if (target == DATFILE) {
        char chosen[PATH_LEN] = "";
        int r =
            FileSelectPopup(proj_dir, "KVORpara.dat", "*.dat", "K-VOR-MX-Series Parameter File", 0, 0, 1, 1, 1, chosen);
        if (r > 0) {
            CopyText(file_name, PATH_LEN, chosen);
            RememberParamFolder(chosen);
            SendParaToFile();
        } else if (r < 0) {
            // A path the program cannot hold: nothing was written.
            SetCtrlVal(panelHandle, PANEL_STATUS, TXT_FILE_WRITE_ERROR);
        }
    } else {
        sync_word = 0x55;
        GetPanelValues();
        int differs = 0;
        uint16_t held = 0;
        int r = SendParameterSet(target, &differs, &held);
        ShowSendResult(r, differs, held);
        if (r == VERIFY_OK) DeliverParameters();
    }
    EndExchange();
    return 0;
}

int CC_BTNGet(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    if (!BeginExchange()) return 0;
    int fileRead = 1;
    if (target == DATFILE)
        fileRead = ReadParaFromFile();
    else
        order = target == RAM ? CMD_READ_RAM : CMD_READ_EEPROM;
    // Also after a cancelled or failed file read: the panels show the
    // variables again, as last read, sent or saved.
    PushGET(target);
    if (fileRead < 0) ShowFileError(TXT_FILE_READ_ERROR);
    EndExchange();
    return 0;
}

void ShowParamsWaiting(int bytesWritten)
{
    if (bytesWritten == FRAME_BYTES) SetCtrlVal(panelHandle, PANEL_STATUS, "Waiting for parameter-frame ...");
}

int PushGET(int from)
{
    return ShowParameterRead(from, from == DATFILE ? EX_REPLY : ReadParameterSet(from, ShowParamsWaiting));
}

int ShowParameterRead(int from, int r)
{
    int taken = from == DATFILE;
    if (from != DATFILE) {
        if (r == EX_REPLY) {
            CopyPPtoVars();
            taken = 1;
        }
        CopyText(szStatus, STATUS_LEN, ResultText(OP_PARAMETERS, r));
    }
    SetPanelValues();
    SetCtrlVal(panelHandle, PANEL_STATUS, szStatus);
    if (taken) DeliverParameters();
    return taken;
}
