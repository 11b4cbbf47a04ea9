// Ports as they come and go, end to end: the virtual sensor behind a link in
// a by-id folder of the test's own (the machine's ports kept out), pulled
// and plugged again during idle, run and video mode; the ring; the port and
// the parameter folder remembered.
#include "support/program_fixture.h"

#include "runtime/ports.h"
#include "runtime/rs232.h"
#include "runtime/settings.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "support/inspect.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <stdlib.h>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

class PortWatchTest : public ProgramTest {
 protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        char tmpl[] = "/tmp/kvormx-byid-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        root = tmpl;
        fs::create_directories(root / "by-id");
        fs::create_directories(root / "dev");
        fs::create_directories(root / "sys");
        SetPortsSystemDirs((root / "dev").c_str(), (root / "sys").c_str());
        SetPortsByIdDir((root / "by-id").c_str());
        link = (root / "by-id" / "usb-KVOR_virtual_sensor_0001-if00").string();
    }
    void TearDown() override
    {
        StopWatchingPorts();
        ProgramTest::TearDown();
        fs::remove_all(root);
    }

    // The sensor plugged in behind `link`, the program started on it as it
    // starts on a remembered port.
    void StartPlugged(SensorOptions o = Fast())
    {
        o.link = link;
        ASSERT_TRUE(sensor.Start(o));
        ScanPorts();
        com = PortNumber(link.c_str());
        ASSERT_NE(0, com);
        FillPortRing();
        ASSERT_EQ(0, StartPortWatch());
        exchange_busy = 1;
        InitRS232(com);
        exchange_busy = 0;
        ASSERT_EQ("K-VOR-MX virtual sensor FW 1.0", Status().substr(0, 30));
        sensor.ClearFrames();
    }
    // As udev does it: the device goes, then its link.
    void Unplug()
    {
        sensor.Vanish();
        fs::remove(link);
    }
    void Replug() { ASSERT_TRUE(sensor.Reappear()); }

    bool PumpUntil(const std::function<bool()>& done, double seconds = 5.0)
    {
        double end = Timer() + seconds;
        while (!done()) {
            if (Timer() > end) return false;
            ProcessSystemEvents();
        }
        return true;
    }
    bool SetUpSeen()
    {
        auto c = Commands();
        return std::find(c.begin(), c.end(), CMD_VERSION) != c.end();
    }

    std::vector<int> RingValues() const
    {
        int count = 0;
        GetNumListItems(panelHandle, PANEL_COMPORT, &count);
        std::vector<int> values;
        for (int i = 0; i < count; i++) {
            int v = 0;
            GetValueFromIndex(panelHandle, PANEL_COMPORT, i, &v);
            values.push_back(v);
        }
        return values;
    }
    std::string RingLabel(int number) const
    {
        auto values = RingValues();
        for (size_t i = 0; i < values.size(); i++) {
            if (values[i] != number) continue;
            char label[512] = "";
            GetLabelFromIndex(panelHandle, PANEL_COMPORT, static_cast<int>(i), label, sizeof label);
            return label;
        }
        return "";
    }
    bool InRing(int number) const
    {
        auto v = RingValues();
        return std::find(v.begin(), v.end(), number) != v.end();
    }

    std::string Lost() const { return "Port lost: " + link; }
    const std::vector<int> kSetUp = {CMD_ECHO, CMD_HARDWARE_INFO, CMD_READ_RAM, CMD_VERSION};

    fs::path root;
    std::string link;
};

}  // namespace

// ---- Unplug and replug --------------------------------------------------------------------------

TEST_F(PortWatchTest, IdleUnplugSaysLostAndReplugSetsUpAgain)
{
    StartPlugged();
    EXPECT_EQ("COM1  " + link, RingLabel(com));

    Unplug();
    ASSERT_TRUE(PumpUntil([&] { return Status() == Lost(); })) << Status();
    // Closed, so the system may give the adapter its name again; the ring
    // still shows the port the program is on.
    EXPECT_EQ(RS_PORT_NOT_OPEN, ComPortGone(com));
    EXPECT_EQ("COM1  " + link + "  (not present)", RingLabel(com));
    EXPECT_EQ(com, Value(panelHandle, PANEL_COMPORT));

    Replug();
    ASSERT_TRUE(PumpUntil([&] { return SetUpSeen(); }));
    EXPECT_EQ(kSetUp, Commands());
    EXPECT_EQ("K-VOR-MX virtual sensor FW 1.0", Status().substr(0, 30));
    EXPECT_EQ(1, com);
    EXPECT_EQ("COM1  " + link, RingLabel(com));
    EXPECT_FALSE(exchange_busy);
}

