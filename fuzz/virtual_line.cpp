// The line under the RS-232 library's queue (runtime/com_port.h) in the fuzz
// build: an in-memory wire with a virtual clock, linked in place of the
// termios port of runtime/rs232.cpp. The port table, the input queue, the
// calls of runtime/rs232.h and the receive dispatch are those of
// runtime/com_queue.cpp, the code that ships. What differs is where bytes come
// from (VirtualLineSend, each with its arrival time) and that every wait is a
// jump of the clock.
//
// Index:
//   [SECTION] Devices and the clock
//   [SECTION] The line
//   [SECTION] The event loop's wait
//   [SECTION] The sensor's end

#include "fuzz/virtual_line.h"

#include "runtime/com_port.h"
#include "runtime/port_events.h"
#include "runtime/rs232.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <string>

// ---- [SECTION] Devices and the clock ------------------------------------------------------------
namespace {

// A real pass sleeps at most 10 ms. While nothing arrives the virtual
// pass doubles its step up to kMaxStep: the program's loops never depend on
// how long one pass takes, only on Timer(), and a time-out then takes a few
// dozen passes instead of fifteen hundred. A pass never lands past the next
// arrival, so no byte comes later than it would on a real line.
const double kFirstStep = 0.001;
const double kMaxStep = 0.064;
const double kPassCost = 20e-6;  // a pass is never free: time always moves on
// A wait on a port whose device is gone returns at once. A loop that polls
// such a port until its deadline would spin for ever on a clock that only
// waits move, so each of these returns lets a millisecond pass.
const double kDeadWaitCost = 0.001;
const double kNever = std::numeric_limits<double>::infinity();

struct Byte {
    double at;  // arrival time
    char value;
};

// What sits behind a port number: the sensor's end and the bytes on the wire.
struct Device {
    bool attached = false;
    double vanishAt = kNever;  // the adapter is pulled at this time
    VirtualWriteFn onWrite = nullptr;
    void* data = nullptr;
    std::deque<Byte> wire;  // on their way, in arrival order
};

Device g_devices[COM_MAX_PORTS + 1];

double g_clock = 1000.0;  // far from 0, which no program variable may take as "unset"
double g_step = kFirstStep;
long g_passes = 0;
void (*g_hook)(void*) = nullptr;
void* g_hookData = nullptr;
bool g_inHook = false;

bool Arrived(const Device& d)
{
    return !d.wire.empty() && d.wire.front().at <= g_clock;
}

bool Vanished(const Device& d)
{
    return g_clock >= d.vanishAt;
}

bool Present(const Device& d)
{
    return d.attached && !Vanished(d);
}

// Drops what has arrived: the driver's input flushed.
void DropArrived(Device& d)
{
    while (Arrived(d)) d.wire.pop_front();
}

// The next thing that wakes a wait on the port: a byte or the hang-up.
double NextEvent(const Device& d)
{
    double next = d.wire.empty() ? kNever : d.wire.front().at;
    return std::min(next, d.vanishAt);
}

// The earliest byte still to arrive on an open port; bytes for a closed port
// wake nothing.
double NextArrival(void)
{
    double next = kNever;
    for (int n = 1; n <= COM_MAX_PORTS; ++n)
        if (g_comPorts[n].open && !g_comPorts[n].dead) next = std::min(next, NextEvent(g_devices[n]));
    return next;
}

}  // namespace

// ---- [SECTION] The line -------------------------------------------------------------------------
// The rates the termios port can be set to: the line has no rate of its own,
// but the program is to meet the same refusals.
bool LineRateKnown(long baudRate)
{
    static const long kRates[] = {50,     75,     110,    134,    150,     200,     300,     600,    1200,
                                  1800,   2400,   4800,   9600,   19200,   38400,   57600,   115200, 230400,
                                  460800, 500000, 576000, 921600, 1000000, 1152000, 1500000, 2000000};
    return std::find(std::begin(kRates), std::end(kRates), baudRate) != std::end(kRates);
}

int LineOpen(int port, const std::string& device, long, int, int, int)
{
    Device& d = g_devices[port];
    if (!Present(d)) return ComOpenFailed(RS_NO_PORT_FOUND, device, "No such device");
    // Whatever arrived before this open belongs to nobody (the flush on open);
    // bytes still on the wire come in as they would.
    DropArrived(d);
    return 0;
}

void LineClose(int) {}

// Past the queue the bytes come straight off the wire, as a read on the
// descriptor takes them; once the device is gone and nothing that arrived
// before is left, the read says so, as a hung-up terminal's does.
int LineRead(int port, char* buffer, int count)
{
    Device& d = g_devices[port];
    int n = 0;
    while (n < count && Arrived(d)) {
        buffer[n++] = d.wire.front().value;
        d.wire.pop_front();
    }
    if (n == 0 && Vanished(d)) return -1;
    return n;
}

