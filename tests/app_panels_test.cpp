// The form and the program agree, and start-up leaves the state the program
// relies on: the panel contract, the defaults, the prepared bar graph.
#include "support/program_fixture.h"

#include "runtime/graph.h"
#include "runtime/ui.h"
#include "support/inspect.h"

#include <cstring>

namespace {

struct Expected {
    int panel;  // PANEL or POPUP
    int number;
    const char* name;
    int kind;
    int type;
    const char* callback;
};

const Expected kContract[] = {
    {PANEL, PANEL_COMPORT, "PANEL_COMPORT", CTRL_DROPDOWN_RING, VALTYPE_INT, "CC_DropDCom"},
    {PANEL, PANEL_RUN, "PANEL_RUN", CTRL_COMMAND_BUTTON, VALTYPE_NONE, "CC_BTNRun"},
    {PANEL, PANEL_RS232MODE, "PANEL_RS232MODE", CTRL_SWITCH, VALTYPE_U16, ""},
    {PANEL, PANEL_RBT_FILE, "PANEL_RBT_FILE", CTRL_RADIO_BUTTON, VALTYPE_INT, "CC_RBTFile"},
    {PANEL, PANEL_RBT_EEPROM, "PANEL_RBT_EEPROM", CTRL_RADIO_BUTTON, VALTYPE_INT, "CC_RBTEeprom"},
    {PANEL, PANEL_TOLERANCE, "PANEL_TOLERANCE", CTRL_NUMERIC, VALTYPE_U16, "CC_NEDITTolerance"},
    {PANEL, PANEL_TEACH, "PANEL_TEACH", CTRL_NUMERIC, VALTYPE_U16, "CC_NEDITTeach"},
    {PANEL, PANEL_RBT_RAM, "PANEL_RBT_RAM", CTRL_RADIO_BUTTON, VALTYPE_INT, "CC_RBTRam"},
    {PANEL, PANEL_POLARITY, "PANEL_POLARITY", CTRL_SWITCH, VALTYPE_U16, ""},
    {PANEL, PANEL_VIDEO, "PANEL_VIDEO", CTRL_COMMAND_BUTTON, VALTYPE_NONE, "CC_BTNVideo"},
    {PANEL, PANEL_GET, "PANEL_GET", CTRL_COMMAND_BUTTON, VALTYPE_NONE, "CC_BTNGet"},
    {PANEL, PANEL_EDGEMODE, "PANEL_EDGEMODE", CTRL_RING, VALTYPE_U16, ""},
    {PANEL, PANEL_MVALUE_2, "PANEL_MVALUE_2", CTRL_NUMERIC_INDICATOR, VALTYPE_NONE, ""},
    {PANEL, PANEL_MVALUE, "PANEL_MVALUE", CTRL_NUMERIC_INDICATOR, VALTYPE_NONE, ""},
    {PANEL, PANEL_TEACH_SHOW, "PANEL_TEACH_SHOW", CTRL_NUMERIC_INDICATOR, VALTYPE_NONE, ""},
    {PANEL, PANEL_ANAMIN, "PANEL_ANAMIN", CTRL_NUMERIC_INDICATOR, VALTYPE_NONE, ""},
    {PANEL, PANEL_ANAMAX, "PANEL_ANAMAX", CTRL_NUMERIC_INDICATOR, VALTYPE_NONE, ""},
    {PANEL, PANEL_TOLERANCE_SHOW, "PANEL_TOLERANCE_SHOW", CTRL_NUMERIC_INDICATOR, VALTYPE_NONE, ""},
    {PANEL, PANEL_LEDGE, "PANEL_LEDGE", CTRL_NUMERIC_INDICATOR, VALTYPE_NONE, ""},
    {PANEL, PANEL_REDGE, "PANEL_REDGE", CTRL_NUMERIC_INDICATOR, VALTYPE_NONE, ""},
    {PANEL, PANEL_LOGO_FRAME, "PANEL_LOGO_FRAME", CTRL_DECORATION, VALTYPE_NONE, ""},
    {PANEL, PANEL_EDGE_RIGHT, "PANEL_EDGE_RIGHT", CTRL_NUMERIC, VALTYPE_U16, "CC_NEDITEdgeRight"},
    {PANEL, PANEL_EDGE_LEFT, "PANEL_EDGE_LEFT", CTRL_NUMERIC, VALTYPE_U16, "CC_NEDITEdgeLeft"},
    {PANEL, PANEL_STATUS, "PANEL_STATUS", CTRL_TEXT_MSG, VALTYPE_TEXT, ""},
    {PANEL, PANEL_GRAPH_VIDEO, "PANEL_GRAPH_VIDEO", CTRL_GRAPH, VALTYPE_NONE, ""},
    {PANEL, PANEL_GRAPH_BAR, "PANEL_GRAPH_BAR", CTRL_GRAPH, VALTYPE_NONE, ""},
    {PANEL, PANEL_VIDEO_THRESHOLD, "PANEL_VIDEO_THRESHOLD", CTRL_SLIDE, VALTYPE_U16, "CC_SLIDEVideoThreshold"},
    {PANEL, PANEL_POWER, "PANEL_POWER", CTRL_NUMERIC, VALTYPE_U16, ""},
    {PANEL, PANEL_GRAPH_RAW, "PANEL_GRAPH_RAW", CTRL_STRIP_CHART, VALTYPE_NONE, ""},
    {PANEL, PANEL_LOGO_PICTURE, "PANEL_LOGO_PICTURE", CTRL_PICTURE, VALTYPE_NONE, ""},
    {PANEL, PANEL_STRIP_ZOOM, "PANEL_STRIP_ZOOM", CTRL_SWITCH, VALTYPE_INT, ""},
    {PANEL, PANEL_PARAII, "PANEL_PARAII", CTRL_TOGGLE_BUTTON, VALTYPE_INT, "CC_TOGGBTN_ParaII"},
    {PANEL, PANEL_STOP, "PANEL_STOP", CTRL_COMMAND_BUTTON, VALTYPE_NONE, "CC_BTNStop"},
    {PANEL, PANEL_SEND, "PANEL_SEND", CTRL_COMMAND_BUTTON, VALTYPE_NONE, "CC_BTNSend"},
    {PANEL, PANEL_BUTTON_TEACH, "PANEL_BUTTON_TEACH", CTRL_COMMAND_BUTTON, VALTYPE_NONE, "CC_ButtonTeach"},
    {PANEL, PANEL_BUTTON_RESET, "PANEL_BUTTON_RESET", CTRL_COMMAND_BUTTON, VALTYPE_NONE, "CC_ButtonReset"},
    {PANEL, PANEL_RECORD, "PANEL_RECORD", CTRL_TOGGLE_BUTTON, VALTYPE_INT, "CC_TOGGBTN_Record"},
    {POPUP, POPUP_SENSOR_INFO, "POPUP_SENSOR_INFO", CTRL_TEXT_BOX, VALTYPE_NONE, ""},
    {POPUP, POPUP_PIXELSTART, "POPUP_PIXELSTART", CTRL_SLIDE, VALTYPE_U16, "CC_NSLIDE_PixelStart"},
    {POPUP, POPUP_PIXELEND, "POPUP_PIXELEND", CTRL_NUMERIC_INDICATOR, VALTYPE_NONE, ""},
    {POPUP, POPUP_BVAL, "POPUP_BVAL", CTRL_NUMERIC, VALTYPE_U16, ""},
    {POPUP, POPUP_ENABLE_TOL, "POPUP_ENABLE_TOL", CTRL_SWITCH, VALTYPE_U16, "CC_BIN_Sw_EnableTol"},
    {POPUP, POPUP_GAIN, "POPUP_GAIN", CTRL_SWITCH, VALTYPE_U16, "CC_BIN_Switch_VGain"},
    {POPUP, POPUP_ANAMODE, "POPUP_ANAMODE", CTRL_RING, VALTYPE_U16, ""},
    {POPUP, POPUP_CCDMODE, "POPUP_CCDMODE", CTRL_RING, VALTYPE_U16, "CC_RING_CCDMode"},
    {POPUP, POPUP_POTI_ITEM, "POPUP_POTI_ITEM", CTRL_TEXT_MSG, VALTYPE_NONE, ""},
    {POPUP, POPUP_TRACE, "POPUP_TRACE", CTRL_TOGGLE_BUTTON, VALTYPE_INT, "CC_TOGGBTN_Trace"},
    {POPUP, POPUP_MQTT, "POPUP_MQTT", CTRL_TOGGLE_BUTTON, VALTYPE_INT, "CC_TOGGBTN_Mqtt"},
    {POPUP, POPUP_MQTT_URL, "POPUP_MQTT_URL", CTRL_STRING, VALTYPE_TEXT, ""},
    {POPUP, POPUP_MQTT_AUTH, "POPUP_MQTT_AUTH", CTRL_STRING, VALTYPE_TEXT, ""},
    {POPUP, POPUP_MQTT_AUTH_PICK, "POPUP_MQTT_AUTH_PICK", CTRL_COMMAND_BUTTON, VALTYPE_NONE, "CC_BTNMqttAuth"},
    {PANEL, PANEL_VIDEO_TOOLS, "PANEL_VIDEO_TOOLS", CTRL_DECORATION, VALTYPE_NONE, ""},
    {PANEL, PANEL_AVERAGE, "PANEL_AVERAGE", CTRL_RING, VALTYPE_INT, "CC_RING_Average"},
    {PANEL, PANEL_ENVELOPE, "PANEL_ENVELOPE", CTRL_SWITCH, VALTYPE_INT, "CC_SW_Envelope"},
    {PANEL, PANEL_REF_SAVE, "PANEL_REF_SAVE", CTRL_COMMAND_BUTTON, VALTYPE_NONE, "CC_BTNSaveReference"},
    {PANEL, PANEL_REF_LOAD, "PANEL_REF_LOAD", CTRL_COMMAND_BUTTON, VALTYPE_NONE, "CC_BTNLoadReference"},
    {PANEL, PANEL_REF_DIFF, "PANEL_REF_DIFF", CTRL_SWITCH, VALTYPE_INT, "CC_SW_Difference"},
    {PANEL, PANEL_CURSORS, "PANEL_CURSORS", CTRL_SWITCH, VALTYPE_INT, "CC_SW_Cursors"},
    {PANEL, PANEL_CURSOR1, "PANEL_CURSOR1", CTRL_TEXT_MSG, VALTYPE_TEXT, ""},
    {PANEL, PANEL_CURSOR2, "PANEL_CURSOR2", CTRL_TEXT_MSG, VALTYPE_TEXT, ""},
    {PANEL, PANEL_DISTANCE, "PANEL_DISTANCE", CTRL_TEXT_MSG, VALTYPE_TEXT, ""},
    {POPUP, POPUP_HEALTH_RATE, "POPUP_HEALTH_RATE", CTRL_TEXT_MSG, VALTYPE_TEXT, ""},
    {POPUP, POPUP_HEALTH_FAULTS, "POPUP_HEALTH_FAULTS", CTRL_TEXT_MSG, VALTYPE_TEXT, ""},
    {POPUP, POPUP_HEALTH_AGE, "POPUP_HEALTH_AGE", CTRL_TEXT_MSG, VALTYPE_TEXT, ""},
    {POPUP, POPUP_HEALTH_REFUSED, "POPUP_HEALTH_REFUSED", CTRL_TEXT_MSG, VALTYPE_TEXT, ""},
};

std::string TextAttr(int panel, int control, int attribute)
{
    char text[128] = "";
    GetCtrlAttribute(panel, control, attribute, text, sizeof text);
    return text;
}

}  // namespace

