// The main panel as an operator meets it beyond the mouse: through a screen
// reader, from the keyboard, on screens of any size, and with the second panel.
#include "support/program_fixture.h"

#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "support/inspect.h"

#include <algorithm>
#include <map>
#include <vector>

using ScreenReader = ProgramTest;

TEST_F(ScreenReader, HearsTheStatusLineTheThresholdAndTheTransferTargets)
{
    SetComDevice(1, "/nonexistent/kvormx-port");
    StartUp();
    ASSERT_EQ("No serial port found", Status().substr(0, 20));
    AccessibleView status = Accessible(panelHandle, PANEL_STATUS);
    EXPECT_EQ("Status", status.name);
    EXPECT_EQ(Status(), status.description);
    EXPECT_EQ(Status(), status.text);

    AccessibleView threshold = Accessible(panelHandle, PANEL_VIDEO_THRESHOLD);
    EXPECT_EQ("slider", threshold.role);
    EXPECT_EQ("Video threshold", threshold.name);

    // The program keeps the three targets exclusive; the reader hears which one holds.
    Press(PANEL_RBT_EEPROM);
    for (int target : {PANEL_RBT_RAM, PANEL_RBT_EEPROM, PANEL_RBT_FILE}) {
        AccessibleView v = Accessible(panelHandle, target);
        EXPECT_EQ("radio button", v.role) << target;
        EXPECT_EQ(target == PANEL_RBT_EEPROM, v.checked) << target;
    }
}

using SecondPanel = ProgramTest;

TEST_F(SecondPanel, ItsCloseBoxRaisesTheToggleSoTheNextPressShowsItAgain)
{
    DisplayPanel(panelHandle);
    Click(panelHandle, PANEL_PARAII);
    ASSERT_TRUE(PanelVisible(panelPopUp));
    OperatorClosePanel(panelPopUp);
    EXPECT_FALSE(PanelVisible(panelPopUp));
    EXPECT_EQ(0, Value(panelHandle, PANEL_PARAII));
    Click(panelHandle, PANEL_PARAII);
    EXPECT_TRUE(PanelVisible(panelPopUp));
    EXPECT_EQ(1, Value(panelHandle, PANEL_PARAII));
}

using Keyboard = ProgramTest;

TEST_F(Keyboard, TheTooltipsNameTheKeys)
{
    EXPECT_EQ("Run (F5)", ToolTip(panelHandle, PANEL_RUN));
    EXPECT_EQ("Video (F6)", ToolTip(panelHandle, PANEL_VIDEO));
    EXPECT_EQ("Get (F7)", ToolTip(panelHandle, PANEL_GET));
    EXPECT_EQ("Send (F8)", ToolTip(panelHandle, PANEL_SEND));
    EXPECT_EQ("Stop (Esc)", ToolTip(panelHandle, PANEL_STOP));
}

TEST_F(Keyboard, F5RunsEscStopsAndTheDimmedButtonsIgnoreTheirKeysMeanwhile)
{
    StartSensor();
    StartUp();
    DisplayPanel(panelHandle);
    size_t before = Commands().size();
    bool running = false;
    AfterSeconds(0.3, [&] {
        running = stop_flag == 0;
        OperatorKeys(panelHandle, "F6");
        OperatorKeys(panelHandle, "F7");
        OperatorKeys(panelHandle, "F8");
        OperatorKeys(panelHandle, "Esc");
    });
    OperatorKeys(panelHandle, "F5");  // returns once the run loop has ended
    EXPECT_TRUE(running);
    EXPECT_EQ(1, stop_flag);
    std::vector<int> during = Commands();
    during.erase(during.begin(), during.begin() + long(before));
    auto has = [&](int command) { return std::find(during.begin(), during.end(), command) != during.end(); };
    EXPECT_TRUE(has(CMD_MEASURE));
    for (int c : {CMD_READ_RAM, CMD_READ_VIDEO64, CMD_READ_VIDEO256}) EXPECT_FALSE(has(c)) << c;
}

TEST_F(Keyboard, F6ShowsVideoF7GetsAndF8Sends)
{
    StartSensor();
    StartUp();
    DisplayPanel(panelHandle);
    AfterSeconds(0.5, [] { OperatorKeys(panelHandle, "Esc"); });
    OperatorKeys(panelHandle, "F6");
    EXPECT_EQ(1, stop_flag);
    std::vector<int> seen = Commands();
    EXPECT_NE(seen.end(), std::find(seen.begin(), seen.end(), CMD_READ_VIDEO64));

    size_t before = Commands().size();
    OperatorKeys(panelHandle, "F7");
    EXPECT_EQ(CMD_READ_RAM, Commands().at(before));
    before = Commands().size();
    OperatorKeys(panelHandle, "F8");
    EXPECT_EQ(CMD_WRITE_RAM, Commands().at(before));
    EXPECT_EQ("Line Ok!", Status());
}

