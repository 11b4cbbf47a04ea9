// Video mode against the virtual sensor: the requests of a cycle for each
// kind of board, the line that lands in adcbuf, the pixel axis, and the two
// ways a cycle ends (Stop, a sensor that never answers).
#include "support/program_fixture.h"

#include "display/display.h"
#include "link/link.h"
#include "runtime/graph.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "sim/scene.h"
#include "support/inspect.h"

#include <utility>
#include <vector>

namespace {

const double kFrozenAt = 2.0;  // scene time: every exposure sees the same line

class VideoLoopTest : public ProgramTest {
 protected:
    void StartBoard(int board, int pixels, SensorOptions o = Fast())
    {
        o.identity.board = static_cast<uint16_t>(board);
        o.identity.pixels = static_cast<uint16_t>(pixels);
        StartSensor(o);
        sensor.FreezeScene(kFrozenAt);
        StartUp();
        ASSERT_EQ(board, pcbtype);
        ASSERT_EQ(pixels, ccdmaxpixel);
        sensor.ClearFrames();
    }
    // Video mode for a moment, then Stop.
    void RunVideoFor(double seconds)
    {
        AfterSeconds(seconds, [&] { Press(PANEL_STOP); });
        Press(PANEL_VIDEO);
    }
    // The line the sensor sends for its current parameters.
    std::vector<uint16_t> SensorLine(int pixels) const
    {
        auto line = sim::VideoLine(sim::Scene(pixels, 1).Line(kFrozenAt), sensor.Ram());
        return std::vector<uint16_t>(line.begin(), line.end());
    }
    std::vector<uint16_t> Adc() const { return std::vector<uint16_t>(adcbuf, adcbuf + 256); }
    std::pair<double, double> VideoXAxis() const
    {
        double lo = 0, hi = 0;
        GetAxisRange(panelHandle, PANEL_GRAPH_VIDEO, AXIS_X, &lo, &hi);
        return {lo, hi};
    }
    // x of each curve point must be the pixel of its sample.
    void ExpectCurveAt(int first, int step)
    {
        auto plots = GraphPlots(panelHandle, PANEL_GRAPH_VIDEO);
        ASSERT_EQ(2u, plots.size());
        ASSERT_EQ(256u, plots[0].x.size());
        for (int i = 0; i < 256; i++) {
            ASSERT_EQ(first + step * i, plots[0].x[i]) << "sample " << i;
            ASSERT_EQ(first + step * i, xArray[i]) << "sample " << i;
            ASSERT_EQ(adcbuf[i], plots[0].y[i]) << "sample " << i;
        }
        EXPECT_EQ(0xFF0000, plots[0].color);
        EXPECT_EQ(0x008000, plots[1].color);
    }
    void ExpectIdleAfterTheLoop()
    {
        EXPECT_FALSE(Dimmed(panelHandle, PANEL_RUN));
        EXPECT_FALSE(Dimmed(panelHandle, PANEL_VIDEO));
        EXPECT_FALSE(Dimmed(panelHandle, PANEL_GET));
        EXPECT_EQ(RAM, target);
        EXPECT_TRUE(Visible(panelHandle, PANEL_GRAPH_VIDEO));
        EXPECT_FALSE(Visible(panelHandle, PANEL_GRAPH_RAW));
        EXPECT_FALSE(PanelVisible(panelPopUp));
        EXPECT_EQ(0, exchange_busy);
    }
    // The receive callback is back: an echo exchange completes.
    void ExpectFramesReceivedAgain()
    {
        for (int i = 0; i < PNUM; i++) pp[i] = static_cast<uint16_t>(i);
        EXPECT_EQ(EX_REPLY, Exchange(CMD_ECHO, pp, REPLY_FRAME, TIMEOUT, EX_EVENTS));
    }
};

}  // namespace

TEST_F(VideoLoopTest, BoardZeroReadsTheLineInFourBlocksAfterEachMeasurement)
{
    StartBoard(0, 1024);
    SetCtrlVal(panelHandle, PANEL_RBT_RAM, 0);
    SetCtrlVal(panelHandle, PANEL_RBT_FILE, 1);
    target = DATFILE;
    for (int i = 0; i < 16; i++) pp[i] = 0xEEEE;  // whatever an earlier exchange left
    const std::array<uint16_t, 16> firstPayload = Vars();
    RunVideoFor(0.3);

    std::vector<ReceivedFrame> frames = Frames();
    ASSERT_GE(frames.size(), 10u);
    ASSERT_EQ(0u, frames.size() % 5) << "a cycle was cut short";
    EXPECT_EQ(firstPayload, frames[0].payload);  // the parameter set, not a stale pp
    const uint16_t firsts[4] = {0, 64, 128, 192};
    for (size_t f = 0; f < frames.size(); f++) {
        const ReceivedFrame& r = frames[f];
        if (f % 5 == 0) {
            ASSERT_EQ(CMD_MEASURE, r.command) << "frame " << f;
            if (f > 0) {
                // The previous reply goes back as the payload; the scene stands
                // still, so every reply is the one on display now.
                const uint16_t shown[12] = {Ledge, Redge,   Mvalue, tVal,     tTol,   pix1,
                                            edcnt, mvstart, mvend,  pixdelta, anaMax, anaMin};
                for (int w = 0; w < 11; w++) ASSERT_EQ(shown[w], r.payload[w]) << "frame " << f << " word " << w;
            }
        } else {
            ASSERT_EQ(CMD_READ_VIDEO64, r.command) << "frame " << f;
            EXPECT_EQ(firsts[f % 5 - 1], r.payload[0]) << "frame " << f;
            EXPECT_EQ(f % 5 == 4 ? 1 : 0, r.payload[1]) << "frame " << f;
        }
    }
    EXPECT_EQ(SensorLine(1024), Adc());
    EXPECT_EQ(std::make_pair(1.0, 1024.0), VideoXAxis());
    ExpectCurveAt(0, 4);
    EXPECT_FALSE(GraphPlots(panelHandle, PANEL_GRAPH_BAR).empty());
    EXPECT_GT(Value(panelHandle, PANEL_LEDGE), 0);
    EXPECT_EQ("Data[64] block received!", Status());
    ExpectIdleAfterTheLoop();
    ExpectFramesReceivedAgain();
}

