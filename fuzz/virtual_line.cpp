// The RS-232 library of the runtime (runtime/rs232.h, runtime/port_events.h)
// on an in-memory line with a virtual clock, for the fuzz build. It keeps the
// contract of runtime/rs232.cpp call by call: the same error codes, the same
// input queue with its capacity, ComRd's port time-out, a vanished device reporting RS_IO_ERROR
// once the queue is empty, and receive callbacks run only from the event
// loop's dispatch. What differs is where bytes come from (VirtualLineSend,
// each with its arrival time) and that every wait is a jump of the clock.
//
// Index:
//   [SECTION] Ports, devices and the clock
//   [SECTION] Device map
//   [SECTION] Open and close
//   [SECTION] Settings and flushes
//   [SECTION] Read, write, queue length
//   [SECTION] Receive callbacks and the event loop's pass
//   [SECTION] The sensor's end

#include "fuzz/virtual_line.h"

#include "runtime/port_events.h"
#include "runtime/rs232.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <string>

// ============================================================================
// [SECTION] Ports, devices and the clock
// ============================================================================

namespace {

const double kDefaultTimeout = 2.0;        // seconds, until SetComTime says otherwise
// A real pass sleeps at most 10 ms. While nothing arrives the virtual
// pass doubles its step up to kMaxStep: the program's loops never depend on
// how long one pass takes, only on Timer(), and a time-out then takes a few
// dozen passes instead of fifteen hundred. A pass never lands past the next
// arrival, so no byte comes later than it would on a real line.
const double kFirstStep = 0.001;
const double kMaxStep = 0.064;
const double kPassCost = 20e-6;            // a pass is never free: time always moves on
// A wait on a port whose device is gone returns at once. A loop that polls
// such a port until its deadline would spin for ever on a clock that only
// waits move, so each of these returns lets a millisecond pass.
const double kDeadWaitCost = 0.001;
const double kNever = std::numeric_limits<double>::infinity();

struct Byte {
    double at;                             // arrival time
    char value;
};

// What sits behind a port number: the sensor's end and the bytes on the wire.
struct Device {
    bool attached = false;
    double vanishAt = kNever;              // the adapter is pulled at this time
    VirtualWriteFn onWrite = nullptr;
    void* data = nullptr;
    std::deque<Byte> wire;                 // on their way, in arrival order
};

struct Port {
    bool open = false;
    bool dead = false;                     // device vanished while open
    double timeout = kDefaultTimeout;
    int capacity = 0;
    std::deque<char> queue;
    int eventMask = 0;
    int notifyCount = 0;
    ComCallbackPtr callback = nullptr;
    void* callbackData = nullptr;
    bool inCallback = false;
    unsigned generation = 0;
};

Port g_ports[COM_MAX_PORTS + 1];
Device g_devices[COM_MAX_PORTS + 1];

double g_clock = 1000.0;                   // far from 0, which no program variable may take as "unset"
double g_step = kFirstStep;
long g_passes = 0;
void (*g_hook)(void*) = nullptr;
void* g_hookData = nullptr;
bool g_inHook = false;

bool ValidPort(int port) { return port >= 1 && port <= COM_MAX_PORTS; }

int CheckOpen(int port) {
    if (!ValidPort(port)) return RS_INVALID_PORT;
    if (!g_ports[port].open) return RS_PORT_NOT_OPEN;
    return 0;
}

bool Arrived(const Device& d) { return !d.wire.empty() && d.wire.front().at <= g_clock; }

bool Present(const Device& d) { return d.attached && g_clock < d.vanishAt; }

// Bytes that have arrived but found the queue full: the driver still holds them.
int ArrivedBeyondQueue(const Device& d) {
    int n = 0;
    for (const Byte& b : d.wire) {
        if (b.at > g_clock) break;
        n++;
    }
    return n;
}

void MarkDead(int port) {
    Port& p = g_ports[port];
    if (p.dead) return;
    p.dead = true;
    PortsNoteDeadPort(port);
}

// Moves what has arrived into the queue, as far as it has room.
void Drain(int port) {
    Port& p = g_ports[port];
    Device& d = g_devices[port];
    if (p.dead) return;
    while (Arrived(d) && static_cast<int>(p.queue.size()) < p.capacity) {
        p.queue.push_back(d.wire.front().value);
        d.wire.pop_front();
    }
    // A hang-up: what arrived before it is still read, then every transfer fails.
    if (g_clock >= d.vanishAt) MarkDead(port);
}

// The next thing that wakes a wait on the port: a byte or the hang-up.
double NextEvent(const Device& d) {
    double next = d.wire.empty() ? kNever : d.wire.front().at;
    return std::min(next, d.vanishAt);
}

// The earliest byte still to arrive on an open port; bytes for a closed port
// wake nothing.
double NextArrival(void) {
    double next = kNever;
    for (int n = 1; n <= COM_MAX_PORTS; ++n)
        if (g_ports[n].open && !g_ports[n].dead) next = std::min(next, NextEvent(g_devices[n]));
    return next;
}

void ReleasePort(Port& p) {
    p.open = false;
    p.dead = false;
    p.timeout = kDefaultTimeout;
    p.capacity = 0;
    p.queue.clear();
    p.eventMask = 0;
    p.notifyCount = 0;
    p.callback = nullptr;
    p.callbackData = nullptr;
    p.inCallback = false;
    ++p.generation;
}

bool KnownBaud(long baud) {
    static const long kRates[] = {50,     75,     110,    134,    150,     200,     300,     600,
                                  1200,   1800,   2400,   4800,   9600,    19200,   38400,   57600,
                                  115200, 230400, 460800, 500000, 576000,  921600,  1000000, 1152000,
                                  1500000, 2000000};
    return std::find(std::begin(kRates), std::end(kRates), baud) != std::end(kRates);
}

}  // namespace

