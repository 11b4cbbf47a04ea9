// The main panel as an operator meets it beyond the mouse: through a screen
// reader, from the keyboard, on screens of any size, and with the second panel.
#include "support/program_fixture.h"

#include "runtime/inspect.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"

#include <algorithm>

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
    OperatorKeys(panelHandle, "F5");     // returns once the run loop has ended
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
