// The run-mode strip chart: the 100-sample history, its array routines, the
// band limits and the zoom around the teach value.
#include "support/program_fixture.h"

#include "display/display.h"
#include "link/record.h"
#include "runtime/graph.h"
#include "runtime/ui.h"
#include "support/inspect.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

class StripChartTest : public ProgramTest {
 protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        ccdmaxpixel = 1024;
        anaMode = 0;
    }
    void Sample(int teach, int tol, int value)
    {
        tVal = static_cast<uint16_t>(teach);
        tTol = static_cast<uint16_t>(tol);
        Mvalue = static_cast<uint16_t>(value);
        PlotRAWGraph();
    }
    std::vector<double> Newest() const { return std::vector<double>(arrayNORM + 495, arrayNORM + 500); }
    std::pair<int, int> Zoom() const
    {
        int lo = 0, hi = 0;
        StripZoomRange(&lo, &hi);
        return {lo, hi};
    }
    std::pair<double, double> YAxis() const
    {
        double lo = 0, hi = 0;
        GetAxisRange(panelHandle, PANEL_GRAPH_RAW, AXIS_Y, &lo, &hi);
        return {lo, hi};
    }
};

using ArrayRoutines = ::testing::Test;

}  // namespace

TEST(ArrayRoutines, ShiftMovesEitherWayAndZeroesWhatItVacates)
{
    double x[4] = {1, 2, 3, 4}, y[4] = {9, 9, 9, 9};
    EXPECT_EQ(0, Shift(x, 4, 1, y));
    EXPECT_EQ((std::vector<double>{0, 1, 2, 3}), std::vector<double>(y, y + 4));
    EXPECT_EQ(0, Shift(x, 4, -1, y));
    EXPECT_EQ((std::vector<double>{2, 3, 4, 0}), std::vector<double>(y, y + 4));
    EXPECT_EQ(0, Shift(x, 4, 0, y));
    EXPECT_EQ((std::vector<double>{1, 2, 3, 4}), std::vector<double>(y, y + 4));
    EXPECT_EQ(0, Shift(x, 4, 3, y));
    EXPECT_EQ((std::vector<double>{0, 0, 0, 1}), std::vector<double>(y, y + 4));

    // In place, both ways: the copy must not overrun what it still has to read.
    double a[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(0, Shift(a, 5, 2, a));
    EXPECT_EQ((std::vector<double>{0, 0, 1, 2, 3}), std::vector<double>(a, a + 5));
    EXPECT_EQ(0, Shift(a, 5, -2, a));
    EXPECT_EQ((std::vector<double>{1, 2, 3, 0, 0}), std::vector<double>(a, a + 5));
}

TEST(ArrayRoutines, RefusedCallsWriteNothing)
{
    double x[4] = {1, 2, 3, 4}, y[4] = {9, 9, 9, 9};
    EXPECT_EQ(-20102, Shift(x, 4, 4, y));
    EXPECT_EQ(-20102, Shift(x, 4, -4, y));
    EXPECT_EQ(-20003, Shift(x, 0, 0, y));
    EXPECT_EQ(-20003, Shift(x, -1, 0, y));
    EXPECT_EQ(-20003, Copy1D(x, 0, y));
    EXPECT_EQ((std::vector<double>{9, 9, 9, 9}), std::vector<double>(y, y + 4));
    EXPECT_EQ(0, Copy1D(x, 3, y));
    EXPECT_EQ((std::vector<double>{1, 2, 3, 9}), std::vector<double>(y, y + 4));

    static double big[500];
    big[0] = 7;
    EXPECT_EQ(-20102, Shift(big, 500, -500, big));
    EXPECT_EQ(7, big[0]);
}

TEST_F(StripChartTest, FirstReplyEntersAsTheNewestOfAHundredSamples)
{
    Sample(500, 20, 510);
    for (int i = 0; i < 495; i++) ASSERT_EQ(0.0, arrayNORM[i]) << "element " << i;
    EXPECT_EQ((std::vector<double>{520, 480, 500, 510, 510}), Newest());

    // The chart shows the whole history, the newest at the right, in the
    // colours of the five traces from the very first reply on: the band's
    // limits one green, dashed, the others each a colour or a line of its own.
    const int colors[5] = {0x008000, 0x008000, 0x000000, 0xFF0000, 0x0060D0};
    const int styles[5] = {VAL_DASH, VAL_DASH, VAL_SOLID, VAL_SOLID, VAL_DOT};
    const double newest[5] = {520, 480, 500, 510, 510};
    for (int tr = 1; tr <= 5; tr++) {
        std::vector<double> pts = StripChartTrace(panelHandle, PANEL_GRAPH_RAW, tr);
        ASSERT_EQ(100u, pts.size()) << "trace " << tr;
        EXPECT_EQ(newest[tr - 1], pts.back()) << "trace " << tr;
        EXPECT_EQ(0.0, pts.front()) << "trace " << tr;
        EXPECT_EQ(colors[tr - 1], StripTraceColor(panelHandle, PANEL_GRAPH_RAW, tr)) << "trace " << tr;
        EXPECT_EQ(styles[tr - 1], StripTraceLineStyle(panelHandle, PANEL_GRAPH_RAW, tr)) << "trace " << tr;
    }
    // A legend names each trace, and the axes say what they count in.
    EXPECT_EQ(
        (std::vector<std::string>{"Upper limit", "Lower limit", "Teach value", "Measured value", "Analog output"}),
        GraphLegend(panelHandle, PANEL_GRAPH_RAW));
    char name[64];
    GetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_YNAME, name, sizeof name);
    EXPECT_STREQ("Position (pixel)", name);
    GetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_XNAME, name, sizeof name);
    EXPECT_NE(std::string(), name);
}

