// Graphs and strip charts of the runtime, read back through inspect.h.
#include "runtime/util.h"
#include "runtime_ui_fixture.h"

using namespace rt;

namespace {

class GraphTest : public UiTest {
 protected:
    std::vector<PlotInfo> Plots() const { return GraphPlots(panel, GRAPH); }
    std::vector<double> Trace(int t) const { return StripChartTrace(panel, STRIP, t); }
};

}  // namespace

using Graph = GraphTest;
using StripChart = GraphTest;
using Drawing = GraphTest;

// ---- Graph --------------------------------------------------------------------------------------

TEST_F(Graph, PlotXYKeepsEveryPointInOrderForEachDataType)
{
    uint16_t x16[4] = {0, 4, 8, 12}, y16[4] = {5, 1, 1023, 0};
    uint32_t y32[4] = {70000, 1, 2, 3};
    double yd[4] = {0.5, -1, 2.25, 3};
    int a = PlotXY(panel, GRAPH, x16, y16, 4, VAL_UNSIGNED_SHORT_INTEGER, VAL_UNSIGNED_SHORT_INTEGER, 5, 10, 0, 1,
                   0xFF0000);
    int b = PlotXY(panel, GRAPH, x16, y32, 4, VAL_UNSIGNED_SHORT_INTEGER, VAL_UNSIGNED_INTEGER, 5, 10, 0, 1, 0x008000);
    int c = PlotXY(panel, GRAPH, yd, yd, 4, VAL_DOUBLE, VAL_DOUBLE, 5, 10, 0, 1, 0x0000FF);
    EXPECT_GT(a, 0);
    EXPECT_NE(a, b);
    auto plots = Plots();
    ASSERT_EQ(3u, plots.size());
    EXPECT_EQ(a, plots[0].handle);
    EXPECT_EQ(PLOT_XY, plots[0].kind);
    EXPECT_EQ((std::vector<double>{0, 4, 8, 12}), plots[0].x);
    EXPECT_EQ((std::vector<double>{5, 1, 1023, 0}), plots[0].y);
    EXPECT_EQ(0xFF0000, plots[0].color);
    EXPECT_EQ((std::vector<double>{70000, 1, 2, 3}), plots[1].y);
    EXPECT_EQ(0x008000, plots[1].color);
    EXPECT_EQ(c, plots[2].handle);
    EXPECT_EQ((std::vector<double>{0.5, -1, 2.25, 3}), plots[2].x);

    EXPECT_EQ(UIE_BAD_VALUE, PlotXY(panel, GRAPH, x16, y16, 0, 6, 6, 5, 10, 0, 1, 0));
    EXPECT_EQ(UIE_BAD_VALUE, PlotXY(panel, GRAPH, x16, y16, 4, 3, 6, 5, 10, 0, 1, 0));
    EXPECT_EQ(UIE_TYPE_MISMATCH, PlotXY(panel, STRIP, x16, y16, 4, 6, 6, 5, 10, 0, 1, 0));
    EXPECT_EQ(3u, Plots().size());
}

TEST_F(Graph, RectanglesKeepCornersAsGivenInDrawingOrder)
{
    PlotRectangle(panel, GRAPH, 0.0, 0.0, 1024.0, 1.0, 0xA0A0A0, 0xA0A0A0);
    PlotRectangle(panel, GRAPH, -78.0, 0.0, 178.0, 0.25, 0x00FF00, 0x00FF00);
    PlotRectangle(panel, GRAPH, 300.0, 0.25, 0.0, 1.0, 0xFF0000, 0xFF0000);  // ends left of its start
    auto plots = Plots();
    ASSERT_EQ(3u, plots.size());
    EXPECT_EQ(PLOT_RECTANGLE, plots[1].kind);
    EXPECT_EQ((std::vector<double>{-78, 178}), plots[1].x);
    EXPECT_EQ((std::vector<double>{0, 0.25}), plots[1].y);
    EXPECT_EQ(0x00FF00, plots[1].color);
    EXPECT_EQ(0x00FF00, plots[1].fillColor);
    EXPECT_EQ((std::vector<double>{300, 0}), plots[2].x);
    EXPECT_EQ(0xA0A0A0, plots[0].fillColor);
}

