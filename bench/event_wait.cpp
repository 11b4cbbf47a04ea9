// What waiting costs: CPU of the program idling with its panel shown and the
// port watcher running (the machine's /dev and /dev/serial/by-id), CPU and
// passes of a loop that does nothing but process events, how fast a byte
// arriving on a port reaches its receive callback meanwhile, and the CPU of
// drawing the strip chart and the bar graph as often as run mode does.
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
#include "form/form.h"
#include "link/state.h"
#include "runtime/graph.h"
#include "runtime/ports.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "support/inspect.h"

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
    ScanPorts();
    int listed = ListedPorts(nullptr, 0);
    bool watching = StartPortWatch() == 0;
    DisplayPanel(panelHandle);

    // 1. The panel shown, the port watcher running, the event loop idle.
    const double idleSeconds = 5.0;
    double c0 = CpuSeconds(), t0 = Timer();
    AfterDelay(idleSeconds, Quit, nullptr);
    RunUserInterface();
    double idleCpu = (CpuSeconds() - c0) / (Timer() - t0);
    StopWatchingPorts();

    // 2. A loop with nothing to do but ProcessSystemEvents and nothing arriving:
    //    each pass should sleep about a millisecond, not spin.
    const double idleLoopSeconds = 3.0;
    long idlePasses = 0;
    c0 = CpuSeconds();
    t0 = Timer();
    while (Timer() - t0 < idleLoopSeconds) {
        ProcessSystemEvents();
        idlePasses++;
    }
    double idleLoopWall = Timer() - t0;
    double idleLoopCpu = (CpuSeconds() - c0) / idleLoopWall;

    // 3. The same loop while bytes arrive on a port every 10 ms from another thread.
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

    // 4. Run mode's drawing alone, 27 times a second: the five-trace history of
    //    the strip chart, then the bar graph afresh (bars, band, edge cursor).
    const double drawSeconds = 5.0;
    static double history[500];
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_VIDEO, ATTR_VISIBLE, 0);  // as run mode shows them
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_VISIBLE, 1);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_NUM_TRACES, 5);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH_RAW, ATTR_POINTS_PER_SCREEN, 101);
    for (int i = 0; i < 5; i++) ProcessSystemEvents();
    int renders0 = GraphRepaintCount(panelHandle, PANEL_GRAPH_RAW);
    int frames = 0;
    c0 = CpuSeconds();
    t0 = Timer();
    while (Timer() - t0 < drawSeconds) {
        double next = t0 + frames / 27.0;
        while (Timer() < next) ProcessSystemEvents();
        history[495 + frames % 5] = 300 + frames % 400;
        PlotStripChart(panelHandle, PANEL_GRAPH_RAW, history, 500, 0, 0, VAL_DOUBLE);
        DeleteGraphPlot(panelHandle, PANEL_GRAPH_BAR, VAL_ALL_PLOTS, 0);
        SetGraphCursor(panelHandle, PANEL_GRAPH_BAR, 1, 300 + frames % 400, 0.75);
        PlotRectangle(panelHandle, PANEL_GRAPH_BAR, 1, 0.25, 300 + frames % 400, 1, 0xFF0000, 0xFF0000);
        PlotRectangle(panelHandle, PANEL_GRAPH_BAR, 700, 0.25, 1024, 1, 0xFF0000, 0xFF0000);
        PlotRectangle(panelHandle, PANEL_GRAPH_BAR, 412, 0, 612, 0.35, 0x00FF00, 0x00FF00);
        frames++;
    }
    ProcessSystemEvents();
    double drawCpu = (CpuSeconds() - c0) / (Timer() - t0);
    int renders = GraphRepaintCount(panelHandle, PANEL_GRAPH_RAW) - renders0;

    std::printf("idle with panel shown, port watcher %s (%d ports listed): CPU %.2f %% of a core (%.0f s)\n",
                watching ? "running" : "NOT running", listed, 100 * idleCpu, idleSeconds);
    std::printf("idle ProcessSystemEvents loop: CPU %.2f %% of a core, %.2f ms a pass (%.0f s, nothing arriving)\n",
                100 * idleLoopCpu, 1e3 * idleLoopWall / std::max(1L, idlePasses), idleLoopSeconds);
    std::printf("ProcessSystemEvents loop: CPU %.2f %% of a core (%.0f s, a byte every 10 ms)\n", 100 * loopCpu,
                loopSeconds);
    std::printf("byte to receive callback: median %.3f ms, 99th percentile %.3f ms (%zu bytes)\n",
                1e3 * Percentile(g_latency, 0.5), 1e3 * Percentile(g_latency, 0.99), g_latency.size());
    std::printf(
        "run mode's drawing, 27 frames a second: CPU %.2f %% of a core, strip chart drawn %d times "
        "for %d frames (%.0f s)\n",
        100 * drawCpu, renders, frames, drawSeconds);
    DiscardPanel(panelPopUp);
    DiscardPanel(panelHandle);
    CloseRuntime();
    return 0;
}
