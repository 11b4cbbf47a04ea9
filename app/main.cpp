// Process entry: the command line, then the start-up sequence — runtime,
// both panels, program state, the sensor link — and the event loop until the
// operator closes the main panel.
#include "app/app.h"
#include "app/version.h"
#include "form/form.h"
#include "link/link.h"
#include "link/state.h"
#include "outputs/outputs.h"
#include "params/params.h"
#include "runtime/ports.h"
#include "runtime/rs232.h"
#include "runtime/settings.h"
#include "runtime/translate.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "sim/sensor.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static void Usage(FILE* out)
{
    std::fprintf(out,
                 TranslateUtf8("Usage: kvormx [--com N=DEVICE]... [--simulate] [--trace FILE] [--list-ports]\n"
                               "              [--by-id-dir DIR] [--settings FILE] [--mqtt URL [--mqtt-auth FILE]\n"
                               "              [--mqtt-client-id ID]] [--every N] [--interval S] [--language en|de]\n"
                               "              [--exit-when-ready]\n"
                               "Operating tool for the K-VOR-MX CCD line sensor on a serial line.\n\n"
                               "  --com N=DEVICE  list DEVICE as COM port N (1 to %d) and start on it; may be given\n"
                               "                  for several ports, each number once (the program starts on COM 1\n"
                               "                  if it is named, else on the first one named)\n"
                               "  --simulate      start a virtual sensor inside the program and connect COM 1 to it\n"
                               "                  (an explicit --com 1=DEVICE wins)\n"
                               "  --trace FILE    write every frame on the line to FILE, from the start-up on\n"
                               "                  (also switched on and off on the further-parameters panel)\n"
                               "  --list-ports    print the ports the program finds, one a line (number, device,\n"
                               "                  description), and end\n"
                               "  --by-id-dir DIR look for the stable names of USB adapters in DIR instead of\n"
                               "                  /dev/serial/by-id, and watch it (tests, trying out)\n"
                               "  --settings FILE keep the remembered port, folder and broker in FILE instead of\n"
                               "                  the per-user settings (tests)\n"
                               "  --mqtt URL      publish identity, parameters, measurements, pictures and status\n"
                               "                  to an MQTT broker: mqtt://HOST[:PORT]/PREFIX, or mqtts:// with\n"
                               "                  the system's certificate authorities (also set on the\n"
                               "                  further-parameters panel)\n"
                               "  --mqtt-auth FILE\n"
                               "                  user name (first line) and password (second line) for the broker\n"
                               "  --mqtt-client-id ID\n"
                               "                  the name the broker knows the program by (default\n"
                               "                  kvormx-HOST-PORTNAME, PORTNAME the device under /dev)\n"
                               "  --every N       publish and record one reply (picture) in N: the Nth, the 2Nth, ...\n"
                               "  --interval S    every S seconds a summary of the measured value (count, min, mean,\n"
                               "                  max, standard deviation, out of band, first and last time) on\n"
                               "                  PREFIX/summary and as a \"summary\" row of the recording\n"
                               "  --language en|de\n"
                               "                  the panels, status texts and help in English or German\n"
                               "                  (remembered; default: the desktop's language)\n"
                               "  --exit-when-ready\n"
                               "                  print \"kvormx: ready\" and end once the main panel is shown and\n"
                               "                  the sensor set-up is done (start-up timing, smoke tests)\n"
                               "  -h, --help      show this text\n"
                               "  --version       show the program version\n"),
                 COM_MAX_PORTS);
}

// Parses "N=DEVICE" into the port list: 0, 2 for a malformed mapping, 3 for
// a number named before.
static int MapPort(const char* arg, int* number)
{
    const char* eq = std::strchr(arg, '=');
    if (!eq || eq == arg || eq[1] == '\0') return 2;
    char* end = nullptr;
    long n = std::strtol(arg, &end, 10);
    if (end != eq || n < 1 || n > COM_MAX_PORTS) return 2;
    *number = static_cast<int>(n);
    int rc = AddComPort(*number, eq + 1);
    return rc == PORTS_NUMBER_TAKEN ? 3 : rc == 0 ? 0 : 2;
}

// SIGTERM and SIGINT close the window as its close box does: the recording's
// last rows, the trace and the broker's "offline" go out before the end.
static void Terminated(int)
{
    CC_PANEL(panelHandle, EVENT_CLOSE, nullptr, 0, 0);
}

