// Run mode and video mode against the virtual sensor pacing a 19200-baud
// line: exchanges and pictures per second against what the line allows, the
// CPU the program spends meanwhile, and how long a reply waits for the
// request that answers it.
//
//   build/<release>/line_rate [seconds per mode, default 10] [run | outputs [rounds] | links]
//                                                          (offscreen unless DISPLAY is set)
//
// Without a mode it measures run and video mode on a steady sensor and on
// one whose tolerance comes from a potentiometer (it moves by up to 3 digits
// with every reply). `run` measures run mode alone (for profiling). `links`
// runs run mode through links that hand replies over in pieces: 12 bytes
// every 32 ms for 1000 exchanges, and with 600 ms pauses for 50, against the
// pace such a link allows, and counts the time-outs. `outputs` measures run mode
// plain, with a CSV recording, with the frame trace, with both and publishing
// to a local mosquitto of its own, in
// `rounds` interleaved rounds (default 3), and prints the extra CPU of each:
// of the user-interface thread and of the whole process (which holds the
// file writer's thread; the virtual sensor's thread costs the same in each).
//
// The operator's Run, Video and Stop are real clicks on the shown panel. The
// program's CPU is that of the user-interface thread (the sensor runs in a
// thread of its own). First, the line itself: how long the virtual sensor's
// paced exchanges take, seen with plain reads and writes, against the line
// time they stand for. Prints its figures as its last lines.
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/app.h"
#include "form/form.h"
#include "link/health.h"
#include "link/link.h"
#include "link/record.h"
#include "link/state.h"
#include "link/trace.h"
#include "outputs/outputs.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "sim/sensor.h"
#include "sim/wire.h"
#include "support/broker.h"
#include "support/inspect.h"

namespace {

using Clock = std::chrono::steady_clock;

const double kByteTime = 10.0 / 19200.0;  // seconds a byte takes on the line

double ThreadCpuSeconds()
{
    rusage u;
    getrusage(RUSAGE_THREAD, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double ProcessCpuSeconds()
{
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5)];
}

struct Figures {
    double rate = 0;                   // completed requests of the counted command per second
    double cpu = 0;                    // share of a core, user-interface thread
    double processCpu = 0;             // share of a core, the whole process (the virtual sensor included)
    std::vector<double> turnaround;    // seconds from a reply's last byte to the next request
    std::vector<double> afterPicture;  // the same, where the reply ended a picture (video mode)
    size_t frames = 0;
};

void PressStop(void*)
{
    OperatorClick(panelHandle, PANEL_STOP);
}

// Presses `button`, Stop after `seconds`, and reads the figures off the
// sensor's record: the rate of `counted` requests and every turnaround.
Figures Measure(VirtualSensor& sensor, int button, double seconds, int counted)
{
    // As an operator would, let the reply to the request that was out when
    // Stop was pressed arrive before the next mode starts.
    double settle = Timer();
    while (Timer() - settle < 0.3) ProcessSystemEvents();
    sensor.ClearFrames();
    AfterDelay(seconds, PressStop, nullptr);
    double c0 = ThreadCpuSeconds(), p0 = ProcessCpuSeconds(), t0 = Timer();
    OperatorClick(panelHandle, button);
    Figures f;
    f.cpu = (ThreadCpuSeconds() - c0) / (Timer() - t0);
    f.processCpu = (ProcessCpuSeconds() - p0) / (Timer() - t0);

    std::vector<ReceivedFrame> frames = sensor.Frames();
    f.frames = frames.size();
    const ReceivedFrame* first = nullptr;
    const ReceivedFrame* last = nullptr;
    int n = 0;
    for (size_t i = 0; i < frames.size(); i++) {
        if (frames[i].command == counted) {
            if (!first) first = &frames[i];
            last = &frames[i];
            n++;
        }
        if (i > 0 && frames[i - 1].replied.time_since_epoch().count() != 0) {
            double t = Seconds(frames[i].received - frames[i - 1].replied);
            f.turnaround.push_back(t);
            // The loop draws the picture and processes events once before the
            // next cycle's request: that turnaround holds the repaint.
            if (button == PANEL_VIDEO && frames[i].command == counted) f.afterPicture.push_back(t);
        }
    }
    // Requests from the first to the last counted one: n - 1 whole periods.
    if (n > 1) f.rate = (n - 1) / Seconds(last->received - first->received);
    return f;
}

bool Connect(VirtualSensor& sensor, int board, const SensorFaults& link = SensorFaults{})
{
    sensor.Stop();
    CloseCom(com);
    SensorOptions o;
    o.pacing = true;
    o.identity.board = static_cast<uint16_t>(board);
    o.faults = link;
    if (!sensor.Start(o)) return false;
    SetComDevice(1, sensor.SlavePath());
    com = 1;
    InitRS232(com);
    return pcbtype == board;
}

// ---- The virtual sensor's pacing ----------------------------------------------------------------

struct Pacing {
    double run = 0;            // ms per run-mode exchange (36 out, 36 back)
    double block64 = 0;        // ms per 64-sample block (36 out, 128 back)
    double block256First = 0;  // ms to the first byte of the 256-sample block (36 out, 512 back)
    double block256 = 0;       // ms to its last byte
    bool ok = false;
};

// Sends one request and waits for `n` reply bytes; the time of the first byte
// goes to *first. False when they did not all come within 2 s.
bool Exchange(int fd, uint16_t command, const sim::Words& payload, size_t n, Clock::time_point t0, double* first)
{
    auto frame = sim::EncodeFrame(sim::kRequestSync, command, payload);
    if (write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) return false;
    size_t got = 0;
    while (got < n) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 2000) <= 0) return false;
        uint8_t buf[1024];
        ssize_t r = read(fd, buf, std::min(sizeof buf, n - got));
        if (r <= 0) return false;
        if (got == 0 && first) *first = 1e3 * Seconds(Clock::now() - t0);
        got += static_cast<size_t>(r);
    }
    return true;
}

