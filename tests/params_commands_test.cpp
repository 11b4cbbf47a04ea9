// Teach and max/min reset against the virtual sensor, answering and silent.
#include "support/program_fixture.h"

#include "link/link.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <string>
#include <vector>

namespace {

class SensorCommand : public ProgramTest {
 protected:
    void Connect(int replyDelayMs = 0)
    {
        StartSensor();
        StartUp();
        ASSERT_EQ(CMD_VERSION, LastFrame().command);  // the start-up ran to its end
        SensorFaults f;
        f.delay_ms = replyDelayMs;
        sensor.SetFaults(f);
        sensor.ClearFrames();
    }
    void Silence()
    {
        SensorFaults f;
        f.no_reply_every = 1;
        sensor.SetFaults(f);
    }
    // The status line as the operator sees it while the command waits.
    void NoteStatusAfter(double seconds)
    {
        AfterSeconds(seconds, [this] { seen.push_back(Status()); });
    }
    std::vector<std::string> seen;
};

}  // namespace

TEST_F(SensorCommand, TeachShowsTheValueTheSensorTookOnBothTeachControls)
{
    Connect(200);
    sensor.FreezeScene(1.0);  // an object in view: teach takes its position
    std::array<uint16_t, 16> before = Vars();
    Enter(panelHandle, PANEL_TEACH, 3);  // edited, not sent: the frame carries pp instead
    NoteStatusAfter(0.1);
    Press(PANEL_BUTTON_TEACH);

    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("New setpoint value teached!", seen[0]);
    EXPECT_EQ("Parameter-frame received! - Line Ok!", Status());
    EXPECT_EQ((std::vector<int>{CMD_TEACH, CMD_READ_RAM}), Commands());
    EXPECT_EQ(before, Frames()[0].payload);

    int taught = sensor.Ram()[8];
    EXPECT_NE(before[8], taught);
    EXPECT_EQ(taught, tVal);
    EXPECT_EQ(taught, Value(panelHandle, PANEL_TEACH));
    EXPECT_EQ(taught, Value(panelHandle, PANEL_TEACH_SHOW));
}

TEST_F(SensorCommand, TeachWithoutAnswerSaysSoAndReadsNothing)
{
    Connect();
    Silence();
    std::array<uint16_t, 16> before = Vars();
    double start = Timer();
    Press(PANEL_BUTTON_TEACH);
    EXPECT_GE(Timer() - start, 1.45);
    EXPECT_EQ("Timeout-RS-232...", Status());
    EXPECT_EQ(std::vector<int>{CMD_TEACH}, Commands());
    EXPECT_EQ(before, Vars());
    EXPECT_EQ(0, exchange_busy);
    // The time-out belongs to this moment: a Get from a file shows the
    // outcome of the last exchange, not this text again.
    EXPECT_STRNE("Timeout-RS-232...", szStatus);
}

// Teach and reset carry the staged variables, whatever landed in pp.
TEST_F(SensorCommand, TeachAndResetCarryTheParameterSetNotStrayBytes)
{
    Connect();
    const Words staged = Vars();
    for (int i = 0; i < PNUM; i++) pp[i] = 0xBEEF;
    Press(PANEL_BUTTON_RESET);
    for (int i = 0; i < PNUM; i++) pp[i] = 0xBEEF;
    Press(PANEL_BUTTON_TEACH);
    ASSERT_EQ((std::vector<int>{CMD_RESET_MAXMIN, CMD_TEACH, CMD_READ_RAM}), Commands());
    EXPECT_EQ(staged, Frames()[0].payload);
    EXPECT_EQ(staged, Frames()[1].payload);
}

TEST_F(SensorCommand, ResetReportsTheAnswer)
{
    Connect(300);
    std::array<uint16_t, 16> packet;
    for (int i = 0; i < 16; i++) packet[i] = pp[i];
    Enter(panelHandle, PANEL_POWER, 999);  // not part of the frame
    NoteStatusAfter(0.1);
    Press(PANEL_BUTTON_RESET);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Reset Max/Min values...", seen[0]);
    EXPECT_EQ("Reset Max/Min OK!", Status());
    EXPECT_EQ("Reset Max/Min OK!", std::string(szStatus));
    ReceivedFrame f = LastFrame();
    EXPECT_EQ(CMD_RESET_MAXMIN, f.command);
    EXPECT_EQ(packet, f.payload);
}

TEST_F(SensorCommand, ResetWithoutAnswerTimesOut)
{
    Connect();
    Silence();
    Press(PANEL_BUTTON_RESET);
    EXPECT_EQ("Timeout-RS-232...", Status());
    EXPECT_EQ("Timeout-RS-232...", std::string(szStatus));
    EXPECT_EQ(std::vector<int>{CMD_RESET_MAXMIN}, Commands());
}
