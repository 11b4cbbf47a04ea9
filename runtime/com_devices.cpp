// The serial library's device map and the check of an open's settings,
// beside the port table of com_queue.cpp: the same in every build, whether
// the line under the queue is the termios port or the fuzz build's.
#include "runtime/port_events.h"
#include "runtime/rs232.h"

#include <string>

namespace {

const int kMaxQueueSize = 1 << 20;  // a queue larger than this is a caller's mistake

std::string g_devices[COM_MAX_PORTS + 1];
bool g_devicesInitialised = false;

bool ValidPort(int port)
{
    return port >= 1 && port <= COM_MAX_PORTS;
}

void InitDevices()
{
    if (g_devicesInitialised) return;
    for (int n = 1; n <= COM_MAX_PORTS; ++n) g_devices[n] = "/dev/ttyS" + std::to_string(n - 1);
    g_devicesInitialised = true;
}

}  // namespace

int SetComDevice(int port, const char* device)
{
    if (!ValidPort(port)) return RS_INVALID_PORT;
    InitDevices();
    // Null restores the default; an empty text leaves the port without a device.
    g_devices[port] = device ? device : "/dev/ttyS" + std::to_string(port - 1);
    return 0;
}

const char* GetComDevice(int port)
{
    if (!ValidPort(port)) return "";
    InitDevices();
    return g_devices[port].c_str();
}

int ComCheckSettings(int port, int parity, int dataBits, int stopBits, int inputQueueSize, int outputQueueSize)
{
    if (!ValidPort(port)) return RS_INVALID_PORT;
    if (parity < 0 || parity > 2) return RS_INVALID_PARAMETER;
    if (dataBits < 5 || dataBits > 8) return RS_INVALID_PARAMETER;
    if (stopBits != 1 && stopBits != 2) return RS_INVALID_PARAMETER;
    if (inputQueueSize < 1 || inputQueueSize > kMaxQueueSize) return RS_INVALID_PARAMETER;
    // The output side is buffered by the driver; the size is only checked.
    if (outputQueueSize < 0 || outputQueueSize > kMaxQueueSize) return RS_INVALID_PARAMETER;
    return 0;
}
