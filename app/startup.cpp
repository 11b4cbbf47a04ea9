// Start-up of the program state and the panels, and the main panel's own
// callback, through which the program ends.
#include "app/app.h"

#include "app/panels.h"
#include "app/state.h"
#include "params/params.h"
#include "runtime/graph.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"

#include <cstdio>

const char* const FORM_FILE = "K-VOR-MXZidad15.uir";
const int PORT_RING_ITEMS = 8;          // COM1 .. COM8

int LoadPanels(void)
{
    InstallCallbackTable();
    panelHandle = LoadPanel(0, FORM_FILE, PANEL);
    if (panelHandle < 0) return panelHandle;
    panelPopUp = LoadPanel(panelHandle, FORM_FILE, POPUP);
    if (panelPopUp < 0) return panelPopUp;
    // The port ring shows which device each COM number stands for.
    for (int i = 0; i < PORT_RING_ITEMS; i++) {
        char label[PATH_LEN + 16];
        std::snprintf(label, sizeof label, "COM%d  %s", i + 1, GetComDevice(i + 1));
        ReplaceListItem(panelHandle, PANEL_COMPORT, i, label, i + 1);
    }
    return 0;
}

void InitVars(void)
{
    power = 500;
    rs232Mode = 0;
    vThd = 512;
    bVal = 64;
    polarity = 1;
    eMode = 1;
    eBeg = 1;
    eEnd = 1024;
    pixB = 1;
    pixE = 1024;
    tVal = 512;
    tTol = 100;
    iGain = 1;
    ePoti = 1;
    ccdMode = 0;
    pStart = 1;
    anaMode = 0;
    para15 = 1000;

    com = 1;
    sync_word = 0x55;
    order = 1;
    target = RAM;
    rx_flag = 0;
    stop_flag = 1;
    ccdmaxpixel = 1024;
    pcbtype = 0;

    CopyText(szStatus, STATUS_LEN, "InitVars");
    SetCtrlVal(panelHandle, PANEL_STATUS, szStatus);
    SetCtrlVal(panelPopUp, POPUP_ENABLE_TOL, 1);
    CopyText(szSoftVersion, STATUS_LEN, "Version 1.5");
    CopyText(szSoftName, STATUS_LEN, "K-VOR-MX-Zidad");
    ShowLogo(2);
    GetPanelValues();

    DeleteGraphPlot(panelHandle, PANEL_GRAPH_BAR, VAL_ALL_PLOTS, 0);
    SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 1, tVal, 1.0);
    SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 2, eBeg, 1.0);
    SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 3, eEnd, 1.0);
    // Signed: the band may start left of pixel 0; nothing is clamped here.
    int lo = static_cast<int>(tVal) - static_cast<int>(tTol);
    int hi = static_cast<int>(tVal) + static_cast<int>(tTol);
    PlotRectangle(panelHandle, PANEL_GRAPH_BAR, lo, 0.0, hi, 0.25, 0x00FF00, 0x00FF00);

    for (int i = 0; i < 256; i++) {
        xArray[i] = static_cast<uint16_t>(4 * i);
        thdArray[i] = vThd;
    }
}

// Closing the main panel is the only way the program ends. A loop running
// at that moment finds the port closed and ends by its time-out.
int CC_PANEL(int /*panel*/, int event, void*, int, int)
{
    if (event == EVENT_CLOSE) {
        CloseCom(com);
        QuitUserInterface(0);
    }
    return 0;
}