TEST_F(Graph, DeletingAllPlotsKeepsTheCursorsAndOneHandleDeletesOne)
{
    SetGraphCursor(panel, GRAPH, 1, 512, 1.0);
    SetGraphCursor(panel, GRAPH, 2, 1, 0.75);
    SetGraphCursor(panel, GRAPH, 3, 1024, 0.75);
    int a = PlotRectangle(panel, GRAPH, 1, 0.25, 100, 1, 0xFF0000, 0xFF0000);
    int b = PlotRectangle(panel, GRAPH, 400, 0.25, 1024, 1, 0xFF0000, 0xFF0000);
    EXPECT_EQ(0, DeleteGraphPlot(panel, GRAPH, a, 1));
    ASSERT_EQ(1u, Plots().size());
    EXPECT_EQ(b, Plots()[0].handle);
    EXPECT_EQ(UIE_BAD_VALUE, DeleteGraphPlot(panel, GRAPH, a, 1));
    EXPECT_EQ(0, DeleteGraphPlot(panel, GRAPH, VAL_ALL_PLOTS, 0));
    EXPECT_TRUE(Plots().empty());
    EXPECT_EQ(0, DeleteGraphPlot(panel, GRAPH, VAL_ALL_PLOTS, 0));  // already empty: fine

    double x, y;
    EXPECT_EQ(0, GetGraphCursor(panel, GRAPH, 1, &x, &y));
    EXPECT_EQ(512, x);
    EXPECT_EQ(1.0, y);
    EXPECT_EQ(0, GetGraphCursor(panel, GRAPH, 3, &x, &y));
    EXPECT_EQ(1024, x);
    EXPECT_EQ(0.75, y);
    EXPECT_EQ(UIE_BAD_VALUE, SetGraphCursor(panel, GRAPH, 4, 1, 1));
    // Handles are not reused, so a stale handle never hits a new plot.
    EXPECT_GT(PlotRectangle(panel, GRAPH, 1, 0, 2, 1, 0, 0), b);
}

TEST_F(Graph, RangesComeFromTheFormAndAnEmptyRangeIsRefused)
{
    double lo, hi;
    EXPECT_EQ(0, GetAxisRange(panel, GRAPH, AXIS_X, &lo, &hi));
    EXPECT_EQ(1, lo);
    EXPECT_EQ(1024, hi);
    EXPECT_EQ(0, GetAxisRange(panel, GRAPH, AXIS_Y, &lo, &hi));
    EXPECT_EQ(0, lo);
    EXPECT_EQ(1, hi);

    EXPECT_EQ(0, SetAxisScalingMode(panel, GRAPH, AXIS_X, VAL_MANUAL, 300, 556));
    EXPECT_EQ(UIE_BAD_VALUE, SetAxisScalingMode(panel, GRAPH, AXIS_X, VAL_MANUAL, 556, 556));
    EXPECT_EQ(UIE_BAD_VALUE, SetAxisScalingMode(panel, GRAPH, AXIS_X, VAL_MANUAL, 600, 556));
    EXPECT_EQ(UIE_BAD_VALUE, SetAxisScalingMode(panel, GRAPH, 2, VAL_MANUAL, 0, 1));
    EXPECT_EQ(UIE_BAD_VALUE, SetAxisScalingMode(panel, GRAPH, AXIS_X, 1, 0, 1));
    EXPECT_EQ(0, GetAxisRange(panel, GRAPH, AXIS_X, &lo, &hi));
    EXPECT_EQ(300, lo);
    EXPECT_EQ(556, hi);
}

// ---- Strip chart --------------------------------------------------------------------------------