using PanelContract = ProgramTest;
using StartUpState = ProgramTest;

TEST_F(PanelContract, EveryControlHasItsNumberKindValueTypeAndCallback)
{
    for (const Expected& e : kContract) {
        SCOPED_TRACE(e.name);
        int panel = e.panel == PANEL ? panelHandle : panelPopUp;
        int kind = 0, type = -1;
        ASSERT_EQ(0, GetCtrlAttribute(panel, e.number, ATTR_CTRL_STYLE, &kind));
        EXPECT_EQ(e.kind, kind);
        ASSERT_EQ(0, GetCtrlAttribute(panel, e.number, ATTR_DATA_TYPE, &type));
        EXPECT_EQ(e.type, type);
        EXPECT_EQ(e.callback, TextAttr(panel, e.number, ATTR_CALLBACK_NAME));
        EXPECT_FALSE(TextAttr(panel, e.number, ATTR_ACCESSIBLE_NAME).empty());
    }
}

TEST_F(PanelContract, SixteenBitEntriesShowEveryValueTheProgramMayShow)
{
    const int entries[] = {PANEL_POWER, PANEL_TEACH, PANEL_TOLERANCE, PANEL_EDGE_LEFT, PANEL_EDGE_RIGHT};
    for (int c : entries) {
        SetCtrlVal(panelHandle, c, 65535);
        EXPECT_EQ(65535, Value(panelHandle, c)) << c;
        SetCtrlVal(panelHandle, c, 0);
        EXPECT_EQ(0, Value(panelHandle, c)) << c;
    }
    SetCtrlVal(panelPopUp, POPUP_BVAL, 65535);
    EXPECT_EQ(65535, Value(panelPopUp, POPUP_BVAL));
}