namespace {

// The panels on a screen of a given free area; the real screen again afterwards.
class ScreenTest : public ProgramTest {
 protected:
    void TearDown() override
    {
        AssumeScreenArea(0, 0, 0, 0);
        ProgramTest::TearDown();
    }
    static bool Inside(const Box& b, const Box& area)
    {
        return b.x >= area.x && b.y >= area.y && b.right() <= area.right() && b.bottom() <= area.bottom();
    }
    static bool Apart(const Box& a, const Box& b)
    {
        return a.right() <= b.x || b.right() <= a.x || a.bottom() <= b.y || b.bottom() <= a.y;
    }
};

}  // namespace

using MainPanelSize = ScreenTest;

TEST_F(MainPanelSize, TheGraphsTakeTheRoomAndTheRightAndBottomControlsFollowTheirEdges)
{
    AssumeScreenArea(0, 0, 1920, 1080);
    DisplayPanel(panelHandle);
    const int controls[] = {PANEL_GRAPH_VIDEO, PANEL_GRAPH_BAR, PANEL_STATUS,          PANEL_MVALUE, PANEL_MVALUE_2,
                            PANEL_RUN,         PANEL_SEND,      PANEL_VIDEO_THRESHOLD, PANEL_COMPORT};
    std::map<int, Box> form;
    for (int c : controls) form[c] = ControlBox(panelHandle, c);

    // The window holds the menu bar above the panel: it is that much taller than the form.
    const int menu = PanelMenuBarHeight(panelHandle);
    ASSERT_GT(menu, 0);
    OperatorResizePanel(panelHandle, 1400, 1042 + menu);  // 400 wider, 186 taller
    auto now = [](int c) { return ControlBox(panelHandle, c); };
    EXPECT_EQ(form[PANEL_GRAPH_VIDEO].w + 400, now(PANEL_GRAPH_VIDEO).w);
    EXPECT_EQ(form[PANEL_GRAPH_VIDEO].h + 186, now(PANEL_GRAPH_VIDEO).h);
    EXPECT_EQ(form[PANEL_GRAPH_BAR].w + 400, now(PANEL_GRAPH_BAR).w);
    EXPECT_EQ(form[PANEL_GRAPH_BAR].y + 186, now(PANEL_GRAPH_BAR).y);
    EXPECT_EQ(form[PANEL_GRAPH_BAR].h, now(PANEL_GRAPH_BAR).h);
    EXPECT_EQ(form[PANEL_STATUS].w + 400, now(PANEL_STATUS).w);
    EXPECT_EQ(form[PANEL_MVALUE].x + 400, now(PANEL_MVALUE).x);  // the measurement column
    EXPECT_EQ(form[PANEL_MVALUE].y, now(PANEL_MVALUE).y);
    EXPECT_EQ(form[PANEL_MVALUE_2].x + 400, now(PANEL_MVALUE_2).x);
    EXPECT_EQ(form[PANEL_RUN].x, now(PANEL_RUN).x);  // Operation: the bottom left, below Parameters
    EXPECT_EQ(form[PANEL_RUN].y + 186, now(PANEL_RUN).y);
    EXPECT_EQ(form[PANEL_SEND].x, now(PANEL_SEND).x);  // Transfer and Parameters: bottom left
    EXPECT_EQ(form[PANEL_SEND].y + 186, now(PANEL_SEND).y);
    EXPECT_EQ(form[PANEL_VIDEO_THRESHOLD].y + 186, now(PANEL_VIDEO_THRESHOLD).y);
    EXPECT_EQ(form[PANEL_COMPORT].x, now(PANEL_COMPORT).x);

    OperatorResizePanel(panelHandle, 1000, 856 + menu);
    for (int c : controls) {
        EXPECT_EQ(form[c].x, now(c).x) << c;
        EXPECT_EQ(form[c].y, now(c).y) << c;
        EXPECT_EQ(form[c].w, now(c).w) << c;
        EXPECT_EQ(form[c].h, now(c).h) << c;
    }
}