// The clock jumps to the next arrival (every byte wakes the wait, whatever
// the count) or the hang-up, or to the deadline when neither comes first.
int LineWait(int port, int, double deadline)
{
    double next = NextEvent(g_devices[port]);
    if (next > deadline) {
        g_clock = std::max(g_clock, deadline);
        return 0;
    }
    g_clock = std::max(g_clock, next);
    return 1;
}

// A write is on the wire at once: the sensor's end hears it now.
int LineWrite(int port, const char* buffer, int count, double)
{
    Device& d = g_devices[port];
    if (Vanished(d)) return -1;
    if (d.onWrite) d.onWrite(port, reinterpret_cast<const unsigned char*>(buffer), count, d.data);
    return count;
}

int LineFlush(int port, LineSide side)
{
    Device& d = g_devices[port];
    if (Vanished(d)) return -1;
    if (side == LINE_INPUT) DropArrived(d);  // the output side holds nothing to discard
    return 0;
}

// Bytes that have arrived but found the queue full: the driver still holds them.
int LineHeld(int port)
{
    int n = 0;
    for (const Byte& b : g_devices[port].wire) {
        if (b.at > g_clock) break;
        n++;
    }
    return n;
}

// Waking is a matter of the real terminal's minimum byte count; the virtual
// clock wakes a wait at every arrival. Nothing watches the line either: the
// queue takes its bytes in whenever it is asked.
void LineWakeAt(int, int) {}
void LineWatch(int) {}
bool LineWatched(int)
{
    return false;
}
void LineRoomChanged(int) {}

// The line knows when its adapter is pulled; a real port learns it from a read
// or from the port list.
bool LineGone(int port)
{
    return Vanished(g_devices[port]);
}

void LineDeadWait(int)
{
    g_clock += kDeadWaitCost;
}

// ---- [SECTION] The event loop's wait ------------------------------------------------------------
int ComOpenFd(int /*port*/)
{
    return -1;  // no descriptor: the port list finds no device of ours to compare
}

double ComVirtualClock(void)
{
    return g_clock;
}

// The wait of every event-processing pass. The real one sleeps until a byte
// arrives or `seconds` pass; this one lets the clock move on as far, except
// that while nothing arrives its step doubles (see kMaxStep), whatever the
// caller asked for.
int ComWaitReadable(double /*seconds*/)
{
    ++g_passes;
    if (g_hook && !g_inHook) {
        g_inHook = true;
        g_hook(g_hookData);
        g_inHook = false;
    }
    const double next = NextArrival();
    double to = g_clock + g_step;
    const bool arrives = next <= to;
    if (arrives) to = std::max(next, g_clock + kPassCost);
    g_clock = to;
    g_step = arrives ? kFirstStep : std::min(2 * g_step, kMaxStep);
    return arrives ? 1 : 0;
}

// ---- [SECTION] The sensor's end -----------------------------------------------------------------
void VirtualLineAttach(int port, VirtualWriteFn onWrite, void* data)
{
    if (!ComValidPort(port)) return;
    Device& d = g_devices[port];
    if (!Present(d)) d.wire.clear();
    d.attached = true;
    d.vanishAt = kNever;
    d.onWrite = onWrite;
    d.data = data;
}

void VirtualLineSend(int port, const unsigned char* bytes, int count, double at)
{
    if (!ComValidPort(port) || count <= 0) return;
    Device& d = g_devices[port];
    if (!d.attached) return;
    if (!d.wire.empty()) at = std::max(at, d.wire.back().at);
    if (at > d.vanishAt) return;  // the adapter is gone by then
    for (int i = 0; i < count; ++i) d.wire.push_back(Byte{at, static_cast<char>(bytes[i])});
}

void VirtualLineVanish(int port, double at)
{
    if (!ComValidPort(port)) return;
    Device& d = g_devices[port];
    at = std::max(at, g_clock);
    if (at >= d.vanishAt) return;
    d.vanishAt = at;
    while (!d.wire.empty() && d.wire.back().at > at) d.wire.pop_back();
}

double VirtualLineClock(void)
{
    return g_clock;
}

void VirtualLineAdvance(double seconds)
{
    if (seconds > 0) g_clock += seconds;
}

void VirtualLineSetPassHook(void (*fn)(void*), void* data)
{
    g_hook = fn;
    g_hookData = data;
}

long VirtualLinePasses(void)
{
    return g_passes;
}

void VirtualLineReset(void)
{
    ComCloseAll();
    for (int n = 1; n <= COM_MAX_PORTS; ++n) g_devices[n] = Device{};
    g_hook = nullptr;
    g_hookData = nullptr;
    g_step = kFirstStep;
    g_clock += 5.0;
}
