// Run mode: every measurement reply is shown at once and answered by the
// next request, until Stop or a reply is overdue. The loop lives inside the
// Run button's callback; Stop and the receive callback run nested inside its
// event processing.
#include "display/display.h"

#include "app/panels.h"
#include "app/state.h"
#include "link/link.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

void DimLoopLocked(int dimmed)
{
    SetCtrlAttribute(panelHandle, PANEL_LOOPLOCK_C, ATTR_DIMMED, dimmed);
    SetCtrlAttribute(panelHandle, PANEL_LOOPLOCK_B, ATTR_DIMMED, dimmed);
    SetCtrlAttribute(panelHandle, PANEL_LOOPLOCK_A, ATTR_DIMMED, dimmed);
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

static void TakeMeasurementWords(int count)
{
    uint16_t* const words[] = {&Ledge, &Redge, &Mvalue,   &tVal,   &tTol,   &pix1,  &edcnt,
                               &mvstart, &mvend, &pixdelta, &anaMax, &anaMin, &in0};
    for (int i = 0; i < count; i++) *words[i] = pp[i];
}

void TakeVideoMeasurement(void)
{
    TakeMeasurementWords(12);   // words 0..11; in0 is a run-mode word
}

int CC_BTNRun(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    if (!BeginExchange()) return 0;

    SetCtrlAttribute(panelHandle, PANEL_GRAPH_VIDEO, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_VISIBLE, 1);
    EnterLoopMode();
    HidePopUp();

    CopyVarsToPP();
    order = CMD_MEASURE;
    FillTxBuf(order, pp);
    if (SendFrame() == FRAME_BYTES) SetCtrlVal(panelHandle, PANEL_STATUS, "Line Ok!");

    tstart = Timer();
    stop_flag = 0;
    graphrefresh = 0;
    do {
        // An out-of-step read is no reply: its words would become the teach
        // value and tolerance sent back to the sensor. The loop then ends in
        // its time-out, as with no reply.
        if (rx_flag == 1 && !ReplyInStep()) rx_flag = graphrefresh = 0;
        // Show the reply first: pp is overwritten by the next request below.
        if (graphrefresh == 1) {
            TakeMeasurementWords(13);
            PlotVIDEOBarGraph();
            PlotRAWGraph();
            graphrefresh = 0;
        }
        if (rx_flag == 1) {
            FlushInQ(com);
            FlushOutQ(com);
            CopyVarsToPP();   // carries the sensor's own tVal and tTol back to it
            FillTxBuf(CMD_MEASURE, pp);
            rx_flag = 0;
            tstart = Timer();
            nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
        }
        tdiff = Timer() - tstart;
        if (tdiff > TIMEOUT) {
            SetCtrlVal(panelHandle, PANEL_STATUS, "Timeout RS232-Line!");
            stop_flag = 1;
            break;
        }
        ProcessSystemEvents();
    } while (stop_flag == 0);

    rx_flag = 0;
    FlushInQ(com);
    FlushOutQ(com);
    graphrefresh = 0;
    DimLoopLocked(0);
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