TEST_F(PortWatchTest, HangUpWithTheLinkLeftBehindIsALossToo)
{
    StartPlugged();
    sensor.Vanish();  // the link stays, leading nowhere
    ASSERT_TRUE(PumpUntil([&] { return Status() == Lost(); })) << Status();
    PumpFor(0.5);
    EXPECT_TRUE(Commands().empty());  // nothing set up on a port that is not back

    Replug();  // the link is pointed at the new device
    ASSERT_TRUE(PumpUntil([&] { return SetUpSeen(); }));
    EXPECT_EQ(kSetUp, Commands());
}

// While the adapter is away its name leads to a device another program
// holds: that one is refused, and the adapter is still set up when it is back.
TEST_F(PortWatchTest, ADeviceHeldElsewhereUnderTheNameIsSkippedAndTheAdapterStillAwaited)
{
    StartPlugged();
    Unplug();
    ASSERT_TRUE(PumpUntil([&] { return Status() == Lost(); })) << Status();

    VirtualSensor held;
    SensorOptions o = Fast();
    o.link = link;
    ASSERT_TRUE(held.Start(o));
    ASSERT_EQ(0, SetComDevice(5, held.SlavePath()));
    ASSERT_EQ(0, OpenComConfig(5, "", 19200, 0, 8, 1, 4096, 4096));
    ASSERT_TRUE(PumpUntil([&] { return Status().rfind("Port in use", 0) == 0; })) << Status();
    CloseCom(5);
    held.Stop();
    fs::remove(link);

    Replug();
    ASSERT_TRUE(PumpUntil([&] { return SetUpSeen(); })) << Status();
    EXPECT_EQ("K-VOR-MX virtual sensor FW 1.0", Status().substr(0, 30));
}

TEST_F(PortWatchTest, NamedPortMissingAtStartIsSetUpWhenItArrives)
{
    ASSERT_EQ(0, AddComPort(3, link.c_str()));
    ScanPorts();
    com = 3;
    FillPortRing();
    ASSERT_EQ(0, StartPortWatch());
    InitRS232(com);
    EXPECT_EQ(0u, Status().rfind("No serial port found", 0)) << Status();

    SensorOptions o = Fast();
    o.link = link;
    ASSERT_TRUE(sensor.Start(o));
    ASSERT_TRUE(PumpUntil([&] { return SetUpSeen(); }));
    EXPECT_EQ(kSetUp, Commands());
    EXPECT_EQ(3, com);
}

TEST_F(PortWatchTest, RunModeEndsWithPortLostAndStaysEndedAfterReplug)
{
    StartPlugged();
    AfterSeconds(0.3, [&] { Unplug(); });
    Press(PANEL_RUN);  // returns when the loop has ended
    EXPECT_EQ(Lost(), Status());
    EXPECT_FALSE(Dimmed(panelHandle, PANEL_SEND));
    EXPECT_FALSE(exchange_busy);
    auto c = Commands();
    EXPECT_GT(std::count(c.begin(), c.end(), CMD_MEASURE), 2);

    ASSERT_TRUE(PumpUntil([&] { return ComPortGone(com) == RS_PORT_NOT_OPEN; }));
    sensor.ClearFrames();
    Replug();
    ASSERT_TRUE(PumpUntil([&] { return SetUpSeen(); }));
    PumpFor(0.5);
    EXPECT_EQ(kSetUp, Commands());  // set up again, no measurement requested
}

