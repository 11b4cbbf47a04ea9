// kvormx-cli's one-shot commands against the virtual sensor: what each puts
// on the line, what it prints, and its exit status.
#include "cli_runner.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "link/param_file.h"
#include "link/state.h"
#include "runtime/rs232.h"
#include "sim/wire.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A set the panels list no item for: CCD mode 2, analog mode 5, pixel start 0.
const sim::Words kOddSet = {730, 1, 333, 1023, 0, 3, 17, 999, 600, 42, 0, 0, 2, 0, 5, 77};

class CliTest : public ::testing::Test {
 protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("kvormx-cli-test-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override
    {
        sensor.Stop();
        fs::remove_all(dir_);
    }
    // A sensor without pacing (faster tests), holding `eeprom` if given.
    void StartSensor(SensorOptions o = SensorOptions{}, const sim::Words* eeprom = nullptr)
    {
        o.pacing = false;
        if (eeprom) {
            o.eeprom_file = Path("eeprom.txt");
            std::ofstream f(o.eeprom_file);
            for (uint16_t w : *eeprom) f << w << "\n";
        }
        ASSERT_TRUE(sensor.Start(o));
        sensor.ClearFrames();  // the record outlives a restart
    }
    CliRun Cli(std::vector<std::string> args, const std::string& input = "")
    {
        args.insert(args.begin(), {"--port", sensor.SlavePath()});
        return RunCli(args, input);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string Slurp(const std::string& path)
    {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    VirtualSensor sensor;
    fs::path dir_;
};

}  // namespace

TEST_F(CliTest, HelpDocumentsEveryCommandAndUsageErrorsExitTwo)
{
    CliRun help = RunCli({"--help"});
    EXPECT_EQ(0, help.status);
    for (const char* c : {"ports", "identify", "get", "send", "teach", "reset", "watch", "video", "--port", "--timeout",
                          "--simulate", "--trace", "Exit status"})
        EXPECT_NE(std::string::npos, help.out.find(c)) << c;
    for (const char* c : {"ports", "identify", "get", "send", "teach", "reset", "watch", "video"}) {
        CliRun sub = RunCli({c, "--help"});
        EXPECT_EQ(0, sub.status) << c;
        EXPECT_EQ(0u, sub.out.find(std::string("Usage: kvormx-cli [OPTION]... ") + c)) << sub.out;
    }
    EXPECT_NE(std::string::npos, RunCli({"help", "watch"}).out.find("--duration S"));

    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"frobnicate"},
        {"--frobnicate", "identify"},
        {"get", "--ram"},
        {"send"},
        {"watch", "--count", "0"},
        {"watch", "--count", "5", "--duration", "1"},
        {"video", "--csv", "--json"},
        {"--timeout", "soon", "identify"},
        {"--port", "COM99", "identify"},
        {"--simulate", "--port", "1", "identify"},
        {"send", Path("missing.dat")},
    };
    for (const auto& args : wrong) {
        CliRun r = RunCli(args);
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        EXPECT_EQ(2, r.status) << joined;
        EXPECT_EQ("", r.out) << joined;
        EXPECT_NE(std::string::npos, r.err.find("kvormx-cli")) << joined;
    }
}

TEST_F(CliTest, PortThatCannotBeOpenedExitsThreeWithTheCause)
{
    CliRun missing = RunCli({"--port", Path("no-such-tty"), "identify"});
    EXPECT_EQ(3, missing.status);
    EXPECT_NE(std::string::npos, missing.err.find("No such file or directory")) << missing.err;
    // A FIFO without a writer must not hold the tool.
    const std::string fifo = Path("fifo"), file = Path("plain");
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    std::ofstream(file) << "not a port\n";
    const std::pair<std::string, std::string> wrong[] = {
        {"/dev/null", "a character device, not a serial device"},
        {fifo, "a FIFO, not a serial device"},
        {file, "a regular file, not a serial device"},
    };
    for (const auto& [device, what] : wrong) {
        CliRun r = RunCli({"--port", device, "get"});
        EXPECT_EQ(3, r.status);
        EXPECT_EQ("kvormx-cli: cannot open " + device + ": Cannot open port - " + what + "\n", r.err);
        EXPECT_EQ("", r.out);
    }

    // A port another program holds names it (here the test, through its own port).
    StartSensor();
    ASSERT_EQ(0, OpenComConfig(5, sensor.SlavePath(), 19200, 0, 8, 1, 4096, 4096));
    CliRun held = Cli({"identify"});
    CloseCom(5);
    EXPECT_EQ(3, held.status);
    EXPECT_NE(std::string::npos,
              held.err.find("Port in use - in use by cli_tests (pid " + std::to_string(getpid()) + ")"))
        << held.err;
    EXPECT_TRUE(sensor.Frames().empty());
}

