// Video mode: in every cycle a measurement request, then the 256-sample video
// line, then the bar graph and the curve, until Stop or a missing reply.
// A cycle always completes; Stop is looked at only at its end.
#include "display/display.h"

#include "app/panels.h"
#include "app/state.h"
#include "link/link.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

static void ReceiveCallbackOn(void)
{
    InstallComCallback(com, eventMask, FRAME_BYTES, sync_word, RX_Receive_Function, 0);
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
        FlushInQ(com);
        FlushOutQ(com);
        rx_flag = 0;
        order = CMD_MEASURE;
        FillTxBuf(order, pp);   // the last reply goes back as the payload
        tstart = Timer();
        nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
        while (rx_flag != 1) {
            ProcessSystemEvents();
            if (rx_flag == 1 && !ReplyInStep()) rx_flag = 0;   // out of step: no reply (see run mode)
            tdiff = Timer() - tstart;
            if (tdiff > TIMEOUT) {
                SetCtrlVal(panelHandle, PANEL_STATUS, "Timeout RS232-Line!");
                stop_flag = 1;
                break;
            }
        }
        // Without a reply pp holds whatever came before, after a Get the
        // parameter set, whose words 3 and 4 would become tVal and tTol.
        if (rx_flag == 1) TakeVideoMeasurement();

        // The video blocks are raw words without a frame: the receive
        // callback must not take them.
        InstallComCallback(com, 0, FRAME_BYTES, sync_word, nullptr, 0);
        FlushInQ(com);
        FlushOutQ(com);
        if (pcbtype == 0) {
            const int firsts[] = {0, 64, 128, 192};
            for (int first : firsts) {
                ref_flag = first == 192 ? 1 : 0;
                ReadData64(first, ref_flag);
            }
        } else {
            ReadData256();
        }
        ReceiveCallbackOn();

        if (ccdMode == 1)
            SetVideoAxis(1, pStart);
        else
            SetVideoAxis(0, 0);
        PlotVIDEOBarGraph();
        PlotVIDEOCurve(adcbuf);
        ProcessSystemEvents();
    } while (stop_flag == 0);

    DimLoopLocked(0);
    ReceiveCallbackOn();
    FlushOutQ(com);
    FlushInQ(com);
    EndExchange();
    return 0;
}
