// The line to the sensor for one subcommand: the port named by the common
// options (or the virtual sensor), the line check every subcommand begins
// with, the reads that put the program in the state kvormx reaches after its
// set-up, and what a failed exchange is reported as.
#include "cli/cli.h"

#include "link/health.h"
#include "link/link.h"
#include "outputs/outputs.h"
#include "runtime/ports.h"
#include "runtime/rs232.h"
#include "sim/sensor.h"

#include <strings.h>
#include <cstdio>
#include <cstring>

static VirtualSensor g_sensor;      // --simulate
static int g_portsMapped = 0;       // MapPorts has run
static int g_open = 0;              // the port `com` is open
static char g_name[PATH_LEN + 32];  // the line as messages name it

// "3", "COM3", "com3": the number; 0 when the text is no COM number at all
// (a device path), -1 for a number out of range.
static int ComNumber(const char* text)
{
    if (strncasecmp(text, "COM", 3) == 0) text += 3;
    if (*text == '\0') return 0;
    long n = 0;
    for (const char* p = text; *p; p++) {
        if (*p < '0' || *p > '9') return 0;
        n = n * 10 + (*p - '0');
        if (n > COM_MAX_PORTS) return -1;
    }
    return n >= 1 ? static_cast<int>(n) : -1;
}

// The COM number of the common options, its device mapped: the ports are
// numbered as kvormx numbers them (on-board ttyS<k> is COM k+1, USB adapters
// under their by-id names take the lowest free numbers), and the virtual
// sensor or a device path become COM 1. 0 for a number out of range, -1
// when the virtual sensor could not start.
static int MapPorts(void)
{
    static int port = 1;
    if (g_portsMapped) return port;
    if (cliSimulate) {
        if (!g_sensor.Start(SensorOptions{})) return -1;
        AddComPort(1, g_sensor.SlavePath());
        std::snprintf(g_name, sizeof g_name, "the virtual sensor (%s)", g_sensor.SlavePath());
    } else if (cliPort[0]) {
        int n = ComNumber(cliPort);
        if (n < 0) return 0;
        if (n > 0) {
            port = n;
        } else {
            AddComPort(1, cliPort);
            std::snprintf(g_name, sizeof g_name, "%s", cliPort);
        }
    }
    ScanPorts();
    if (!g_name[0]) std::snprintf(g_name, sizeof g_name, "COM%d (%s)", port, GetComDevice(port));
    g_portsMapped = 1;
    return port;
}

const char* LineName(void)
{
    return g_name;
}

int LinePort(void)
{
    int port = MapPorts();
    return port > 0 ? port : 0;
}

// The trace begins with the first request, once the command line has
// proved good and the port is known: its header names the device opened,
// and a mistyped command leaves an old trace as it was.
static int StartTrace(void)
{
    static int started = 0;
    if (!cliTrace[0] || started) return EXIT_DONE;
    started = 1;
    if (TraceOpen(cliTrace) < 0) {
        Message("cannot write the trace: %s", TraceError());
        return EXIT_USAGE;
    }
    return EXIT_DONE;
}

int OpenPort(int* openResult)
{
    *openResult = 0;
    int port = MapPorts();
    if (port == 0) return UsageError(nullptr, "--port: '%s' is no COM number from 1 to %d", cliPort, COM_MAX_PORTS);
    if (port < 0) {
        Message("the virtual sensor could not be started: no pseudo-terminal");
        return EXIT_PORT;
    }
    com = port;
    int status = StartTrace();
    if (status != EXIT_DONE) return status;
    if (g_open) CloseCom(com);
    g_open = 0;
    int rc = OpenSensorPort(port);
    if (rc < 0) {
        *openResult = rc;
        // The serial library's code says what kind of failure, its cause text
        // why ("DEVICE: reason"; the device is in the line's name already).
        // errno is not it: after a device that is no terminal it holds ENOTTY.
        const char* cause = ComOpenCause();
        const char* device = GetComDevice(port);
        size_t n = std::strlen(device);
        if (n && std::strncmp(cause, device, n) == 0 && std::strncmp(cause + n, ": ", 2) == 0) cause += n + 2;
        if (cause[0])
            Message("cannot open %s: %s - %s", g_name, PortErrorText(rc), cause);
        else
            Message("cannot open %s: %s", g_name, PortErrorText(rc));
        return EXIT_PORT;
    }
    g_open = 1;
    NoteSetUp();
    return EXIT_DONE;
}

int CheckLine(void)
{
    if (CheckComLine(com)) return EXIT_DONE;
    if (nBytesW == FRAME_BYTES && rx_flag) {
        Message("%s: line check (echo frame): the echo carries the sync word 0x%04X, not 0x00AA", g_name,
                static_cast<unsigned>(pp[0]));
        return EXIT_SENSOR;
    }
    return ExchangeFailed("line check (echo frame)", OP_LINE_CHECK, EX_TIMEOUT);
}

int OpenLine(void)
{
    int rc = 0;
    int status = OpenPort(&rc);
    return status == EXIT_DONE ? CheckLine() : status;
}

void ClosePort(void)
{
    if (g_open) CloseCom(com);
    g_open = 0;
}

void CloseLine(void)
{
    ClosePort();
    if (g_sensor.Running()) g_sensor.Stop();
}

int StageParameters(void)
{
    int r = ReadParameterSet(RAM);
    if (r != EX_REPLY) return ExchangeFailed("parameter read from RAM", OP_PARAMETERS, r);
    CopyPPtoVars();
    return EXIT_DONE;
}

int Identify(void)
{
    if (ReadHardwareInfo()) return EXIT_DONE;
    if (nBytesW == FRAME_BYTES && rx_flag) {
        Message("%s: hardware identification: the reply carries the command word %u, not %d", g_name,
                static_cast<unsigned>(GetWord(szReadBuf + 2)), CMD_HARDWARE_INFO);
        return EXIT_SENSOR;
    }
    return ExchangeFailed("hardware identification", OP_HARDWARE, EX_TIMEOUT);
}

int ReadFirmware(void)
{
    int bytes = ReadFirmwareText();
    if (bytes == FIRMWARE_BYTES) return EXIT_DONE;
    return ExchangeFailed("firmware text", OP_FIRMWARE, bytes > FIRMWARE_BYTES ? EX_LONG : EX_TIMEOUT);
}

int ExchangeFailed(const char* what, int operation, int r)
{
    const char* text = ResultText(operation, r);
    // The service goes on after it: a warning there, not an error.
    Say(cliService ? LOG_LEVEL_WARNING : LOG_LEVEL_ERR, "%s: %s: %s%s%s", g_name, what, text, text[0] ? " - " : "",
        ResultDetail(operation, r));
    return EXIT_SENSOR;
}

void ListPorts(void (*each)(int port, const char* device, const char* description))
{
    if (MapPorts() <= 0) return;
    int numbers[COM_MAX_PORTS];
    int count = ListedPorts(numbers, COM_MAX_PORTS);
    for (int i = 0; i < count; i++) each(numbers[i], GetComDevice(numbers[i]), PortDescription(numbers[i]));
}

void ClientIdFor(char* id, int size)
{
    MqttClientIdFor(id, size, GetComDevice(LinePort() ? LinePort() : 1));
}
