// The bar graph and the result indicators of one measurement reply: which edge
// is evaluated, where the bars and bands go and how they are kept on the line.
// No sensor: the measurement variables are set as a loop would set them.
#include "support/program_fixture.h"

#include "display/display.h"
#include "runtime/graph.h"
#include "runtime/ui.h"
#include "support/inspect.h"

#include <utility>
#include <vector>

namespace {

using Span = std::pair<double, double>;

class BarGraphTest : public ProgramTest {
 protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        ccdmaxpixel = 1024;
        ccdMode = 0;
        eBeg = 100;
        eEnd = 900;
        tVal = 500;
        tTol = 20;
        anaMax = 0;
        anaMin = 0;
    }
    // One reply: edges, count and the side of a single edge.
    void Reply(int mode, int left, int right, int count, int start = 0, int end = 0)
    {
        eMode = static_cast<uint16_t>(mode);
        Ledge = static_cast<uint16_t>(left);
        Redge = static_cast<uint16_t>(right);
        edcnt = static_cast<uint16_t>(count);
        mvstart = static_cast<uint16_t>(start);
        mvend = static_cast<uint16_t>(end);
        PlotVIDEOBarGraph();
    }
    // Rectangles of one colour, in drawing order; every rectangle must carry
    // the same colour for frame and fill and sit at the y span of its kind.
    std::vector<Span> Rects(int color, double y1, double y2) const
    {
        std::vector<Span> out;
        for (const PlotInfo& p : GraphPlots(panelHandle, PANEL_GRAPH_BAR)) {
            EXPECT_EQ(PLOT_RECTANGLE, p.kind);
            if (p.color != color) continue;
            EXPECT_EQ(color, p.fillColor);
            EXPECT_DOUBLE_EQ(y1, p.y[0]);
            EXPECT_DOUBLE_EQ(y2, p.y[1]);
            out.push_back({p.x[0], p.x[1]});
        }
        return out;
    }
    std::vector<Span> Bars() const { return Rects(0xFF0000, 0.25, 1.0); }
    std::vector<Span> Bands() const { return Rects(0x00FF00, 0.0, 0.35); }
    double CursorX(int cursor) const
    {
        double x = -1, y = -1;
        EXPECT_EQ(0, GetGraphCursor(panelHandle, PANEL_GRAPH_BAR, cursor, &x, &y));
        EXPECT_DOUBLE_EQ(0.75, y);
        return x;
    }
    Span XAxis() const
    {
        double lo = 0, hi = 0;
        GetAxisRange(panelHandle, PANEL_GRAPH_BAR, AXIS_X, &lo, &hi);
        return {lo, hi};
    }
};

}  // namespace

TEST_F(BarGraphTest, LeftEdgeModeShowsTheReplyAndTheBandAroundTheTeachValue)
{
    Mvalue = 400;
    anaMax = 410;
    anaMin = 390;
    Reply(0, 400, 700, 2);
    EXPECT_EQ(400, Value(panelHandle, PANEL_LEDGE));
    EXPECT_EQ(700, Value(panelHandle, PANEL_REDGE));
    EXPECT_EQ(400, Value(panelHandle, PANEL_MVALUE));
    EXPECT_EQ(400, Value(panelHandle, PANEL_MVALUE_2));
    EXPECT_EQ(500, Value(panelHandle, PANEL_TEACH_SHOW));
    EXPECT_EQ(20, Value(panelHandle, PANEL_TOLERANCE_SHOW));
    EXPECT_EQ(410, Value(panelHandle, PANEL_ANAMAX));
    EXPECT_EQ(390, Value(panelHandle, PANEL_ANAMIN));

    EXPECT_EQ(Span(1, 1024), XAxis());
    EXPECT_EQ(1, pixB);
    EXPECT_EQ(1024, pixE);
    EXPECT_DOUBLE_EQ(400, CursorX(1));
    EXPECT_DOUBLE_EQ(100, CursorX(2));
    EXPECT_DOUBLE_EQ(900, CursorX(3));
    EXPECT_EQ((std::vector<Span>{{1, 400}, {700, 1024}}), Bars());
    EXPECT_EQ((std::vector<Span>{{480, 520}}), Bands());
}

TEST_F(BarGraphTest, RightAndCentreModesPickTheirEdge)
{
    Reply(1, 300, 701, 2);
    EXPECT_DOUBLE_EQ(701, CursorX(1));
    EXPECT_EQ((std::vector<Span>{{480, 520}}), Bands());

    Reply(3, 300, 701, 2);  // any mode above 2 evaluates the centre, rounded down
    EXPECT_DOUBLE_EQ(500, CursorX(1));
    EXPECT_EQ((std::vector<Span>{{480, 520}}), Bands());

    Reply(3, 0, 701, 1);  // a missing edge puts the centre at the start of the line
    EXPECT_DOUBLE_EQ(1, CursorX(1));
    Reply(3, 300, 0, 2);
    EXPECT_DOUBLE_EQ(1, CursorX(1));
}

