// What waiting costs: CPU of the program idling with its panel shown, CPU of
// a loop that does nothing but process events, and how fast a byte arriving
// on a port reaches its receive callback meanwhile.
//
//   build/release/event_wait            (offscreen unless DISPLAY is set)
//
// Prints its figures as its last lines.
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "app/app.h"
#include "app/panels.h"
#include "app/state.h"
#include "runtime/inspect.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

static double CpuSeconds()
{
    rusage u;
    getrusage(RUSAGE_THREAD, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

static std::atomic<double> g_written{0.0};
static std::vector<double> g_latency;

static void OnByte(int port, int, void*)
{
    double now = Timer();
    char c;
    ComRd(port, &c, 1);
    g_latency.push_back(now - g_written.load());
}

static void Quit(void*)
{
    QuitUserInterface(0);
}

static double Percentile(std::vector<double> v, double p)
{
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * (v.size() - 1))];
}

int main(int argc, char** argv)
{
    if (!getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!InitRuntime(&argc, argv) || LoadPanels() < 0) {
        std::fprintf(stderr, "event_wait: %s\n", GetRuntimeError());
        return 1;
    }
    InitVars();
    DisplayPanel(panelHandle);

    // 1. The panel shown, the event loop idle.
    const double idleSeconds = 5.0;
    double c0 = CpuSeconds(), t0 = Timer();
    AfterDelay(idleSeconds, Quit, nullptr);
    RunUserInterface();
    double idleCpu = (CpuSeconds() - c0) / (Timer() - t0);

    // 2. A loop with nothing to do but ProcessSystemEvents, while bytes
    //    arrive on a port every 10 ms from another thread.
    int master = -1, slave = -1;
    char name[128];
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return 1;
    termios t;
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    SetComDevice(1, name);
    if (OpenComConfig(1, "", 19200, 0, 8, 1, 4096, 4096) < 0) return 1;
    InstallComCallback(1, LWRS_RECEIVE, 1, 0, OnByte, nullptr);

    const double loopSeconds = 10.0;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        while (!done) {
            usleep(10000);
            g_written = Timer();
            char c = 'x';
            if (write(master, &c, 1) != 1) break;
        }
    });
    c0 = CpuSeconds();
    t0 = Timer();
    while (Timer() - t0 < loopSeconds) ProcessSystemEvents();
    double loopCpu = (CpuSeconds() - c0) / (Timer() - t0);
    done = true;
    writer.join();
    CloseCom(1);
    close(master);
    close(slave);

    std::printf("idle with panel shown: CPU %.2f %% of a core (%.0f s)\n", 100 * idleCpu, idleSeconds);
    std::printf("ProcessSystemEvents loop: CPU %.2f %% of a core (%.0f s, a byte every 10 ms)\n",
                100 * loopCpu, loopSeconds);
    std::printf("byte to receive callback: median %.3f ms, 99th percentile %.3f ms (%zu bytes)\n",
                1e3 * Percentile(g_latency, 0.5), 1e3 * Percentile(g_latency, 0.99), g_latency.size());
    DiscardPanel(panelPopUp);
    DiscardPanel(panelHandle);
    CloseRuntime();
    return 0;
}
