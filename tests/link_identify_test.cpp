// Sensor identification through the start-up set-up: the description line,
// the pixel scales and the controls a board cannot use.
#include "support/program_fixture.h"

#include "link/link.h"
#include "link/state.h"
#include "runtime/graph.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "support/inspect.h"

#include <string>

namespace {

class IdentifyTest : public ProgramTest {
 protected:
    // A (re)started sensor of this identity, identified as at start-up.
    void Identify(uint16_t type, uint16_t pixels, uint16_t resolution, uint16_t board = 0)
    {
        CloseCom(com);
        sensor.Stop();
        SensorOptions o = Fast();
        o.identity = {type, pixels, resolution, board, "FW"};
        StartSensor(o);
        StartUp();
    }
    std::pair<double, double> Axis(int control, int axis)
    {
        double lo = 0, hi = 0;
        GetAxisRange(panelHandle, control, axis, &lo, &hi);
        return {lo, hi};
    }
};

const char* kUnknown = "  CCD-SENSOR: no information avialable!";
const char* k256 = "  CCD-SENSOR:256 pixel; 63.5\xB5m pixel-pitch, 16mm working range";

}  // namespace

TEST_F(IdentifyTest, EachTypeAndResolutionHasItsDescriptionGainSwitchAndMillimetreScale)
{
    struct Case {
        uint16_t type, pixels, resolution;
        const char* line;
        bool gainDimmed;
        double rangeMm;  // the working range its line names: the scale is that over its pixels
    } cases[] = {
        // A 256-pixel sensor in between dims the gain, so each undimming shows.
        {1, 1024, 30, "  CCD-SENSOR:1024 pixel; 3.0\xB5m res., opt.-lense, 3.0mm working range", false, 3.0},
        {101, 256, 250, k256, true, 16.0},
        {1, 1024, 250, "  CCD-SENSOR:1024 pixel; 7.8\xB5m pixel-pitch, 8.0mm working range", false, 8.0},
        {101, 256, 30, k256, true, 16.0},
        {2, 1024, 750, "  CCD-SENSOR:1024 pixel; 25\xB5m pixel-pitch, opt.-lense, 75mm working range", false, 75.0},
        {101, 256, 250, k256, true, 16.0},
        {2, 1024, 350, "  CCD-SENSOR:1024 pixel; 25\xB5m pixel-pitch, opt.-lense, 35mm working range", false, 35.0},
        {101, 256, 250, k256, true, 16.0},
        {2, 1024, 250, "  CCD-SENSOR:1024 pixel; 25\xB5m pixel-pitch, 25,4mm working range", false, 25.4},
        {101, 256, 250, k256, true, 16.0},
        {3, 512, 30, "  CCD-SENSOR:512 pixel; 25\xB5m pixel-pitch, 12,8mm working range", false, 12.8},
        {101, 256, 250, k256, true, 16.0},
        {0, 1024, 250, kUnknown, false, 0.0},
        {101, 256, 250, k256, true, 16.0},
        {7, 1024, 250, kUnknown, false, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.resolution));
        Identify(c.type, c.pixels, c.resolution);
        EXPECT_EQ(c.line, InfoLine0());
        EXPECT_EQ(c.gainDimmed, Dimmed(panelPopUp, POPUP_GAIN));
        EXPECT_EQ(c.pixels, ccdmaxpixel);
        EXPECT_DOUBLE_EQ(c.rangeMm / c.pixels, mm_per_pixel);
        EXPECT_EQ(c.rangeMm > 0 ? MM_SENSOR_TYPE : MM_NONE, mm_source);
        // No scale: the switch cannot be turned to millimetres, and the panel says why.
        EXPECT_EQ(c.rangeMm == 0, Dimmed(panelHandle, PANEL_MM));
        EXPECT_EQ(c.rangeMm == 0, ShownText(panelHandle, PANEL_MM_SCALE).find("pixels only") != std::string::npos);
    }
}

TEST_F(IdentifyTest, ACalibrationIsKeptForItsSensorAndOnlyForASensorOfItsKind)
{
    Identify(2, 1024, 250);
    EXPECT_DOUBLE_EQ(25.4 / 1024, mm_per_pixel);
    ASSERT_EQ(0, CalibrateScale(10.0, 400.0, 1.5));
    ASSERT_EQ(0, SaveCalibration());
    EXPECT_EQ(-1, CalibrateScale(0.0, 400.0, 0.0));  // refused, the calibration stays
    EXPECT_EQ(-1, CalibrateScale(10.0, -1.0, 0.0));

    // The same sensor again: its calibration, positions with the offset.
    Identify(2, 1024, 250);
    EXPECT_EQ(MM_CALIBRATED, mm_source);
    EXPECT_DOUBLE_EQ(0.025, mm_per_pixel);
    EXPECT_DOUBLE_EQ(11.5, PositionMm(400));
    EXPECT_DOUBLE_EQ(10.0, LengthMm(400));
    EXPECT_NE(std::string::npos, ShownText(panelHandle, PANEL_MM_SCALE).find("calibrated"))
        << ShownText(panelHandle, PANEL_MM_SCALE);

    // Another kind of sensor on the same port starts from its own type's scale.
    Identify(2, 1024, 750);
    EXPECT_EQ(MM_SENSOR_TYPE, mm_source);
    EXPECT_DOUBLE_EQ(75.0 / 1024, mm_per_pixel);

    // Forgotten, the type's scale is back for good.
    Identify(2, 1024, 250);
    EXPECT_EQ(MM_CALIBRATED, mm_source);
    ForgetCalibration();
    EXPECT_EQ(MM_SENSOR_TYPE, mm_source);
    Identify(2, 1024, 250);
    EXPECT_EQ(MM_SENSOR_TYPE, mm_source);
    EXPECT_DOUBLE_EQ(25.4 / 1024, mm_per_pixel);

    // A number as a person types it, with a dot or a comma, and nothing else.
    double v = 0;
    EXPECT_TRUE(ParseDecimal(" 7,5 ", &v));
    EXPECT_EQ(7.5, v);
    EXPECT_TRUE(ParseDecimal("-0.1", &v));
    EXPECT_EQ(-0.1, v);
    EXPECT_FALSE(ParseDecimal("7.5mm", &v));
    EXPECT_FALSE(ParseDecimal("", &v));
    EXPECT_FALSE(ParseDecimal(".", &v));
}