TEST_F(CliTest, SensorThatDoesNotAnswerOrRefusesExitsOneNamingTheExchange)
{
    SensorOptions o;
    o.faults.no_reply_every = 1;
    StartSensor(o);
    CliRun silent = Cli({"--timeout", "0.2", "identify"});
    EXPECT_EQ(1, silent.status);
    EXPECT_NE(std::string::npos, silent.err.find("line check (echo frame): Timeout-RS-232... - no reply within 0.2 s"))
        << silent.err;
    EXPECT_EQ(std::vector<int>{sim::CMD_ECHO}, Commands(sensor));

    sensor.ClearFrames();
    SensorFaults refusing;
    refusing.bad_hwcmd = true;
    sensor.SetFaults(refusing);
    CliRun wrongWord = Cli({"identify"});
    EXPECT_EQ(1, wrongWord.status);
    EXPECT_NE(std::string::npos, wrongWord.err.find("hardware identification")) << wrongWord.err;
    EXPECT_EQ("", wrongWord.out);
}

TEST_F(CliTest, IdentifyPrintsDescriptionLineLengthBoardAndFirmware)
{
    SensorOptions o;
    o.identity = {3, 512, 30, 0, "KVOR FW 4.2"};
    StartSensor(o);
    CliRun r = Cli({"identify"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(
        "description: CCD-SENSOR:512 pixel; 25\u00b5m pixel-pitch, 12,8mm working range\n"
        "ccd_type: 3\npixels: 512\nresolution: 30\nboard_type: 0\nfirmware: KVOR FW 4.2\nport: " +
            std::string(sensor.SlavePath()) + "\nmm_per_pixel: 0.025\nmm_offset: 0.0\n",
        r.out);
    EXPECT_EQ((std::vector<int>{sim::CMD_ECHO, sim::CMD_HARDWARE_INFO, sim::CMD_VERSION}), Commands(sensor));

    // Another board sends its firmware text as plain bytes.
    sensor.Stop();
    o.identity = {101, 256, 250, 400, "Board \"400\" text"};
    StartSensor(o);
    r = Cli({"identify", "--json"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(
        "{\"description\":\"CCD-SENSOR:256 pixel; 63.5\u00b5m pixel-pitch, 16mm working range\","
        "\"ccd_type\":101,\"pixels\":256,\"resolution\":250,\"board_type\":400,"
        "\"firmware\":\"Board \\\"400\\\" text\",\"port\":\"" +
            std::string(sensor.SlavePath()) + "\",\"mm_per_pixel\":0.0625,\"mm_offset\":0.0}\n",
        r.out);
}

TEST_F(CliTest, SimulateAndPortsNeedNoSensorOfTheirOwn)
{
    CliRun r = RunCli({"--simulate", "identify"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("pixels: 1024")) << r.out;
    CliRun ports = RunCli({"ports", "--simulate"});
    EXPECT_EQ(0, ports.status);
    EXPECT_EQ(0u, ports.out.find("COM1  /dev/pts/")) << ports.out;
    EXPECT_NE(std::string::npos, ports.out.find("  pseudo-terminal (pts/")) << ports.out;

    // The same ports, numbers and descriptions as the window lists.
    char dir[260];
    GetProjectDir(dir);
    FILE* window = popen((std::string(dir) + "/kvormx --list-ports 2>/dev/null").c_str(), "r");
    ASSERT_NE(nullptr, window);
    std::string listed;
    char buf[512];
    while (std::fgets(buf, sizeof buf, window)) listed += buf;
    ASSERT_EQ(0, pclose(window));
    EXPECT_EQ(listed, RunCli({"ports"}).out);
}

// The trace is begun only once the command line has proved good, names the
// port opened in its header, and a trace that cannot be written whole fails
// the run; a FIFO named as the trace is refused at once.
TEST_F(CliTest, TraceNamesItsPortAndFailsTheRunWhenItCannotBeWritten)
{
    StartSensor();
    const std::string trace = Path("old.trace");
    std::ofstream(trace) << "an earlier trace\n";
    CliRun bogus = Cli({"--trace", trace, "watch", "--bogus"});
    EXPECT_EQ(2, bogus.status);
    EXPECT_EQ("an earlier trace\n", Slurp(trace));

    CliRun r = Cli({"--trace", trace, "identify"});
    ASSERT_EQ(0, r.status) << r.err;
    std::string header = Slurp(trace).substr(0, Slurp(trace).find('\n'));
    EXPECT_NE(std::string::npos, header.find("COM1 (" + std::string(sensor.SlavePath()) + ")")) << header;

    // A file-size limit fails the writes as a full disk would.
    struct rlimit saved;
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &saved));
    struct rlimit tight = saved;
    tight.rlim_cur = 4096;
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &tight));
    CliRun full = Cli({"--trace", trace, "watch", "--count", "200"});
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(2, full.status) << full.err;
    // Said when the writer fails, or at the latest when the trace is closed.
    EXPECT_NE(std::string::npos, full.err.find(trace + ": File too large")) << full.err;

    const std::string fifo = Path("trace-fifo");
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    CliRun refused = Cli({"--trace", fifo, "identify"});
    EXPECT_EQ(2, refused.status);
    EXPECT_NE(std::string::npos, refused.err.find("not a regular file")) << refused.err;
}

TEST_F(CliTest, GetThenSendRoundTripsAllSixteenWords)
{
    StartSensor(SensorOptions{}, &kOddSet);
    const std::string file = Path("backup.dat");
    CliRun got = Cli({"get", "-o", file});
    ASSERT_EQ(0, got.status) << got.err;
    EXPECT_EQ("", got.out);
    EXPECT_EQ((std::vector<int>{sim::CMD_ECHO, sim::CMD_READ_RAM}), Commands(sensor));
    // The program's own format: kvormx loads it, and standard output holds the same.
    ASSERT_EQ(0, ReadParamFile(file.c_str()));
    for (int i = 0; i < 16; i++) EXPECT_EQ(kOddSet[i], pp[i]) << kParamNames[i];
    EXPECT_EQ(Slurp(file), Cli({"get"}).out);
    EXPECT_EQ(" 730\n   1\n 333\n1023\n", Slurp(file).substr(0, 20));
    CliRun nowhere = Cli({"get", "-o", Path("no-such-folder/backup.dat")});
    EXPECT_EQ(2, nowhere.status);
    EXPECT_NE(std::string::npos, nowhere.err.find("No such file or directory")) << nowhere.err;

    // A replacement sensor with the factory set takes the backup, in RAM and in EEPROM.
    sensor.Stop();
    StartSensor();
    CliRun sent = Cli({"send", file});
    EXPECT_EQ(0, sent.status) << sent.err;
    EXPECT_EQ(kOddSet, sensor.Ram());
    EXPECT_EQ(sim::kDefaultParams, sensor.Eeprom());
    std::vector<ReceivedFrame> frames = sensor.Frames();
    ASSERT_EQ(3u, frames.size());
    EXPECT_EQ(sim::CMD_WRITE_RAM, frames[1].command);
    EXPECT_EQ(kOddSet, frames[1].payload);
    EXPECT_EQ(sim::CMD_READ_RAM, frames[2].command);

    CliRun toEeprom = Cli({"send", "-", "--eeprom"}, Slurp(file));
    EXPECT_EQ(0, toEeprom.status) << toEeprom.err;
    EXPECT_EQ(kOddSet, sensor.Eeprom());
    CliRun json = Cli({"get", "--eeprom", "--json"});
    EXPECT_EQ(0, json.status);
    EXPECT_EQ(0u, json.out.find("{\"power\": 730, \"rs232Mode\": 1, \"vThd\": 333,")) << json.out;
    EXPECT_NE(std::string::npos, json.out.find("\"ccdMode\": 2, \"pStart\": 0, \"anaMode\": 5, \"para15\": 77}\n"));
}

TEST_F(CliTest, SendFailsNamingTheFirstWordAnEepromDidNotTake)
{
    SensorOptions o;
    o.faults.eeprom_keeps_old = true;
    StartSensor(o);
    const std::string file = Path("new.dat");
    {
        std::ofstream f(file);
        sim::Words set = sim::kDefaultParams;
        set[sim::P_TVAL] = 300;
        set[sim::P_TTOL] = 20;
        for (uint16_t w : set) f << w << "\n";
    }
    CliRun r = Cli({"send", file, "--eeprom"});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("word 8 (tVal) is 512 in the sensor, 300 was sent")) << r.err;
    EXPECT_EQ("", r.out);

    // A file of fewer than 16 values is refused before anything goes on the line.
    sensor.ClearFrames();
    {
        std::ofstream f(Path("short.dat"));
        f << "1\n2\n3\n";
    }
    EXPECT_EQ(2, Cli({"send", Path("short.dat")}).status);
    EXPECT_TRUE(sensor.Frames().empty());
}