TEST_F(StripChart, KeepsTheLastPointsPerScreenOfEachTraceNewestLast)
{
    ASSERT_EQ(0, SetCtrlAttribute(panel, STRIP, ATTR_NUM_TRACES, 2));
    ASSERT_EQ(0, SetCtrlAttribute(panel, STRIP, ATTR_POINTS_PER_SCREEN, 3));
    double a[] = {1, 10, 2, 20};
    double b[] = {3, 30, 4, 40, 5, 50};
    EXPECT_EQ(0, PlotStripChart(panel, STRIP, a, 4, 0, 0, VAL_DOUBLE));
    EXPECT_EQ((std::vector<double>{1, 2}), Trace(1));
    EXPECT_EQ(0, PlotStripChart(panel, STRIP, b, 6, 0, 0, VAL_DOUBLE));
    EXPECT_EQ((std::vector<double>{3, 4, 5}), Trace(1));
    EXPECT_EQ((std::vector<double>{30, 40, 50}), Trace(2));

    // More points per screen keep what is there; fewer keep the newest.
    SetCtrlAttribute(panel, STRIP, ATTR_POINTS_PER_SCREEN, 5);
    EXPECT_EQ((std::vector<double>{3, 4, 5}), Trace(1));
    SetCtrlAttribute(panel, STRIP, ATTR_POINTS_PER_SCREEN, 2);
    EXPECT_EQ((std::vector<double>{40, 50}), Trace(2));
    EXPECT_EQ(0, ClearStripChart(panel, STRIP));
    EXPECT_TRUE(Trace(1).empty());
}

TEST_F(StripChart, StartAndSkipPickTheValuesAndTheCountMustFitTheTraces)
{
    SetCtrlAttribute(panel, STRIP, ATTR_NUM_TRACES, 2);
    uint16_t raw[] = {99, 1, 0, 10, 0, 2, 0, 20};  // from element 1, every second element
    EXPECT_EQ(0, PlotStripChart(panel, STRIP, raw, 4, 1, 1, VAL_UNSIGNED_SHORT_INTEGER));
    EXPECT_EQ((std::vector<double>{1, 2}), Trace(1));
    EXPECT_EQ((std::vector<double>{10, 20}), Trace(2));
    EXPECT_EQ(UIE_BAD_VALUE, PlotStripChart(panel, STRIP, raw, 3, 0, 0, VAL_UNSIGNED_SHORT_INTEGER));
    EXPECT_EQ(UIE_BAD_VALUE, PlotStripChart(panel, STRIP, raw, 2, 0, 0, 5));
    EXPECT_EQ(2u, Trace(1).size());
}

TEST_F(StripChart, RunModeHistoryOfFiveTracesWithTheirColours)
{
    // What the run loop does on every reply: 101 points per screen, the whole
    // 100-sample history of five traces each time.
    static double history[500];
    const int colors[] = {0x008000, 0x008000, 0x000000, 0xFF0000, 0xFF0000};
    for (int reply = 0; reply < 3; reply++) {
        for (int i = 0; i < 495; i++) history[i] = history[i + 5];
        for (int t = 0; t < 5; t++) history[495 + t] = 100 * (t + 1) + reply;
        SetCtrlAttribute(panel, STRIP, ATTR_POINTS_PER_SCREEN, 101);
        SetCtrlAttribute(panel, STRIP, ATTR_STRIP_SCROLL, 1);
        SetAxisScalingMode(panel, STRIP, AXIS_Y, VAL_MANUAL, 0.0, 1024.0);
        for (int t = 0; t < 5; t++) SetTraceAttribute(panel, STRIP, t + 1, ATTR_TRACE_COLOR, colors[t]);
        SetCtrlAttribute(panel, STRIP, ATTR_NUM_TRACES, 5);
        ASSERT_EQ(0, PlotStripChart(panel, STRIP, history, 500, 0, 0, VAL_DOUBLE));
    }
    std::vector<double> mvalue = Trace(4);
    ASSERT_EQ(101u, mvalue.size());
    EXPECT_EQ(402, mvalue.back());
    EXPECT_EQ(401, mvalue[99]);
    EXPECT_EQ(400, mvalue[98]);
    // The 101st point is the newest of the previous call: each call hands the whole history.
    EXPECT_EQ(401, mvalue[0]);
    EXPECT_EQ(0, mvalue[1]);
    for (int t = 0; t < 5; t++) EXPECT_EQ(colors[t], StripTraceColor(panel, STRIP, t + 1));
    EXPECT_EQ(1, Attr(STRIP, ATTR_STRIP_SCROLL));
    EXPECT_EQ(UIE_BAD_VALUE, SetTraceAttribute(panel, STRIP, 6, ATTR_TRACE_COLOR, 0));
    EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetTraceAttribute(panel, STRIP, 1, ATTR_TEXT_COLOR, 0));
    EXPECT_EQ(UIE_BAD_VALUE, SetCtrlAttribute(panel, STRIP, ATTR_NUM_TRACES, 17));
    double lo, hi;
    EXPECT_EQ(0, GetAxisRange(panel, STRIP, AXIS_Y, &lo, &hi));
    EXPECT_EQ(1024, hi);
    EXPECT_EQ(UIE_BAD_VALUE, SetAxisScalingMode(panel, STRIP, AXIS_Y, VAL_MANUAL, 900, 112));
}

