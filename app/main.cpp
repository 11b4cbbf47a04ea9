// Process entry: the command line, then the start-up sequence — runtime,
// both panels, program state, the sensor link — and the event loop until the
// operator closes the main panel.
#include "app/app.h"
#include "app/panels.h"
#include "app/state.h"
#include "app/version.h"
#include "link/link.h"
#include "outputs/outputs.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "sim/sensor.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

static void Usage(FILE* out)
{
    std::fprintf(out,
                 "Usage: kvormx [--com N=DEVICE]... [--simulate] [--mqtt URL [--mqtt-auth FILE]]\n"
                 "Operating tool for the K-VOR-MX CCD line sensor on a serial line.\n\n"
                 "  --com N=DEVICE  use DEVICE for COM port N (default: COM n is /dev/ttyS<n-1>);\n"
                 "                  may be given for several ports\n"
                 "  --simulate      start a virtual sensor inside the program and connect COM 1 to it\n"
                 "                  (an explicit --com 1=DEVICE wins)\n"
                 "  --mqtt URL      publish identity, parameters, measurements, pictures and status\n"
                 "                  to an MQTT broker: mqtt://HOST[:PORT]/PREFIX, or mqtts:// with\n"
                 "                  the system's certificate authorities\n"
                 "  --mqtt-auth FILE\n"
                 "                  user name (first line) and password (second line) for the broker\n"
                 "  --exit-when-ready\n"
                 "                  print \"kvormx: ready\" and end once the main panel is shown and\n"
                 "                  the sensor set-up is done (start-up timing, smoke tests)\n"
                 "  --help          show this text\n"
                 "  --version       show the program version\n");
}

// Parses "N=DEVICE"; false for anything else.
static bool MapPort(const char* arg)
{
    const char* eq = std::strchr(arg, '=');
    if (!eq || eq == arg || eq[1] == '\0') return false;
    char* end = nullptr;
    long n = std::strtol(arg, &end, 10);
    if (end != eq) return false;
    return SetComDevice(static_cast<int>(n), eq + 1) == 0;
}

int main(int argc, char** argv)
{
    bool simulate = false, com1Given = false, exitWhenReady = false;
    const char* mqttUrl = nullptr;
    const char* mqttAuth = nullptr;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            Usage(stdout);
            return 0;
        } else if (std::strcmp(a, "--version") == 0) {
            std::printf(SOFT_NAME " Version %s\n", KVORMX_VERSION);
            return 0;
        } else if (std::strcmp(a, "--simulate") == 0) {
            simulate = true;
        } else if (std::strcmp(a, "--exit-when-ready") == 0) {
            exitWhenReady = true;
        } else if (std::strcmp(a, "--mqtt") == 0 || std::strcmp(a, "--mqtt-auth") == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "kvormx: %s wants a value\n", a);
                return 2;
            }
            (a[6] ? mqttAuth : mqttUrl) = argv[++i];
        } else if (std::strcmp(a, "--com") == 0 || std::strncmp(a, "--com=", 6) == 0) {
            const char* mapping = a[5] == '=' ? a + 6 : (i + 1 < argc ? argv[++i] : nullptr);
            if (!mapping || !MapPort(mapping)) {
                std::fprintf(stderr, "kvormx: --com wants N=DEVICE with N from 1 to %d, got '%s'\n",
                             COM_MAX_PORTS, mapping ? mapping : "");
                return 2;
            }
            if (std::strtol(mapping, nullptr, 10) == 1) com1Given = true;
        } else {
            std::fprintf(stderr, "kvormx: unknown option '%s'\n", a);
            Usage(stderr);
            return 2;
        }
    }

    if (mqttAuth && !mqttUrl) {
        std::fprintf(stderr, "kvormx: --mqtt-auth needs --mqtt URL\n");
        return 2;
    }
    if (mqttUrl && MqttStart(mqttUrl, mqttAuth) != 0) {
        std::fprintf(stderr, "kvormx: %s\n", MqttError());
        return 2;
    }

    VirtualSensor sensor;
    if (simulate && !com1Given) {
        if (!sensor.Start(SensorOptions{})) {
            std::fprintf(stderr, "kvormx: the virtual sensor could not be started (no pseudo-terminal)\n");
            return 1;
        }
        SetComDevice(1, sensor.SlavePath());
    }

    if (!InitRuntime(&argc, argv)) {
        std::fprintf(stderr, "kvormx: cannot start the user interface: %s\n", GetRuntimeError());
        return 1;
    }
    if (LoadPanels() < 0) {
        std::fprintf(stderr, "kvormx: cannot load the panels: %s\n", GetRuntimeError());
        CloseRuntime();
        return 1;
    }
    GetDefaultFileDir(proj_dir);
    InitVars();
    exchange_busy = 1;   // nothing may start another exchange while the set-up runs
    InitRS232(com);
    exchange_busy = 0;
    DisplayPanel(panelHandle);
    if (exitWhenReady) {
        // Everything an operator would wait for has happened: the set-up's
        // exchanges are over and one pass of event processing paints the panel.
        ProcessSystemEvents();
        std::printf("kvormx: ready\n");
        std::fflush(stdout);
    } else {
        RunUserInterface();
    }

    CloseCom(com);       // normally closed by the panel already; harmless
    MqttStop();
    DiscardPanel(panelPopUp);
    DiscardPanel(panelHandle);
    CloseRuntime();
    return 0;
}
