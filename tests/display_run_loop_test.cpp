// Run mode: the requests it sends, what each reply shows, and the ways it
// ends (Stop, a missing reply, the main panel closed), with nothing else
// allowed onto the line while it runs.
#include "support/program_fixture.h"

#include "display/display.h"
#include "link/health.h"
#include "link/link.h"
#include "link/state.h"
#include "runtime/graph.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "support/inspect.h"
#include "support/pty_peer.h"

#include <string>
#include <thread>
#include <vector>

namespace {

const std::array<uint16_t, 16> kVars = {600, 0, 300, 100, 0, 0, 50, 1000, 500, 20, 0, 0, 0, 1, 0, 1};

class RunLoopTest : public ProgramTest {
 protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        SetVars(kVars);
        // Start from a target and a pop-up that run mode must change.
        SetCtrlVal(panelHandle, PANEL_RBT_RAM, 0);
        SetCtrlVal(panelHandle, PANEL_RBT_EEPROM, 1);
        target = EEPROM;
        DisplayPanel(panelPopUp);
        SetCtrlVal(panelHandle, PANEL_PARAII, 1);
    }
    void ExpectIdleAfterTheLoop()
    {
        EXPECT_FALSE(Dimmed(panelHandle, PANEL_RUN));
        EXPECT_FALSE(Dimmed(panelHandle, PANEL_VIDEO));
        EXPECT_FALSE(Dimmed(panelHandle, PANEL_GET));
        EXPECT_EQ(RAM, target);
        EXPECT_EQ(1, Value(panelHandle, PANEL_RBT_RAM));
        EXPECT_EQ(0, Value(panelHandle, PANEL_RBT_EEPROM));
        EXPECT_EQ(0, Value(panelHandle, PANEL_RBT_FILE));
        EXPECT_FALSE(PanelVisible(panelPopUp));
        EXPECT_EQ(0, Value(panelHandle, PANEL_PARAII));
        EXPECT_TRUE(Visible(panelHandle, PANEL_GRAPH_RAW));
        EXPECT_FALSE(Visible(panelHandle, PANEL_GRAPH_VIDEO));
        EXPECT_EQ(0, exchange_busy);
    }
};

// COM 1 on a pty the test plays the sensor on.
class RunLoopPeerTest : public RunLoopTest {
 protected:
    void SetUp() override
    {
        RunLoopTest::SetUp();
        OpenComOn(peer);
    }
    void TearDown() override
    {
        if (device.joinable()) device.join();
        RunLoopTest::TearDown();
    }
    static Words Payload(const Bytes& frame) { return Decode(frame).payload; }
    std::thread device;
};

}  // namespace

