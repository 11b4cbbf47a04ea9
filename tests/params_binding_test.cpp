// Showing a parameter set: the range rules, the values on both panels, the
// threshold line on the video curve and the bar graph in both CCD modes.
#include "support/program_fixture.h"

#include "display/display.h"
#include "params/params.h"
#include "runtime/graph.h"
#include "runtime/ui.h"
#include "support/inspect.h"

namespace {

using Words = std::array<uint16_t, 16>;
using BindingTest = ProgramTest;

std::pair<double, double> Cursor(int n)
{
    double x = 0, y = 0;
    GetGraphCursor(panelHandle, PANEL_GRAPH_BAR, n, &x, &y);
    return {x, y};
}

}  // namespace

TEST_F(BindingTest, ValuesJustOverTheirLimitsAreReplaced)
{
    ccdmaxpixel = 512;
    SetVars({1001, 2, 960, 1024, 2, 7, 1025, 2000, 1025, 513, 2, 2, 0, 1024, 0, 5000});
    SetPanelValues();
    EXPECT_EQ((Words{500, 0, 950, 60, 1, 4, 1, 512, 512, 128, 0, 1, 0, 1, 0, 1023}), Vars());

    EXPECT_EQ(500, Value(panelHandle, PANEL_POWER));
    EXPECT_EQ(950, Value(panelHandle, PANEL_VIDEO_THRESHOLD));
    EXPECT_EQ(4, Value(panelHandle, PANEL_EDGEMODE));
    EXPECT_EQ(1, Value(panelHandle, PANEL_EDGE_LEFT));
    EXPECT_EQ(512, Value(panelHandle, PANEL_EDGE_RIGHT));
    EXPECT_EQ(512, Value(panelHandle, PANEL_TEACH));
    EXPECT_EQ(512, Value(panelHandle, PANEL_TEACH_SHOW));
    EXPECT_EQ(128, Value(panelHandle, PANEL_TOLERANCE));
    EXPECT_EQ(128, Value(panelHandle, PANEL_TOLERANCE_SHOW));
    EXPECT_EQ(60, Value(panelPopUp, POPUP_BVAL));
    EXPECT_EQ(0, Value(panelPopUp, POPUP_GAIN));
    EXPECT_EQ(1, Value(panelPopUp, POPUP_PIXELSTART));
    EXPECT_EQ(256, Value(panelPopUp, POPUP_PIXELEND));
}

TEST_F(BindingTest, ValuesAtTheirLimitsStandAndTheLowerBoundsApply)
{
    ccdmaxpixel = 512;
    SetVars({1000, 1, 30, 1023, 1, 4, 1024, 1024, 1024, 512, 1, 0, 0, 100, 4, 0});
    SetPanelValues();
    // The right edge's replacement is the line length, but 1024 is no offence.
    EXPECT_EQ((Words{1000, 1, 50, 1023, 1, 4, 1024, 1024, 1024, 512, 1, 0, 0, 100, 4, 1}), Vars());
    EXPECT_EQ(1000, Value(panelHandle, PANEL_POWER));
    EXPECT_EQ(50, Value(panelHandle, PANEL_VIDEO_THRESHOLD));
    EXPECT_EQ(1024, Value(panelHandle, PANEL_EDGE_RIGHT));
    EXPECT_EQ(355, Value(panelPopUp, POPUP_PIXELEND));
    EXPECT_EQ(4, Value(panelPopUp, POPUP_ANAMODE));
}

TEST_F(BindingTest, CollectingThePanelsReadsBothOfThemIntoTheVariables)
{
    SetVars({300, 1, 700, 20, 0, 2, 5, 900, 400, 30, 0, 0, 1, 50, 3, 77});
    SetPanelValues();
    SetVars({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 77});
    GetPanelValues();
    EXPECT_EQ((Words{300, 1, 700, 20, 0, 2, 5, 900, 400, 30, 0, 0, 1, 50, 3, 77}), Vars());
}

TEST_F(BindingTest, ThresholdLineIsDrawnOverTheCurveAtTheCorrectedValue)
{
    for (int i = 0; i < 256; i++) adcbuf[i] = static_cast<uint16_t>(4 * i);
    vThd = 960;
    SetPanelValues();
    auto plots = GraphPlots(panelHandle, PANEL_GRAPH_VIDEO);
    ASSERT_EQ(2u, plots.size());
    EXPECT_EQ(0xFF0000, plots[0].color);
    EXPECT_EQ(0x008000, plots[1].color);
    ASSERT_EQ(256u, plots[0].y.size());
    ASSERT_EQ(256u, plots[1].y.size());
    for (int i = 0; i < 256; i++) {
        ASSERT_EQ(4 * i, plots[0].y[i]);
        ASSERT_EQ(xArray[i], plots[0].x[i]);
        ASSERT_EQ(950, plots[1].y[i]);
    }
    double lo = 0, hi = 0;
    GetAxisRange(panelHandle, PANEL_GRAPH_VIDEO, AXIS_Y, &lo, &hi);
    EXPECT_EQ(0.0, lo);
    EXPECT_EQ(1023.0, hi);
}

TEST_F(BindingTest, MovingTheThresholdSlideRedrawsTheLineButKeepsTheParameter)
{
    OperatorDragSlide(panelHandle, PANEL_VIDEO_THRESHOLD, 800);
    int shown = Value(panelHandle, PANEL_VIDEO_THRESHOLD);
    EXPECT_NEAR(800, shown, 10);
    EXPECT_EQ(512, vThd);
    auto plots = GraphPlots(panelHandle, PANEL_GRAPH_VIDEO);
    ASSERT_EQ(2u, plots.size());
    for (int i = 0; i < 256; i++) {
        ASSERT_EQ(0, plots[0].y[i]);  // no video read yet
        ASSERT_EQ(shown, plots[1].y[i]);
        ASSERT_EQ(shown, thdArray[i]);
    }
}

