// The command line of kvormx-sim.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>

#include "sim/options.h"

namespace {

int Parse(std::vector<const char*> args, sim::ToolOptions* o, std::string* err = nullptr)
{
    args.insert(args.begin(), "kvormx-sim");
    std::string e;
    int rc = sim::ParseToolArgs(static_cast<int>(args.size()), args.data(), o, &e);
    if (err) *err = e;
    return rc;
}

TEST(SimTool, OptionsReachTheSensor)
{
    sim::ToolOptions o;
    ASSERT_EQ(
        0, Parse({"--ccd-type",  "101",      "--pixels=256", "--resolution", "30",          "--board",          "400",
                  "--no-pacing", "--eeprom", "e.txt",        "--link",       "/tmp/x",      "--no-reply-every", "3",
                  "--short",     "--long",   "--garbage",    "--bad-sync",   "--bad-hwcmd", "--delay",          "250"},
                 &o));
    EXPECT_EQ(101, o.sensor.identity.ccd_type);
    EXPECT_EQ(256, o.sensor.identity.pixels);
    EXPECT_EQ(30, o.sensor.identity.resolution);
    EXPECT_EQ(400, o.sensor.identity.board);
    EXPECT_FALSE(o.sensor.pacing);
    EXPECT_EQ("e.txt", o.sensor.eeprom_file);
    EXPECT_EQ("/tmp/x", o.sensor.link);
    const SensorFaults& f = o.sensor.faults;
    EXPECT_EQ(3, f.no_reply_every);
    EXPECT_TRUE(f.short_reply && f.long_reply && f.garbage && f.bad_sync && f.bad_hwcmd);
    EXPECT_EQ(250, f.delay_ms);

    ASSERT_EQ(0, Parse({"--no-reply"}, &o));
    EXPECT_EQ(1, o.sensor.faults.no_reply_every);
    ASSERT_EQ(0, Parse({}, &o));
    EXPECT_TRUE(o.sensor.pacing);
    EXPECT_EQ(0, o.sensor.faults.no_reply_every);
    EXPECT_FALSE(o.help || o.version);
    ASSERT_EQ(0, Parse({"--version"}, &o));
    EXPECT_TRUE(o.version);
    ASSERT_EQ(0, Parse({"-h"}, &o));
    EXPECT_TRUE(o.help);
}

TEST(SimTool, BadArgumentsAreUsageErrors)
{
    sim::ToolOptions o;
    std::string err;
    EXPECT_EQ(2, Parse({"--frobnicate"}, &o, &err));
    EXPECT_NE(std::string::npos, err.find("--frobnicate"));
    EXPECT_EQ(2, Parse({"--pixels", "300"}, &o));
    EXPECT_EQ(2, Parse({"--pixels"}, &o));  // value missing
    EXPECT_EQ(2, Parse({"--board", "12x"}, &o));
    EXPECT_EQ(2, Parse({"--ccd-type", "70000"}, &o));
    EXPECT_EQ(2, Parse({"--no-reply-every", "0"}, &o));
    EXPECT_EQ(2, Parse({"--short=1"}, &o));
    EXPECT_EQ(2, Parse({"--version=2"}, &o));
}

}  // namespace

// ---- The virtual sensor and the files around it -------------------------------------------------

#include "sim/sensor.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace {

struct TempDir {
    TempDir()
    {
        char t[] = "/tmp/kvormx-sim-XXXXXX";
        path = mkdtemp(t) ? t : "";
    }
    ~TempDir() { (void)std::system(("rm -rf '" + path + "'").c_str()); }
    std::string path;
};