TEST_F(RunLoopPeerTest, EachReplyIsShownAndAnsweredWithTheSensorsTeachValue)
{
    // Ledge Redge Mvalue tVal tTol pix1 edcnt mvstart mvend pixdelta anaMax anaMin in0
    const std::array<uint16_t, 16> a = {300, 600, 450, 777, 33, 1, 2, 10, 20, 300, 460, 440, 0};
    const std::array<uint16_t, 16> b = {310, 610, 460, 778, 34, 1, 2, 10, 20, 300, 470, 1023, 0};
    // A teach value beyond the line and a tolerance beyond its range: never
    // sent back (a frame shifted by stray bytes would look like this).
    const std::array<uint16_t, 16> c = {310, 610, 460, 5000, 900, 1, 2, 10, 20, 300, 470, 1023, 0};
    std::vector<Bytes> requests;
    device = std::thread([&] {
        for (const auto& reply : {a, b, c}) {
            requests.push_back(peer.Read(FRAME_BYTES, 3.0));
            SensorSays(reply, CMD_MEASURE);
        }
        requests.push_back(peer.Read(FRAME_BYTES, 3.0));  // left unanswered: Stop comes first
    });
    // The line seen in millimetres: 25.4 mm over 1024 pixels.
    CalibrateScale(25.4, 1024.0, 0.0);
    std::string modeWhileRunning, stopDimmedWhileRunning;
    AfterSeconds(0.3, [&] {
        modeWhileRunning = ShownText(panelHandle, PANEL_MODE);
        stopDimmedWhileRunning = Dimmed(panelHandle, PANEL_STOP) ? "dimmed" : "operable";
    });
    AfterSeconds(0.5, [&] { Press(PANEL_STOP); });
    EXPECT_EQ("Stopped", ShownText(panelHandle, PANEL_MODE));
    EXPECT_TRUE(Dimmed(panelHandle, PANEL_STOP));
    Press(PANEL_RUN);
    device.join();
    Bytes after = peer.Read(FRAME_BYTES, 0.3);
    EXPECT_EQ("Run", modeWhileRunning);
    EXPECT_EQ("operable", stopDimmedWhileRunning);
    EXPECT_EQ("Stopped", ShownText(panelHandle, PANEL_MODE));
    EXPECT_TRUE(Dimmed(panelHandle, PANEL_STOP));

    ASSERT_EQ(4u, requests.size());
    for (const Bytes& r : requests) {
        ASSERT_TRUE(Decode(r).whole);
        EXPECT_EQ(0x55, Decode(r).sync);
        EXPECT_EQ(CMD_MEASURE, Decode(r).command);
    }
    EXPECT_EQ(kVars, Payload(requests[0]));
    std::array<uint16_t, 16> second = kVars;
    second[8] = 777;  // teach value and tolerance as the sensor reported them
    second[9] = 33;
    EXPECT_EQ(second, Payload(requests[1]));
    EXPECT_EQ(778, Payload(requests[2])[8]);
    EXPECT_EQ(34, Payload(requests[2])[9]);
    EXPECT_EQ(778, Payload(requests[3])[8]);
    EXPECT_EQ(34, Payload(requests[3])[9]);
    EXPECT_EQ(1, link_health.refusedRange);
    EXPECT_TRUE(after.empty()) << "a request went out after Stop";

    // The last reply is on display.
    EXPECT_EQ(310, Value(panelHandle, PANEL_LEDGE));
    EXPECT_EQ(610, Value(panelHandle, PANEL_REDGE));
    EXPECT_EQ(460, Value(panelHandle, PANEL_MVALUE));
    EXPECT_EQ(778, Value(panelHandle, PANEL_TEACH_SHOW));
    EXPECT_EQ(34, Value(panelHandle, PANEL_TOLERANCE_SHOW));
    EXPECT_EQ(470, Value(panelHandle, PANEL_ANAMAX));
    EXPECT_EQ(1, Value(panelHandle, PANEL_ANAMIN));
    EXPECT_EQ(460, StripChartTrace(panelHandle, PANEL_GRAPH_RAW, 4).back());
    EXPECT_EQ(778 + 34, StripChartTrace(panelHandle, PANEL_GRAPH_RAW, 1).back());
    EXPECT_EQ(450, StripChartTrace(panelHandle, PANEL_GRAPH_RAW, 4).end()[-3]);
    EXPECT_EQ("Line Ok!", Status());
    EXPECT_EQ(1, stop_flag);
    ExpectIdleAfterTheLoop();

    // The run's statistics of the three replies (450, 460, 460 pixels), all
    // out of their band, against the band the sensor last sent back (778 +- 34).
    EXPECT_EQ("11.410", ShownText(panelHandle, PANEL_MVALUE_MM));  // 460 pixels
    EXPECT_EQ("3", ShownText(panelHandle, PANEL_STAT_COUNT));
    EXPECT_EQ("456.67", ShownText(panelHandle, PANEL_STAT_MEAN));
    EXPECT_EQ("5.77", ShownText(panelHandle, PANEL_STAT_SD));  // of a sample: sqrt(100 / 3)
    EXPECT_EQ("3", ShownText(panelHandle, PANEL_STAT_OUT));
    EXPECT_EQ("100.00 %", ShownText(panelHandle, PANEL_STAT_SHARE));
    EXPECT_EQ("1.96", ShownText(panelHandle, PANEL_STAT_CP));     // 68 / (6 sd)
    EXPECT_EQ("-16.59", ShownText(panelHandle, PANEL_STAT_CPK));  // the mean far below the band

    // A gauge of 7.5 mm between the two edges (300 pixels apart in both
    // replies) calibrates the scale, and the switch shows millimetres.
    Press(PANEL_PARAII);
    OperatorType(panelPopUp, POPUP_GAUGE, "7,5");
    Click(panelPopUp, POPUP_CALIBRATE);
    EXPECT_DOUBLE_EQ(0.025, mm_per_pixel);
    EXPECT_EQ(MM_CALIBRATED, mm_source);
    EXPECT_NE(std::string::npos, Status().find("kept for this sensor")) << Status();
    Click(panelHandle, PANEL_MM);
    EXPECT_EQ("11.500", ShownText(panelHandle, PANEL_MVALUE));
    EXPECT_EQ("11.4167", ShownText(panelHandle, PANEL_STAT_MEAN));
    EXPECT_EQ("Position (mm)", GraphAxisLabel(panelHandle, PANEL_GRAPH_RAW, AXIS_Y));
    Click(panelHandle, PANEL_MM);
    EXPECT_EQ("460", ShownText(panelHandle, PANEL_MVALUE));
    EXPECT_EQ("Position (pixel)", GraphAxisLabel(panelHandle, PANEL_GRAPH_RAW, AXIS_Y));
}

