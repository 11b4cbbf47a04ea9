// Start-up of the program state and the panels, and the main panel's own
// callback, through which the program ends.
#include "app/app.h"

#include "display/display.h"
#include "form/form.h"
#include "link/state.h"
#include "outputs/outputs.h"
#include "params/params.h"
#include "runtime/graph.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"

const char* const FORM_FILE = "K-VOR-MXZidad15.uir";

int LoadPanels(void)
{
    InstallCallbackTable();
    panelHandle = LoadPanel(0, FORM_FILE, PANEL);
    if (panelHandle < 0) return panelHandle;
    panelPopUp = LoadPanel(panelHandle, FORM_FILE, POPUP);
    if (panelPopUp < 0) return panelPopUp;
    // The port ring shows which device each COM number stands for.
    FillPortRing();
    InitHelpMenu();
    return 0;
}

void InitVars(void)
{
    ResetProgramState();
    SetCtrlVal(panelHandle, PANEL_STATUS, szStatus);
    SetCtrlVal(panelPopUp, POPUP_ENABLE_TOL, 1);
    ShowLogo(2);
    GetPanelValues();

    DeleteGraphPlot(panelHandle, PANEL_GRAPH_BAR, VAL_ALL_PLOTS, 0);
    SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 1, tVal, 1.0);
    SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 2, eBeg, 1.0);
    SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 3, eEnd, 1.0);
    PlotToleranceBand();

    for (int i = 0; i < 256; i++) {
        xArray[i] = static_cast<uint16_t>(4 * i);
        thdArray[i] = vThd;
    }
    InitOutputs();
    InitStripChart();
    InitRunHistory();
    ShowMode(MODE_STOPPED);
    ApplyUnits();
    // The displays first: a loop's closing status line is there before the
    // broker's sink mirrors it. The run's statistics are complete before the
    // recording's summary takes them.
    AddDisplaySink();
    AddStatisticsSink();
    AddRecordingSink();
    AddSummarySink();
    AddPublishingSinks();
}

// Closing the main panel is the only way the program ends. A loop or wait
// running at that moment ends at once: the operator is not kept waiting
// for time-outs of a line nobody watches any more.
int CC_PANEL(int /*panel*/, int event, void*, int, int)
{
    if (event == EVENT_CLOSE) {
        quit_flag = 1;
        stop_flag = 1;
        CloseCom(com);
        QuitUserInterface(0);
    }
    return 0;
}