Pacing MeasurePacing()
{
    Pacing m;
    VirtualSensor sensor;
    SensorOptions o;       // paced
    o.identity.board = 1;  // answers the 256-sample read
    if (!sensor.Start(o)) return m;
    int fd = open(sensor.SlavePath(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t;
    if (fd < 0 || tcgetattr(fd, &t) != 0) return m;
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);

    const int runs = 16, blocks = 8;
    bool ok = true;
    Clock::time_point t0 = Clock::now();
    for (int i = 0; i < runs && ok; i++) ok = Exchange(fd, sim::CMD_MEASURE, sim::kDefaultParams, 36, t0, nullptr);
    m.run = 1e3 * Seconds(Clock::now() - t0) / runs;
    sim::Words req{};
    t0 = Clock::now();
    for (int i = 0; i < blocks && ok; i++) {
        req[0] = static_cast<uint16_t>(64 * (i % 4));
        ok = Exchange(fd, sim::CMD_READ_VIDEO64, req, 128, t0, nullptr);
    }
    m.block64 = 1e3 * Seconds(Clock::now() - t0) / blocks;
    t0 = Clock::now();
    ok = ok && Exchange(fd, sim::CMD_RESET_MAXMIN, sim::Words{}, 512, t0, &m.block256First);
    m.block256 = 1e3 * Seconds(Clock::now() - t0);
    m.ok = ok;
    close(fd);
    sensor.Stop();
    return m;
}

// Run mode plain, recording, tracing, both, and publishing to a local
// broker (when mosquitto is installed); `rounds` times in turn.
void MeasureOutputs(VirtualSensor& sensor, double seconds, int rounds, double limit)
{
    const char* names[] = {"plain", "recording", "trace", "recording and trace", "publishing"};
    LocalBroker broker;
    const int variants = MosquittoProgram() && broker.Start() ? 5 : 4;
    if (variants == 4) std::printf("  publishing not measured: no local mosquitto\n");
    char record[64], trace[64];
    std::snprintf(record, sizeof record, "/tmp/kvormx-line-rate-%d.csv", int(getpid()));
    std::snprintf(trace, sizeof trace, "/tmp/kvormx-line-rate-%d.txt", int(getpid()));
    std::vector<double> rate[5], cpu[5], process[5];
    for (int round = 0; round < rounds; round++) {
        for (int v = 0; v < variants; v++) {
            if (v == 4) {
                if (MqttStart(broker.Url("bench").c_str(), nullptr) != 0) {
                    std::printf("  publishing: %s\n", MqttError());
                    continue;
                }
                WaitUntil(5.0, [] { return MqttConnected() == 1; });
            } else {
                if (v & 1) RecordStart(record);
                if (v & 2) TraceOpen(trace);
            }
            Figures f = Measure(sensor, PANEL_RUN, seconds, CMD_MEASURE);
            long rows = RecordRows();
            RecordStop();
            TraceClose();
            if (v == 4) {
                MqttStop();
                if (MqttDropped() > 0) std::printf("  publishing: %lu messages dropped\n", MqttDropped());
            }
            if ((v & 1) && rows + 2 < long(f.frames))
                std::printf("  recording: %ld rows for %zu requests: %s\n", rows, f.frames, RecordError());
            std::printf("  round %d, %s: %.2f /s, CPU %.2f %% (thread), %.2f %% (process)\n", round + 1, names[v],
                        f.rate, 100 * f.cpu, 100 * f.processCpu);
            std::fflush(stdout);
            rate[v].push_back(f.rate);
            cpu[v].push_back(f.cpu);
            process[v].push_back(f.processCpu);
        }
    }
    // The cost on the user-interface thread alone, without the line's noise:
    // a record filled and written as a row, and a run exchange's two trace
    // lines, many times over.
    const int n = 20000;
    MeasurementRecord reply;
    static PictureRecord picture;
    RecordStart(record);
    double c0 = ThreadCpuSeconds();
    for (int i = 0; i < n; i++) {
        FillMeasurementRecord(&reply);
        RecordMeasurement(&reply);
    }
    double perRow = (ThreadCpuSeconds() - c0) / n;
    RecordStop();
    for (int i = 0; i < 256; i++) adcbuf[i] = static_cast<uint16_t>(4 * i);
    RecordStart(record);
    c0 = ThreadCpuSeconds();
    for (int i = 0; i < n / 10; i++) {
        FillPictureRecord(&picture, 1);
        RecordPicture(&picture);
    }
    double perPicture = (ThreadCpuSeconds() - c0) / (n / 10);
    RecordStop();
    TraceOpen(trace);
    c0 = ThreadCpuSeconds();
    for (int i = 0; i < n; i++) {
        TraceSent(CMD_MEASURE, REPLY_FRAME, szWriteBuf, FRAME_BYTES);
        TraceFrameIn(szReadBuf, FRAME_BYTES, 1);
    }
    double perExchange = (ThreadCpuSeconds() - c0) / n;
    TraceClose();
    unlink(record);
    unlink(trace);
    std::printf(
        "user-interface thread: %.1f us a run-mode row, %.1f us a video row, %.1f us a run exchange's trace lines;"
        " at the line limit %.3f %%, %.3f %% and %.3f %% of a core\n",
        1e6 * perRow, 1e6 * perPicture, 1e6 * perExchange, 100 * perRow * limit, 100 * perPicture * 3.10,
        100 * perExchange * limit);
    std::printf(
        "targets: with recording, trace or publishing >= 98 %% of the line limit, at most 1 %% of a core more\n");
    for (int v = 0; v < variants; v++) {
        if (rate[v].empty()) continue;
        double r = Percentile(rate[v], 0.5), c = Percentile(cpu[v], 0.5), p = Percentile(process[v], 0.5);
        std::printf("run mode, %s: %.2f /s (%.1f %% of the line limit), CPU median %.2f %% thread, %.2f %% process",
                    names[v], r, 100 * r / limit, 100 * c, 100 * p);
        // Against plain of the same round: a shared machine's speed drifts
        // between rounds more than any of these costs.
        if (v > 0 && rate[v].size() == rate[0].size()) {
            std::vector<double> dc, dp;
            for (size_t r = 0; r < rate[v].size(); r++) {
                dc.push_back(cpu[v][r] - cpu[0][r]);
                dp.push_back(process[v][r] - process[0][r]);
            }
            std::printf("; more than plain in the same round, median: %+.2f %% thread, %+.2f %% process",
                        100 * Percentile(dc, 0.5), 100 * Percentile(dp, 0.5));
        }
        std::printf("\n");
    }
}

// Run mode through a link that hands every reply over in pieces of `piece`
// bytes with `gap` seconds between them, for `exchanges` exchanges: each
// reply costs its pauses on top of the line time.
void MeasureLink(VirtualSensor& sensor, int piece, double gap, int exchanges)
{
    SensorFaults link;
    link.piece_bytes = piece;
    link.piece_gap_ms = static_cast<int>(gap * 1000 + 0.5);
    if (!Connect(sensor, 0, link)) {
        std::printf("pieces of %d bytes, %.0f ms apart: the set-up failed: %s\n", piece, 1e3 * gap, szStatus);
        return;
    }
    const int pieces = (FRAME_BYTES + piece - 1) / piece;
    const double pace = 1.0 / (72 * kByteTime + (pieces - 1) * gap);
    Figures f = Measure(sensor, PANEL_RUN, (exchanges + 8) / pace, CMD_MEASURE);
    char status[STATUS_LEN];
    GetCtrlVal(panelHandle, PANEL_STATUS, status, sizeof status);
    const bool timedOut = std::strcmp(status, "Timeout RS232-Line!") == 0;
    std::printf(
        "run mode through pieces of %d bytes, %.0f ms apart: %.2f /s (%.1f %% of the link's pace %.2f), "
        "%zu exchanges, %s\n",
        piece, 1e3 * gap, f.rate, 100 * f.rate / pace, pace, f.frames,
        timedOut ? "ended by a time-out" : "no time-out");
}

void Report(const char* what, const Figures& f, double limit, const char* unit)
{
    std::printf(
        "%s: %.2f %s (%.1f %% of the line limit %.2f), CPU %.2f %% of a core, turnaround median "
        "%.3f ms, 99th percentile %.3f ms (%zu frames)\n",
        what, f.rate, unit, 100 * f.rate / limit, limit, 100 * f.cpu, 1e3 * Percentile(f.turnaround, 0.5),
        1e3 * Percentile(f.turnaround, 0.99), f.frames);
    if (!f.afterPicture.empty())
        std::printf(
            "  of which after a picture (drawn before the next cycle): median %.3f ms, 99th percentile %.3f ms\n",
            1e3 * Percentile(f.afterPicture, 0.5), 1e3 * Percentile(f.afterPicture, 0.99));
}

}  // namespace