// ============================================================================
// [SECTION] Open and close
// ============================================================================

static std::string g_openCause;

const char* ComOpenCause(void) { return g_openCause.c_str(); }

int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize) {
    int rc = ComCheckSettings(port, parity, dataBits, stopBits, inputQueueSize, outputQueueSize);
    if (rc < 0) return rc;
    if (!KnownBaud(baudRate)) return RS_INVALID_PARAMETER;

    Port& p = g_ports[port];
    if (p.open) ReleasePort(p);
    g_openCause.clear();
    std::string device = (deviceName && deviceName[0]) ? deviceName : GetComDevice(port);
    Device& d = g_devices[port];
    if (device.empty()) {
        g_openCause = "(none): no device for this port";
        return RS_NO_PORT_FOUND;
    }
    if (!Present(d)) {
        g_openCause = device + ": No such device";
        return RS_NO_PORT_FOUND;
    }

    // Whatever arrived before this open belongs to nobody (the flush on open);
    // bytes still on the wire come in as they would.
    while (Arrived(d)) d.wire.pop_front();
    p.open = true;
    p.capacity = inputQueueSize;
    ++p.generation;
    return 0;
}

int CloseCom(int port) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    ReleasePort(g_ports[port]);
    return 0;
}

void ComCloseAll(void) {
    for (int n = 1; n <= COM_MAX_PORTS; ++n)
        if (g_ports[n].open) ReleasePort(g_ports[n]);
}

// ============================================================================
// [SECTION] Settings and flushes
// ============================================================================

int SetComTime(int port, double seconds) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    if (!(seconds >= 0.0) || !std::isfinite(seconds)) return RS_INVALID_PARAMETER;
    g_ports[port].timeout = seconds;
    return 0;
}

int SetCTSMode(int port, int mode) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    return mode == 0 ? 0 : RS_INVALID_PARAMETER;
}

