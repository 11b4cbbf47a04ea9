// Video mode's views for diagnosis in the window: the average and its
// envelope on the video graph, a reference saved, drawn under the live
// curve, shown as a difference, remembered for the sensor and refused when
// it lies elsewhere on the line; the cursors and what they read; the Help
// menu's support file with the reference in it.
#include "support/program_fixture.h"

#include "display/display.h"
#include "link/reference.h"
#include "link/support.h"
#include "runtime/graph.h"
#include "runtime/settings.h"
#include "runtime/ui.h"
#include "support/inspect.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const int kReferenceColor = 0x0060FF;

class VideoViewTest : public ProgramTest {
 protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        dir_ = fs::temp_directory_path() / ("kvormx-view-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        StartSensor();
        StartUp();
        ASSERT_EQ(1024, ccdmaxpixel);
        ASSERT_EQ(0, ccdMode);
        SetVideoAxis(0, 0);
    }
    void TearDown() override
    {
        ClearFileSelectAnswers();
        fs::remove_all(dir_);
        ProgramTest::TearDown();
    }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    // A whole picture of the full line whose sample i is base + i, as the loop delivers it.
    void Picture(int base)
    {
        PictureRecord p{};
        p.complete = 1;
        p.first_pixel = 0;
        p.pixel_step = 4;
        p.m.left_edge = Ledge;
        p.m.right_edge = Redge;
        for (int i = 0; i < 256; i++) p.samples[i] = adcbuf[i] = static_cast<uint16_t>(base + i);
        ShowVideoPicture(&p);
        PumpFor(0.02);
    }
    std::vector<PlotInfo> Plots() const { return GraphPlots(panelHandle, PANEL_GRAPH_VIDEO); }
    std::string Text(int control) const
    {
        char text[256] = "";
        GetCtrlVal(panelHandle, control, text, sizeof text);
        return text;
    }
    fs::path dir_;
};

}  // namespace

TEST_F(VideoViewTest, AverageOfFourWithItsEnvelopeUnderTheCurveAndTheThresholdOnTop)
{
    Choose(panelHandle, PANEL_AVERAGE, 2);  // 4 pictures
    Click(panelHandle, PANEL_ENVELOPE);
    for (int base : {10, 20, 31, 40}) Picture(base);
    auto plots = Plots();
    ASSERT_EQ(3u, plots.size());
    EXPECT_EQ(PLOT_BAND, plots[0].kind);
    EXPECT_EQ(PLOT_XY, plots[1].kind);
    EXPECT_EQ(0xFF0000, plots[1].color);
    EXPECT_EQ(0x008000, plots[2].color);  // the threshold line stays on top
    ASSERT_EQ(256u, plots[1].y.size());
    ASSERT_EQ(512u, plots[0].y.size());
    for (int i = 0; i < 256; i++) {
        ASSERT_EQ(4 * i, plots[1].x[i]);
        ASSERT_EQ(25 + i, plots[1].y[i]) << i;   // (10 + 20 + 31 + 40) / 4, rounded
        ASSERT_EQ(10 + i, plots[0].y[i]);        // lows
        ASSERT_EQ(40 + i, plots[0].y[256 + i]);  // highs
        ASSERT_EQ(vThd, plots[2].y[i]);
    }
    // The fifth picture pushes the first out of the four.
    Picture(50);
    EXPECT_EQ((20 + 31 + 40 + 50 + 2) / 4, Plots()[1].y[0]);

    // Back to one picture without an envelope: the curve as it always was.
    Click(panelHandle, PANEL_ENVELOPE);
    Choose(panelHandle, PANEL_AVERAGE, 0);
    plots = Plots();
    ASSERT_EQ(2u, plots.size());
    EXPECT_EQ(50, plots[0].y[0]);
}

TEST_F(VideoViewTest, ReferenceSavedIsDrawnUnderTheLiveCurveShownAsDifferenceAndRemembered)
{
    Press(PANEL_REF_SAVE);  // before any picture: nothing to keep
    EXPECT_EQ("No video picture yet: start Video first.", Status());
    Picture(100);
    const std::string file = Path("ref.csv");
    QueueFileSelectAnswer(2, file.c_str());
    Press(PANEL_REF_SAVE);
    EXPECT_EQ("Reference saved (1 pictures averaged): " + file, Status());
    Reference saved{};
    ASSERT_EQ(0, LoadReference(file.c_str(), &saved)) << ReferenceError();
    EXPECT_EQ(100, saved.picture.samples[0]);
    EXPECT_EQ(1024, saved.identity.pixels);
    EXPECT_EQ(vThd, saved.params[2]);

    Picture(130);
    auto plots = Plots();
    ASSERT_EQ(3u, plots.size());
    EXPECT_EQ(kReferenceColor, plots[0].color);  // under the live curve
    EXPECT_EQ(100, plots[0].y[0]);
    EXPECT_EQ(130, plots[1].y[0]);

    Click(panelHandle, PANEL_REF_DIFF);
    plots = Plots();
    ASSERT_EQ(3u, plots.size());
    for (int i = 0; i < 256; i++) {
        ASSERT_EQ(0, plots[0].y[i]);   // the reference is the zero line
        ASSERT_EQ(30, plots[1].y[i]);  // live - reference
    }
    double lo = 0, hi = 0;
    GetAxisRange(panelHandle, PANEL_GRAPH_VIDEO, AXIS_Y, &lo, &hi);
    EXPECT_EQ(-1023.0, lo);
    EXPECT_EQ(1023.0, hi);

    // Remembered for this sensor: the next start loads it when the sensor is set up.
    char key[PATH_LEN + 32], kept[PATH_LEN] = "";
    ReferenceSettingKey(key, sizeof key);
    ASSERT_TRUE(GetSetting(key, kept, sizeof kept));
    EXPECT_EQ(file, kept);
    ResetVideoView();
    ASSERT_EQ(nullptr, CurrentReference());
    StartUp();
    ASSERT_NE(nullptr, CurrentReference());
    EXPECT_EQ(100, CurrentReference()->picture.samples[0]);
    Picture(100);
    EXPECT_EQ(kReferenceColor, Plots()[0].color);

    // The support file carries it.
    const std::string tar = Path("support.tar");
    QueueFileSelectAnswer(2, tar.c_str());
    ASSERT_TRUE(OperatorChooseMenuItem(panelHandle, "Help", "Save support file"));
    EXPECT_EQ("Support file written: " + tar, Status());
    FILE* list = popen(("tar -tf '" + tar + "'").c_str(), "r");
    ASSERT_NE(nullptr, list);
    char names[2048] = "";
    size_t n = fread(names, 1, sizeof names - 1, list);
    names[n] = '\0';
    pclose(list);
    EXPECT_NE(nullptr, std::strstr(names, "reference.csv\n")) << names;
    EXPECT_NE(nullptr, std::strstr(names, "settings.txt\n")) << names;
}

