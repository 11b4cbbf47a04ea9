// The virtual sensor's scene and edge evaluation, without a line in between.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sim/scene.h"

namespace {

using sim::Evaluate;
using sim::Words;

// A clean line: background 800, dark (150) from pixel `from` to `to` inclusive.
std::vector<uint16_t> DarkBar(int pixels, int from, int to)
{
    std::vector<uint16_t> line(pixels, 800);
    for (int p = from; p <= to; ++p) line[p] = 150;
    return line;
}

Words Params(int thd, int polarity, int emode, int ebeg, int eend)
{
    Words w = sim::kDefaultParams;
    w[sim::P_VTHD] = thd;
    w[sim::P_POLARITY] = polarity;
    w[sim::P_EMODE] = emode;
    w[sim::P_EBEG] = ebeg;
    w[sim::P_EEND] = eend;
    return w;
}

TEST(SimEvaluate, TwoEdgesByEdgeMode)
{
    auto line = DarkBar(1024, 300, 700);
    auto left = Evaluate(line, Params(512, 1, 0, 1, 1024));
    EXPECT_EQ(2, left.edcnt);
    EXPECT_EQ(300, left.ledge);  // first dark pixel
    EXPECT_EQ(701, left.redge);  // first bright pixel after the bar
    EXPECT_EQ(300, left.mvalue);
    EXPECT_EQ(401, left.pixdelta);
    EXPECT_EQ(0, left.mvstart);
    EXPECT_EQ(0, left.mvend);
    EXPECT_EQ(701, Evaluate(line, Params(512, 1, 1, 1, 1024)).mvalue);
    EXPECT_EQ(500, Evaluate(line, Params(512, 1, 2, 1, 1024)).mvalue);
    EXPECT_EQ(500, Evaluate(line, Params(512, 1, 7, 1, 1024)).mvalue);
}

TEST(SimEvaluate, ThresholdDecidesWhereTheRampIsCut)
{
    std::vector<uint16_t> line(256, 800);
    for (int p = 100; p < 110; ++p) line[p] = static_cast<uint16_t>(800 - 65 * (p - 99));  // ramp down to 150
    for (int p = 110; p < 256; ++p) line[p] = 150;
    EXPECT_EQ(100, Evaluate(line, Params(750, 1, 0, 1, 255)).ledge);  // 735 < 750
    EXPECT_EQ(104, Evaluate(line, Params(500, 1, 0, 1, 255)).ledge);  // 475 < 500
    EXPECT_EQ(109, Evaluate(line, Params(200, 1, 0, 1, 255)).ledge);  // 150 < 200
}

TEST(SimEvaluate, SingleEdgeTellsWhichSideIsCovered)
{
    // Covered from the edge to the end: mvstart < mvend.
    auto tail = Evaluate(DarkBar(1024, 600, 1023), Params(512, 1, 1, 1, 1024));
    EXPECT_EQ(1, tail.edcnt);
    EXPECT_EQ(600, tail.ledge);
    EXPECT_EQ(600, tail.redge);  // a single edge is both the first and the last
    EXPECT_EQ(600, tail.mvalue);
    EXPECT_LT(tail.mvstart, tail.mvend);
    EXPECT_EQ(0, tail.pixdelta);
    // Covered from the start to the edge: mvstart >= mvend.
    auto head = Evaluate(DarkBar(1024, 0, 399), Params(512, 1, 0, 1, 1024));
    EXPECT_EQ(1, head.edcnt);
    EXPECT_EQ(400, head.ledge);
    EXPECT_GE(head.mvstart, head.mvend);
}

TEST(SimEvaluate, PolarityZeroLooksForBrightParts)
{
    auto line = DarkBar(1024, 300, 700);
    auto ev = Evaluate(line, Params(512, 0, 2, 1, 1024));
    EXPECT_EQ(2, ev.edcnt);  // the same crossings...
    EXPECT_EQ(300, ev.ledge);
    EXPECT_EQ(701, ev.redge);
    EXPECT_GT(ev.mvstart, 0);  // ...but now the bright outside is the covered part
    EXPECT_GT(ev.mvend, 0);
}

TEST(SimEvaluate, EvaluationWindowLimitsTheEdges)
{
    auto line = DarkBar(1024, 300, 700);
    auto right_only = Evaluate(line, Params(512, 1, 0, 400, 1024));
    EXPECT_EQ(1, right_only.edcnt);
    EXPECT_EQ(701, right_only.ledge);
    EXPECT_GE(right_only.mvstart, right_only.mvend);  // covered from the window start to the edge
    auto none = Evaluate(line, Params(512, 1, 2, 400, 600));
    EXPECT_EQ(0, none.edcnt);
    EXPECT_EQ(0, none.ledge);
    EXPECT_EQ(0, none.redge);
    EXPECT_EQ(0, none.mvalue);
    EXPECT_EQ(0, Evaluate(line, Params(512, 1, 2, 800, 200)).edcnt);  // an empty window finds nothing
}

TEST(SimEvaluate, WindowModeSeesOnlyTheWindow)
{
    auto line = DarkBar(1024, 300, 700);
    Words w = Params(512, 1, 2, 1, 1024);
    w[sim::P_CCDMODE] = 1;
    w[sim::P_PSTART] = 600;
    auto ev = Evaluate(line, w);
    EXPECT_EQ(600, ev.pix1);
    EXPECT_EQ(1, ev.edcnt);  // 300 lies outside 600..855
    EXPECT_EQ(701, ev.ledge);
    w[sim::P_PSTART] = 1000;  // the window stays inside the line
    EXPECT_EQ(768, Evaluate(line, w).pix1);
    EXPECT_EQ(0, sim::WindowStart(256, 1));
}

TEST(SimScene, ObjectIsDarkOnBrightAndFoundWhereItIs)
{
    for (int pixels : {256, 512, 1024}) {
        sim::Scene scene(pixels, 7);
        for (double t : {0.0, 13.0, 77.5}) {
            double left, right;
            scene.Object(t, &left, &right);
            ASSERT_GT(left, 0);
            ASSERT_LT(right, pixels - 1);
            auto line = scene.Line(t);
            EXPECT_GT(line[0], 700);
            EXPECT_LT(line[static_cast<int>((left + right) / 2)], 250);
            auto ev = Evaluate(line, Params(512, 1, 2, 1, pixels));
            EXPECT_EQ(2, ev.edcnt) << pixels << " pixels at " << t << " s";
            EXPECT_NEAR(left, ev.ledge, 1.5);
            EXPECT_NEAR(right, ev.redge, 1.5);
        }
    }
}

TEST(SimScene, SameTimeAndSeedSameLine)
{
    sim::Scene scene(1024, 3);
    EXPECT_EQ(scene.Line(42.0), scene.Line(42.0));
    EXPECT_NE(scene.Line(42.0), sim::Scene(1024, 4).Line(42.0));  // the seed picks the noise
}

}  // namespace