TEST_F(StripChartTest, HistoryAgesOneSampleAReplyAndKeepsTheLastHundred)
{
    for (int k = 1; k <= 120; k++) Sample(500, 20, k);
    EXPECT_EQ(21, arrayNORM[3]);  // the oldest kept is the 21st reply
    EXPECT_EQ(120, arrayNORM[498]);
    std::vector<double> pts = StripChartTrace(panelHandle, PANEL_GRAPH_RAW, 4);
    ASSERT_FALSE(pts.empty());
    EXPECT_LE(pts.size(), 101u);
    EXPECT_EQ(120, pts.back());
    EXPECT_EQ(21, pts[pts.size() - 100]);
}

TEST_F(StripChartTest, BandLimitsStayWithinTheSignalScale)
{
    Sample(50, 100, 60);
    EXPECT_EQ(150, arrayNORM[495]);
    EXPECT_EQ(1, arrayNORM[496]);
    Sample(1000, 100, 990);
    EXPECT_EQ(1023, arrayNORM[495]);
    EXPECT_EQ(900, arrayNORM[496]);
}

TEST_F(StripChartTest, FifthTraceFollowsTheAnalogMode)
{
    Mvalue = 400;
    anaMax = 450;
    anaMin = 1023;
    const double expected[] = {400, 450, 1, 450, 1, 0, 0, 0};
    for (int mode = 0; mode < 8; mode++) {
        anaMode = static_cast<uint16_t>(mode);
        PlotRAWGraph();
        EXPECT_EQ(expected[mode], arrayNORM[499]) << "analog mode " << mode;
    }
    anaMin = 300;
    anaMode = 4;
    PlotRAWGraph();
    EXPECT_EQ(300, arrayNORM[499]);
}

TEST_F(StripChartTest, ZoomFollowsTheTeachValueAndAMeasurementOutsideIt)
{
    tVal = 500, tTol = 5;
    Mvalue = 500;
    EXPECT_EQ(std::make_pair(460, 540), Zoom());
    Mvalue = 600;
    EXPECT_EQ(std::make_pair(460, 620), Zoom());
    Mvalue = 300;
    EXPECT_EQ(std::make_pair(280, 540), Zoom());

    tVal = 512, tTol = 100, Mvalue = 512;
    EXPECT_EQ(std::make_pair(112, 912), Zoom());
    tVal = 900;
    EXPECT_EQ(std::make_pair(500, 1023), Zoom());
    Mvalue = 100;
    EXPECT_EQ(std::make_pair(50, 1023), Zoom());
    tVal = 20, tTol = 100, Mvalue = 20;
    EXPECT_EQ(std::make_pair(1, 420), Zoom());

    // A teach value past the scale would clamp to an inverted range.
    tVal = 1100, tTol = 5, Mvalue = 1100;
    EXPECT_EQ(std::make_pair(0, 1024), Zoom());
}