// The panels' range rules, before anything is written: each change said,
// eEnd's replacement from the line the sensor has; --strict refuses at once.
TEST_F(CliTest, SendAppliesTheRangeRulesOrRefusesTheFileWithStrict)
{
    SensorOptions o;
    o.identity = {3, 512, 30, 0, "KVOR FW 4.2"};
    StartSensor(o);
    const std::string file = Path("wild.dat");
    sim::Words wild = kOddSet;
    wild[sim::P_POWER] = 2000;
    wild[sim::P_VTHD] = 3;
    wild[sim::P_EEND] = 9000;
    wild[sim::P_TTOL] = 600;
    {
        std::ofstream f(file);
        for (uint16_t w : wild) f << w << "\n";
    }

    CliRun strict = Cli({"send", "--strict", file, "--eeprom"});
    EXPECT_EQ(2, strict.status);
    EXPECT_NE(std::string::npos, strict.err.find("send: " + file + ": power 2000 is above 1000\n")) << strict.err;
    EXPECT_NE(std::string::npos, strict.err.find("eEnd 9000 is above 1024")) << strict.err;
    EXPECT_NE(std::string::npos, strict.err.find("4 words out of range")) << strict.err;
    EXPECT_TRUE(sensor.Frames().empty());
    EXPECT_EQ(sim::kDefaultParams, sensor.Eeprom());

    CliRun r = Cli({"send", file, "--eeprom"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("", r.out);
    EXPECT_EQ("kvormx-cli: send: " + file + ": power 2000 -> 500 (above 1000)\n" + "kvormx-cli: send: " + file +
                  ": vThd 3 -> 50 (below 50)\n" + "kvormx-cli: send: " + file + ": eEnd 9000 -> 512 (above 1024)\n" +
                  "kvormx-cli: send: " + file + ": tTol 600 -> 128 (above 512)\n",
              r.err);
    sim::Words stored = kOddSet;  // the words the panels merely have no item for stand
    stored[sim::P_POWER] = 500;
    stored[sim::P_VTHD] = 50;
    stored[sim::P_EEND] = 512;
    stored[sim::P_TTOL] = 128;
    EXPECT_EQ(stored, sensor.Eeprom());
    EXPECT_EQ((std::vector<int>{sim::CMD_ECHO, sim::CMD_HARDWARE_INFO, sim::CMD_WRITE_EEPROM, sim::CMD_READ_EEPROM}),
              Commands(sensor));
}

TEST_F(CliTest, TeachAndResetCarryTheSensorsOwnSetAsTheButtonsDo)
{
    StartSensor(SensorOptions{}, &kOddSet);
    sensor.FreezeScene(1.0);
    CliRun teach = Cli({"teach"});
    ASSERT_EQ(0, teach.status) << teach.err;
    std::vector<ReceivedFrame> frames = sensor.Frames();
    ASSERT_EQ(4u, frames.size());
    EXPECT_EQ((std::vector<int>{sim::CMD_ECHO, sim::CMD_READ_RAM, sim::CMD_TEACH, sim::CMD_READ_RAM}),
              Commands(sensor));
    EXPECT_EQ(kOddSet, frames[2].payload);  // the staged set, not the defaults
    EXPECT_EQ(std::to_string(sensor.Ram()[sim::P_TVAL]) + "\n", teach.out);
    EXPECT_EQ(std::to_string(ReplyWord(frames[3], sim::P_TVAL)) + "\n", teach.out);

    sensor.ClearFrames();
    CliRun reset = Cli({"reset"});
    EXPECT_EQ(0, reset.status) << reset.err;
    EXPECT_EQ("", reset.out);
    frames = sensor.Frames();
    EXPECT_EQ((std::vector<int>{sim::CMD_ECHO, sim::CMD_READ_RAM, sim::CMD_RESET_MAXMIN}), Commands(sensor));
    ASSERT_EQ(3u, frames.size());
    EXPECT_EQ(sensor.Ram(), frames[2].payload);

    sensor.ClearFrames();
    SensorFaults silentAfterRead;
    silentAfterRead.no_reply_every = 3;  // the reset itself goes unanswered
    sensor.SetFaults(silentAfterRead);
    CliRun lost = Cli({"--timeout", "0.2", "reset"});
    EXPECT_EQ(1, lost.status);
    EXPECT_NE(std::string::npos, lost.err.find("max/min reset: Timeout-RS-232... - no reply within 0.2 s")) << lost.err;
}

// The support file is a tar archive the system's tar opens, with what the
// tool saw on the line; a sensor that does not answer still gets one.
TEST_F(CliTest, SupportWritesAnArchiveOfTheSensorAndItsLine)
{
    StartSensor();
    const std::string file = Path("support.tar");
    CliRun r = Cli({"support", file});
    ASSERT_EQ(0, r.status) << r.err;
    auto member = [&](const std::string& name) {
        CliRun tar = RunShell("tar -xOf '" + file + "' " + name);
        EXPECT_EQ(0, tar.status) << name;
        return tar.out;
    };
    CliRun list = RunShell("tar -tf '" + file + "'");
    EXPECT_EQ(
        "README.txt\nversion.txt\nidentity.json\nparameters.json\nparameters.dat\nhealth.json\nframes.txt\n"
        "options.txt\n",
        list.out);
    EXPECT_NE(std::string::npos, member("identity.json").find("\"pixels\":1024")) << member("identity.json");
    EXPECT_NE(std::string::npos, member("health.json").find("\"replies\":4,\"timeouts\":0"));
    const std::string frames = member("frames.txt");
    for (const char* command : {"ECHO", "HARDWARE_INFO", "VERSION", "READ_RAM"})
        EXPECT_NE(std::string::npos, frames.find(std::string("\tTX\t") + command + "\t")) << command;
    EXPECT_NE(std::string::npos, frames.find("\tRX\tREAD_RAM\tsync=0x00AA cmd=2 power=500"));

    sensor.Stop();
    SensorOptions silent;
    silent.faults.no_reply_every = 1;
    StartSensor(silent);
    r = Cli({"--timeout", "0.2", "support", file});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, member("frames.txt").find("TIMEOUT: no reply within 0.200 s"));
}

// In German the tool's help and messages are German, in UTF-8, and what it
// prints as data is the same as in English.
TEST_F(CliTest, GermanHelpAndMessagesLeaveTheDataAsTheyAre)
{
    StartSensor();
    const std::string english = Cli({"identify", "--json"}).out;
    setenv("LANGUAGE", "de", 1);
    CliRun help = Cli({"--help"});
    CliRun json = Cli({"identify", "--json"});
    CliRun lost = RunCli({"--port", "/nonexistent/kvormx-port", "identify"});
    CliRun bad = Cli({"--language", "fr", "identify"});
    setenv("LANGUAGE", "en", 1);

    EXPECT_EQ(0, help.status);
    EXPECT_NE(std::string::npos, help.out.find("Aufruf: kvormx-cli")) << help.out;
    EXPECT_NE(std::string::npos, help.out.find("R\xc3\xbc"
                                               "ckgabewert:"))
        << help.out;
    EXPECT_EQ(0, json.status) << json.err;
    EXPECT_EQ(english, json.out);
    EXPECT_EQ(3, lost.status);
    EXPECT_NE(std::string::npos, lost.err.find("kann nicht ge\xc3\xb6"
                                               "ffnet werden: Keine serielle Schnittstelle"))
        << lost.err;
    EXPECT_EQ(2, bad.status);
    EXPECT_NE(std::string::npos, bad.err.find("--language verlangt en oder de, nicht 'fr'")) << bad.err;
}