TEST_F(VideoViewTest, ReferenceOfAnotherLineLengthOrFirstPixelIsRefused)
{
    Picture(100);
    PictureRecord taken{};
    taken.complete = 1;
    Reference other{};
    TakeReference(&other, &taken, adcbuf, 1);
    other.identity.pixels = 512;
    other.picture.first_pixel = 0;
    other.picture.pixel_step = 2;
    const std::string file = Path("other.csv");
    ASSERT_EQ(0, SaveReference(file.c_str(), &other));
    QueueFileSelectAnswer(1, file.c_str());
    Press(PANEL_REF_LOAD);
    ASSERT_FALSE(FileSelectCalls().empty());
    EXPECT_NE(0, FileSelectCalls().back().buttonLabel);  // a dialog that opens a file, not one that saves
    EXPECT_EQ("Reference refused: The reference was taken on a line of 512 pixels, this sensor has 1024.", Status());
    EXPECT_EQ(2u, Plots().size());

    other.identity.pixels = 1024;
    other.picture.first_pixel = 300;
    other.picture.pixel_step = 1;
    ASSERT_EQ(0, SaveReference(file.c_str(), &other));
    QueueFileSelectAnswer(1, file.c_str());
    Press(PANEL_REF_LOAD);
    EXPECT_EQ("Reference refused: The reference starts at pixel 300, the video at pixel 0.", Status());
    EXPECT_EQ(2u, Plots().size());
}

TEST_F(VideoViewTest, CursorsSnapToAReportedEdgeAndReadTheSignalAgainstTheThreshold)
{
    DisplayPanel(panelHandle);  // the mouse works on a graph that is laid out on the screen
    PumpFor(0.1);
    Click(panelHandle, PANEL_CURSORS);
    EXPECT_EQ("Cursor 1", Accessible(panelHandle, PANEL_CURSOR1).name);
    EXPECT_EQ("Cursor 2", Accessible(panelHandle, PANEL_CURSOR2).name);
    EXPECT_EQ("Distance", Accessible(panelHandle, PANEL_DISTANCE).name);
    Picture(0);  // sample i is i: pixel 4i reads i
    // A press takes the nearer cursor to the mouse.
    Click(panelHandle, PANEL_GRAPH_VIDEO);
    double a = 0, b = 0;
    GetMeasureCursor(panelHandle, PANEL_GRAPH_VIDEO, 1, &a);
    GetMeasureCursor(panelHandle, PANEL_GRAPH_VIDEO, 2, &b);
    const double pressed = a;
    ASSERT_GT(pressed, 100);
    // An edge three pixels away: the next press there lies on it.
    Ledge = static_cast<uint16_t>(pressed + 3);
    Redge = 900;
    Picture(0);
    Click(panelHandle, PANEL_GRAPH_VIDEO);
    GetMeasureCursor(panelHandle, PANEL_GRAPH_VIDEO, 1, &a);
    EXPECT_EQ(Ledge, a);
    const int at = static_cast<int>(a);
    const int signal = (at + 2) / 4;
    char expect[160];
    std::snprintf(expect, sizeof expect, "1: pixel %d (edge), signal %d < %d", at, signal, int{vThd});
    EXPECT_EQ(expect, Text(PANEL_CURSOR1));
    // The keyboard: Ctrl+Right jumps the active cursor to the next edge.
    OperatorKeys(panelHandle, "Ctrl+Right");
    GetMeasureCursor(panelHandle, PANEL_GRAPH_VIDEO, 1, &a);
    EXPECT_EQ(900, a);
    mm_per_pixel = 0;  // a sensor of no known scale: pixels only
    OperatorKeys(panelHandle, "Left");
    GetMeasureCursor(panelHandle, PANEL_GRAPH_VIDEO, 1, &a);
    EXPECT_EQ(899, a);
    const int d = static_cast<int>(b > 899 ? b - 899 : 899 - b);
    std::snprintf(expect, sizeof expect, "Distance %d pixels", d);
    EXPECT_EQ(expect, Text(PANEL_DISTANCE));
    // With a millimetre scale the distance is in millimetres too.
    mm_per_pixel = 0.025;
    OperatorKeys(panelHandle, "Right");
    const int moved = static_cast<int>(b > 900 ? b - 900 : 900 - b);
    std::snprintf(expect, sizeof expect, "Distance %d pixels, %.3f mm", moved, moved * 0.025);
    EXPECT_EQ(expect, Text(PANEL_DISTANCE));
}
