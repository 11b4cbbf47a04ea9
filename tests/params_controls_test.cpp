// Immediate feedback of the parameter controls: cursors, limits, dimming,
// second displays and the pop-up toggle, driven as the operator drives them.
#include "support/program_fixture.h"

#include "runtime/graph.h"
#include "runtime/ui.h"
#include "support/inspect.h"

namespace {

class ParamControls : public ProgramTest {
 protected:
    double CursorX(int cursor) const
    {
        double x = -1, y = -1;
        GetGraphCursor(panelHandle, PANEL_GRAPH_BAR, cursor, &x, &y);
        return x;
    }
    void OpenPopUp()
    {
        Press(PANEL_PARAII);
        ASSERT_TRUE(PanelVisible(panelPopUp));
    }
};

}  // namespace

TEST_F(ParamControls, LeftEdgeCursorIsLimitedToTheRangeButTheEntryKeepsItsValue)
{
    uint16_t eBegBefore = eBeg;
    Enter(panelHandle, PANEL_EDGE_LEFT, 0);
    EXPECT_EQ(1.0, CursorX(2));
    EXPECT_EQ(0, Value(panelHandle, PANEL_EDGE_LEFT));
    EXPECT_EQ(eBegBefore, eBeg);

    pixB = 100;
    pixE = 356;
    Enter(panelHandle, PANEL_EDGE_LEFT, 400);
    EXPECT_EQ(356.0, CursorX(2));
    Enter(panelHandle, PANEL_EDGE_LEFT, 200);
    EXPECT_EQ(200.0, CursorX(2));
}

TEST_F(ParamControls, RightEdgeIsLimitedToTheLineInTheEntryAndInTheVariable)
{
    Enter(panelHandle, PANEL_EDGE_RIGHT, 3000);
    EXPECT_EQ(1024, Value(panelHandle, PANEL_EDGE_RIGHT));
    EXPECT_EQ(1024, eEnd);
    EXPECT_EQ(1024.0, CursorX(3));

    ccdmaxpixel = 512;
    Enter(panelHandle, PANEL_EDGE_RIGHT, 600);
    EXPECT_EQ(512, Value(panelHandle, PANEL_EDGE_RIGHT));
    EXPECT_EQ(512, eEnd);

    Enter(panelHandle, PANEL_EDGE_RIGHT, 0);  // no lower limit
    EXPECT_EQ(0.0, CursorX(3));
    EXPECT_EQ(0, Value(panelHandle, PANEL_EDGE_RIGHT));
}

TEST_F(ParamControls, PixelStartKeepsTheWindowInsideTheLine)
{
    OpenPopUp();
    Choose(panelPopUp, POPUP_CCDMODE, 1);  // the slider works in windowed mode only
    ASSERT_FALSE(Dimmed(panelPopUp, POPUP_PIXELSTART));

    OperatorDragSlide(panelPopUp, POPUP_PIXELSTART, 900);
    EXPECT_EQ(769, Value(panelPopUp, POPUP_PIXELSTART));
    EXPECT_EQ(1024, Value(panelPopUp, POPUP_PIXELEND));
    OperatorDragSlide(panelPopUp, POPUP_PIXELSTART, 500);
    EXPECT_EQ(500, Value(panelPopUp, POPUP_PIXELSTART));
    EXPECT_EQ(755, Value(panelPopUp, POPUP_PIXELEND));

    // A line shorter than the window: the start stays on the first pixel.
    ccdmaxpixel = 200;
    OperatorDragSlide(panelPopUp, POPUP_PIXELSTART, 40);
    EXPECT_EQ(1, Value(panelPopUp, POPUP_PIXELSTART));
    EXPECT_EQ(256, Value(panelPopUp, POPUP_PIXELEND));
}

TEST_F(ParamControls, CcdModeDimsTheWindowControlsAndResetsTheEdgeRange)
{
    OpenPopUp();
    pixB = 100;
    pixE = 356;
    Choose(panelPopUp, POPUP_CCDMODE, 1);
    EXPECT_FALSE(Dimmed(panelPopUp, POPUP_PIXELSTART));
    EXPECT_FALSE(Dimmed(panelPopUp, POPUP_PIXELEND));
    EXPECT_EQ(100, pixB);
    EXPECT_EQ(356, pixE);

    ccdmaxpixel = 512;
    Choose(panelPopUp, POPUP_CCDMODE, 0);
    EXPECT_TRUE(Dimmed(panelPopUp, POPUP_PIXELSTART));
    EXPECT_TRUE(Dimmed(panelPopUp, POPUP_PIXELEND));
    EXPECT_EQ(1, pixB);
    EXPECT_EQ(512, pixE);
}

TEST_F(ParamControls, ToleranceSwitchAndTheTwoSecondDisplays)
{
    OpenPopUp();
    int poti = Value(panelPopUp, POPUP_ENABLE_TOL);
    Click(panelPopUp, POPUP_ENABLE_TOL);
    EXPECT_EQ(poti == 0, Dimmed(panelHandle, PANEL_TOLERANCE));
    if (poti == 0) Click(panelPopUp, POPUP_ENABLE_TOL);
    ASSERT_EQ(0, Value(panelPopUp, POPUP_ENABLE_TOL));
    EXPECT_FALSE(Dimmed(panelHandle, PANEL_TOLERANCE));

    // The tolerance is shown while it is typed, the teach value once committed.
    OperatorType(panelHandle, PANEL_TOLERANCE, "77");
    EXPECT_EQ(77, Value(panelHandle, PANEL_TOLERANCE_SHOW));
    int teachShown = Value(panelHandle, PANEL_TEACH_SHOW);
    OperatorType(panelHandle, PANEL_TEACH, "300");
    EXPECT_EQ(teachShown, Value(panelHandle, PANEL_TEACH_SHOW));
    OperatorEnter(panelHandle, PANEL_TEACH);
    EXPECT_EQ(300, Value(panelHandle, PANEL_TEACH_SHOW));
    EXPECT_NE(300, tVal);  // the panels are the working copy until a Send
}

TEST_F(ParamControls, ToggleShowsAndHidesThePopUp)
{
    ASSERT_FALSE(PanelVisible(panelPopUp));
    Press(PANEL_PARAII);
    EXPECT_TRUE(PanelVisible(panelPopUp));
    EXPECT_EQ(1, Value(panelHandle, PANEL_PARAII));
    Press(PANEL_PARAII);
    EXPECT_FALSE(PanelVisible(panelPopUp));
}