// ---- Queued drawing -----------------------------------------------------------------------------

TEST_F(Drawing, APlotCallRepaintsOnlyAtTheNextEventProcessingAndOnce)
{
    Pump();
    int before = GraphRepaintCount(panel, GRAPH);
    uint16_t x[3] = {1, 2, 3};
    PlotXY(panel, GRAPH, x, x, 3, 6, 6, 5, 10, 0, 1, 0xFF0000);
    PlotXY(panel, GRAPH, x, x, 3, 6, 6, 5, 10, 0, 1, 0x008000);
    SetGraphCursor(panel, GRAPH, 1, 2, 0.5);
    EXPECT_EQ(before, GraphRepaintCount(panel, GRAPH));
    ProcessSystemEvents();
    EXPECT_EQ(before + 1, GraphRepaintCount(panel, GRAPH));
    Pump();
    EXPECT_EQ(before + 1, GraphRepaintCount(panel, GRAPH));  // nothing changed since
    // Setting what is already set draws nothing.
    SetGraphCursor(panel, GRAPH, 1, 2, 0.5);
    SetAxisScalingMode(panel, GRAPH, AXIS_X, VAL_MANUAL, 1, 1024);
    Pump();
    EXPECT_EQ(before + 1, GraphRepaintCount(panel, GRAPH));
}

TEST_F(Drawing, AHiddenChartDrawsWhenShownAgain)
{
    SetCtrlAttribute(panel, STRIP, ATTR_VISIBLE, 0);
    Pump();
    int before = GraphRepaintCount(panel, STRIP);
    double v = 5;
    PlotStripChart(panel, STRIP, &v, 1, 0, 0, VAL_DOUBLE);
    Pump();
    EXPECT_EQ(before, GraphRepaintCount(panel, STRIP));
    SetCtrlAttribute(panel, STRIP, ATTR_VISIBLE, 1);
    Pump();
    EXPECT_EQ(before + 1, GraphRepaintCount(panel, STRIP));
    EXPECT_EQ((std::vector<double>{5}), Trace(1));
}

