// The virtual sensor on its pseudo-terminal, seen from the PC's end of the
// line with plain POSIX I/O: replies, memories, scene, pacing, faults.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/scene.h"
#include "sim/sensor.h"
#include "sim/wire.h"

namespace {

using sim::Words;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// The PC's end of the line.
class Pc {
 public:
    explicit Pc(const std::string& path)
    {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios t;
        if (fd_ >= 0 && tcgetattr(fd_, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~Pc()
    {
        if (fd_ >= 0) close(fd_);
    }
    bool Ok() const { return fd_ >= 0; }

    ssize_t TryWrite(const Bytes& b) { return write(fd_, b.data(), b.size()); }
    void Write(const Bytes& b) { ASSERT_EQ(static_cast<ssize_t>(b.size()), TryWrite(b)); }
    void Send(uint16_t command, const Words& w = {}, uint16_t sync = sim::kRequestSync)
    {
        auto f = sim::EncodeFrame(sync, command, w);
        Write(Bytes(f.begin(), f.end()));
    }
    // Until n bytes came, the line broke or timeout_ms passed.
    Bytes Read(size_t n, int timeout_ms = 2000)
    {
        Bytes out;
        auto t0 = Clock::now();
        while (out.size() < n) {
            int left = timeout_ms - static_cast<int>(MsSince(t0));
            if (left <= 0) break;
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, left) <= 0) break;
            uint8_t buf[1024];
            ssize_t r = read(fd_, buf, std::min(sizeof buf, n - out.size()));
            if (r <= 0) break;
            out.insert(out.end(), buf, buf + r);
        }
        return out;
    }
    // Whatever comes until the line has been quiet for quiet_ms.
    Bytes Drain(int quiet_ms = 60)
    {
        Bytes out;
        for (;;) {
            Bytes b = Read(4096, quiet_ms);
            if (b.empty()) return out;
            out.insert(out.end(), b.begin(), b.end());
        }
    }

 private:
    int fd_ = -1;
};

uint16_t Word(const Bytes& b, size_t i)
{
    return static_cast<uint16_t>(b[2 * i] << 8 | b[2 * i + 1]);
}

std::string TempPath(const std::string& name)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return ::testing::TempDir() + "kvormx_sim_" + std::to_string(getpid()) + "_" + info->name() + "_" + name;
}

class SimSensor : public ::testing::Test {
 protected:
    static SensorOptions Fast()
    {
        SensorOptions o;
        o.pacing = false;
        return o;
    }
    void Start(const SensorOptions& o = Fast())
    {
        ASSERT_TRUE(sensor_.Start(o));
        sensor_.FreezeScene(0);
        Connect();
    }
    void Connect()
    {
        pc_.reset(new Pc(sensor_.SlavePath()));
        ASSERT_TRUE(pc_->Ok());
    }
    Bytes Ask(uint16_t command, const Words& w, size_t n)
    {
        pc_->Send(command, w);
        return pc_->Read(n);
    }
    // A reply frame's payload; checks the frame's size and header.
    Words AskFrame(uint16_t command, const Words& w = {})
    {
        Bytes b = Ask(command, w, sim::kFrameBytes);
        Words out{};
        EXPECT_EQ(sim::kFrameBytes, b.size()) << "command " << command;
        if (b.size() != sim::kFrameBytes) return out;
        EXPECT_EQ(sim::kReplySync, Word(b, 0));
        EXPECT_EQ(command, Word(b, 1));
        return sim::DecodePayload(b.data());
    }
    // The four 64-sample blocks of one line, as a board-0 PC reads them.
    std::vector<uint16_t> ReadLine64()
    {
        std::vector<uint16_t> video;
        for (uint16_t first : {0, 64, 128, 192}) {
            Words req{};
            req[0] = first;
            req[1] = first == 192;  // the last block of the line
            Bytes b = Ask(sim::CMD_READ_VIDEO64, req, 128);
            EXPECT_EQ(128u, b.size());
            for (size_t k = 0; 2 * k + 1 < b.size(); ++k) video.push_back(Word(b, k));
        }
        video.resize(256);
        return video;
    }
    Words Params(int emode)
    {
        Words w = sim::kDefaultParams;
        w[sim::P_EMODE] = emode;
        return w;
    }