int FlushInQ(int port) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    Port& p = g_ports[port];
    Drain(port);
    p.queue.clear();
    if (p.dead) return RS_IO_ERROR;
    Device& d = g_devices[port];
    while (Arrived(d)) d.wire.pop_front();
    return 0;
}

int FlushOutQ(int port) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    Drain(port);
    return g_ports[port].dead ? RS_IO_ERROR : 0;   // a write is on the wire at once: nothing to discard
}

// ============================================================================
// [SECTION] Read, write, queue length
// ============================================================================

int ComWrt(int port, const char* buffer, int count) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    if (count < 0 || (count > 0 && !buffer)) return RS_INVALID_PARAMETER;
    Drain(port);
    if (g_ports[port].dead) return RS_IO_ERROR;
    Device& d = g_devices[port];
    if (d.onWrite && count > 0) d.onWrite(port, reinterpret_cast<const unsigned char*>(buffer), count, d.data);
    return count;
}

int ComRd(int port, char* buffer, int count) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    if (count < 0 || (count > 0 && !buffer)) return RS_INVALID_PARAMETER;
    Port& p = g_ports[port];
    Device& d = g_devices[port];

    int done = 0;
    while (done < count && !p.queue.empty()) {
        buffer[done++] = p.queue.front();
        p.queue.pop_front();
    }
    // Past the queue the bytes come straight off the wire, as a read on the
    // descriptor takes them.
    const double deadline = g_clock + p.timeout;
    while (done < count && !p.dead) {
        while (done < count && Arrived(d)) {
            buffer[done++] = d.wire.front().value;
            d.wire.pop_front();
        }
        if (done == count) break;
        if (g_clock >= d.vanishAt) {
            MarkDead(port);
            break;
        }
        double next = NextEvent(d);
        if (next > deadline) {
            g_clock = std::max(g_clock, deadline);
            break;
        }
        g_clock = std::max(g_clock, next);
    }
    if (p.dead && done == 0 && count > 0) return RS_IO_ERROR;
    return done;
}

int GetInQLen(int port) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    Port& p = g_ports[port];
    Drain(port);
    int size = static_cast<int>(p.queue.size());
    if (p.dead) return size > 0 ? size : RS_IO_ERROR;
    return size + ArrivedBeyondQueue(g_devices[port]);
}

int WaitInQLen(int port, int count, double seconds) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    if (!(seconds >= 0.0)) return RS_INVALID_PARAMETER;
    Port& p = g_ports[port];
    const Device& d = g_devices[port];
    const double deadline = g_clock + seconds;
    for (;;) {
        Drain(port);
        int size = static_cast<int>(p.queue.size());
        if (p.dead) {
            g_clock += kDeadWaitCost;
            return size > 0 ? size : RS_IO_ERROR;
        }
        if (size >= count || size == p.capacity) return size;
        double next = NextEvent(d);
        if (next > deadline) {
            g_clock = std::max(g_clock, deadline);
            Drain(port);
            return static_cast<int>(p.queue.size());
        }
        g_clock = std::max(g_clock, next);
    }
}

int ComPortGone(int port) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    Drain(port);
    return g_ports[port].dead ? 1 : 0;
}

int ComOpenFd(int /*port*/) {
    return -1;   // no descriptor: the port list finds no device of ours to compare
}

void ComMarkGone(int port) {
    if (CheckOpen(port) == 0) MarkDead(port);
}

// Waking is a matter of the real terminal's minimum byte count; the virtual
// clock wakes a wait at every arrival.
int SetComWakeCount(int port, int count) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    return count >= 1 && count <= g_ports[port].capacity ? 0 : RS_INVALID_PARAMETER;
}

// ============================================================================
// [SECTION] Receive callbacks and the event loop's wait
// ============================================================================