TEST_F(Drawing, EachRunModeFrameIsDrawnOnceAndOnlyItsBarsStay)
{
    // What run mode draws for every reply: the strip chart's whole history, then
    // the bar graph afresh. What that costs is a figure of bench/event_wait.
    static double history[500];
    SetCtrlAttribute(panel, STRIP, ATTR_NUM_TRACES, 5);
    SetCtrlAttribute(panel, STRIP, ATTR_POINTS_PER_SCREEN, 101);
    Pump();
    const int strip0 = GraphRepaintCount(panel, STRIP), graph0 = GraphRepaintCount(panel, GRAPH);
    const int frames = 30;
    for (int f = 0; f < frames; f++) {
        history[495 + f % 5] = 300 + f;
        PlotStripChart(panel, STRIP, history, 500, 0, 0, VAL_DOUBLE);
        DeleteGraphPlot(panel, GRAPH, VAL_ALL_PLOTS, 0);
        SetGraphCursor(panel, GRAPH, 1, 300 + f, 0.75);
        PlotRectangle(panel, GRAPH, 1, 0.25, 300 + f, 1, 0xFF0000, 0xFF0000);
        PlotRectangle(panel, GRAPH, 700, 0.25, 1024, 1, 0xFF0000, 0xFF0000);
        PlotRectangle(panel, GRAPH, 412, 0, 612, 0.35, 0x00FF00, 0x00FF00);
        ProcessSystemEvents();
    }
    // At most once a reply (and never twice within a frame of the screen),
    // and the last change is drawn once the frame has passed.
    EXPECT_GE(strip0 + frames, GraphRepaintCount(panel, STRIP));
    EXPECT_GE(graph0 + frames, GraphRepaintCount(panel, GRAPH));
    Pump();
    const int strip1 = GraphRepaintCount(panel, STRIP);
    for (int f = 0; f < 10; f++) {
        history[499] = 400 + f;
        PlotStripChart(panel, STRIP, history, 500, 0, 0, VAL_DOUBLE);
    }
    Pump(5);
    EXPECT_EQ(strip1 + 1, GraphRepaintCount(panel, STRIP));
    EXPECT_EQ(409.0, Trace(5).back());
    std::vector<PlotInfo> bars = Plots();
    ASSERT_EQ(3u, bars.size());
    EXPECT_EQ((std::vector<double>{1, 300 + frames - 1}), bars[0].x);
    EXPECT_EQ((std::vector<double>{700, 1024}), bars[1].x);
    EXPECT_EQ(0x00FF00, bars[2].fillColor);
    EXPECT_EQ(101u, Trace(5).size());
}

// A chart repaints only what changed (a strip chart the rows its moving
// traces pass through, a graph its plot area, the caption); after each
// repaint the window shows what drawing the chart whole shows.
TEST_F(Drawing, TheWindowShowsTheChartAsDrawnWholeAfterEveryRepaint)
{
    static double history[505];
    SetCtrlAttribute(panel, STRIP, ATTR_NUM_TRACES, 5);
    SetCtrlAttribute(panel, STRIP, ATTR_POINTS_PER_SCREEN, 101);
    // Dashes on the flat traces: where a clip cuts a steep dashed line, the
    // raster engine may start its pattern a pixel apart.
    SetTraceAttribute(panel, STRIP, 1, ATTR_LINE_STYLE, VAL_DASH);
    SetTraceAttribute(panel, STRIP, 2, ATTR_LINE_STYLE, VAL_DOT);
    const double limits[5] = {600, 400, 500, 0, 0};
    for (int f = 0; f < 130; f++) {
        // Flat limits and teach value; a measured value that wanders, jumps
        // out of the range once and comes back; the analog value over it.
        double* p = history + 5 * (f % 101);
        for (int t = 0; t < 3; t++) p[t] = limits[t] + (f == 90 && t == 0 ? 50 : 0);
        p[3] = f == 60 ? 1500 : 450 + (f * 37) % 120;
        p[4] = p[3];
        PlotStripChart(panel, STRIP, p, 5, 0, 0, VAL_DOUBLE);
        DeleteGraphPlot(panel, GRAPH, VAL_ALL_PLOTS, 0);
        PlotRectangle(panel, GRAPH, 1, 0.25, 300 + f, 1, 0xFF0000, 0xFF0000);
        SetCtrlAttribute(panel, GRAPH, ATTR_GRAPH_CAPTION, f % 3 ? "n 1" : "n 12345");
        if (f == 100) SetAxisScalingMode(panel, STRIP, AXIS_Y, VAL_MANUAL, 0, 2000);
        Pump();
        if (f % 10 == 9 || f == 61 || f == 91) {
            // A chart drawn within the last frame of the screen waits for the next.
            for (double end = Timer() + 0.1; Timer() < end;) ProcessSystemEvents();
            // A line cut off at the plot area's edge may step a pixel apart
            // where it is cut; a trace left behind would be a line of pixels.
            ASSERT_LE(StalePixels(panel, STRIP), 4) << "after reply " << f;
            ASSERT_EQ(0, StalePixels(panel, GRAPH)) << "after reply " << f;
        }
    }
}