TEST_F(PortWatchTest, VideoModeEndsWithPortLostOnBothBoards)
{
    for (int board : {0, 400}) {
        SCOPED_TRACE(board);
        SensorOptions o = Fast();
        o.identity.board = static_cast<uint16_t>(board);
        sensor.Stop();
        StopWatchingPorts();
        StartPlugged(o);
        AfterSeconds(0.3, [&] { Unplug(); });
        Press(PANEL_VIDEO);
        EXPECT_EQ(Lost(), Status());
        EXPECT_FALSE(exchange_busy);
        ASSERT_TRUE(PumpUntil([&] { return ComPortGone(com) == RS_PORT_NOT_OPEN; }));
        sensor.ClearFrames();
        Replug();
        ASSERT_TRUE(PumpUntil([&] { return SetUpSeen(); }));
        PumpFor(0.3);
        EXPECT_EQ(kSetUp, Commands());
    }
}

// ---- The ring -----------------------------------------------------------------------------------

TEST_F(PortWatchTest, RingFollowsOtherPortsAndTheirNumbersStay)
{
    StartPlugged();
    ASSERT_TRUE(peer.Ok());
    fs::path other = root / "by-id" / "usb-Other_Adapter-if00";
    fs::create_symlink(peer.Path(), other);
    ASSERT_TRUE(PumpUntil([&] { return InRing(2); }));
    EXPECT_EQ(2, PortNumber(other.c_str()));
    EXPECT_EQ(com, Value(panelHandle, PANEL_COMPORT));  // the choice is left alone

    fs::remove(other);
    ASSERT_TRUE(PumpUntil([&] { return !InRing(2); }));
    EXPECT_EQ((std::vector<int>{1}), RingValues());

    fs::create_symlink(peer.Path(), other);
    ASSERT_TRUE(PumpUntil([&] { return InRing(2); }));
    EXPECT_EQ((std::vector<int>{1, 2}), RingValues());
    EXPECT_TRUE(Commands().empty());  // nothing was said to the port in use
}

TEST_F(PortWatchTest, EveryPortNamedOnTheCommandLineIsInTheRing)
{
    ASSERT_EQ(0, AddComPort(9, "/nonexistent/kvormx-adapter"));
    ASSERT_EQ(0, AddComPort(17, peer.Path().c_str()));
    ScanPorts();
    FillPortRing();
    EXPECT_EQ((std::vector<int>{1, 9, 17}), RingValues());  // COM1: the port in use, not there
    EXPECT_EQ("COM9  /nonexistent/kvormx-adapter  (not present)", RingLabel(9));
    EXPECT_EQ("COM17  " + peer.Path(), RingLabel(17));

    // Chosen in the ring, COM17 is the device it was named with.
    Choose(panelHandle, PANEL_COMPORT, 2);
    EXPECT_EQ(17, com);
    Frame f = NextFrameSent();
    EXPECT_EQ(CMD_ECHO, f.command);
}

// ---- Remembered ---------------------------------------------------------------------------------

TEST_F(PortWatchTest, PortThatPassedTheLineCheckIsWhereTheNextStartBegins)
{
    StartPlugged();
    char remembered[512] = "";
    ASSERT_EQ(1, GetSetting("port/last", remembered, sizeof remembered));
    EXPECT_EQ(link, remembered);
    EXPECT_EQ(com, StartPort(0));
    EXPECT_EQ(3, StartPort(3));  // the command line wins

    Unplug();
    ScanPorts();
    EXPECT_EQ(1, StartPort(0));  // not there: COM 1 as ever
}

TEST_F(PortWatchTest, PseudoTerminalNamedDirectlyIsNotRemembered)
{
    StartSensor();  // COM 1 = /dev/pts/N
    StartUp();
    ASSERT_EQ("K-VOR-MX virtual sensor FW 1.0", Status().substr(0, 30));  // the line check passed
    char remembered[512] = "";
    EXPECT_EQ(0, GetSetting("port/last", remembered, sizeof remembered));
}

TEST_F(PortWatchTest, ParameterFolderChosenIsWhereTheDialogsStartNextTime)
{
    fs::path folder = root / "params";
    fs::create_directories(folder);
    std::ofstream(folder / "set.dat") << "500\n0\n512\n64\n1\n1\n1\n1024\n512\n100\n1\n1\n0\n1\n0\n1000\n";
    Click(panelHandle, PANEL_RBT_FILE);
    QueueFileSelectAnswer(1, (folder / "set.dat").c_str());
    Press(PANEL_GET);
    EXPECT_EQ(folder.string(), proj_dir);

    GetProjectDir(proj_dir);  // the next start
    RestoreParamFolder();
    EXPECT_EQ(folder.string(), proj_dir);
    QueueFileSelectAnswer(0, "");
    Press(PANEL_GET);
    EXPECT_EQ(folder.string(), FileSelectCalls().back().defaultDir);
}