TEST_F(PanelContract, FormValuesAreTheDefaultParameterSet)
{
    // InitVars read the controls back: the form's values must be the defaults.
    std::array<uint16_t, 16> defaults = {500, 0, 512, 64, 1, 1, 1, 1024, 512, 100, 1, 1, 0, 1, 0, 1000};
    EXPECT_EQ(defaults, Vars());
}

TEST_F(PanelContract, AnUnknownCallbackNameFailsTheLoadAndNamesIt)
{
    static const CallbackEntry lacking[] = {{"CC_PANEL", nullptr, CC_PANEL}};
    SetCallbackTable(lacking, 1);
    EXPECT_LT(LoadPanel(0, "K-VOR-MXZidad15.uir", PANEL), 0);
    EXPECT_NE(nullptr, std::strstr(GetRuntimeError(), "CC_"));
    InstallCallbackTable();
}

// Start-up leaves nothing of an earlier run behind: tests run one after the
// other in one process rely on it as much as a port change does.
TEST_F(StartUpState, InitVarsLeavesNothingOfAnEarlierRunBehind)
{
    exchange_busy = 1, quit_flag = 1, stop_flag = 0, rx_flag = 1;
    ccdtype = 101, ccdmaxpixel = 256, pcbtype = 400;
    Mvalue = 77, Ledge = 5, anaMax = 9;
    arrayNORM[3] = 5.0;
    com = 4, target = EEPROM;
    InitVars();

    EXPECT_EQ(0, exchange_busy + quit_flag + rx_flag + ccdtype + pcbtype + Mvalue + Ledge + anaMax);
    EXPECT_EQ(1, stop_flag);
    EXPECT_EQ(0.0, arrayNORM[3]);
    EXPECT_EQ(1024, ccdmaxpixel);
    EXPECT_EQ(1, com);
    EXPECT_EQ(RAM, target);
    EXPECT_EQ("InitVars", Status());
    EXPECT_EQ(1, Value(panelPopUp, POPUP_ENABLE_TOL));
    for (int i = 0; i < 256; i++) {
        ASSERT_EQ(4 * i, xArray[i]);
        ASSERT_EQ(vThd, thdArray[i]);
    }
}