TEST_F(StripChartTest, ZoomSwitchChoosesBetweenTheWholeLineAndTheTeachValue)
{
    SetCtrlVal(panelHandle, PANEL_STRIP_ZOOM, 0);
    ccdmaxpixel = 512;
    Sample(300, 20, 310);
    EXPECT_EQ(std::make_pair(0.0, 512.0), YAxis());

    SetCtrlVal(panelHandle, PANEL_STRIP_ZOOM, 1);
    Sample(300, 20, 310);
    EXPECT_EQ(std::make_pair(220.0, 380.0), YAxis());
}

TEST_F(StripChartTest, RunHistoryKeepsEightHoursInItsBucketsWithEveryExcursion)
{
    // Eight hours and a little at 27 replies a second, in the fixed buckets:
    // the whole run stays, each bucket as wide as the others, and a single
    // reply far out still shows in the bucket that took it.
    ClearRunHistory();
    const long replies = 8L * 3600 * 27 + 1000;
    double sample[TRACES] = {520, 480, 500, 500, 500};
    for (long k = 0; k < replies; k++) {
        sample[3] = k == 123456 ? 900 : 495 + k % 10;
        AddToRunHistory(k / 27.0, sample);
    }
    EXPECT_EQ(replies, RunHistoryReplies());
    ASSERT_LE(RunHistoryBucketCount(), HISTORY_BUCKETS);
    EXPECT_GT(RunHistoryBucketCount(), HISTORY_BUCKETS / 2);
    const long per = RunHistoryRepliesPerBucket();
    EXPECT_LE(replies, per * HISTORY_BUCKETS);
    long total = 0;
    int peaks = 0;
    double least = 1e9;
    for (int i = 0; i < RunHistoryBucketCount(); i++) {
        const HistoryBucket* b = RunHistoryBucket(i);
        total += b->replies;
        if (i + 1 < RunHistoryBucketCount()) EXPECT_EQ(per, b->replies) << i;
        if (i) EXPECT_LT(RunHistoryBucket(i - 1)->to, b->from) << i;
        peaks += b->most[3] == 900;
        if (b->least[3] < least) least = b->least[3];
    }
    EXPECT_EQ(replies, total);
    EXPECT_EQ(1, peaks);
    EXPECT_EQ(495, least);
    EXPECT_EQ(0.0, RunHistoryBucket(0)->from);
    EXPECT_DOUBLE_EQ((replies - 1) / 27.0, RunHistoryBucket(RunHistoryBucketCount() - 1)->to);
    EXPECT_EQ(nullptr, RunHistoryBucket(RunHistoryBucketCount()));
}