int main(int argc, char** argv)
{
    double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    if (seconds <= 0) seconds = 10.0;
    if (!getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!InitRuntime(&argc, argv) || LoadPanels() < 0) {
        std::fprintf(stderr, "line_rate: %s\n", GetRuntimeError());
        return 1;
    }
    GetProjectDir(proj_dir);
    InitVars();
    DisplayPanel(panelHandle);

    VirtualSensor sensor;
    if (!Connect(sensor, 0)) {
        std::fprintf(stderr, "line_rate: the virtual sensor did not come up: %s\n", szStatus);
        return 1;
    }
    // 36 bytes out and 36 back per exchange; a board-0 picture adds four
    // 64-sample blocks, any other board one 256-sample block.
    const double runLimit = 1.0 / (72 * kByteTime);
    const double video0Limit = 1.0 / ((72 + 4 * (36 + 128)) * kByteTime);
    const double videoLimit = 1.0 / ((72 + 36 + 512) * kByteTime);

    const bool runOnly = argc > 2 && std::strcmp(argv[2], "run") == 0;
    if (argc > 2 && std::strcmp(argv[2], "links") == 0) {
        std::printf("targets: every reply taken, no time-out, at the pace the pieces allow\n");
        MeasureLink(sensor, 12, 0.032, 1000);
        MeasureLink(sensor, 18, 0.600, 50);
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[2], "outputs") == 0) {
        int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
        MeasureOutputs(sensor, seconds, rounds > 0 ? rounds : 3, runLimit);
        return 0;
    }
    Pacing pacing;
    if (!runOnly) pacing = MeasurePacing();
    Figures run = Measure(sensor, PANEL_RUN, seconds, CMD_MEASURE);
    if (runOnly) {
        Report("run mode exchanges", run, runLimit, "/s");
        return 0;
    }
    Figures video0 = Measure(sensor, PANEL_VIDEO, seconds, CMD_MEASURE);
    if (!Connect(sensor, 3)) {
        std::fprintf(stderr, "line_rate: the virtual sensor (board 3) did not come up: %s\n", szStatus);
        return 1;
    }
    Figures video3 = Measure(sensor, PANEL_VIDEO, seconds, CMD_MEASURE);

    SensorFaults pot;
    pot.pot_jitter = 3;
    if (!Connect(sensor, 0, pot)) {
        std::fprintf(stderr, "line_rate: the virtual sensor (jittering) did not come up: %s\n", szStatus);
        return 1;
    }
    Figures runPot = Measure(sensor, PANEL_RUN, seconds, CMD_MEASURE);
    Figures video0Pot = Measure(sensor, PANEL_VIDEO, seconds, CMD_MEASURE);
    const long refused = link_health.refusedRange + link_health.refusedLength;

    sensor.Stop();
    CloseCom(com);
    DiscardPanel(panelPopUp);
    DiscardPanel(panelHandle);
    CloseRuntime();

    const double byteMs = 1e3 * kByteTime;
    if (!pacing.ok) std::printf("virtual sensor pacing: the exchanges failed\n");
    std::printf(
        "virtual sensor pacing (line time in brackets): run exchange %.2f ms (%.2f), 64-sample block "
        "%.2f ms (%.2f), 256-sample block first byte %.2f ms (%.2f), last %.2f ms (%.2f)\n",
        pacing.run, 72 * byteMs, pacing.block64, 164 * byteMs, pacing.block256First, 37 * byteMs, pacing.block256,
        548 * byteMs);
    std::printf(
        "targets: run >= 98 %%, video >= 97 %% of the line limit; CPU in run mode <= 5 %%; "
        "turnaround median < 0.5 ms, 99th percentile < 3 ms\n");
    Report("run mode exchanges", run, runLimit, "/s");
    Report("video mode pictures, board 0", video0, video0Limit, "/s");
    Report("video mode pictures, board 3", video3, videoLimit, "/s");
    Report("run mode exchanges, tolerance jittering by 3", runPot, runLimit, "/s");
    Report("video mode pictures, board 0, tolerance jittering by 3", video0Pot, video0Limit, "/s");
    std::printf("teach value/tolerance pairs kept back: %ld\n", refused);
    return 0;
}
