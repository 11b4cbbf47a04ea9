// Start-up: from starting the kvormx process to its main panel shown, with
// the sensor identified, its parameter set read and its firmware text read,
// against the virtual sensor pacing a 19200-baud line as COM 1.
//
//   build/<release>/startup [runs, default 7]
//
// The program sits beside this benchmark; its option --exit-when-ready makes
// it print one line once the panel is painted and end there. Offscreen unless
// DISPLAY is set. Prints its figures as its last lines.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "link/link.h"
#include "runtime/util.h"
#include "sim/sensor.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

struct Run {
    double shown = -1;       // process start to the panel shown
    double identified = -1;  // process start to the firmware text's last byte on the line
};

Run StartOnce(const std::string& program, int* failures)
{
    Run r;
    VirtualSensor sensor;  // paced: the real line's byte times
    if (!sensor.Start(SensorOptions{})) {
        ++*failures;
        return r;
    }
    std::string mapping = std::string("1=") + sensor.SlavePath();
    int out[2];
    if (pipe(out) != 0) {
        ++*failures;
        return r;
    }
    const Clock::time_point start = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl(program.c_str(), program.c_str(), "--exit-when-ready", "--com", mapping.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buf[256];
    ssize_t n;
    while ((n = read(out[0], buf, sizeof buf)) > 0) {
        text.append(buf, static_cast<size_t>(n));
        if (text.find("kvormx: ready") != std::string::npos) {
            r.shown = Seconds(Clock::now() - start);
            break;
        }
    }
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (r.shown < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) ++*failures;

    bool firmware = false;
    for (const auto& f : sensor.Frames())
        if (f.command == CMD_VERSION && f.replied != Clock::time_point{}) {
            r.identified = Seconds(f.replied - start);
            firmware = true;
        }
    if (!firmware) ++*failures;  // the sensor was not identified: no figure worth having
    sensor.Stop();
    return r;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char dir[260] = "";
    GetProjectDir(dir);
    const std::string program = std::string(dir) + "/kvormx";
    if (access(program.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "startup: %s is missing; build the program first\n", program.c_str());
        return 1;
    }

    std::vector<double> shown, identified;
    int failures = 0;
    StartOnce(program, &failures);  // warm-up: libraries and fonts into the page cache
    failures = 0;
    for (int i = 0; i < runs; i++) {
        Run r = StartOnce(program, &failures);
        if (r.shown >= 0) shown.push_back(r.shown);
        if (r.identified >= 0) identified.push_back(r.identified);
    }
    const double lineTime = (36 * 2 * 3 + 36 + 72) * 10.0 / 19200.0;  // echo, hardware, parameters; firmware
    std::printf("startup: %d runs, %d failed; line time of the set-up exchanges %.3f s\n", runs, failures, lineTime);
    std::printf("startup: process start to sensor identified (firmware text read), median %.3f s, worst %.3f s\n",
                Median(identified), identified.empty() ? 0 : *std::max_element(identified.begin(), identified.end()));
    std::printf("startup: process start to panel shown, median %.3f s, worst %.3f s (target under 0.600 s)\n",
                Median(shown), shown.empty() ? 0 : *std::max_element(shown.begin(), shown.end()));
    return failures == 0 ? 0 : 1;
}