TEST_F(BindingTest, WholeLineBarGraphShowsLineBandAndEdgeCursors)
{
    ccdmaxpixel = 1024;
    SetVars({500, 0, 512, 64, 1, 1, 20, 900, 512, 100, 1, 1, 0, 1, 0, 1000});
    SetPanelValues();
    SetPanelValues();  // a second showing replaces the first
    auto plots = GraphPlots(panelHandle, PANEL_GRAPH_BAR);
    ASSERT_EQ(2u, plots.size());
    EXPECT_EQ((std::vector<double>{0, 1024}), plots[0].x);
    EXPECT_EQ((std::vector<double>{0, 1}), plots[0].y);
    EXPECT_EQ(0xA0A0A0, plots[0].color);
    EXPECT_EQ(0xA0A0A0, plots[0].fillColor);
    EXPECT_EQ((std::vector<double>{412, 612}), plots[1].x);
    EXPECT_EQ((std::vector<double>{0, 0.25}), plots[1].y);
    EXPECT_EQ(0x00FF00, plots[1].color);
    EXPECT_EQ(0x00FF00, plots[1].fillColor);
    EXPECT_EQ(std::make_pair(20.0, 0.75), Cursor(2));
    EXPECT_EQ(std::make_pair(900.0, 0.75), Cursor(3));
    double lo = 0, hi = 0;
    GetAxisRange(panelHandle, PANEL_GRAPH_BAR, AXIS_X, &lo, &hi);
    EXPECT_EQ(1.0, lo);
    EXPECT_EQ(1024.0, hi);
}

TEST_F(BindingTest, ToleranceWiderThanTheTeachValueStartsLeftOfPixelZero)
{
    tVal = 50;
    tTol = 128;
    SetPanelValues();
    auto plots = GraphPlots(panelHandle, PANEL_GRAPH_BAR);
    ASSERT_EQ(2u, plots.size());
    EXPECT_EQ((std::vector<double>{-78, 178}), plots[1].x);
}

TEST_F(BindingTest, WindowModeShowsTheWindowOnTheSensorsPixelRangeAndLeavesTheCursors)
{
    SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 2, 33, 0.5);
    SetCtrlAttribute(panelPopUp, POPUP_PIXELSTART, ATTR_DIMMED, 1);
    SetCtrlAttribute(panelPopUp, POPUP_PIXELEND, ATTR_DIMMED, 1);
    pix1 = 300;
    ccdMode = 1;
    pStart = 100;
    SetPanelValues();
    double lo = 0, hi = 0;
    GetAxisRange(panelHandle, PANEL_GRAPH_BAR, AXIS_X, &lo, &hi);
    EXPECT_EQ(300.0, lo);
    EXPECT_EQ(556.0, hi);
    auto plots = GraphPlots(panelHandle, PANEL_GRAPH_BAR);
    ASSERT_EQ(1u, plots.size());  // no tolerance band in this mode
    EXPECT_EQ((std::vector<double>{100, 355}), plots[0].x);
    EXPECT_EQ((std::vector<double>{0, 1}), plots[0].y);
    EXPECT_EQ(0xA0A0A0, plots[0].fillColor);
    EXPECT_EQ(std::make_pair(33.0, 0.5), Cursor(2));
    EXPECT_FALSE(Dimmed(panelPopUp, POPUP_PIXELSTART));
    EXPECT_FALSE(Dimmed(panelPopUp, POPUP_PIXELEND));
    EXPECT_EQ(355, Value(panelPopUp, POPUP_PIXELEND));

    ccdMode = 0;  // back to the whole line: the window controls keep their state
    SetPanelValues();
    EXPECT_FALSE(Dimmed(panelPopUp, POPUP_PIXELSTART));
}

TEST_F(BindingTest, PotentiometerItemIsDimmedByTheSwitchAndNeverUndimmedHere)
{
    SetCtrlAttribute(panelPopUp, POPUP_POTI_ITEM, ATTR_DIMMED, 0);
    ePoti = 1;
    SetPanelValues();
    EXPECT_TRUE(Dimmed(panelPopUp, POPUP_POTI_ITEM));
    ePoti = 0;
    SetPanelValues();
    EXPECT_TRUE(Dimmed(panelPopUp, POPUP_POTI_ITEM));
    EXPECT_EQ(0, Value(panelPopUp, POPUP_ENABLE_TOL));
}

// Values the rings list no item for, and a pixel start below the slide's
// range, pass the range rules: they must come back unchanged from the panels,
// to the sensor, not as the controls' old items.
TEST_F(BindingTest, UnlistedValuesSurviveTheRoundTripToTheSensor)
{
    Words held = {500, 0, 512, 64, 1, 1, 1, 1024, 512, 100, 1, 1, 2, 0, 5, 1000};
    StartSensor(Holding(held));
    StartUp();
    ASSERT_EQ(held, Vars());
    EXPECT_EQ(2, Value(panelPopUp, POPUP_CCDMODE));
    EXPECT_EQ(5, Value(panelPopUp, POPUP_ANAMODE));
    EXPECT_EQ(0, Value(panelPopUp, POPUP_PIXELSTART));

    sensor.ClearFrames();
    Press(PANEL_SEND);
    EXPECT_EQ("Line Ok!", Status());
    EXPECT_EQ(held, Frames().at(0).payload);

    // Shown again after another set: the extra item is not added twice.
    SetPanelValues();
    int items = 0;
    GetNumListItems(panelPopUp, POPUP_CCDMODE, &items);
    EXPECT_EQ(3, items);
    GetPanelValues();
    EXPECT_EQ(held, Vars());
}
