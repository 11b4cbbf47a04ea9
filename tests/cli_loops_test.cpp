// kvormx-cli's run and video mode against the virtual sensor: every line is
// a reply the sensor sent, the requests are those of kvormx's loops, and
// Ctrl-C ends them cleanly.
#include "cli_runner.h"

#include <cstdlib>
#include <utility>

#include <sys/socket.h>
#include <sys/un.h>

#include "link/record.h"
#include "sim/wire.h"
#include "support/broker.h"

namespace {

// The socket systemd gives a Type=notify service: what the tool says there,
// one message a line.
struct NotifySocket {
    explicit NotifySocket(std::string at) : path(std::move(at))
    {
        sock = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
        unlink(path.c_str());
        bound = sock >= 0 && bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~NotifySocket()
    {
        if (sock >= 0) close(sock);
        unlink(path.c_str());
    }
    bool Bound() const { return bound; }
    std::string Read()
    {
        std::string said;
        char buf[4096];
        ssize_t n;
        while ((n = recv(sock, buf, sizeof buf, MSG_DONTWAIT)) > 0)
            said.append(buf, static_cast<size_t>(n)).append("\n");
        return said;
    }
    std::string path;
    int sock = -1;
    bool bound = false;
};

class CliLoopTest : public ::testing::Test {
 protected:
    void TearDown() override { sensor.Stop(); }
    void StartSensor(SensorOptions o = SensorOptions{}, bool pacing = false)
    {
        o.pacing = pacing;
        ASSERT_TRUE(sensor.Start(o));
        sensor.ClearFrames();  // the record outlives a restart
    }
    std::vector<std::string> Args(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--port", sensor.SlavePath()});
        return args;
    }
    // The requests with command `command`, in order.
    std::vector<ReceivedFrame> Requests(int command)
    {
        std::vector<ReceivedFrame> found;
        for (const ReceivedFrame& f : sensor.Frames())
            if (f.command == command) found.push_back(f);
        return found;
    }