// The value of an option given as "--name VALUE" or "--name=VALUE"; null
// when `a` is another option or the value is missing.
static const char* OptionValue(const char* name, int argc, char** argv, int* i)
{
    const char* a = argv[*i];
    size_t len = std::strlen(name);
    if (std::strncmp(a, name, len) != 0) return nullptr;
    if (a[len] == '=') return a + len + 1;
    if (a[len] != '\0') return nullptr;
    return *i + 1 < argc ? argv[++*i] : "";
}

int main(int argc, char** argv)
{
    bool simulate = false, exitWhenReady = false, listPorts = false;
    int namedPort = 0;  // the port the command line starts on (COM 1 when named, else the first)
    const char* tracePath = nullptr;
    const char* mqttUrl = nullptr;
    const char* mqttAuth = nullptr;
    const char* mqttClientId = nullptr;
    long every = 1;
    double interval = 0;
    const char* language = nullptr;
    // The help in the language asked for, or the remembered or desktop's one.
    for (int i = 1; i < argc; i++)
        if (std::strcmp(argv[i], "--settings") == 0 && i + 1 < argc) SetSettingsFile(argv[i + 1]);
    ChooseLanguage(nullptr);
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        const char* value = nullptr;
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            Usage(stdout);
            return 0;
        } else if (std::strcmp(a, "--version") == 0) {
            std::printf(SOFT_NAME " Version %s\n", KVORMX_VERSION);
            return 0;
        } else if (std::strcmp(a, "--simulate") == 0) {
            simulate = true;
        } else if (std::strcmp(a, "--trace") == 0 || std::strncmp(a, "--trace=", 8) == 0) {
            tracePath = a[7] == '=' ? a + 8 : (i + 1 < argc ? argv[++i] : nullptr);
            if (!tracePath || !*tracePath) {
                std::fprintf(stderr, "kvormx: --trace wants a file name\n");
                return 2;
            }
        } else if (std::strcmp(a, "--exit-when-ready") == 0) {
            exitWhenReady = true;
        } else if (std::strcmp(a, "--list-ports") == 0) {
            listPorts = true;
        } else if ((value = OptionValue("--mqtt", argc, argv, &i))) {
            if (!*value) {
                std::fprintf(stderr, "kvormx: --mqtt wants a URL\n");
                return 2;
            }
            mqttUrl = value;
        } else if ((value = OptionValue("--mqtt-auth", argc, argv, &i))) {
            if (!*value) {
                std::fprintf(stderr, "kvormx: --mqtt-auth wants a file\n");
                return 2;
            }
            mqttAuth = value;
        } else if ((value = OptionValue("--mqtt-client-id", argc, argv, &i))) {
            if (!*value || std::strlen(value) >= static_cast<size_t>(MQTT_CLIENT_ID_LEN)) {
                std::fprintf(stderr, "kvormx: --mqtt-client-id wants a name of 1 to %d bytes\n",
                             MQTT_CLIENT_ID_LEN - 1);
                return 2;
            }
            mqttClientId = value;
        } else if ((value = OptionValue("--every", argc, argv, &i))) {
            char* end = nullptr;
            every = std::strtol(value, &end, 10);
            if (!*value || *end || every < 1 || every > 1000000000L) {
                std::fprintf(stderr, "kvormx: --every wants a whole number of at least 1, not '%s'\n", value);
                return 2;
            }
        } else if ((value = OptionValue("--interval", argc, argv, &i))) {
            char* end = nullptr;
            interval = std::strtod(value, &end);
            if (!*value || *end || !(interval > 0) || interval > 1e9) {
                std::fprintf(stderr, "kvormx: --interval wants a time in seconds above 0, not '%s'\n", value);
                return 2;
            }
        } else if ((value = OptionValue("--language", argc, argv, &i))) {
            if (std::strcmp(value, "en") != 0 && std::strcmp(value, "de") != 0) {
                std::fprintf(stderr, "kvormx: --language wants en or de, not '%s'\n", value);
                return 2;
            }
            language = value;
        } else if ((value = OptionValue("--by-id-dir", argc, argv, &i))) {
            if (!*value) {
                std::fprintf(stderr, "kvormx: --by-id-dir wants a folder\n");
                return 2;
            }
            SetPortsByIdDir(value);
        } else if ((value = OptionValue("--settings", argc, argv, &i))) {
            if (!*value) {
                std::fprintf(stderr, "kvormx: --settings wants a file\n");
                return 2;
            }
            if (SetSettingsFile(value) != 0) {
                std::fprintf(stderr, "kvormx: --settings: %s is not a regular file\n", value);
                return 2;
            }
        } else if ((value = OptionValue("--com", argc, argv, &i))) {
            int number = 0;
            int rc = MapPort(value, &number);
            if (rc == 3) {
                std::fprintf(stderr, "kvormx: --com names COM %d twice\n", number);
                return 2;
            }
            if (rc != 0) {
                std::fprintf(stderr, "kvormx: --com wants N=DEVICE with N from 1 to %d, got '%s'\n", COM_MAX_PORTS,
                             value);
                return 2;
            }
            if (number == 1 || !namedPort) namedPort = number;
        } else {
            std::fprintf(stderr, "kvormx: unknown option '%s' (see kvormx --help)\n", a);
            return 2;
        }
    }

    if (language) ChooseLanguage(language);  // remembered in the settings chosen above

    if ((mqttAuth || mqttClientId) && !mqttUrl) {
        std::fprintf(stderr, "kvormx: %s needs --mqtt URL\n", mqttAuth ? "--mqtt-auth" : "--mqtt-client-id");
        return 2;
    }

    VirtualSensor sensor;
    if (simulate && namedPort != 1) {
        if (!sensor.Start(SensorOptions{})) {
            std::fprintf(stderr, "kvormx: the virtual sensor could not be started (no pseudo-terminal)\n");
            return 1;
        }
        AddComPort(1, sensor.SlavePath());
        namedPort = 1;
    }

    ScanPorts();
    if (listPorts) {
        int numbers[COM_MAX_PORTS];
        int count = ListedPorts(numbers, COM_MAX_PORTS);
        for (int i = 0; i < count; i++)
            std::printf("COM%d  %s  %s\n", numbers[i], GetComDevice(numbers[i]), PortDescription(numbers[i]));
        return 0;
    }
    MqttSetRate(every, interval);
    RecordSetRate(every, interval);
    SetMqttClientId(mqttClientId);
    if (mqttUrl) {
        char id[MQTT_CLIENT_ID_LEN];
        MqttClientIdFor(id, sizeof id, GetComDevice(StartPort(namedPort)));
        if (MqttStart(mqttUrl, mqttAuth, mqttClientId ? mqttClientId : id) != 0) {
            std::fprintf(stderr, "kvormx: %s\n", MqttError());
            return 2;
        }
    }

    // Every way out before the event loop stops the broker's client first
    // (its threads must not outlive main) and signs off with "offline".
    if (!InitRuntime(&argc, argv)) {
        std::fprintf(stderr, "kvormx: cannot start the user interface: %s\n", GetRuntimeError());
        MqttStop();
        return 1;
    }
    if (LoadPanels() < 0) {
        std::fprintf(stderr, "kvormx: cannot load the panels: %s\n", GetRuntimeError());
        CloseRuntime();
        MqttStop();
        return 1;
    }
    GetDefaultFileDir(proj_dir);
    RestoreParamFolder();
    InitVars();
    InitPublishing(mqttUrl, mqttAuth);
    com = StartPort(namedPort);
    FillPortRing();
    StartPortWatch();
    // The trace starts before the set-up, so its first lines are the line check.
    if (tracePath && StartTrace(tracePath) < 0) {
        std::fprintf(stderr, "kvormx: cannot write the trace: %s\n", TraceError());
        StopWatchingPorts();
        DiscardPanel(panelPopUp);
        DiscardPanel(panelHandle);
        CloseRuntime();
        MqttStop();
        return 1;
    }
    InstallSignalCallback(SIGTERM, Terminated);
    InstallSignalCallback(SIGINT, Terminated);
    exchange_busy = 1;  // nothing may start another exchange while the set-up runs
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

    RecordStop();  // the rows and trace lines still buffered go to their files
    TraceClose();
    StopWatchingPorts();
    CloseCom(com);  // normally closed by the panel already; harmless
    MqttStop();
    DiscardPanel(panelPopUp);
    DiscardPanel(panelHandle);
    CloseRuntime();
    return 0;
}
