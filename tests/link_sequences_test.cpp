// The window and kvormx-cli run the same sequences: the same operation puts
// the same frames on the line from both, and a silent sensor or a missing
// video block ends both at the same point.
#include "support/program_fixture.h"

#include "cli_runner.h"
#include "runtime/rs232.h"

#include <utility>
#include <vector>

namespace {

using Sent = std::vector<std::pair<int, Words>>;

class SequencesTest : public ProgramTest {
 protected:
    // A fresh sensor each time, so both front ends meet the same one.
    void Fresh(const SensorFaults& faults = SensorFaults{})
    {
        CloseCom(com);
        sensor.Stop();
        SensorOptions o = Fast();
        o.faults = faults;
        StartSensor(o);
        sensor.ClearFrames();  // the record outlives a restart
    }
    // Commands and payloads from the sensor's record, the first `skip` left out.
    Sent SentFrom(size_t skip) const
    {
        Sent out;
        std::vector<ReceivedFrame> all = Frames();
        for (size_t i = skip; i < all.size(); i++) out.push_back({all[i].command, all[i].payload});
        return out;
    }
    CliRun Cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--port", sensor.SlavePath()});
        return RunCli(args);
    }
};

}  // namespace

TEST_F(SequencesTest, TeachAndResetPutTheSameFramesOnTheLineFromBoth)
{
    struct {
        int button;
        const char* command;
        std::vector<int> commands;
    } operations[] = {{PANEL_BUTTON_TEACH, "teach", {CMD_TEACH, CMD_READ_RAM}},
                      {PANEL_BUTTON_RESET, "reset", {CMD_RESET_MAXMIN}}};
    for (const auto& op : operations) {
        SCOPED_TRACE(op.command);
        // The window after its set-up; the tool after its line check and
        // its read of the sensor's set.
        Fresh();
        StartUp();
        const size_t setUp = Frames().size();
        Press(op.button);
        const Sent window = SentFrom(setUp);
        Fresh();
        ASSERT_EQ(0, Cli({op.command}).status);
        const Sent tool = SentFrom(2);
        ASSERT_EQ(op.commands.size(), window.size());
        for (size_t k = 0; k < window.size(); k++) EXPECT_EQ(op.commands[k], window[k].first);
        EXPECT_EQ(window, tool);
    }
}

TEST_F(SequencesTest, AMissingVideoBlockEndsBothAfterTheSameFrames)
{
    // The window's video mode: its measurement answered, its first block not.
    SensorFaults block;
    block.no_reply_every = 2;
    Fresh();
    StartUp();
    const size_t setUp = Frames().size();
    sensor.SetFaults(block);
    Press(PANEL_VIDEO);
    EXPECT_EQ("Timeout-RS-232 while reading 64 data-words!", Status());
    const Sent window = SentFrom(setUp);

    // The tool: echo, RAM read, hardware, then the same measurement and block.
    block.no_reply_every = 5;
    Fresh(block);
    CliRun r = Cli({"--timeout", "0.3", "video"});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("video block from sample 0 of picture 1")) << r.err;
    const Sent tool = SentFrom(3);

    ASSERT_EQ(2u, window.size());
    EXPECT_EQ(CMD_MEASURE, window[0].first);
    EXPECT_EQ(CMD_READ_VIDEO64, window[1].first);
    EXPECT_EQ(window, tool);
}