    VirtualSensor sensor;
};

// The lines on standard error that carry `text`.
int Said(const std::string& err, const std::string& text)
{
    int n = 0;
    for (const std::string& line : Lines(err)) n += line.find(text) != std::string::npos;
    return n;
}

// A line's columns, by the record's field names, against the measurement
// reply `f` the sensor sent.
void ExpectRowIsReply(const std::vector<std::string>& row, const ReceivedFrame& f)
{
    const struct {
        int field, word;
    } columns[] = {{FIELD_VALUE, sim::M_MVALUE},   {FIELD_LEFT_EDGE, sim::M_LEDGE}, {FIELD_RIGHT_EDGE, sim::M_REDGE},
                   {FIELD_EDGES, sim::M_EDCNT},    {FIELD_TEACH, sim::M_TVAL},      {FIELD_TOLERANCE, sim::M_TTOL},
                   {FIELD_MAXIMUM, sim::M_ANAMAX}, {FIELD_MINIMUM, sim::M_ANAMIN}};
    ASSERT_GE(row.size(), static_cast<size_t>(MEASUREMENT_FIELDS));
    for (const auto& c : columns)
        EXPECT_EQ(std::to_string(ReplyWord(f, c.word)), row[c.field]) << kMeasurementFields[c.field];
}

}  // namespace

TEST_F(CliLoopTest, WatchCountPrintsExactlyTheRepliesTheSensorSent)
{
    StartSensor();
    CliRun r = RunCli(Args({"watch", "--count", "100", "--csv"}));
    ASSERT_EQ(0, r.status) << r.err;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(101u, lines.size());
    EXPECT_EQ(
        "time,seconds,seq,value,left_edge,right_edge,edges,teach,tolerance,maximum,minimum,in_band,port,"
        "value_mm,left_edge_mm,right_edge_mm,width_mm",
        lines[0]);

    std::vector<ReceivedFrame> all = sensor.Frames();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(sim::CMD_ECHO, all[0].command);
    EXPECT_EQ(sim::CMD_READ_RAM, all[1].command);
    EXPECT_EQ(sim::CMD_HARDWARE_INFO, all[2].command);  // what the sensor is: its millimetre scale
    std::vector<ReceivedFrame> measures = Requests(sim::CMD_MEASURE);
    ASSERT_EQ(103u, all.size());  // no request after the hundredth reply
    ASSERT_EQ(100u, measures.size());
    // The first request carries the sensor's own set, each later one the
    // teach value and tolerance of the reply before it.
    EXPECT_EQ(sim::kDefaultParams, measures[0].payload);
    for (size_t i = 0; i < measures.size(); i++) {
        SCOPED_TRACE("reply " + std::to_string(i + 1));
        ASSERT_EQ(36u, measures[i].reply_bytes);
        std::vector<std::string> row = Split(lines[i + 1], ',');
        ExpectRowIsReply(row, measures[i]);
        EXPECT_EQ(std::to_string(i + 1), row[FIELD_SEQ]);
        // The sensor's type gives the scale: the value in millimetres too.
        ASSERT_EQ(static_cast<size_t>(MEASUREMENT_FIELDS), row.size());
        EXPECT_NEAR(std::stod(row[FIELD_VALUE]) * 25.4 / 1024, std::stod(row[FIELD_VALUE_MM]), 0.0005);
        EXPECT_EQ(sensor.SlavePath(), row[FIELD_PORT]);
        if (i + 1 < measures.size()) {
            EXPECT_EQ(ReplyWord(measures[i], sim::M_TVAL), measures[i + 1].payload[sim::P_TVAL]);
            EXPECT_EQ(ReplyWord(measures[i], sim::M_TTOL), measures[i + 1].payload[sim::P_TTOL]);
        }
    }
}

TEST_F(CliLoopTest, WatchFormatsAndItsEndOnASilentSensor)
{
    StartSensor();
    CliRun json = RunCli(Args({"watch", "--count", "3", "--json"}));
    ASSERT_EQ(0, json.status) << json.err;
    std::vector<std::string> lines = Lines(json.out);
    ASSERT_EQ(3u, lines.size());
    for (const std::string& line : lines) {
        EXPECT_EQ(0u, line.find("{\"time\":\"20")) << line;
        EXPECT_NE(std::string::npos, line.find("Z\",\"seconds\":")) << line;
        EXPECT_EQ(line.size() - 1, line.find('}'));
        EXPECT_TRUE(line.find("\"in_band\":true,") != std::string::npos ||
                    line.find("\"in_band\":false,") != std::string::npos)
            << line;
    }
    CliRun plain = RunCli(Args({"watch", "--duration", "0.2"}));
    EXPECT_EQ(0, plain.status) << plain.err;
    ASSERT_FALSE(Lines(plain.out).empty());
    EXPECT_EQ(static_cast<size_t>(MEASUREMENT_FIELDS), Split(Lines(plain.out)[0], ' ').size());

    // Echo, RAM read, hardware information, then two measurements answered
    // and the third not.
    sensor.ClearFrames();
    SensorFaults f;
    f.no_reply_every = 6;
    sensor.SetFaults(f);
    CliRun lost = RunCli(Args({"--timeout", "0.2", "watch"}));
    EXPECT_EQ(1, lost.status);
    EXPECT_EQ(2u, Lines(lost.out).size());
    EXPECT_NE(std::string::npos, lost.err.find("measurement request 3: Timeout RS232-Line! - no reply within 0.2 s"))
        << lost.err;
}

TEST_F(CliLoopTest, CtrlCEndsWatchAfterTheCurrentExchange)
{
    StartSensor(SensorOptions{}, true);  // paced: the stop comes while a reply is on its way
    CliProcess p;
    ASSERT_TRUE(p.Start(Args({"watch"})));
    ASSERT_TRUE(p.WaitForLines(5, 10.0)) << p.err;
    p.Signal(SIGINT);
    EXPECT_EQ(0, p.Wait(5.0)) << p.err;
    // The counters, and nothing else, on standard error.
    std::vector<std::string> said = Lines(p.err);
    ASSERT_EQ(1u, said.size()) << p.err;
    EXPECT_EQ(0u, said[0].find("kvormx-cli: watch stopped: replies " + std::to_string(Lines(p.out).size()) +
                               ", missed 0, set-ups 1, dropped 0; line: "))
        << said[0];
    // The line's health follows: no time-out and nothing refused on a sound line.
    EXPECT_NE(std::string::npos, said[0].find(" 0 time-outs, 0 refused by length, 0 by range rule, last reply "))
        << said[0];
    ASSERT_FALSE(p.out.empty());
    EXPECT_EQ('\n', p.out.back());
    // Every line is a reply; at most the request in flight went unprinted.
    std::vector<ReceivedFrame> measures = Requests(sim::CMD_MEASURE);
    std::vector<std::string> lines = Lines(p.out);
    ASSERT_GE(measures.size(), lines.size());
    EXPECT_LE(measures.size(), lines.size() + 1);
    for (size_t i = 0; i < lines.size(); i++) ExpectRowIsReply(Split(lines[i], ' '), measures[i]);
}

TEST_F(CliLoopTest, VideoReadsEachPictureAsTheVideoLoopDoes)
{
    StartSensor();
    sensor.FreezeScene(2.0);
    CliRun r = RunCli(Args({"video", "--count", "2", "--csv"}));
    ASSERT_EQ(0, r.status) << r.err;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(3u, lines.size());
    const size_t columns = MEASUREMENT_FIELDS + 2 + 256;
    EXPECT_EQ(columns, Split(lines[0], ',').size());
    EXPECT_NE(std::string::npos,
              lines[0].find(",port,value_mm,left_edge_mm,right_edge_mm,width_mm,first_pixel,pixel_step,sample_0,"));
    EXPECT_EQ("sample_255", Split(lines[0], ',').back());

    std::vector<int> expected = {sim::CMD_ECHO, sim::CMD_READ_RAM, sim::CMD_HARDWARE_INFO};
    for (int picture = 0; picture < 2; picture++)
        expected.insert(expected.end(), {sim::CMD_MEASURE, sim::CMD_READ_VIDEO64, sim::CMD_READ_VIDEO64,
                                         sim::CMD_READ_VIDEO64, sim::CMD_READ_VIDEO64});
    EXPECT_EQ(expected, Commands(sensor));

    std::vector<ReceivedFrame> all = sensor.Frames();
    for (int picture = 0; picture < 2; picture++) {
        SCOPED_TRACE("picture " + std::to_string(picture + 1));
        std::vector<std::string> row = Split(lines[picture + 1], ',');
        ASSERT_EQ(columns, row.size());
        EXPECT_EQ("0", row[MEASUREMENT_FIELDS]);      // first pixel: the whole 1024-pixel line
        EXPECT_EQ("4", row[MEASUREMENT_FIELDS + 1]);  // every 4th pixel
        const ReceivedFrame& measure = all[3 + 5 * picture];
        ExpectRowIsReply(row, measure);
        // The second picture's request carries the first one's reply back.
        if (picture == 1) {
            for (int k = 0; k < 16; k++) EXPECT_EQ(ReplyWord(all[3], k), measure.payload[k]) << k;
        }
        for (int block = 0; block < 4; block++) {
            const ReceivedFrame& b = all[4 + 5 * picture + block];
            EXPECT_EQ(64 * block, b.payload[0]);
            EXPECT_EQ(block == 3 ? 1 : 0, b.payload[1]);
            ASSERT_EQ(128u, b.reply.size());
            for (int s = 0; s < 64; s++)
                EXPECT_EQ(std::to_string(b.reply[2 * s] * 256 + b.reply[2 * s + 1]),
                          row[MEASUREMENT_FIELDS + 2 + 64 * block + s]);
        }
    }
}

TEST_F(CliLoopTest, VideoOnOtherBoardsReadsOneBlockAndStopsOnCtrlC)
{
    SensorOptions o;
    o.identity.board = 400;
    StartSensor(o, true);
    CliProcess p;
    ASSERT_TRUE(p.Start(Args({"video", "--json"})));
    ASSERT_TRUE(p.WaitForLines(2, 10.0)) << p.err;
    p.Signal(SIGINT);
    EXPECT_EQ(0, p.Wait(5.0)) << p.err;
    // The current picture is completed and printed: one line per block read.
    // Code 11 with an all-zero payload is the 256-sample read on these boards.
    std::vector<ReceivedFrame> blocks = Requests(sim::CMD_RESET_MAXMIN);
    std::vector<std::string> lines = Lines(p.out);
    EXPECT_EQ(blocks.size(), lines.size());
    EXPECT_EQ(Requests(sim::CMD_MEASURE).size(), lines.size());
    for (const ReceivedFrame& b : blocks) {
        EXPECT_EQ(sim::Words{}, b.payload);
        EXPECT_EQ(512u, b.reply.size());
    }
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(std::string::npos, lines[0].find("\"samples\":[")) << lines[0];
}

TEST_F(CliLoopTest, VideoWithABlockMissingExitsOneWithoutThatPicture)
{
    StartSensor();
    // Echo, RAM read, hardware, measurement, and the first block unanswered.
    SensorFaults f;
    f.no_reply_every = 5;
    sensor.SetFaults(f);
    CliRun r = RunCli(Args({"--timeout", "0.2", "video"}));
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_NE(std::string::npos, r.err.find("video block from sample 0 of picture 1")) << r.err;
    // The loop ended at the missing block, as the window's does.
    EXPECT_EQ(1u, Requests(sim::CMD_READ_VIDEO64).size());
    EXPECT_EQ(1u, Requests(sim::CMD_MEASURE).size());
}

// ---- watch --keep-going: the service ----------------------------------------------------------

// Replies that do not come are counted, each a gap in seq, and the loop
// goes on; the end by SIGTERM prints the counters with their priority.
TEST_F(CliLoopTest, KeepGoingCountsMissedRepliesAsGapsAndGoesOn)
{
    StartSensor();
    SensorFaults f;
    f.no_reply_every = 15;  // echo, RAM read, then every 15th request unanswered
    sensor.SetFaults(f);
    CliProcess p;
    ASSERT_TRUE(p.Start(Args({"--timeout", "0.2", "watch", "--keep-going", "--csv"})));
    ASSERT_TRUE(p.WaitForLines(61, 20.0)) << p.err;
    p.Signal(SIGTERM);
    EXPECT_EQ(0, p.Wait(10.0)) << p.err;

    std::vector<std::string> lines = Lines(p.out);
    ASSERT_GE(lines.size(), 61u);
    long gaps = 0, last = 0;
    for (size_t i = 1; i < lines.size(); i++) {
        long seq = std::stol(Split(lines[i], ',')[FIELD_SEQ]);
        ASSERT_GT(seq, last);
        gaps += seq - last - 1;
        last = seq;
    }
    EXPECT_GE(gaps, 3);
    // One warning per missed reply, one set-up for all of them.
    EXPECT_EQ(gaps, Said(p.err, "<4>kvormx-cli: " + std::string(sensor.SlavePath()) + ": measurement request"))
        << p.err;
    EXPECT_EQ(1, Said(p.err, "<6>kvormx-cli: watch: measuring on")) << p.err;
    std::string counters = Lines(p.err).back();
    EXPECT_EQ(0u,
              counters.find("<6>kvormx-cli: watch stopped: replies " + std::to_string(lines.size() - 1) + ", missed "))
        << counters;
    EXPECT_NE(std::string::npos, counters.find(", set-ups 1, dropped 0")) << counters;
}

// A sensor that falls silent is tried again and, once it answers, set up
// anew before measuring resumes.
TEST_F(CliLoopTest, KeepGoingSetsASilentSensorUpAgainWhenItAnswers)
{
    StartSensor();
    CliProcess p;
    ASSERT_TRUE(p.Start(Args({"--timeout", "0.2", "watch", "--keep-going"})));
    ASSERT_TRUE(p.WaitForLines(10, 10.0)) << p.err;
    SensorFaults silent;
    silent.no_reply_every = 1;
    sensor.SetFaults(silent);
    ASSERT_TRUE(WaitUntil(10.0, [&] {
        return p.WaitForLines(1000000, 0.05), Said(p.err, "sensor not answering since");
    })) << p.err;
    const size_t before = Lines(p.out).size();
    sensor.ClearFrames();
    sensor.SetFaults(SensorFaults{});
    ASSERT_TRUE(p.WaitForLines(static_cast<int>(before) + 10, 20.0)) << p.err;
    p.Signal(SIGTERM);
    EXPECT_EQ(0, p.Wait(10.0)) << p.err;

    // After the silence: the line check, the parameter read, what the sensor
    // is, then measuring.
    std::vector<int> commands = Commands(sensor);
    size_t echo = 0;
    while (echo < commands.size() && commands[echo] != sim::CMD_ECHO) echo++;
    ASSERT_LT(echo + 3, commands.size());
    for (size_t i = echo + 1; i < commands.size() && commands[i] == sim::CMD_ECHO;) echo = i++;  // retries in silence
    EXPECT_EQ(sim::CMD_READ_RAM, commands[echo + 1]);
    EXPECT_EQ(sim::CMD_HARDWARE_INFO, commands[echo + 2]);
    EXPECT_EQ(sim::CMD_MEASURE, commands[echo + 3]);
    EXPECT_EQ(1, Said(p.err, "<4>kvormx-cli: sensor not answering since")) << p.err;
    EXPECT_EQ(2, Said(p.err, "<6>kvormx-cli: watch: measuring on")) << p.err;
    EXPECT_NE(std::string::npos, Lines(p.err).back().find(", set-ups 2, ")) << p.err;
}

// An adapter pulled out is awaited by its name and set up again when it is
// plugged back in: the device goes, then its link; the link comes back.
TEST_F(CliLoopTest, KeepGoingAwaitsAVanishedPortByItsNameAndSetsItUpAgain)
{
    char folder[] = "/tmp/kvormx-cli-port-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    const std::string link = std::string(folder) + "/usb-KVOR_virtual_sensor_0001-if00";
    SensorOptions o;
    o.link = link;
    StartSensor(o);
    CliProcess p;
    ASSERT_TRUE(p.Start({"--port", link, "watch", "--keep-going"}));
    ASSERT_TRUE(p.WaitForLines(10, 10.0)) << p.err;
    sensor.Vanish();
    std::remove(link.c_str());
    ASSERT_TRUE(WaitUntil(10.0, [&] {
        return p.WaitForLines(1000000, 0.05), Said(p.err, "<4>kvormx-cli: port lost: " + link);
    })) << p.err;
    const size_t before = Lines(p.out).size();
    ASSERT_TRUE(sensor.Reappear());
    ASSERT_TRUE(p.WaitForLines(static_cast<int>(before) + 10, 15.0)) << p.err;
    p.Signal(SIGTERM);
    EXPECT_EQ(0, p.Wait(10.0)) << p.err;
    std::remove(link.c_str());
    rmdir(folder);

    EXPECT_EQ(1, Said(p.err, "port back: " + link)) << p.err;
    EXPECT_NE(std::string::npos, Lines(p.err).back().find(", set-ups 2, ")) << p.err;
    // The lines after the return are the new line's replies, seq from 1.
    std::vector<std::string> lines = Lines(p.out);
    size_t restart = 1;
    while (restart < lines.size() && Split(lines[restart], ' ')[FIELD_SEQ] != "1") restart++;
    EXPECT_LT(restart, lines.size());
    for (size_t i = 0; i < lines.size(); i++) EXPECT_EQ(link, Split(lines[i], ' ')[FIELD_PORT]);
}

// Under systemd (Type=notify) the service says it is ready once the sensor
// is identified, its state, feeds the watchdog and says it is stopping.
TEST_F(CliLoopTest, KeepGoingNotifiesSystemdReadyStatusWatchdogAndStopping)
{
    StartSensor();
    NotifySocket notify("/tmp/kvormx-notify-" + std::to_string(getpid()));
    ASSERT_TRUE(notify.Bound());
    std::string said;
    auto collect = [&] { said += notify.Read(); };
    setenv("NOTIFY_SOCKET", notify.path.c_str(), 1);  // the tool's environment, as systemd gives it
    CliProcess p;
    const bool started = p.Start(Args({"watch", "--keep-going"}));
    unsetenv("NOTIFY_SOCKET");
    ASSERT_TRUE(started);
    ASSERT_TRUE(p.WaitForLines(10, 10.0)) << p.err;
    EXPECT_TRUE(WaitUntil(5.0, [&] { return collect(), said.find("WATCHDOG=1") != std::string::npos; })) << said;
    p.Signal(SIGTERM);
    EXPECT_EQ(0, p.Wait(10.0)) << p.err;
    collect();
    const size_t ready = said.find("READY=1");
    ASSERT_NE(std::string::npos, ready) << said;
    EXPECT_EQ(std::string::npos, said.find("READY=1", ready + 1)) << said;
    EXPECT_LT(said.find("STATUS=watch: setting up "), ready) << said;
    EXPECT_NE(std::string::npos, said.find("STATUS=watch: measuring on " + std::string(sensor.SlavePath()))) << said;
    EXPECT_NE(std::string::npos, said.find("STOPPING=1")) << said;
}

// The watchdog is fed while replies are fresh or a retry is under way: a
// sensor that falls silent keeps the service alive while it tries again.
TEST_F(CliLoopTest, KeepGoingFeedsTheWatchdogWhileItRetriesASilentSensor)
{
    StartSensor();
    NotifySocket notify("/tmp/kvormx-notify-retry-" + std::to_string(getpid()));
    ASSERT_TRUE(notify.Bound());
    int fed = 0;
    auto collect = [&] {
        const std::string said = notify.Read();
        for (size_t at = said.find("WATCHDOG=1"); at != std::string::npos; at = said.find("WATCHDOG=1", at + 1)) fed++;
    };
    setenv("NOTIFY_SOCKET", notify.path.c_str(), 1);
    CliProcess p;
    const bool started = p.Start(Args({"--timeout", "0.2", "watch", "--keep-going"}));
    unsetenv("NOTIFY_SOCKET");
    ASSERT_TRUE(started);
    ASSERT_TRUE(p.WaitForLines(5, 10.0)) << p.err;
    SensorFaults silent;
    silent.no_reply_every = 1;
    sensor.SetFaults(silent);
    // The tool's output is taken in while the time passes.
    auto pass = [&](double seconds) {
        for (double t = 0; t < seconds; t += 0.1) p.WaitForLines(1 << 30, 0.1), collect();
    };
    for (int i = 0; i < 100 && p.err.find("sensor not answering since") == std::string::npos; i++) pass(0.1);
    ASSERT_NE(std::string::npos, p.err.find("sensor not answering since")) << p.err;
    fed = 0;
    // Retries 1, 2, 4 s apart: the watchdog goes on about once a second.
    pass(3.5);
    p.Signal(SIGTERM);
    EXPECT_EQ(0, p.Wait(10.0)) << p.err;
    EXPECT_GE(fed, 2) << p.err;
}
