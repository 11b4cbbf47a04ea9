// A fleet publishing to one broker: 16 virtual sensors, each pacing its own
// 19200-baud line, 16 `kvormx-cli watch --mqtt` processes, one local
// mosquitto and one subscriber counting what arrives per sensor.
//
//   build/<release>/mqtt_fleet [seconds of watch, default 20] [sensors, default 16] [plain]
//
// `plain` runs the same fleet without --mqtt: the tools' CPU without publishing.
//
// Per line: the rate against the line limit, the replies the tool printed
// and the messages the subscriber received (in order, none missing). CPU:
// user + system time of the tool processes from /proc while they measure
// (the start left out), and the broker's separately. Ends with status 1
// when a line runs below 97 % of its limit or a message went missing.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/util.h"
#include "sim/sensor.h"
#include "sim/wire.h"
#include "support/broker.h"

namespace {

using Clock = std::chrono::steady_clock;

const double kByteTime = 10.0 / 19200.0;  // seconds a byte takes on the line
// A run exchange is a 36-byte request and a 36-byte reply.
const double kLineLimit = 1.0 / (72 * kByteTime);
const double kMinShare = 0.97;  // of the line limit, for every line

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// User + system CPU seconds of a process so far (utime and stime of /proc/PID/stat).
double CpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');  // the command name may hold blanks
    if (close == std::string::npos) return 0.0;
    std::istringstream fields(text.substr(close + 2));
    std::string f;
    double ticks = 0;
    // Fields 3.. follow the name; utime and stime are fields 14 and 15.
    for (int k = 3; k <= 15 && fields >> f; k++)
        if (k >= 14) ticks += std::atof(f.c_str());
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Tool {
    pid_t pid = -1;
    int out = -1;
    std::string partial;
    long lines = 0;
    int status = -1;
    double cpu0 = 0, cpu1 = 0;  // CpuSeconds at the start and the end of the measured span
    rusage usage{};             // the whole life, from wait4
    std::string errFile;
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
    if (pipe2(fds, O_CLOEXEC) != 0) return false;  // no other tool holds this pipe open
    t->pid = fork();
    if (t->pid == 0) {
        dup2(fds[1], 1);
        FILE* err = std::fopen(t->errFile.c_str(), "w");
        if (err) dup2(fileno(err), 2);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    t->out = fds[0];
    return t->pid > 0;
}

// Reads what the tools have printed, for at most `seconds`; counts lines.
void Drain(std::vector<Tool>& tools, double seconds)
{
    Clock::time_point until =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<Tool*> owners;
        for (Tool& t : tools)
            if (t.out >= 0) {
                fds.push_back({t.out, POLLIN, 0});
                owners.push_back(&t);
            }
        double left = Seconds(until - Clock::now());
        if (fds.empty() || left <= 0) return;
        if (poll(fds.data(), fds.size(), static_cast<int>(std::min(left, 0.1) * 1000) + 1) <= 0) continue;
        for (size_t i = 0; i < fds.size(); i++) {
            if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buf[65536];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                close(owners[i]->out);
                owners[i]->out = -1;
                continue;
            }
            owners[i]->lines += std::count(buf, buf + n, '\n');
        }
    }
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Line {
    double rate = 0;  // requests per second, from the sensor's record
    size_t requests = 0;
    long printed = 0;     // replies the tool printed
    size_t received = 0;  // measurement messages the subscriber got
    long inOrder = 0;     // of them, seq 1, 2, 3, ... without a gap
    double cpu = 0;       // share of a core while measuring
};

}  // namespace