TEST_F(IdentifyTest, TypeTwoWithAnUnknownResolutionChangesNeitherLineNorGain)
{
    Identify(101, 256, 250);  // gain dimmed, 256-pixel line
    Identify(2, 1024, 500);
    EXPECT_EQ(k256, InfoLine0());
    EXPECT_TRUE(Dimmed(panelPopUp, POPUP_GAIN));
    EXPECT_EQ(1024, ccdmaxpixel);  // the words themselves are taken
}

TEST_F(IdentifyTest, VideoPixelScaleFollowsTheLineLength)
{
    Identify(2, 1024, 250);
    EXPECT_EQ(std::make_pair(1.0, 1024.0), Axis(PANEL_GRAPH_VIDEO, AXIS_X));
    for (int i = 0; i < 256; i++) ASSERT_EQ(4 * i, xArray[i]);

    Identify(3, 512, 250);
    EXPECT_EQ(std::make_pair(1.0, 512.0), Axis(PANEL_GRAPH_VIDEO, AXIS_X));
    for (int i = 0; i < 256; i++) ASSERT_EQ(2 * i, xArray[i]);
    // The 512-pixel type also scales the strip chart to its line.
    EXPECT_EQ(std::make_pair(0.0, 512.0), Axis(PANEL_GRAPH_RAW, AXIS_Y));

    // A 256-pixel line is every pixel: twice its length would leave half the
    // curve off the axis.
    Identify(101, 256, 250);
    EXPECT_EQ(std::make_pair(1.0, 256.0), Axis(PANEL_GRAPH_VIDEO, AXIS_X));
    for (int i = 0; i < 256; i++) ASSERT_EQ(i, xArray[i]);
    EXPECT_EQ(1, pixB);
    EXPECT_EQ(256, pixE);
}

TEST_F(IdentifyTest, WindowModeScalesFromTheFirstWindowPixel)
{
    ccdMode = 1;  // as held before the parameter read
    pix1 = 300;
    Identify(2, 1024, 250);
    EXPECT_EQ(std::make_pair(300.0, 556.0), Axis(PANEL_GRAPH_VIDEO, AXIS_X));
    for (int i = 0; i < 256; i++) ASSERT_EQ(300 + i, xArray[i]);
}

TEST_F(IdentifyTest, RightEdgeMovesOutToALongerLineOnly)
{
    StartSensor();
    EXPECT_EQ(0, OpenComConfig(com, "", 19200, 0, 8, 1, 4096, 4096));
    InstallComCallback(com, eventMask, FRAME_BYTES, sync_word, RX_Receive_Function, 0);
    eEnd = 500;
    ASSERT_EQ(1, GetHARDWAREInfo());
    EXPECT_EQ(1024, eEnd);
    eEnd = 2000;
    ASSERT_EQ(1, GetHARDWAREInfo());
    EXPECT_EQ(2000, eEnd);
}

TEST_F(IdentifyTest, PixelStartSlideReachesTheEndOfTheLine)
{
    Identify(3, 512, 250);
    int max = 0;
    GetCtrlAttribute(panelPopUp, POPUP_PIXELSTART, ATTR_MAX_VALUE, &max);
    EXPECT_EQ(512, max);
}

TEST_F(IdentifyTest, BoardFourHundredDimsGainAfterTheTypeRuleUndimmedIt)
{
    Identify(1, 1024, 250, 400);
    EXPECT_TRUE(Dimmed(panelPopUp, POPUP_GAIN));
    EXPECT_TRUE(Dimmed(panelPopUp, POPUP_CCDMODE));
    EXPECT_TRUE(Dimmed(panelHandle, PANEL_ANAMIN));
}

TEST_F(IdentifyTest, NoHardwareReplyLeavesTheIdentityAsItWas)
{
    StartSilentSensor();
    EXPECT_EQ(0, OpenComConfig(com, "", 19200, 0, 8, 1, 4096, 4096));
    InstallComCallback(com, eventMask, FRAME_BYTES, sync_word, RX_Receive_Function, 0);
    ccdtype = 5;
    EXPECT_EQ(0, GetHARDWAREInfo());
    EXPECT_STREQ("Timeout-RS-232...", szStatus);
    EXPECT_EQ(5, ccdtype);
    EXPECT_EQ(1024, ccdmaxpixel);
}