// A sensor whose tolerance comes from its potentiometer reports another one
// with almost every reply; each goes back with the next request, and none is
// held back.
TEST_F(RunLoopTest, AToleranceThatMovesWithEveryReplyGoesBackWithTheNextRequest)
{
    SensorOptions o = Fast();
    o.faults.pot_jitter = 3;
    StartSensor(o);
    StartUp();
    sensor.ClearFrames();
    AfterSeconds(0.4, [&] { Press(PANEL_STOP); });
    Press(PANEL_RUN);
    std::vector<ReceivedFrame> frames = Frames();
    ASSERT_GE(frames.size(), 5u);
    int moved = 0;
    for (size_t i = 0; i + 1 < frames.size(); i++) {
        const ReceivedFrame& answered = frames[i];
        if (answered.command != CMD_MEASURE || answered.reply.size() != FRAME_BYTES) continue;
        const uint16_t reported = static_cast<uint16_t>(answered.reply[12] << 8 | answered.reply[13]);
        EXPECT_EQ(reported, frames[i + 1].payload[9]) << "request " << i + 1;
        moved += reported != answered.payload[9];
    }
    EXPECT_GT(moved, 0);
    EXPECT_EQ(0, link_health.refusedRange + link_health.refusedLength);
}

TEST_F(RunLoopPeerTest, MissingReplyEndsTheLoopAfterTheTimeOut)
{
    double start = Timer();
    Press(PANEL_RUN);
    double took = Timer() - start;
    EXPECT_GE(took, TIMEOUT);
    EXPECT_LT(took, TIMEOUT + 2.0);
    EXPECT_EQ("Timeout RS232-Line!", Status());
    EXPECT_EQ(1u, peer.Read(2 * FRAME_BYTES, 0.2).size() / FRAME_BYTES);
    ExpectIdleAfterTheLoop();
}

TEST_F(RunLoopTest, ExchangeButtonsDoNothingWhileRunModeRuns)
{
    StartSensor();
    StartUp();
    const std::array<uint16_t, 16> before = Vars();
    sensor.ClearFrames();
    AfterSeconds(0.1, [&] {
        // What cannot reach the sensor now does not look as if it could.
        for (int c : {PANEL_RUN, PANEL_VIDEO, PANEL_GET, PANEL_SEND, PANEL_BUTTON_TEACH, PANEL_BUTTON_RESET})
            EXPECT_TRUE(Dimmed(panelHandle, c)) << "control " << c;
    });
    AfterSeconds(0.2, [&] {
        // Get and Send are dimmed while the loop runs; Stop undims them before
        // the loop has ended, which is when an operator can reach them.
        Press(PANEL_BUTTON_TEACH);
        Press(PANEL_BUTTON_RESET);
        Press(PANEL_STOP);
        Press(PANEL_GET);
        Press(PANEL_SEND);
        Press(PANEL_VIDEO);
    });
    Press(PANEL_RUN);
    std::vector<int> commands = Commands();
    ASSERT_GT(commands.size(), 2u);
    for (int c : commands) EXPECT_EQ(CMD_MEASURE, c);
    std::array<uint16_t, 16> after = Vars();
    after[8] = before[8];  // teach value and tolerance are the sensor's, by design
    after[9] = before[9];
    EXPECT_EQ(before, after);
    EXPECT_FALSE(Visible(panelHandle, PANEL_GRAPH_VIDEO));
    ExpectIdleAfterTheLoop();
}

TEST_F(RunLoopTest, ClosingThePanelDuringRunModeEndsTheProgram)
{
    StartSensor();
    StartUp();
    DisplayPanel(panelHandle);
    bool ran = false;
    AfterSeconds(0.05, [&] {
        ran = true;
        Press(PANEL_RUN);
    });
    AfterSeconds(0.3, [&] { OperatorClosePanel(panelHandle); });
    AfterSeconds(10.0, [] { QuitUserInterface(99); });  // only if the loop never ends
    double start = Timer();
    EXPECT_EQ(0, RunUserInterface());
    EXPECT_TRUE(ran);
    EXPECT_LT(Timer() - start, 0.3 + 1.0);  // generous: the loop ends at once, no time-out
    EXPECT_EQ("Line Ok!", Status());
    EXPECT_EQ(-3, GetInQLen(com));  // the port was closed at once
}