TEST_F(StripChartTest, HistoryViewShowsTheRunOverItsSecondsAndLiveBringsTheChartBack)
{
    ClearRunHistory();
    double sample[TRACES] = {520, 480, 500, 500, 500};
    for (int k = 0; k < 600; k++) {
        sample[3] = 490 + k % 20;
        AddToRunHistory(k * 0.05, sample);
    }
    DisplayPanel(panelHandle);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_VIDEO, ATTR_VISIBLE, 0);  // run mode's chart on show
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_VISIBLE, 1);
    Click(panelHandle, PANEL_HISTORY);
    EXPECT_TRUE(RunHistoryShown());
    EXPECT_TRUE(Visible(panelHandle, PANEL_GRAPH_HISTORY));
    EXPECT_FALSE(Visible(panelHandle, PANEL_GRAPH_RAW));
    EXPECT_FALSE(Dimmed(panelHandle, PANEL_LIVE));
    EXPECT_EQ("Time since Run (s)", GraphAxisLabel(panelHandle, PANEL_GRAPH_HISTORY, AXIS_X));
    EXPECT_EQ(
        (std::vector<std::string>{"Upper limit", "Lower limit", "Teach value", "Measured value", "Analog output"}),
        GraphLegend(panelHandle, PANEL_GRAPH_HISTORY));
    double lo = 0, hi = 0;
    GetAxisRange(panelHandle, PANEL_GRAPH_HISTORY, AXIS_X, &lo, &hi);
    EXPECT_EQ(0.0, lo);
    EXPECT_NEAR(29.95, hi, 1e-9);
    // The measured value's plot spans the run, through its least and greatest.
    std::vector<PlotInfo> plots = GraphPlots(panelHandle, PANEL_GRAPH_HISTORY);
    ASSERT_EQ(5u, plots.size());
    EXPECT_EQ("Measured value", plots[3].name);
    EXPECT_EQ(490.0, *std::min_element(plots[3].y.begin(), plots[3].y.end()));
    EXPECT_EQ(509.0, *std::max_element(plots[3].y.begin(), plots[3].y.end()));

    // The wheel zooms into the time axis, once the view is drawn.
    for (int i = 0; i < 5; i++) ProcessSystemEvents();
    OperatorWheel(panelHandle, PANEL_GRAPH_HISTORY, -3);
    GetAxisRange(panelHandle, PANEL_GRAPH_HISTORY, AXIS_X, &lo, &hi);
    EXPECT_LT(hi - lo, 29.0);
    // A drag to the right shows earlier seconds.
    const double zoomedLow = lo;
    OperatorDrag(panelHandle, PANEL_GRAPH_HISTORY, 60);
    GetAxisRange(panelHandle, PANEL_GRAPH_HISTORY, AXIS_X, &lo, &hi);
    EXPECT_LT(lo, zoomedLow);

    Click(panelHandle, PANEL_LIVE);
    EXPECT_FALSE(RunHistoryShown());
    EXPECT_TRUE(Visible(panelHandle, PANEL_GRAPH_RAW));
    EXPECT_FALSE(Visible(panelHandle, PANEL_GRAPH_HISTORY));
    EXPECT_TRUE(Dimmed(panelHandle, PANEL_LIVE));

    // Before a run the video graph shows with its tools: the history takes
    // the room of both, without a legend while it has no trace (an empty one
    // left the plot area a sliver), and Live gives it back.
    ClearRunHistory();
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_VIDEO, ATTR_VISIBLE, 1);
    SetCtrlAttribute(panelHandle, PANEL_VIDEO_TOOLS, ATTR_VISIBLE, 1);
    Click(panelHandle, PANEL_HISTORY);
    EXPECT_TRUE(Visible(panelHandle, PANEL_GRAPH_HISTORY));
    EXPECT_FALSE(Visible(panelHandle, PANEL_VIDEO_TOOLS));
    int legend = -1;
    GetCtrlAttribute(panelHandle, PANEL_GRAPH_HISTORY, ATTR_LEGEND_VISIBLE, &legend);
    EXPECT_EQ(0, legend);
    Click(panelHandle, PANEL_LIVE);
    EXPECT_TRUE(Visible(panelHandle, PANEL_GRAPH_VIDEO));
    EXPECT_TRUE(Visible(panelHandle, PANEL_VIDEO_TOOLS));
    EXPECT_FALSE(Visible(panelHandle, PANEL_GRAPH_HISTORY));
}