int InstallComCallback(int port, int eventMask, int notifyCount, int eventCharacter,
                       ComCallbackPtr callback, void* callbackData) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    Port& p = g_ports[port];
    if (eventMask == 0 || !callback) {
        p.eventMask = 0;
        p.callback = nullptr;
        p.callbackData = nullptr;
        return 0;
    }
    if ((eventMask & LWRS_RECEIVE) && (notifyCount < 1 || notifyCount > p.capacity))
        return RS_INVALID_PARAMETER;
    if ((eventMask & LWRS_RXFLAG) && (eventCharacter < 0 || eventCharacter > 255))
        return RS_INVALID_PARAMETER;
    p.eventMask = eventMask;
    p.notifyCount = notifyCount;
    p.callback = callback;
    p.callbackData = callbackData;
    return 0;
}

int ComDispatchPending(void) {
    int ran = 0;
    for (int n = 1; n <= COM_MAX_PORTS; ++n) {
        Port& p = g_ports[n];
        if (!p.open || !p.callback || !(p.eventMask & LWRS_RECEIVE) || p.inCallback) continue;
        Drain(n);
        if (static_cast<int>(p.queue.size()) < p.notifyCount) continue;

        ComCallbackPtr fn = p.callback;
        void* data = p.callbackData;
        unsigned generation = p.generation;
        p.inCallback = true;
        fn(n, LWRS_RECEIVE, data);
        if (p.generation == generation) p.inCallback = false;
        ++ran;
    }
    return ran;
}

int ComCallbackDue(void) {
    for (int n = 1; n <= COM_MAX_PORTS; ++n) {
        const Port& p = g_ports[n];
        if (p.open && p.callback && (p.eventMask & LWRS_RECEIVE) && !p.inCallback &&
            static_cast<int>(p.queue.size()) >= p.notifyCount)
            return 1;
    }
    return 0;
}

double ComVirtualClock(void) {
    return g_clock;
}

// The wait of every event-processing pass. The real one sleeps until a byte
// arrives or `seconds` pass; this one lets the clock move on as far, except
// that while nothing arrives its step doubles (see kMaxStep), whatever the
// caller asked for.
int ComWaitReadable(double /*seconds*/) {
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

// ============================================================================
// [SECTION] The sensor's end
// ============================================================================

void VirtualLineAttach(int port, VirtualWriteFn onWrite, void* data) {
    if (!ValidPort(port)) return;
    Device& d = g_devices[port];
    if (!Present(d)) d.wire.clear();
    d.attached = true;
    d.vanishAt = kNever;
    d.onWrite = onWrite;
    d.data = data;
}

void VirtualLineSend(int port, const unsigned char* bytes, int count, double at) {
    if (!ValidPort(port) || count <= 0) return;
    Device& d = g_devices[port];
    if (!d.attached) return;
    if (!d.wire.empty()) at = std::max(at, d.wire.back().at);
    if (at > d.vanishAt) return;   // the adapter is gone by then
    for (int i = 0; i < count; ++i) d.wire.push_back(Byte{at, static_cast<char>(bytes[i])});
}

void VirtualLineVanish(int port, double at) {
    if (!ValidPort(port)) return;
    Device& d = g_devices[port];
    at = std::max(at, g_clock);
    if (at >= d.vanishAt) return;
    d.vanishAt = at;
    while (!d.wire.empty() && d.wire.back().at > at) d.wire.pop_back();
}

double VirtualLineClock(void) {
    return g_clock;
}

void VirtualLineAdvance(double seconds) {
    if (seconds > 0) g_clock += seconds;
}

void VirtualLineSetPassHook(void (*fn)(void*), void* data) {
    g_hook = fn;
    g_hookData = data;
}

long VirtualLinePasses(void) {
    return g_passes;
}

void VirtualLineReset(void) {
    ComCloseAll();
    for (int n = 1; n <= COM_MAX_PORTS; ++n) g_devices[n] = Device{};
    g_hook = nullptr;
    g_hookData = nullptr;
    g_step = kFirstStep;
    g_clock += 5.0;
}