TEST_F(MainPanelSize, AtItsLeastNothingOverlapsAndPlacesTheProgramSetStand)
{
    AssumeScreenArea(0, 0, 1920, 1080);
    DisplayPanel(panelHandle);
    OperatorResizePanel(panelHandle, 300, 200);
    Box least = PanelFrame(panelHandle);
    EXPECT_EQ(PanelMinimum(panelHandle).w, least.w);
    EXPECT_EQ(PanelMinimum(panelHandle).h, least.h);
    EXPECT_LT(least.h, 714);
    auto box = [](int c) { return ControlBox(panelHandle, c); };
    EXPECT_LE(box(PANEL_GRAPH_VIDEO).bottom(), box(PANEL_GRAPH_BAR).y);
    EXPECT_LE(box(PANEL_STRIP_ZOOM).bottom(), box(PANEL_MVALUE_2).y);
    EXPECT_LE(box(PANEL_MVALUE_2).bottom(), box(PANEL_RUN).y);
    EXPECT_LE(box(PANEL_GRAPH_BAR).bottom(), box(PANEL_VIDEO_THRESHOLD).y);
    EXPECT_TRUE(Apart(box(PANEL_GRAPH_VIDEO), box(PANEL_MVALUE)));

    // The program moves a control that keeps to the form's corner and one that
    // follows the bottom right; resizing keeps both where the program put them.
    SetCtrlAttribute(panelHandle, PANEL_LOGO_PICTURE, ATTR_LEFT, 470);
    SetCtrlAttribute(panelHandle, PANEL_MVALUE_2, ATTR_LEFT, 800);
    OperatorResizePanel(panelHandle, 1300, 800);
    int left = 0;
    GetCtrlAttribute(panelHandle, PANEL_LOGO_PICTURE, ATTR_LEFT, &left);
    EXPECT_EQ(470, left);
    GetCtrlAttribute(panelHandle, PANEL_MVALUE_2, ATTR_LEFT, &left);
    EXPECT_EQ(800 + 300, left);
}

TEST_F(MainPanelSize, AtScaleTwoOnA1280By1024ScreenItFitsAndScrollsToEveryButton)
{
    AssumeScreenArea(0, 0, 640, 512);  // 1280 x 1024 pixels at scale 2
    DisplayPanel(panelHandle);
    const Box area{0, 0, 640, 512};
    EXPECT_TRUE(Inside(PanelFrame(panelHandle), area));
    EXPECT_LE(PanelMinimum(panelHandle).w, 640);
    EXPECT_LE(PanelMinimum(panelHandle).h, 512);
    // The wheel scrolls the window, over the graphs too.
    int before = ControlOnScreen(panelHandle, PANEL_GRAPH_BAR).y;
    OperatorWheel(panelHandle, PANEL_GRAPH_VIDEO, 3);
    EXPECT_LT(ControlOnScreen(panelHandle, PANEL_GRAPH_BAR).y, before);
    for (int c : {PANEL_RUN, PANEL_VIDEO, PANEL_STOP, PANEL_SEND, PANEL_GET, PANEL_PARAII}) {
        OperatorScrollTo(panelHandle, c);
        Box shown = ControlOnScreen(panelHandle, c);
        EXPECT_EQ(ControlBox(panelHandle, c).w, shown.w) << c;
        EXPECT_EQ(ControlBox(panelHandle, c).h, shown.h) << c;
        EXPECT_TRUE(Inside(shown, area)) << c;
    }
    Click(panelHandle, PANEL_PARAII);
    EXPECT_TRUE(Inside(PanelFrame(panelPopUp), area));
}

using SecondPanelPlace = ScreenTest;

TEST_F(SecondPanelPlace, BesideTheMainWindowWhereThereIsRoom)
{
    AssumeScreenArea(0, 0, 1920, 1080);
    DisplayPanel(panelHandle);
    Click(panelHandle, PANEL_PARAII);
    Box main = PanelFrame(panelHandle), popup = PanelFrame(panelPopUp);
    EXPECT_EQ(main.right(), popup.x);
    EXPECT_EQ(main.y, popup.y);
}