// ---- The program as a process -------------------------------------------------------------------

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The built program with `args`, bounded; status 124 means it had to be killed.
Outcome Kvormx(const fs::path& dir, const std::string& args)
{
    char exe[260];
    GetProjectDir(exe);
    std::string cmd = "timeout 20 '" + std::string(exe) + "/kvormx' " + args + " >'" + (dir / "out").string() +
                      "' 2>'" + (dir / "err").string() + "'";
    int raw = std::system(cmd.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir / "out"), Slurp(dir / "err")};
}

}  // namespace

TEST_F(PortWatchTest, ListPortsPrintsNumberDeviceAndDescription)
{
    ASSERT_TRUE(sensor.Start([&] {
        SensorOptions o = Fast();
        o.link = link;
        return o;
    }()));
    std::string args = "--list-ports --by-id-dir '" + (root / "by-id").string() + "' --com 27=/nonexistent/tty";
    Outcome r = Kvormx(root, args);
    EXPECT_EQ(0, r.status) << r.err;
    // The machine's own ports may come first; ours are there, one a line.
    EXPECT_NE(std::string::npos, r.out.find("COM27  /nonexistent/tty  not present\n")) << r.out;
    size_t at = r.out.find("  " + link + "  pseudo-terminal (pts/");
    ASSERT_NE(std::string::npos, at) << r.out;
    size_t line = r.out.rfind('\n', at) + 1;  // npos + 1 == 0 on the first line
    EXPECT_EQ("COM", r.out.substr(line, 3));
}

// A by-id folder with everything in it (the machine's /dev): only serial
// ports become COM numbers, never the console, ptmx, /dev/tty or a
// virtual console.
TEST_F(PortWatchTest, ByIdFolderOfEverythingListsOnlySerialPorts)
{
    Outcome r = Kvormx(root, "--list-ports --by-id-dir /dev");
    EXPECT_EQ(0, r.status) << r.err;
    for (const char* device : {"/dev/console  ", "/dev/ptmx  ", "/dev/tty  ", "/dev/tty0  ", "/dev/null  "})
        EXPECT_EQ(std::string::npos, r.out.find(device)) << r.out;
}

TEST_F(PortWatchTest, RepeatedComNumberIsAUsageError)
{
    Outcome r = Kvormx(root, "--list-ports --com 4=/dev/null --com 4=/dev/zero");
    EXPECT_EQ(2, r.status);
    EXPECT_NE(std::string::npos, r.err.find("COM 4 twice")) << r.err;
    EXPECT_EQ(2, Kvormx(root, "--list-ports --com 33=/dev/null").status);
    EXPECT_EQ(0, Kvormx(root, "--list-ports --com 4=/dev/null --com 32=/dev/zero").status);
}

TEST_F(PortWatchTest, RememberedPortOpensAtTheNextStart)
{
    ASSERT_TRUE(sensor.Start([&] {
        SensorOptions o = Fast();
        o.link = link;
        return o;
    }()));
    std::string common = "--exit-when-ready --settings '" + (root / "kvormx.conf").string() + "' --by-id-dir '" +
                         (root / "by-id").string() + "'";

    // First start: told which port on the command line.
    Outcome first = Kvormx(root, common + " --com 5='" + link + "'");
    ASSERT_EQ(0, first.status) << first.err;
    EXPECT_EQ("kvormx: ready\n", first.out);
    ASSERT_EQ(kSetUp, Commands());
    EXPECT_NE(std::string::npos, Slurp(root / "kvormx.conf").find(link));

    // Second start: nothing said, and it opens the same port again.
    sensor.ClearFrames();
    Outcome second = Kvormx(root, common);
    ASSERT_EQ(0, second.status) << second.err;
    EXPECT_EQ(kSetUp, Commands());
}
