// kvormx-sim: the virtual K-VOR-MX sensor as a stand-alone tool.
//
// The first line on stdout is the device to connect to, flushed at once so a
// script can read it and go on. SIGINT or SIGTERM end the tool cleanly;
// SIGUSR1 makes the sensor vanish, and the next SIGUSR1 brings it back on a
// new device, whose path is printed as a new line.
#include <signal.h>

#include <cstdio>
#include <string>

#include "sim/options.h"
#include "sim/sensor.h"

// The build gives the one version number of the project (CMakeLists.txt).
#ifndef KVORMX_VERSION
#error "KVORMX_VERSION comes from the build"
#endif

int main(int argc, char** argv)
{
    sim::ToolOptions opt;
    std::string error;
    if (sim::ParseToolArgs(argc, argv, &opt, &error) != 0) {
        std::fprintf(stderr, "kvormx-sim: %s\n%s", error.c_str(), sim::ToolUsage());
        return 2;
    }
    if (opt.help) {
        std::fputs(sim::ToolUsage(), stdout);
        return 0;
    }
    if (opt.version) {
        std::printf("kvormx-sim (K-VOR-MX-Zidad) Version %s\n", KVORMX_VERSION);
        return 0;
    }

    // Blocked before the sensor's thread exists, so that thread inherits the
    // mask and every signal reaches the sigwait below.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGUSR1);
    sigaddset(&set, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);

    VirtualSensor sensor;
    if (!sensor.Start(opt.sensor)) {
        std::fprintf(stderr, "kvormx-sim: cannot start the virtual sensor: %s\n", sensor.Error());
        return 1;
    }
    if (opt.frozen) sensor.FreezeScene(opt.freeze_at);
    std::printf("%s\n", sensor.SlavePath());
    std::fflush(stdout);

    for (;;) {
        int sig = 0;
        if (sigwait(&set, &sig) != 0) continue;
        if (sig != SIGUSR1) break;
        if (sensor.Running()) {
            sensor.Vanish();
            std::fprintf(stderr, "kvormx-sim: vanished\n");
        } else if (sensor.Reappear()) {
            std::printf("%s\n", sensor.SlavePath());
            std::fflush(stdout);
        } else {
            std::fprintf(stderr, "kvormx-sim: cannot come back\n");
        }
    }
    sensor.Stop();
    return 0;
}
