// Reading the parameter set from the sensor's RAM or EEPROM onto the panels.
#include "link/link.h"

#include "app/panels.h"
#include "app/state.h"
#include "params/params.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

void PushGET(int from)
{
    if (from != DATFILE) {
        order = from == RAM ? CMD_READ_RAM : CMD_READ_EEPROM;
        CopyVarsToPP();
        FlushInQ(com);
        FlushOutQ(com);
        FillTxBuf(order, pp);
        rx_flag = 0;
        nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
        if (nBytesW == FRAME_BYTES)
            SetCtrlVal(panelHandle, PANEL_STATUS, "Waiting for parameter-frame ...");

        tstart = Timer();
        for (;;) {
            ProcessSystemEvents();
            if (rx_flag == 1 && !ReplyInStep()) {
                // Taking an out-of-step read would overwrite the operator's
                // parameter set with shifted words; the set stays as it was.
                CopyText(szStatus, STATUS_LEN, "read error - not sync byte 0xAA!");
                break;
            }
            if (rx_flag == 1) {
                GetRxBuf(PNUM);
                CopyPPtoVars();
                CopyText(szStatus, STATUS_LEN, "Parameter-frame received! - Line Ok!");
                break;
            }
            tdiff = Timer() - tstart;
            if (tdiff > TIMEOUT) {
                CopyText(szStatus, STATUS_LEN, "Timeout-RS-232...");
                break;
            }
        }
    }
    SetPanelValues();
    SetCtrlVal(panelHandle, PANEL_STATUS, szStatus);
}