    VirtualSensor sensor_;
    std::unique_ptr<Pc> pc_;
};

// ---- Replies ------------------------------------------------------------------------------------

TEST_F(SimSensor, EveryFrameCommandGetsExactlyOneFrame)
{
    Start();
    Words nonzero = sim::kDefaultParams;
    for (uint16_t cmd : {1, 2, 3, 4, 5, 6, 8, 10, 11}) {
        AskFrame(cmd, nonzero);
        EXPECT_TRUE(pc_->Drain(30).empty()) << "bytes after the frame of command " << cmd;
    }
}

TEST_F(SimSensor, EchoAndHardwareInfo)
{
    SensorOptions o = Fast();
    o.identity.ccd_type = 101;
    o.identity.pixels = 256;
    o.identity.resolution = 30;
    o.identity.board = 400;
    Start(o);
    Words w{};
    w[0] = 0x1234;
    w[15] = 0xBEEF;
    EXPECT_EQ(w, AskFrame(sim::CMD_ECHO, w));
    Words hw = AskFrame(sim::CMD_HARDWARE_INFO, w);
    EXPECT_EQ(101, hw[0]);
    EXPECT_EQ(256, hw[1]);
    EXPECT_EQ(30, hw[2]);
    EXPECT_EQ(400, hw[3]);
    EXPECT_EQ(0, hw[4]);
}

TEST_F(SimSensor, FirmwareTextWordCodedOnBoardZero)
{
    Start();
    Bytes b = Ask(sim::CMD_VERSION, {}, sim::kFirmwareBytes);
    ASSERT_EQ(sim::kFirmwareBytes, b.size());
    std::string text;
    for (size_t i = 0; i < 36; ++i) {
        EXPECT_EQ(0, b[2 * i]);
        if (b[2 * i + 1]) text += static_cast<char>(b[2 * i + 1]);
    }
    EXPECT_EQ("K-VOR-MX virtual sensor FW 1.0", text);
    EXPECT_TRUE(pc_->Drain(30).empty());
}

TEST_F(SimSensor, FirmwareTextPlainOnOtherBoards)
{
    SensorOptions o = Fast();
    o.identity.board = 1;
    o.identity.firmware = "FW 2.7 test";
    Start(o);
    Bytes b = Ask(sim::CMD_VERSION, {}, sim::kFirmwareBytes);
    ASSERT_EQ(sim::kFirmwareBytes, b.size());
    EXPECT_EQ("FW 2.7 test", std::string(reinterpret_cast<const char*>(b.data())));
    EXPECT_EQ(0, b[71]);  // zero-padded
}

TEST_F(SimSensor, ParameterSetsMoveBetweenRamAndEeprom)
{
    Start();
    Words set{};
    for (int i = 0; i < sim::PNUM; ++i) set[i] = static_cast<uint16_t>(i + 1);
    EXPECT_EQ(sim::kDefaultParams, AskFrame(sim::CMD_READ_RAM));
    EXPECT_EQ(set, AskFrame(sim::CMD_WRITE_RAM, set));  // acknowledged with the stored set
    EXPECT_EQ(set, AskFrame(sim::CMD_READ_RAM));
    EXPECT_EQ(sim::kDefaultParams, AskFrame(sim::CMD_READ_EEPROM));
    set[0] = 999;
    EXPECT_EQ(set, AskFrame(sim::CMD_WRITE_EEPROM, set));
    EXPECT_EQ(set, AskFrame(sim::CMD_READ_EEPROM));
    EXPECT_EQ(set, AskFrame(sim::CMD_READ_RAM));
}

TEST_F(SimSensor, EepromSurvivesARestartAndRamStartsFromIt)
{
    std::string file = TempPath("eeprom.txt");
    std::remove(file.c_str());
    SensorOptions o = Fast();
    o.eeprom_file = file;
    Start(o);
    Words set = sim::kDefaultParams;
    set[sim::P_VTHD] = 300;
    set[sim::P_TVAL] = 444;
    AskFrame(sim::CMD_WRITE_EEPROM, set);
    sensor_.Stop();

    VirtualSensor again;
    ASSERT_TRUE(again.Start(o));
    EXPECT_EQ(set, again.Eeprom());
    EXPECT_EQ(set, again.Ram());
    again.Stop();

    // A file that lost half its lines is not half taken over.
    FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(nullptr, f);
    std::fputs("1\n2\n3\n", f);
    std::fclose(f);
    VirtualSensor damaged;
    ASSERT_TRUE(damaged.Start(o));
    EXPECT_EQ(sim::kDefaultParams, damaged.Eeprom());
    damaged.Stop();
    std::remove(file.c_str());
}

// ---- Scene, teach, max/min ----------------------------------------------------------------------

TEST_F(SimSensor, MeasurementReportsTheObjectAndTheSensorsTeachValues)
{
    Start();
    double left, right;
    sim::Scene(1024, 1).Object(0, &left, &right);
    Words p = Params(2);
    p[sim::P_TVAL] = 480;
    p[sim::P_TTOL] = 33;
    Words m = AskFrame(sim::CMD_MEASURE, p);
    EXPECT_EQ(2, m[sim::M_EDCNT]);
    EXPECT_NEAR(left, m[sim::M_LEDGE], 1.5);
    EXPECT_NEAR(right, m[sim::M_REDGE], 1.5);
    EXPECT_EQ((m[sim::M_LEDGE] + m[sim::M_REDGE]) / 2, m[sim::M_MVALUE]);
    EXPECT_EQ(480, m[sim::M_TVAL]);
    EXPECT_EQ(33, m[sim::M_TTOL]);
    EXPECT_EQ(m[sim::M_REDGE] - m[sim::M_LEDGE], m[sim::M_PIXDELTA]);
    EXPECT_EQ(m[sim::M_MVALUE], m[sim::M_ANAMAX]);
    EXPECT_EQ(m[sim::M_MVALUE], m[sim::M_ANAMIN]);
    EXPECT_EQ(p, sensor_.Ram());  // the sensor now works with these parameters

    // The video loop sends the last reply back as its payload; the sensor
    // keeps its parameters instead of taking measured values for them.
    EXPECT_EQ(m, AskFrame(sim::CMD_MEASURE, m));
    EXPECT_EQ(p, sensor_.Ram());
}

TEST_F(SimSensor, TeachMakesTheMeasuredValueTheTeachValue)
{
    Start();
    Words p = Params(0);
    p[sim::P_TVAL] = 1;
    AskFrame(sim::CMD_WRITE_RAM, p);
    Words taught = AskFrame(sim::CMD_TEACH, Words{});
    double left, right;
    sim::Scene(1024, 1).Object(0, &left, &right);
    EXPECT_NEAR(left, taught[sim::P_TVAL], 1.5);
    EXPECT_EQ(taught, AskFrame(sim::CMD_READ_RAM));
    EXPECT_EQ(taught[sim::P_TVAL], AskFrame(sim::CMD_MEASURE, taught)[sim::M_TVAL]);

    // Nothing in the window: nothing to teach, the old value stays.
    Words blind = taught;
    blind[sim::P_EBEG] = 1;
    blind[sim::P_EEND] = 100;
    AskFrame(sim::CMD_WRITE_RAM, blind);
    EXPECT_EQ(taught[sim::P_TVAL], AskFrame(sim::CMD_TEACH, Words{})[sim::P_TVAL]);
}

TEST_F(SimSensor, MaxMinFollowTheObjectUntilReset)
{
    Start();
    Words p = Params(1);
    uint16_t first = AskFrame(sim::CMD_MEASURE, p)[sim::M_MVALUE];
    sensor_.FreezeScene(10);  // the object has moved on
    Words m = AskFrame(sim::CMD_MEASURE, p);
    EXPECT_NE(first, m[sim::M_MVALUE]);
    EXPECT_EQ(std::max(first, m[sim::M_MVALUE]), m[sim::M_ANAMAX]);
    EXPECT_EQ(std::min(first, m[sim::M_MVALUE]), m[sim::M_ANAMIN]);

    EXPECT_EQ(p, AskFrame(sim::CMD_RESET_MAXMIN, p));  // acknowledged with the RAM set
    m = AskFrame(sim::CMD_MEASURE, p);
    EXPECT_EQ(m[sim::M_MVALUE], m[sim::M_ANAMAX]);
    EXPECT_EQ(m[sim::M_MVALUE], m[sim::M_ANAMIN]);

    AskFrame(sim::CMD_RESET_MAXMIN, p);
    Words blind = p;
    blind[sim::P_EEND] = 100;
    m = AskFrame(sim::CMD_MEASURE, blind);
    EXPECT_EQ(0, m[sim::M_EDCNT]);
    EXPECT_EQ(0, m[sim::M_ANAMAX]);
    EXPECT_EQ(sim::kNoMinimum, m[sim::M_ANAMIN]);
}

// ---- Video blocks -------------------------------------------------------------------------------

// Sample i shows pixel first + step*i; dark inside the object, bright
// outside, away from the blurred border.
void ExpectObjectIn(const std::vector<uint16_t>& video, int first, int step, double left, double right)
{
    for (int i = 0; i < 256; ++i) {
        double px = first + step * i;
        if (px < left - 4 || px > right + 4) {
            EXPECT_GT(video[i], 700) << "sample " << i;
        } else if (px > left + 4 && px < right - 4) {
            EXPECT_LT(video[i], 250) << "sample " << i;
        }
    }
}

TEST_F(SimSensor, BoardZeroSendsTheLineInFourBlocks)
{
    Start();
    double left, right;
    sim::Scene(1024, 1).Object(0, &left, &right);
    std::vector<uint16_t> video = ReadLine64();
    EXPECT_TRUE(pc_->Drain(30).empty());
    ExpectObjectIn(video, 0, 4, left, right);

    // Window mode: the 256 pixels from the pixel start.
    Words p = Params(1);
    p[sim::P_CCDMODE] = 1;
    p[sim::P_PSTART] = 300;
    AskFrame(sim::CMD_WRITE_RAM, p);
    ExpectObjectIn(ReadLine64(), 300, 1, left, right);
}

TEST_F(SimSensor, OtherBoardsSendTheLineInOneBlockAndStillReset)
{
    SensorOptions o = Fast();
    o.identity.board = 1;
    o.identity.pixels = 512;
    Start(o);
    double left, right;
    sim::Scene(512, 1).Object(0, &left, &right);
    Words p = Params(1);
    p[sim::P_EEND] = 512;
    AskFrame(sim::CMD_MEASURE, p);
    sensor_.FreezeScene(10);
    AskFrame(sim::CMD_MEASURE, p);
    sensor_.FreezeScene(0);

    Bytes b = Ask(sim::CMD_RESET_MAXMIN, Words{}, 512);  // all-zero payload: the video read
    ASSERT_EQ(512u, b.size());
    EXPECT_TRUE(pc_->Drain(30).empty());
    std::vector<uint16_t> video;
    for (size_t i = 0; i < 256; ++i) video.push_back(Word(b, i));
    ExpectObjectIn(video, 0, 2, left, right);
    Words m = AskFrame(sim::CMD_MEASURE, p);
    EXPECT_NE(m[sim::M_ANAMAX], m[sim::M_ANAMIN]);  // the video read reset nothing

    AskFrame(sim::CMD_RESET_MAXMIN, p);  // any other payload: the reset
    m = AskFrame(sim::CMD_MEASURE, p);
    EXPECT_EQ(m[sim::M_ANAMAX], m[sim::M_ANAMIN]);
}

// ---- Pacing -------------------------------------------------------------------------------------

TEST_F(SimSensor, PacedRepliesNeverOutrunTheLine)
{
    // Replies leave no earlier than a 19200-baud line would deliver them: a load
    // on the machine can only make an exchange slower. How close the pacing comes
    // to the line is a figure of bench/line_rate.
    SensorOptions o;  // pacing on
    o.identity.board = 1;
    Start(o);
    const double byte_ms = 10.0 / 19200 * 1000 * 0.98;  // room for clock rounding

    // Run mode: 36 bytes out, 36 back.
    auto t0 = Clock::now();
    for (int i = 0; i < 4; ++i) ASSERT_EQ(36u, Ask(sim::CMD_MEASURE, sim::kDefaultParams, 36).size());
    EXPECT_GE(MsSince(t0), 4 * 72 * byte_ms);

    // A 64-sample block: 36 + 128.
    Words req{};
    t0 = Clock::now();
    ASSERT_EQ(128u, Ask(sim::CMD_READ_VIDEO64, req, 128).size());
    EXPECT_GE(MsSince(t0), 164 * byte_ms);

    // The 256-sample block: 36 + 512.
    t0 = Clock::now();
    ASSERT_EQ(512u, Ask(sim::CMD_RESET_MAXMIN, Words{}, 512).size());
    EXPECT_GE(MsSince(t0), 548 * byte_ms);
}

// ---- Faults -------------------------------------------------------------------------------------

TEST_F(SimSensor, NoReplyAlwaysOrEveryNth)
{
    Start();
    SensorFaults f;
    f.no_reply_every = 1;
    sensor_.SetFaults(f);
    pc_->Send(sim::CMD_ECHO);
    EXPECT_TRUE(pc_->Drain(100).empty());
    f.no_reply_every = 3;
    sensor_.SetFaults(f);
    for (int i = 1; i <= 6; ++i) {
        pc_->Send(sim::CMD_ECHO);
        EXPECT_EQ(i % 3 ? 36u : 0u, pc_->Drain(60).size()) << "request " << i;
    }
}

TEST_F(SimSensor, MisshapenReplies)
{
    Start();
    SensorFaults f;
    f.short_reply = true;
    sensor_.SetFaults(f);
    pc_->Send(sim::CMD_ECHO);
    EXPECT_EQ(18u, pc_->Drain().size());

    f = SensorFaults();
    f.long_reply = true;
    sensor_.SetFaults(f);
    pc_->Send(sim::CMD_ECHO);
    Bytes b = pc_->Drain();
    ASSERT_EQ(40u, b.size());
    EXPECT_EQ(sim::kReplySync, Word(b, 0));
    sensor_.SetPacing(true);  // the surplus comes with the frame, not after it
    pc_->Send(sim::CMD_ECHO);
    EXPECT_EQ(36u, pc_->Read(36).size());
    EXPECT_EQ(4u, pc_->Read(4, 1).size());
    sensor_.SetPacing(false);

    f = SensorFaults();
    f.garbage = true;
    sensor_.SetFaults(f);
    pc_->Send(sim::CMD_ECHO);
    b = pc_->Drain();
    ASSERT_EQ(41u, b.size());
    EXPECT_NE(sim::kReplySync, Word(b, 0));
    EXPECT_EQ(0x00, b[5]);  // the frame follows the 5 stray bytes
    EXPECT_EQ(0xAA, b[6]);
}

TEST_F(SimSensor, WrongHeaderWords)
{
    Start();
    SensorFaults f;
    f.bad_sync = true;
    sensor_.SetFaults(f);
    Bytes b = Ask(sim::CMD_ECHO, {}, 36);
    ASSERT_EQ(36u, b.size());
    EXPECT_EQ(0xAA, b[0]);
    EXPECT_EQ(0x00, b[1]);

    f = SensorFaults();
    f.bad_hwcmd = true;
    sensor_.SetFaults(f);
    b = Ask(sim::CMD_HARDWARE_INFO, {}, 36);
    ASSERT_EQ(36u, b.size());
    EXPECT_NE(sim::CMD_HARDWARE_INFO, Word(b, 1));
    EXPECT_EQ(1024, Word(b, 3));  // the identity words are still there
    AskFrame(sim::CMD_ECHO);      // other replies keep their header
}

TEST_F(SimSensor, LateReply)
{
    Start();
    SensorFaults f;
    f.delay_ms = 150;
    sensor_.SetFaults(f);
    auto t0 = Clock::now();
    EXPECT_EQ(36u, Ask(sim::CMD_ECHO, {}, 36).size());
    EXPECT_GE(MsSince(t0), 150.0);
}

// ---- Framing of the incoming bytes --------------------------------------------------------------

TEST_F(SimSensor, CutFramesAndStrayBytesAreDroppedAndTheNextRequestIsReadClean)
{
    Start();
    auto f = sim::EncodeFrame(sim::kRequestSync, sim::CMD_READ_RAM, sim::kDefaultParams);
    pc_->Write(Bytes(f.begin(), f.begin() + 20));  // a cut frame, then silence
    EXPECT_TRUE(pc_->Drain(30).empty());
    Words w{};
    w[0] = 0x0707;
    EXPECT_EQ(w, AskFrame(sim::CMD_ECHO, w));

    pc_->Write(Bytes{0x13, 0x42, 0x00});  // stray bytes glued to a request
    EXPECT_EQ(w, AskFrame(sim::CMD_ECHO, w));

    pc_->Send(sim::CMD_ECHO, w, 0x0056);  // not a request: wrong sync word
    pc_->Send(12, w);                     // no such command
    EXPECT_TRUE(pc_->Drain(30).empty());
    EXPECT_EQ(w, AskFrame(sim::CMD_ECHO, w));
    EXPECT_TRUE(pc_->Drain(30).empty());

    auto frames = sensor_.Frames();
    ASSERT_EQ(4u, frames.size());  // three echoes and command 12
    EXPECT_EQ(12, frames[2].command);
    EXPECT_EQ(0x0707, frames[3].payload[0]);
    EXPECT_EQ(36u, frames[3].reply_bytes);
    EXPECT_GE(frames[3].replied, frames[3].received);
    EXPECT_EQ(0u, frames[2].reply_bytes);
    sensor_.ClearFrames();
    EXPECT_TRUE(sensor_.Frames().empty());
}

// ---- The line itself ----------------------------------------------------------------------------

TEST_F(SimSensor, PortClosedAndReopenedFindsTheSensor)
{
    Start();
    AskFrame(sim::CMD_ECHO);
    pc_.reset();
    Connect();
    AskFrame(sim::CMD_ECHO);
}

TEST_F(SimSensor, VanishAndComeBackOnANewLine)
{
    std::string link = TempPath("link");
    SensorOptions o = Fast();
    o.link = link;
    Start(o);
    Words set = sim::kDefaultParams;
    set[0] = 777;
    AskFrame(sim::CMD_WRITE_RAM, set);
    std::string before = sensor_.SlavePath();

    sensor_.Vanish();
    EXPECT_FALSE(sensor_.Running());
    EXPECT_STREQ("", sensor_.SlavePath());
    auto echo = sim::EncodeFrame(sim::kRequestSync, sim::CMD_ECHO, Words{});
    EXPECT_EQ(-1, pc_->TryWrite(Bytes(echo.begin(), echo.end())));  // a broken line, as a pulled adapter
    EXPECT_TRUE(pc_->Read(36, 100).empty());

    ASSERT_TRUE(sensor_.Reappear());
    char target[128] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(sensor_.SlavePath(), target);
    pc_.reset(new Pc(link));
    ASSERT_TRUE(pc_->Ok());
    EXPECT_EQ(set, AskFrame(sim::CMD_READ_RAM));  // the memories stayed
    sensor_.Stop();
    EXPECT_NE(0, access(link.c_str(), F_OK));  // the link went with the sensor
}

TEST_F(SimSensor, StopDoesNotWaitForAPendingReply)
{
    Start();
    SensorFaults f;
    f.delay_ms = 5000;
    sensor_.SetFaults(f);
    pc_->Send(sim::CMD_ECHO);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    auto t0 = Clock::now();
    sensor_.Stop();
    EXPECT_LT(MsSince(t0), 1000.0);
    EXPECT_FALSE(sensor_.Running());
}

TEST(SimSensorStart, RefusesAnUnknownLineLength)
{
    VirtualSensor s;
    SensorOptions o;
    o.identity.pixels = 300;
    EXPECT_FALSE(s.Start(o));
    o.identity.pixels = 512;
    EXPECT_TRUE(s.Start(o));
    EXPECT_FALSE(s.Start(o));  // already running
}

}  // namespace