TEST_F(BarGraphTest, PairModeCentresTwoBandsOnTheMeasuredCentre)
{
    tVal = 401;
    tTol = 11;
    Reply(2, 300, 701, 2);
    EXPECT_DOUBLE_EQ(500, CursorX(1));
    EXPECT_EQ((std::vector<Span>{{295, 305}, {695, 705}}), Bands());

    // Without edges there is nothing to hold a band against.
    Reply(2, 300, 701, 0);
    EXPECT_TRUE(Bands().empty());
    EXPECT_EQ((std::vector<Span>{{1, 300}, {701, 1024}}), Bars());
}

TEST_F(BarGraphTest, SingleEdgeBarRunsToTheSideTheSensorNames)
{
    Reply(0, 400, 0, 1, 10, 20);  // mvstart < mvend: from the edge to the end of the line
    EXPECT_EQ((std::vector<Span>{{400, 1024}}), Bars());
    Reply(0, 400, 0, 1, 20, 20);
    EXPECT_EQ((std::vector<Span>{{1, 400}}), Bars());
    Reply(0, 400, 0, 1, 30, 20);
    EXPECT_EQ((std::vector<Span>{{1, 400}}), Bars());
}

TEST_F(BarGraphTest, MissingEdgesAreDrawnWithTheValuesThatCame)
{
    Reply(0, 0, 0, 0);
    EXPECT_EQ((std::vector<Span>{{1, 0}, {0, 1024}}), Bars());
    EXPECT_DOUBLE_EQ(1, CursorX(1));  // an edge at 0 is clamped to the range
}

TEST_F(BarGraphTest, BandsStayOnTheLine)
{
    tVal = 5;
    tTol = 10;
    Reply(0, 400, 700, 2);
    EXPECT_EQ((std::vector<Span>{{1, 15}}), Bands());
    tVal = 1020;
    Reply(0, 400, 700, 2);
    EXPECT_EQ((std::vector<Span>{{1010, 1024}}), Bands());
    tVal = 10;  // a start of exactly 0 is not negative and stays
    Reply(0, 400, 700, 2);
    EXPECT_EQ((std::vector<Span>{{0, 20}}), Bands());

    // Pair mode limits the first band only.
    tVal = 200;
    tTol = 40;
    Reply(2, 40, 100, 2);  // centre 70: band 1 from -50, band 2 up to 190
    EXPECT_EQ((std::vector<Span>{{1, -10}, {150, 190}}), Bands());
    tVal = 400;
    Reply(2, 1000, 1020, 2);  // centre 1010: band 2 runs past the line unlimited
    EXPECT_EQ((std::vector<Span>{{790, 830}, {1190, 1230}}), Bands());
}

TEST_F(BarGraphTest, WindowModeShowsTheSensorsWindowAndLeavesTheWindowCursors)
{
    SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 2, 123, 0.75);
    SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 3, 456, 0.75);
    ccdMode = 1;
    pix1 = 300;
    Reply(0, 100, 450, 2);
    EXPECT_EQ(Span(300, 556), XAxis());
    EXPECT_EQ(300, pixB);
    EXPECT_EQ(556, pixE);
    EXPECT_DOUBLE_EQ(300, CursorX(1));
    EXPECT_DOUBLE_EQ(123, CursorX(2));
    EXPECT_DOUBLE_EQ(456, CursorX(3));
    EXPECT_EQ((std::vector<Span>{{300, 100}, {450, 556}}), Bars());

    Reply(1, 100, 900, 2);  // past the window's end
    EXPECT_DOUBLE_EQ(556, CursorX(1));
}

TEST_F(BarGraphTest, EdgeBeyondTheLongestLineIsClampedToIt)
{
    ccdmaxpixel = 2048;  // not a real line, but nothing may pass pixel 1024
    Reply(0, 1500, 1600, 2);
    EXPECT_DOUBLE_EQ(1024, CursorX(1));
}

TEST_F(BarGraphTest, NoMinimumYetIsShownAsOneAndStaysOne)
{
    anaMin = 1023;
    Reply(0, 400, 700, 2);
    EXPECT_EQ(1, Value(panelHandle, PANEL_ANAMIN));
    EXPECT_EQ(1, anaMin);
}

TEST_F(BarGraphTest, EachReplyReplacesThePreviousPictureButNotTheCursors)
{
    Reply(0, 400, 700, 2);
    Reply(0, 410, 710, 2);
    EXPECT_EQ((std::vector<Span>{{1, 410}, {710, 1024}}), Bars());
    EXPECT_EQ(1u, Bands().size());
    EXPECT_EQ(3u, GraphPlots(panelHandle, PANEL_GRAPH_BAR).size());
    EXPECT_DOUBLE_EQ(410, CursorX(1));
}