TEST_F(SecondPanelPlace, WhollyOnA1024By768ScreenOverTheLeastOfTheMainWindow)
{
    AssumeScreenArea(0, 0, 1024, 768);
    DisplayPanel(panelHandle);
    Click(panelHandle, PANEL_PARAII);
    const Box area{0, 0, 1024, 768};
    Box main = PanelFrame(panelHandle), popup = PanelFrame(panelPopUp);
    EXPECT_TRUE(Inside(main, area));
    EXPECT_TRUE(Inside(popup, area));
    EXPECT_GE(popup.y, ControlBox(panelHandle, PANEL_GRAPH_BAR).y);  // below the graphs

    // Shown again, it stays where it was, on the screen.
    Click(panelHandle, PANEL_PARAII);
    Click(panelHandle, PANEL_PARAII);
    EXPECT_EQ(popup.x, PanelFrame(panelPopUp).x);
    EXPECT_EQ(popup.y, PanelFrame(panelPopUp).y);
}

TEST(PopUpPlacement, FirstFreeSideElseBelowClampedInsideTheArea)
{
    // Direct cases of the rule, through the window's frame sizes.
    struct Case {
        Box owner, area;
        int w, h;
        int x, y;
    };
    const Case cases[] = {
        {{0, 0, 1000, 714}, {0, 0, 1920, 1080}, 520, 266, 1000, 0},  // right
        {{0, 0, 1000, 714}, {0, 0, 1280, 1024}, 520, 266, 0, 714},   // below
        {{700, 0, 600, 500}, {0, 0, 1300, 500}, 520, 266, 180, 0},   // left
        {{0, 30, 1000, 714}, {0, 30, 1024, 738}, 520, 266, 0, 502},  // none free: below, clamped
        {{0, 0, 1000, 768}, {0, 0, 1024, 768}, 520, 266, 0, 502},    // a full screen: over its bottom, not its graphs
    };
    for (const Case& c : cases) {
        Box at = PlaceBeside(c.owner, c.w, c.h, c.area);
        EXPECT_EQ(c.x, at.x) << c.owner.x << "," << c.area.w;
        EXPECT_EQ(c.y, at.y) << c.owner.x << "," << c.area.w;
    }
}

TEST_F(MainPanelSize, TabMovesInReadingOrderThroughTheStatusLinesStripAndBack)
{
    AssumeScreenArea(0, 0, 1920, 1080);
    DisplayPanel(panelHandle);
    // One round of Tab from the port ring back to it.
    std::vector<int> round;
    for (int i = 0; i < 80; i++) {
        OperatorKeys(panelHandle, "Tab");
        const int c = FocusedControl(panelHandle);
        if (c == PANEL_COMPORT && !round.empty() && round.front() == PANEL_COMPORT) break;
        if (c == PANEL_COMPORT) round.clear();
        round.push_back(c);
    }
    ASSERT_FALSE(round.empty());
    ASSERT_EQ(PANEL_COMPORT, round.front());
    auto at = [&](int c) { return std::find(round.begin(), round.end(), c) - round.begin(); };
    const int reading[] = {PANEL_COMPORT, PANEL_STRIP_ZOOM, PANEL_HISTORY, PANEL_VIDEO_THRESHOLD,
                           PANEL_SEND,    PANEL_STAT_RESET, PANEL_RUN,     PANEL_PARAII};
    for (size_t k = 1; k < sizeof reading / sizeof reading[0]; k++) {
        ASSERT_LT(at(reading[k]), static_cast<long>(round.size())) << "control " << reading[k] << " never reached";
        EXPECT_LT(at(reading[k - 1]), at(reading[k])) << reading[k - 1] << " before " << reading[k];
    }
}

TEST_F(MainPanelSize, AtScaleTwoOnA1366By768ScreenTheStatusLineAndOperationStayInView)
{
    // 1366 x 768 at QT_SCALE_FACTOR=2 leaves the window 683 x 384 device-independent pixels.
    AssumeScreenArea(0, 0, 683, 384);
    DisplayPanel(panelHandle);
    const Box area{0, 0, 683, 384};
    EXPECT_TRUE(Inside(PanelFrame(panelHandle), area));
    for (int c : {PANEL_STATUS, PANEL_RUN, PANEL_STOP, PANEL_MODE}) {
        Box shown = ControlOnScreen(panelHandle, c);
        EXPECT_GT(shown.w, 0) << c;
        EXPECT_EQ(ControlBox(panelHandle, c).h, shown.h) << c << " is cut";
    }
    // Scrolled to the top of the panel, they stay where they were.
    OperatorScrollTo(panelHandle, PANEL_COMPORT);
    EXPECT_EQ(ControlBox(panelHandle, PANEL_STATUS).h, ControlOnScreen(panelHandle, PANEL_STATUS).h);
    EXPECT_EQ(ControlBox(panelHandle, PANEL_RUN).h, ControlOnScreen(panelHandle, PANEL_RUN).h);
}