// Writes the EEPROM the way the PC does, a command-3 frame on the line,
// with the teach value changed; waits (bounded) until the sensor has it.
void WriteTeachValue(VirtualSensor& sensor, uint16_t value)
{
    std::array<uint16_t, 16> set = sensor.Eeprom();
    set[8] = value;
    int fd = open(sensor.SlavePath(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    unsigned char frame[36] = {0x00, 0x55, 0x00, 0x03};
    for (int i = 0; i < 16; i++) {
        frame[4 + 2 * i] = static_cast<unsigned char>(set[i] >> 8);
        frame[5 + 2 * i] = static_cast<unsigned char>(set[i] & 0xFF);
    }
    EXPECT_EQ(36, write(fd, frame, sizeof frame));
    for (int i = 0; i < 200 && sensor.Eeprom()[8] != value; i++) usleep(10000);
    close(fd);
}

// --link replaces only a link it made or one that points nowhere.
TEST(SimFiles, TheLinkNeverReplacesSomebodysFile)
{
    TempDir dir;
    const std::string file = dir.path + "/precious", link = dir.path + "/s";
    std::ofstream(file) << "keep me\n";
    SensorOptions o;
    o.link = file;
    VirtualSensor sensor;
    EXPECT_FALSE(sensor.Start(o));
    EXPECT_NE(std::string::npos, std::string(sensor.Error()).find("not a link of this sensor"));
    std::string kept;
    std::getline(std::ifstream(file), kept);
    EXPECT_EQ("keep me", kept);

    ASSERT_EQ(0, symlink((dir.path + "/gone").c_str(), link.c_str()));  // dangling: taken
    o.link = link;
    ASSERT_TRUE(sensor.Start(o)) << sensor.Error();
    sensor.Vanish();
    ASSERT_TRUE(sensor.Reappear());  // its own: re-pointed
    char target[256] = "";
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(sensor.SlavePath(), target);
    sensor.Stop();
}

// The EEPROM file keeps its mode, is written without following a link
// placed beside it, and a FIFO is refused instead of blocking.
TEST(SimFiles, TheEepromFileIsReplacedSafely)
{
    TempDir dir;
    const std::string eeprom = dir.path + "/eeprom.txt", victim = dir.path + "/victim";
    std::ofstream(eeprom) << "500\n0\n512\n64\n1\n1\n1\n1024\n512\n100\n1\n1\n0\n1\n0\n1000\n";
    ASSERT_EQ(0, chmod(eeprom.c_str(), 0600));
    std::ofstream(victim) << "untouched\n";
    ASSERT_EQ(0, symlink(victim.c_str(), (eeprom + ".tmp").c_str()));  // the old fixed temporary name

    SensorOptions o;
    o.pacing = false;
    o.eeprom_file = eeprom;
    VirtualSensor sensor;
    ASSERT_TRUE(sensor.Start(o)) << sensor.Error();
    WriteTeachValue(sensor, 777);
    sensor.Stop();

    EXPECT_EQ(777, sensor.Eeprom()[8]);
    struct stat st;
    ASSERT_EQ(0, stat(eeprom.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);
    std::string line;
    std::getline(std::ifstream(victim), line);
    EXPECT_EQ("untouched", line);

    const std::string fifo = dir.path + "/fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    o.eeprom_file = fifo;
    EXPECT_FALSE(sensor.Start(o));
    EXPECT_NE(std::string::npos, std::string(sensor.Error()).find("not a regular file"));
}

// A new EEPROM file gets what the umask allows; a path the sensor could
// never write is refused at start instead of losing every write.
TEST(SimFiles, TheEepromFileFollowsTheUmaskAndAnUnwritableOneIsRefused)
{
    TempDir dir;
    SensorOptions o;
    o.pacing = false;
    o.eeprom_file = dir.path + "/new-eeprom.txt";
    VirtualSensor sensor;
    mode_t old = umask(077);
    bool started = sensor.Start(o);
    if (started) WriteTeachValue(sensor, 321);
    sensor.Stop();
    umask(old);
    ASSERT_TRUE(started) << sensor.Error();
    struct stat st;
    ASSERT_EQ(0, stat(o.eeprom_file.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);
    std::string first;
    std::getline(std::ifstream(o.eeprom_file), first);
    EXPECT_FALSE(first.empty());

    o.eeprom_file = dir.path + "/no-such-folder/eeprom.txt";
    EXPECT_FALSE(sensor.Start(o));
    EXPECT_EQ("the EEPROM file " + o.eeprom_file + " cannot be written: No such file or directory",
              std::string(sensor.Error()));
    if (getuid() != 0) {  // root writes anywhere
        const std::string locked = dir.path + "/locked";
        ASSERT_EQ(0, mkdir(locked.c_str(), 0500));
        o.eeprom_file = locked + "/eeprom.txt";
        EXPECT_FALSE(sensor.Start(o));
        EXPECT_NE(std::string::npos, std::string(sensor.Error()).find("Permission denied")) << sensor.Error();
    }
}

}  // namespace
