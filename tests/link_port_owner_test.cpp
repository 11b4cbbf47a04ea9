// A port is open in one program at a time, and a port that cannot be opened
// says why: the program's text, then the device and the system's reason.
#include "support/program_fixture.h"

#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

using PortOwner = ProgramTest;

std::string ProgramPath()
{
    char dir[PATH_LEN];
    GetProjectDir(dir);
    return std::string(dir) + "/kvormx";
}

}  // namespace

// Run mode sends the teach value and tolerance back to the sensor: a second
// program on the same line must not get in between.
TEST_F(PortOwner, ASecondProgramNeverReachesTheFirstOnesSensor)
{
    StartSensor();
    StartUp();
    sensor.ClearFrames();
    const Words ram = sensor.Ram();
    int second = -1;
    std::thread other;
    AfterSeconds(0.2, [&] {
        other = std::thread([&] {
            std::string cmd = "timeout 30 '" + ProgramPath() + "' --com 1='" + sensor.SlavePath() +
                              "' --exit-when-ready >/dev/null 2>&1";
            second = std::system(cmd.c_str());
        });
    });
    // Stop once the second program has come and gone (bounded).
    std::function<void()> stopWhenDone = [&] {
        if (second != -1 || Timer() > 40.0 + tstart) {
            Press(PANEL_STOP);
            return;
        }
        AfterSeconds(0.1, stopWhenDone);
    };
    AfterSeconds(0.5, stopWhenDone);
    Press(PANEL_RUN);
    other.join();

    EXPECT_EQ(0, WEXITSTATUS(second));  // it came up, without the port
    EXPECT_EQ("Line Ok!", Status());    // no time-out here: nobody took our replies
    for (const auto& f : Frames()) EXPECT_EQ(CMD_MEASURE, f.command) << "the second program spoke";
    Words after = sensor.Ram();
    after[8] = ram[8];  // run mode writes back the sensor's own values only
    after[9] = ram[9];
    EXPECT_EQ(ram, after);
}

TEST_F(PortOwner, APortHeldElsewhereIsRefusedNamingTheHolder)
{
    StartSensor();
    StartUp();
    SetComDevice(2, sensor.SlavePath());
    EXPECT_EQ(RS_PORT_IN_USE, OpenComConfig(2, "", 19200, 0, 8, 1, 4096, 4096));
    EXPECT_NE(std::string::npos, std::string(ComOpenCause()).find("in use by ")) << ComOpenCause();
    EXPECT_NE(std::string::npos, std::string(ComOpenCause()).find(std::to_string(getpid())));

    // The operator's choice of a port another program holds (here: this
    // process through COM 3) is refused the same way.
    SetComDevice(3, sensor.SlavePath());
    CloseCom(com);
    ASSERT_EQ(0, OpenComConfig(3, "", 19200, 0, 8, 1, 4096, 4096));
    Choose(panelHandle, PANEL_COMPORT, 1);
    EXPECT_EQ(0u, Status().rfind("Port in use - ", 0)) << Status();
    CloseCom(3);
}

TEST_F(PortOwner, EachKindOfWrongDeviceSaysWhatItIs)
{
    char dir[] = "/tmp/kvormx-dev-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    const std::string file = std::string(dir) + "/plain", fifo = std::string(dir) + "/fifo";
    std::ofstream(file) << "not a port\n";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    struct Case {
        std::string device;
        std::string status;
    } cases[] = {
        {"/dev/null", "Cannot open port - /dev/null: a character device, not a serial device"},
        {dir, std::string("Cannot open port - ") + dir + ": Is a directory"},
        {file, "Cannot open port - " + file + ": a regular file, not a serial device"},
        {fifo, "Cannot open port - " + fifo + ": a FIFO, not a serial device"},
        {std::string(dir) + "/gone", "No serial port found - " + std::string(dir) + "/gone: No such file or directory"},
    };
    for (const Case& c : cases) {
        SetComDevice(1, c.device.c_str());
        StartUp();
        EXPECT_EQ(c.status, Status());
    }
    unlink(file.c_str());
    unlink(fifo.c_str());
    rmdir(dir);
}