TEST_F(StartUpState, PopUpIsAHiddenToolWindowUntilToggled)
{
    EXPECT_FALSE(PanelVisible(panelPopUp));
    EXPECT_TRUE(PanelIsToolWindow(panelPopUp));
    Click(panelHandle, PANEL_PARAII);
    EXPECT_TRUE(PanelVisible(panelPopUp));
    Click(panelHandle, PANEL_PARAII);
    EXPECT_FALSE(PanelVisible(panelPopUp));
}

TEST_F(StartUpState, BarGraphShowsCursorsAndTheToleranceBand)
{
    double x = 0, y = 0;
    GetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 1, &x, &y);
    EXPECT_EQ(512, x);
    EXPECT_EQ(1.0, y);
    GetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 2, &x, &y);
    EXPECT_EQ(1, x);
    GetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 3, &x, &y);
    EXPECT_EQ(1024, x);
    auto plots = GraphPlots(panelHandle, PANEL_GRAPH_BAR);
    ASSERT_EQ(1u, plots.size());
    EXPECT_EQ(PLOT_RECTANGLE, plots[0].kind);
    EXPECT_EQ(412, plots[0].x[0]);
    EXPECT_EQ(612, plots[0].x[1]);
    EXPECT_EQ(0.25, plots[0].y[1]);
    EXPECT_EQ(0x00FF00, plots[0].fillColor);
}

TEST_F(StartUpState, ClosingTheMainPanelEndsTheEventLoop)
{
    DisplayPanel(panelHandle);
    AfterSeconds(0.05, [] { OperatorClosePanel(panelHandle); });
    RunUserInterface();  // returns only through CC_PANEL's QuitUserInterface
    // The window stays until the program discards it.
    EXPECT_TRUE(PanelVisible(panelHandle));
}