int main(int argc, char** argv)
{
    double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    int count = argc > 2 ? std::atoi(argv[2]) : 16;
    if (seconds < 3) seconds = 20.0;
    if (count < 1 || count > 64) count = 16;
    const bool publish = !(argc > 3 && std::string(argv[3]) == "plain");

    if (!MosquittoProgram()) {
        std::fprintf(stderr, "mqtt_fleet: mosquitto is not installed (scripts/install-deps)\n");
        return 1;
    }
    LocalBroker broker;
    if (!broker.Start()) {
        std::fprintf(stderr, "mqtt_fleet: the broker did not start:\n%s", broker.Log().c_str());
        return 1;
    }
    Subscriber sub(broker.port, "fleet/#");
    if (!sub.WaitSubscribed(5.0)) {
        std::fprintf(stderr, "mqtt_fleet: the subscriber was not let in\n");
        return 1;
    }

    // The virtual sensors' threads run at normal priority: a sensor thread
    // the scheduler delays hands its reply over in pieces, as a device server
    // does, and the tools must take that.
    std::unique_ptr<VirtualSensor[]> sensors(new VirtualSensor[count]);
    for (int i = 0; i < count; i++) {
        VirtualSensor& s = sensors[i];
        SensorOptions o;  // paced: each its own 19200-baud line
        if (!s.Start(o)) {
            std::fprintf(stderr, "mqtt_fleet: a virtual sensor did not start: %s\n", s.Error());
            return 1;
        }
    }

    std::vector<Tool> tools(count);
    for (int i = 0; i < count; i++) {
        tools[i].errFile = broker.dir + "/cli-" + std::to_string(i + 1) + ".err";
        std::string url = broker.Url("fleet/s" + std::to_string(i + 1));
        std::string duration = std::to_string(seconds);
        std::vector<std::string> args = {"--port", sensors[i].SlavePath(), "watch", "--duration", duration};
        if (publish) args.insert(args.end(), {"--mqtt", url});
        if (!Start(&tools[i], args)) {
            std::fprintf(stderr, "mqtt_fleet: kvormx-cli did not start\n");
            return 1;
        }
    }
    // The set-up (echo, parameter read, identification, firmware) left out of the CPU.
    const double settle = 2.0;
    Drain(tools, settle);
    const double b0 = CpuSeconds(broker.Pid());
    for (Tool& t : tools) t.cpu0 = CpuSeconds(t.pid);
    Clock::time_point w0 = Clock::now();
    Drain(tools, seconds - settle - 1.0);
    const double span = Seconds(Clock::now() - w0);
    for (Tool& t : tools) t.cpu1 = CpuSeconds(t.pid);
    const double b1 = CpuSeconds(broker.Pid());
    Drain(tools, 15.0);  // the tools end by themselves after --duration, and flush
    for (Tool& t : tools) {
        int raw = 0;
        if (wait4(t.pid, &raw, 0, &t.usage) != t.pid)
            t.status = -1;
        else
            t.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    }
    // What the broker has passed on: every message reached it before its tool ended.
    long printedAll = 0;
    for (Tool& t : tools) printedAll += t.lines;
    WaitUntil(publish ? 10.0 : 0.0, [&] {
        size_t n = 0;
        for (const Received& r : sub.Got())
            n += r.topic.size() > 12 && r.topic.compare(r.topic.size() - 12, 12, "/measurement") == 0;
        return static_cast<long>(n) >= printedAll;
    });
    for (int i = 0; i < count; i++) sensors[i].Stop();

    std::vector<std::vector<long>> seqs(count);
    for (const Received& r : sub.Got()) {
        int n = 0;
        char leaf[32] = "";
        if (std::sscanf(r.topic.c_str(), "fleet/s%d/%31s", &n, leaf) != 2 || n < 1 || n > count) continue;
        if (std::string(leaf) == "measurement") seqs[n - 1].push_back(Member(r.payload, "seq"));
    }

    bool failed = false;
    double cpuAll = 0, rateMin = 1e9;
    long receivedAll = 0;
    std::printf("line  replies/s  %% of limit  requests  printed  received  in order  CPU %% of a core  status\n");
    for (int i = 0; i < count; i++) {
        Line l;
        std::vector<ReceivedFrame> m;
        for (const ReceivedFrame& f : sensors[i].Frames())
            if (f.command == sim::CMD_MEASURE) m.push_back(f);
        l.requests = m.size();
        if (m.size() > 1) l.rate = (m.size() - 1) / Seconds(m.back().received - m.front().received);
        l.printed = tools[i].lines;
        l.received = seqs[i].size();
        for (long s : seqs[i])
            if (s == l.inOrder + 1) l.inOrder++;
        l.cpu = (tools[i].cpu1 - tools[i].cpu0) / span;
        cpuAll += l.cpu;
        rateMin = std::min(rateMin, l.rate);
        receivedAll += static_cast<long>(l.received);
        const bool slow = l.rate < kMinShare * kLineLimit;
        const bool lost = publish && (static_cast<long>(l.received) != l.printed || l.inOrder != l.printed);
        const std::string err = ReadText(tools[i].errFile);
        failed = failed || slow || lost || tools[i].status != 0;
        std::printf("s%-3d  %9.2f  %10.1f  %8zu  %7ld  %8zu  %8ld  %15.2f  %d%s%s\n", i + 1, l.rate,
                    100 * l.rate / kLineLimit, l.requests, l.printed, l.received, l.inOrder, 100 * l.cpu,
                    tools[i].status, slow ? "  BELOW 97 %" : "", lost ? "  MESSAGES LOST" : "");
        if (err.find("did not reach") != std::string::npos || tools[i].status != 0)
            std::printf("      s%d said: %s", i + 1, err.c_str());
    }
    double lifeCpu = 0;
    for (const Tool& t : tools)
        lifeCpu += t.usage.ru_utime.tv_sec + t.usage.ru_stime.tv_sec +
                   1e-6 * (t.usage.ru_utime.tv_usec + t.usage.ru_stime.tv_usec);
    const double brokerCpu = (b1 - b0) / span;

    std::printf("targets: every line >= 97 %% of the line limit %.2f /s; no message lost while the broker is up\n",
                kLineLimit);
    if (!publish) std::printf("plain: the tools ran without --mqtt\n");
    std::printf(
        "mqtt_fleet: %d sensors for %.0f s: slowest line %.2f /s (%.1f %% of the line limit); %ld replies "
        "printed, %ld messages received\n",
        count, seconds, rateMin, 100 * rateMin / kLineLimit, printedAll, receivedAll);
    std::printf(
        "CPU while measuring (%.1f s, /proc utime+stime): kvormx-cli all %d %.2f %% of a core, %.2f %% per "
        "sensor; broker %.2f %% of a core; whole lives of the tools (start and flush included) %.2f CPU s\n",
        span, count, 100 * cpuAll, 100 * cpuAll / count, 100 * brokerCpu, lifeCpu);
    std::printf("%s\n", failed ? "mqtt_fleet: FAILED" : "mqtt_fleet: passed");
    return failed ? 1 : 0;
}
