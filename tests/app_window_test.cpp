// The main panel as an operator meets it beyond the mouse: through a screen
// reader, from the keyboard, on screens of any size, and with the second panel.
#include "support/program_fixture.h"

#include "runtime/inspect.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"

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