TEST_F(StripChartTest, StatisticsHistogramMarksTheBandAndResetStartsAfresh)
{
    // Replies as the loops deliver them: 500, 505, 505, 700 around 512 +- 100.
    ResetRunStatistics();
    for (int v : {500, 505, 505, 700}) {
        Ledge = 300;
        Redge = static_cast<uint16_t>(v);
        Mvalue = static_cast<uint16_t>(v);
        tVal = 512;
        tTol = 100;
        MeasurementRecord r;
        FillMeasurementRecord(&r);
        DeliverMeasurement(&r);
    }
    DeliverLoopEnded(0, 0);
    EXPECT_EQ("4", ShownText(panelHandle, PANEL_STAT_COUNT));
    EXPECT_EQ("1", ShownText(panelHandle, PANEL_STAT_OUT));
    EXPECT_EQ("25.00 %", ShownText(panelHandle, PANEL_STAT_SHARE));
    EXPECT_EQ("500", ShownText(panelHandle, PANEL_STAT_MIN));
    EXPECT_EQ("700", ShownText(panelHandle, PANEL_STAT_MAX));
    EXPECT_EQ(4, RunEdgeDistance()->count);
    EXPECT_DOUBLE_EQ((200 + 205 + 205 + 400) / 4.0, RunEdgeDistance()->mean);

    // The band behind the bars, the bars counting every reply.
    std::vector<PlotInfo> plots = GraphPlots(panelHandle, PANEL_GRAPH_HISTOGRAM);
    ASSERT_EQ(2u, plots.size());
    EXPECT_EQ(PLOT_RECTANGLE, plots[0].kind);
    EXPECT_EQ(411.5, plots[0].x[0]);  // 412..612, a bar's half either side
    EXPECT_EQ(612.5, plots[0].x[1]);
    EXPECT_EQ(PLOT_BARS, plots[1].kind);
    double replies = 0;
    for (double n : plots[1].y) replies += n;
    EXPECT_EQ(4.0, replies);

    Click(panelHandle, PANEL_STAT_RESET);
    EXPECT_EQ("0", ShownText(panelHandle, PANEL_STAT_COUNT));
    EXPECT_EQ("-", ShownText(panelHandle, PANEL_STAT_MEAN));
    EXPECT_TRUE(GraphPlots(panelHandle, PANEL_GRAPH_HISTOGRAM).empty());
}

// The chart's measuring cursors (from its right-click menu) stand at an age
// while the replies run under them, and read the reply there and how far the
// second lies from the first.
TEST_F(StripChartTest, MeasuringCursorsReadTheReplyAtTheirAgeAndTheDistanceBetween)
{
    DisplayPanel(panelHandle);
    mm_per_pixel = 0;
    for (int i = 0; i < 10; i++) {
        NoteChartSampleTime("2026-12-07T12:00:00.000Z", i);
        Sample(500, 20, 500 + i);
    }
    ASSERT_TRUE(OperatorChooseExport(panelHandle, PANEL_GRAPH_RAW, "measuringCursors"));
    SetMeasureCursor(panelHandle, PANEL_GRAPH_RAW, 1, 100);  // the newest reply
    SetMeasureCursor(panelHandle, PANEL_GRAPH_RAW, 2, 97);   // three before it
    NoteChartSampleTime("2026-12-07T12:00:10.000Z", 10);
    Sample(500, 20, 510);
    EXPECT_EQ("1: 0 replies back, 510 pixels", MeasureCursorLabel(panelHandle, PANEL_GRAPH_RAW, 1));
    EXPECT_EQ("2: 3 replies back, 507 pixels; -3 replies, -3 pixels from 1",
              MeasureCursorLabel(panelHandle, PANEL_GRAPH_RAW, 2));
    // Before the first reply of the run there is nothing to read; with a scale, millimetres too.
    SetMeasureCursor(panelHandle, PANEL_GRAPH_RAW, 2, 50);
    mm_per_pixel = 0.025;
    NoteChartSampleTime("2026-12-07T12:00:11.000Z", 11);
    Sample(500, 20, 512);
    EXPECT_EQ("2: 50 replies back, no reply", MeasureCursorLabel(panelHandle, PANEL_GRAPH_RAW, 2));
    char expect[96];
    std::snprintf(expect, sizeof expect, "1: 0 replies back, 512 pixels (%.3f mm)", PositionMm(512));
    EXPECT_EQ(expect, MeasureCursorLabel(panelHandle, PANEL_GRAPH_RAW, 1));
}