TEST_F(VideoLoopTest, OtherBoardsReadTheWholeLineInOneBlock)
{
    StartBoard(3, 512);
    RunVideoFor(0.3);
    std::vector<ReceivedFrame> frames = Frames();
    ASSERT_GE(frames.size(), 4u);
    ASSERT_EQ(0u, frames.size() % 2);
    const std::array<uint16_t, 16> zero{};
    for (size_t f = 0; f < frames.size(); f++) {
        ASSERT_EQ(f % 2 ? CMD_READ_VIDEO256 : CMD_MEASURE, frames[f].command) << "frame " << f;
        if (f % 2) {
            EXPECT_EQ(zero, frames[f].payload) << "frame " << f;
        }
    }
    EXPECT_EQ(SensorLine(512), Adc());
    EXPECT_EQ(std::make_pair(1.0, 512.0), VideoXAxis());
    ExpectCurveAt(0, 2);
    EXPECT_EQ("Data[256] block received!", Status());
    ExpectIdleAfterTheLoop();
    ExpectFramesReceivedAgain();
}

TEST_F(VideoLoopTest, ShortLineShowsEveryPixel)
{
    StartBoard(1, 256);
    RunVideoFor(0.2);
    EXPECT_EQ(SensorLine(256), Adc());
    EXPECT_EQ(std::make_pair(1.0, 256.0), VideoXAxis());
    ExpectCurveAt(0, 1);
}

TEST_F(VideoLoopTest, WindowModeShowsTheWindowFromPixelStart)
{
    StartBoard(3, 1024);
    ccdMode = 1;
    pStart = 300;
    RunVideoFor(0.2);
    EXPECT_EQ(std::make_pair(300.0, 556.0), VideoXAxis());
    ExpectCurveAt(300, 1);
}

TEST_F(VideoLoopTest, StopDuringTheReplyWaitStillCompletesTheCycle)
{
    SensorOptions o = Fast();
    o.faults.delay_ms = 200;
    StartBoard(0, 1024, o);
    for (auto& s : adcbuf) s = 0;
    RunVideoFor(0.05);
    EXPECT_EQ((std::vector<int>{CMD_MEASURE, CMD_READ_VIDEO64, CMD_READ_VIDEO64, CMD_READ_VIDEO64, CMD_READ_VIDEO64}),
              Commands());
    EXPECT_EQ(SensorLine(1024), Adc());
    ExpectIdleAfterTheLoop();
}

// A sensor that falls silent ends video mode within one time-out, whether
// it leaves the measurement or a block unanswered; closing the panel ends
// the loop at once, both board types.
TEST_F(VideoLoopTest, ASilentSensorOrAClosedPanelEndsVideoModePromptly)
{
    StartSilentSensor();
    ASSERT_EQ(0, OpenComConfig(1, "", 19200, 0, 8, 1, 4096, 4096));
    InstallComCallback(1, eventMask, FRAME_BYTES, sync_word, RX_Receive_Function, 0);
    pcbtype = 3;
    double start = Timer();
    Press(PANEL_VIDEO);
    EXPECT_LT(Timer() - start, TIMEOUT + 2.0);  // generous: one time-out, not one per block
    EXPECT_EQ("Timeout RS232-Line!", Status());
    EXPECT_EQ((std::vector<int>{CMD_MEASURE}), Commands());
    EXPECT_EQ(1, stop_flag);
    ExpectIdleAfterTheLoop();

    // The measurement answered, the block not.
    SensorFaults secondUnanswered;
    secondUnanswered.no_reply_every = 2;
    sensor.SetFaults(secondUnanswered);
    pcbtype = 0;
    start = Timer();
    Press(PANEL_VIDEO);
    EXPECT_LT(Timer() - start, TIMEOUT + 2.0);
    EXPECT_EQ("Timeout-RS-232 while reading 64 data-words!", Status());

    for (int board : {0, 3}) {
        sensor.SetFaults(SensorFaults{});
        pcbtype = static_cast<uint16_t>(board);
        AfterSeconds(0.3, [] { OperatorClosePanel(panelHandle); });
        start = Timer();
        Press(PANEL_VIDEO);
        EXPECT_LT(Timer() - start, 0.3 + 1.0) << "board " << board;  // generous; it was 9 s
        EXPECT_EQ(1, quit_flag);
        quit_flag = 0;
        ASSERT_EQ(0, OpenComConfig(1, "", 19200, 0, 8, 1, 4096, 4096));
    }
}

// A failed set-up on another port leaves nothing of the last sensor's
// identity behind: board type 400 would turn the next video read into
// command 11, which a board-0 sensor executes as a max/min reset.
TEST_F(VideoLoopTest, AFailedSetUpForgetsTheLastSensorsIdentity)
{
    StartBoard(400, 512);
    SetComDevice(2, "/nonexistent/kvormx-port");
    Choose(panelHandle, PANEL_COMPORT, 1);
    EXPECT_EQ(0u, Status().rfind("No serial port found - /nonexistent", 0)) << Status();
    EXPECT_EQ(0, pcbtype);
    EXPECT_EQ(1024, ccdmaxpixel);
}
