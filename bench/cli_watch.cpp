// kvormx-cli against the virtual sensor pacing a 19200-baud line: how fast
// `watch` runs against the line limit, the CPU the tool spends meanwhile, and
// how long a start takes to its first reply.
//
//   build/<release>/cli_watch [seconds of watch, default 10] [starts, default 5]
//
// The tool runs as its own process (beside this one in the build folder) on
// the pseudo-terminal of a sensor in this process; rates and times come from
// the sensor's record, the CPU from the kernel's account of the tool's thread.
// Prints its figures as its last lines.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/rs232.h"
#include "runtime/util.h"
#include "sim/sensor.h"
#include "sim/wire.h"

namespace {

using Clock = std::chrono::steady_clock;

const double kByteTime = 10.0 / 19200.0;  // seconds a byte takes on the line

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5)];
}

struct Tool {
    pid_t pid = -1;
    int out = -1;
    Clock::time_point started;
    std::string text;
    int lines = 0;
};

bool Start(Tool* t, const std::vector<std::string>& args)
{
    char dir[260];
    GetProjectDir(dir);
    std::string exe = std::string(dir) + "/kvormx-cli";
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) return false;
    t->started = Clock::now();
    t->pid = fork();
    if (t->pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    t->out = fds[0];
    return t->pid > 0;
}

// Reads the tool's output until it holds `lines` lines or the pipe ends;
// false after `seconds`.
bool ReadLines(Tool* t, int lines, double seconds)
{
    Clock::time_point until =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (t->lines < lines) {
        if (Clock::now() > until) return false;
        pollfd p{t->out, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char buf[65536];
        ssize_t n = read(t->out, buf, sizeof buf);
        if (n <= 0) return t->lines >= lines;
        t->text.append(buf, static_cast<size_t>(n));
        t->lines += static_cast<int>(std::count(buf, buf + n, '\n'));
    }
    return true;
}

int Finish(Tool* t)
{
    ReadLines(t, 1 << 30, 30.0);
    int raw = 0;
    waitpid(t->pid, &raw, 0);
    close(t->out);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

// CPU seconds the tool's thread has had so far.
double CpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/schedstat");
    double ns = 0;
    in >> ns;
    return ns / 1e9;
}

std::vector<ReceivedFrame> Measures(const VirtualSensor& sensor)
{
    std::vector<ReceivedFrame> found;
    for (const ReceivedFrame& f : sensor.Frames())
        if (f.command == sim::CMD_MEASURE) found.push_back(f);
    return found;
}

struct Watch {
    double rate = 0, cpu = 0;
    std::vector<double> turnaround;
    size_t requests = 0, replied = 0;
    int lines = 0, status = -1;
};

// `kvormx-cli watch` on the sensor's port for `seconds`, then Ctrl-C.
bool RunWatch(VirtualSensor& sensor, double seconds, Watch* w)
{
    sensor.ClearFrames();
    Tool t;
    if (!Start(&t, {"--port", sensor.SlavePath(), "watch"}) || !ReadLines(&t, 10, 10.0)) return false;
    double c0 = CpuSeconds(t.pid);
    Clock::time_point w0 = Clock::now();
    ReadLines(&t, 1 << 30, seconds);
    w->cpu = (CpuSeconds(t.pid) - c0) / Seconds(Clock::now() - w0);
    kill(t.pid, SIGINT);
    w->status = Finish(&t);
    w->lines = t.lines;

    std::vector<ReceivedFrame> m = Measures(sensor);
    for (size_t i = 0; i < m.size(); i++) {
        if (m[i].reply_bytes == 36) w->replied++;
        if (i > 0 && m[i - 1].replied.time_since_epoch().count() != 0)
            w->turnaround.push_back(Seconds(m[i].received - m[i - 1].replied));
    }
    w->requests = m.size();
    w->rate = m.size() > 1 ? (m.size() - 1) / Seconds(m.back().received - m.front().received) : 0.0;
    return true;
}

void Report(const char* what, const Watch& w, double limit)
{
    std::printf(
        "%s: %.2f /s (%.1f %% of the line limit %.2f), CPU %.2f %% of a core, turnaround "
        "median %.3f ms, 99th percentile %.3f ms; %zu requests, %zu replies, %d lines, status %d after Ctrl-C\n",
        what, w.rate, 100 * w.rate / limit, limit, 100 * w.cpu, 1e3 * Percentile(w.turnaround, 0.5),
        1e3 * Percentile(w.turnaround, 0.99), w.requests, w.replied, w.lines, w.status);
}

}  // namespace

int main(int argc, char** argv)
{
    double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    int starts = argc > 2 ? std::atoi(argv[2]) : 5;
    if (seconds <= 0) seconds = 10.0;
    if (starts < 1) starts = 5;

    VirtualSensor sensor;
    SensorOptions o;  // paced
    if (!sensor.Start(o)) {
        std::fprintf(stderr, "cli_watch: the virtual sensor did not start\n");
        return 1;
    }
    const std::string port = sensor.SlavePath();

    // Start to the first reply: echo, RAM read and the first measurement.
    std::vector<double> toReply, toLine;
    for (int i = 0; i < starts; i++) {
        sensor.ClearFrames();
        Tool t;
        if (!Start(&t, {"--port", port, "watch", "--count", "1"}) || !ReadLines(&t, 1, 10.0)) {
            std::fprintf(stderr, "cli_watch: no line from kvormx-cli watch --count 1\n");
            return 1;
        }
        toLine.push_back(Seconds(Clock::now() - t.started));
        int status = Finish(&t);
        std::vector<ReceivedFrame> m = Measures(sensor);
        if (status != 0 || m.empty()) {
            std::fprintf(stderr, "cli_watch: kvormx-cli watch --count 1 ended with status %d\n", status);
            return 1;
        }
        toReply.push_back(Seconds(m[0].replied - t.started));
        usleep(100000);
    }

    // The rate and the CPU while watch runs (the start left out of the CPU):
    // on a steady sensor, and on one whose tolerance comes from a
    // potentiometer and moves by up to 3 digits with every reply.
    Watch plain, jitter;
    bool ok = RunWatch(sensor, seconds, &plain);
    SensorFaults pot;
    pot.pot_jitter = 3;
    sensor.SetFaults(pot);
    ok = ok && RunWatch(sensor, seconds, &jitter);
    sensor.Stop();
    if (!ok) {
        std::fprintf(stderr, "cli_watch: kvormx-cli watch gave no lines\n");
        return 1;
    }
    const double limit = 1.0 / (72 * kByteTime);

    std::printf(
        "targets: watch >= 98 %% of the line limit with <= 1 %% of a core, also with a jittering "
        "tolerance; start to first reply < 0.3 s\n");
    Report("kvormx-cli watch", plain, limit);
    Report("kvormx-cli watch, tolerance jittering by 3", jitter, limit);
    std::printf(
        "start to first reply: median %.3f s, worst %.3f s; to its line on stdout: median %.3f s, worst "
        "%.3f s (%d starts; line time of echo, RAM read and measurement %.3f s)\n",
        Percentile(toReply, 0.5), Percentile(toReply, 1.0), Percentile(toLine, 0.5), Percentile(toLine, 1.0), starts,
        3 * 72 * kByteTime);
    return 0;
}
