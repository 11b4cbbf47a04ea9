// How fast the service measures again after the sensor or its adapter comes
// back: `kvormx-cli watch --keep-going --mqtt` on a paced virtual sensor
// behind a by-id style link, one local mosquitto and a subscriber.
//
//   build/<release>/recovery [rounds, default 3] [silence in seconds, default 5]
//
// Each round: the sensor falls silent for the given time and answers again;
// then the adapter is pulled (device and link gone) for 2 s and plugged back.
// Measured from the return to the first measurement message the subscriber
// receives after it. Ends with status 1 when a return from silence takes
// longer than 12 s or one from a replug longer than 3 s.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "runtime/util.h"
#include "sim/sensor.h"
#include "support/broker.h"

namespace {

using Clock = std::chrono::steady_clock;

const double kSilenceLimit = 12.0;  // seconds from a silent sensor's return
const double kReplugLimit = 3.0;    // seconds from an adapter's return

double Since(Clock::time_point t)
{
    return std::chrono::duration<double>(Clock::now() - t).count();
}

pid_t StartTool(const std::vector<std::string>& args)
{
    char dir[260];
    GetProjectDir(dir);
    std::string exe = std::string(dir) + "/kvormx-cli";
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

// Seconds until the subscriber has more measurement messages than `count`
// (at most `limit`); -1 when none came.
size_t Measurements(Subscriber* sub)
{
    size_t n = 0;
    for (const Received& r : sub->Got())
        n += r.topic.size() > 12 && r.topic.compare(r.topic.size() - 12, 12, "/measurement") == 0;
    return n;
}

double AwaitMessage(Subscriber* sub, size_t count, double limit)
{
    Clock::time_point start = Clock::now();
    while (Since(start) < limit) {
        if (Measurements(sub) > count) return Since(start);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const double silence = argc > 2 ? std::max(1.0, std::atof(argv[2])) : 5.0;

    char folder[] = "/tmp/kvormx-recovery-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const std::string link = std::string(folder) + "/usb-KVOR_virtual_sensor_0001-if00";
    LocalBroker broker;
    if (!broker.Start()) {
        std::fprintf(stderr, "recovery: no local broker (mosquitto)\n");
        return 1;
    }
    VirtualSensor sensor;
    SensorOptions o;
    o.link = link;
    if (!sensor.Start(o)) {
        std::fprintf(stderr, "recovery: virtual sensor: %s\n", sensor.Error());
        return 1;
    }
    Subscriber sub(broker.port, "bench/#");
    if (!sub.WaitSubscribed(5.0)) {
        std::fprintf(stderr, "recovery: cannot subscribe\n");
        return 1;
    }
    pid_t tool = StartTool({"--port", link, "watch", "--keep-going", "--mqtt", broker.Url("bench")});
    int failed = 0;
    if (AwaitMessage(&sub, 0, 10.0) < 0) {
        std::fprintf(stderr, "recovery: no first measurement message\n");
        failed = 1;
    }
    std::vector<double> fromSilence, fromReplug;
    for (int r = 0; r < rounds && !failed; r++) {
        SensorFaults mute;
        mute.no_reply_every = 1;
        sensor.SetFaults(mute);
        std::this_thread::sleep_for(std::chrono::duration<double>(silence));
        size_t before = Measurements(&sub);
        sensor.SetFaults(SensorFaults{});
        double s = AwaitMessage(&sub, before, 30.0);
        fromSilence.push_back(s);

        sensor.Vanish();
        std::remove(link.c_str());
        std::this_thread::sleep_for(std::chrono::seconds(2));
        before = Measurements(&sub);
        sensor.Reappear();
        double p = AwaitMessage(&sub, before, 30.0);
        fromReplug.push_back(p);
        std::printf(
            "round %d: silent %.0f s, first message %.2f s after its return; adapter replugged, first "
            "message %.2f s after\n",
            r + 1, silence, s, p);
        std::fflush(stdout);
        if (s < 0 || s > kSilenceLimit || p < 0 || p > kReplugLimit) failed = 1;
    }
    kill(tool, SIGTERM);
    int status = 0;
    waitpid(tool, &status, 0);
    sensor.Stop();
    std::remove(link.c_str());
    rmdir(folder);
    auto worst = [](const std::vector<double>& v) { return v.empty() ? -1.0 : *std::max_element(v.begin(), v.end()); };
    std::printf(
        "recovery: after %.0f s of silence worst %.2f s (limit %.0f); after a replug worst %.2f s (limit %.0f)"
        ": %s\n",
        silence, worst(fromSilence), kSilenceLimit, worst(fromReplug), kReplugLimit, failed ? "FAILS" : "passes");
    return failed;
}
