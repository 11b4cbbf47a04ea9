// RS-232 library of the runtime: the part every build shares. The port
// table, each port's input queue, the calls of rs232.h, and the receive
// dispatch of the event loop; the line under them (com_port.h) is the
// termios port in the product and the in-memory line in the fuzz build.
//
// Bytes move from the line into the queue as soon as they arrive: a watcher
// of the line does it while the event loop waits, where the line has one, and
// GetInQLen, ComRd and the receive dispatch do it themselves, because the
// program also polls the queue length in loops that never process events.
//
// A reply is taken by its byte count, never by timing: bytes that arrive in
// pieces with pauses between them (a USB adapter's latency timer, a serial
// device server, a Bluetooth link) simply add up in the queue. So that the
// program does not wake for every byte as they trickle in, the line is told
// what the owner of the port waits for (LineWakeAt), and every wait still
// has its own time-out.
//
// Only LWRS_RECEIVE is delivered to receive callbacks; the event-character and
// output-empty bits are accepted in the mask and never raised, since the
// program acts on the receive notification alone.
//
// Index:
//   [SECTION] Port table and helpers
//   [SECTION] Open and close
//   [SECTION] Settings and flushes
//   [SECTION] Read, write, queue length
//   [SECTION] Receive callbacks

#include "runtime/com_port.h"
#include "runtime/port_events.h"
#include "runtime/util.h"

#include <cmath>
#include <string>

// ---- [SECTION] Port table and helpers -----------------------------------------------------------
ComPort g_comPorts[COM_MAX_PORTS + 1];

namespace {

// Common entry check of every per-port call: 0 when the port is open.
int CheckOpen(int port)
{
    if (!ComValidPort(port)) return RS_INVALID_PORT;
    if (!g_comPorts[port].open) return RS_PORT_NOT_OPEN;
    return 0;
}

void MarkDead(int port)
{
    ComPort& p = g_comPorts[port];
    if (p.dead) return;
    p.dead = true;
    // A hung-up line stays readable for ever; a watch left on would wake the
    // event loop on every pass.
    LineRoomChanged(port);
    PortsNoteDeadPort(port);
}

// What the port's owner waits for when no read of its own is under way: the
// receive callback's notification count, else the wake count. When the queue
// holds that much already, the event is due anyway and the count is left.
void UpdateWake(int port)
{
    const ComPort& p = g_comPorts[port];
    bool frameMode = p.callback && (p.eventMask & LWRS_RECEIVE);
    int need = (frameMode ? p.notifyCount : p.wakeCount) - p.queue.size();
    if (need > 0) LineWakeAt(port, need);
}

void ReleasePort(int port)
{
    LineClose(port);
    ComPort& p = g_comPorts[port];
    p.open = false;
    p.dead = false;
    p.timeout = kDefaultComTimeout;
    p.queue.reset(0);
    p.eventMask = 0;
    p.notifyCount = 0;
    p.callback = nullptr;
    p.callbackData = nullptr;
    p.inCallback = false;
    p.wakeCount = 1;
    ++p.generation;
}

}  // namespace

bool ComTakeIn(int port)
{
    ComPort& p = g_comPorts[port];
    if (p.dead) return false;
    char chunk[4096];
    while (p.queue.space() > 0) {
        int want = p.queue.space() < static_cast<int>(sizeof chunk) ? p.queue.space() : static_cast<int>(sizeof chunk);
        int n = LineRead(port, chunk, want);
        if (n > 0) {
            p.queue.push(chunk, n);
            // Fewer bytes than asked: the line is empty for now, and another
            // read would only say so (a system call on every byte that wakes
            // the loop).
            if (n < want) break;
            continue;
        }
        if (n == 0) break;
        MarkDead(port);
        return false;
    }
    LineRoomChanged(port);
    UpdateWake(port);
    return true;
}

// ---- [SECTION] Open and close -------------------------------------------------------------------
static std::string g_openCause;

const char* ComOpenCause(void)
{
    return g_openCause.c_str();
}

int ComOpenFailed(int code, const std::string& device, const std::string& reason)
{
    g_openCause = device + ": " + reason;
    return code;
}

int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits, int stopBits,
                  int inputQueueSize, int outputQueueSize)
{
    // Every parameter is checked before anything is touched.
    int invalid = ComCheckSettings(port, parity, dataBits, stopBits, inputQueueSize, outputQueueSize);
    if (invalid < 0) return invalid;
    if (!LineRateKnown(baudRate)) return RS_INVALID_PARAMETER;

    ComPort& p = g_comPorts[port];
    if (p.open) ReleasePort(port);

    g_openCause.clear();
    std::string device = (deviceName && deviceName[0]) ? deviceName : GetComDevice(port);
    if (device.empty()) return ComOpenFailed(RS_NO_PORT_FOUND, "(none)", "no device for this port");
    int rc = LineOpen(port, device, baudRate, parity, dataBits, stopBits);
    if (rc < 0) return rc;

    p.open = true;
    p.dead = false;
    p.wakeCount = 1;
    p.timeout = kDefaultComTimeout;
    p.queue.reset(inputQueueSize);
    ++p.generation;
    LineWatch(port);
    return 0;
}

int CloseCom(int port)
{
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    ReleasePort(port);
    return 0;
}

void ComCloseAll(void)
{
    for (int n = 1; n <= COM_MAX_PORTS; ++n)
        if (g_comPorts[n].open) ReleasePort(n);
}

// ---- [SECTION] Settings and flushes -------------------------------------------------------------
int SetComTime(int port, double seconds)
{
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    if (!(seconds >= 0.0) || !std::isfinite(seconds)) return RS_INVALID_PARAMETER;
    g_comPorts[port].timeout = seconds;
    return 0;
}

int SetCTSMode(int port, int mode)
{
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    return mode == 0 ? 0 : RS_INVALID_PARAMETER;
}

int FlushInQ(int port)
{
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    ComPort& p = g_comPorts[port];
    p.queue.clear();
    LineRoomChanged(port);
    if (p.dead) return RS_IO_ERROR;
    if (LineFlush(port, LINE_INPUT) != 0) return RS_IO_ERROR;
    UpdateWake(port);
    return 0;
}

int FlushOutQ(int port)
{
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    if (g_comPorts[port].dead) return RS_IO_ERROR;
    if (LineFlush(port, LINE_OUTPUT) != 0) return RS_IO_ERROR;
    return 0;
}

// ---- [SECTION] Read, write, queue length --------------------------------------------------------
int ComWrt(int port, const char* buffer, int count)
{
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    if (count < 0 || (count > 0 && !buffer)) return RS_INVALID_PARAMETER;
    ComPort& p = g_comPorts[port];
    if (p.dead) return RS_IO_ERROR;
    if (count == 0) return 0;

    int done = LineWrite(port, buffer, count, Timer() + p.timeout);
    if (done < 0) {
        MarkDead(port);
        return RS_IO_ERROR;
    }
    return done;  // fewer than asked when the time-out passed
}

int ComRd(int port, char* buffer, int count)
{
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    if (count < 0 || (count > 0 && !buffer)) return RS_INVALID_PARAMETER;
    ComPort& p = g_comPorts[port];

    // The queue holds the oldest bytes; once it is empty the line can be read
    // straight into the caller's buffer without reordering anything.
    int done = p.queue.pop(buffer, count);
    const double deadline = Timer() + p.timeout;
    while (done < count && !p.dead) {
        int n = LineRead(port, buffer + done, count - done);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n == 0) {
            int woke = LineWait(port, count - done, deadline);
            if (woke == 0) break;  // time-out: the caller gets the partial count
            if (woke > 0) continue;
        }
        MarkDead(port);
    }
    LineRoomChanged(port);
    UpdateWake(port);
    // Bytes that arrived before the device vanished are still delivered; the
    // error comes once there is nothing left to give.
    if (p.dead && done == 0 && count > 0) return RS_IO_ERROR;
    return done;
}

int GetInQLen(int port)
{
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    ComPort& p = g_comPorts[port];
    // A watched port has its bytes taken in by the event loop once the count
    // its owner waits for is there; taking pieces in here, pass after pass,
    // would only move the line's wake count back and forth. What the driver
    // holds is waiting all the same, and so is what a full queue left there.
    const bool watched = LineWatched(port);
    if (!watched) ComTakeIn(port);
    if (p.dead) return p.queue.size() > 0 ? p.queue.size() : RS_IO_ERROR;
    int len = p.queue.size();
    if (watched || p.queue.space() == 0) len += LineHeld(port);
    return len;
}

int WaitInQLen(int port, int count, double seconds)
{
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    if (!(seconds >= 0.0)) return RS_INVALID_PARAMETER;
    ComPort& p = g_comPorts[port];
    const double deadline = Timer() + seconds;
    int result;
    for (;;) {
        ComTakeIn(port);
        if (p.dead) {
            LineDeadWait(port);
            result = p.queue.size() > 0 ? p.queue.size() : RS_IO_ERROR;
            break;
        }
        if (p.queue.size() >= count || p.queue.space() == 0) {
            result = p.queue.size();
            break;
        }
        // One wake-up when the rest is there, however it trickles in.
        int woke = LineWait(port, count - p.queue.size(), deadline);
        if (woke == 0) {
            ComTakeIn(port);
            result = p.dead && p.queue.size() == 0 ? RS_IO_ERROR : p.queue.size();
            break;
        }
        if (woke < 0) {
            MarkDead(port);
            result = p.queue.size() > 0 ? p.queue.size() : RS_IO_ERROR;
            break;
        }
    }
    UpdateWake(port);
    return result;
}

int ComPortGone(int port)
{
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    ComPort& p = g_comPorts[port];
    // A line that knows without reading (the in-memory one) still hands over
    // what arrived before the device went, as a read would.
    if (!p.dead && LineGone(port)) {
        ComTakeIn(port);
        MarkDead(port);
    }
    return p.dead ? 1 : 0;
}

void ComMarkGone(int port)
{
    if (CheckOpen(port) == 0) MarkDead(port);
}

int SetComWakeCount(int port, int count)
{
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    ComPort& p = g_comPorts[port];
    if (count < 1 || count > p.queue.capacity()) return RS_INVALID_PARAMETER;
    p.wakeCount = count;
    UpdateWake(port);
    return 0;
}

// ---- [SECTION] Receive callbacks ----------------------------------------------------------------
int InstallComCallback(int port, int eventMask, int notifyCount, int eventCharacter, ComCallbackPtr callback,
                       void* callbackData)
{
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    ComPort& p = g_comPorts[port];
    if (eventMask == 0 || !callback) {
        p.eventMask = 0;
        p.callback = nullptr;
        p.callbackData = nullptr;
        UpdateWake(port);
        return 0;
    }
    if ((eventMask & LWRS_RECEIVE) && (notifyCount < 1 || notifyCount > p.queue.capacity()))
        return RS_INVALID_PARAMETER;  // a count the queue can never hold would never fire
    if ((eventMask & LWRS_RXFLAG) && (eventCharacter < 0 || eventCharacter > 255)) return RS_INVALID_PARAMETER;
    p.eventMask = eventMask;
    p.notifyCount = notifyCount;
    p.callback = callback;
    p.callbackData = callbackData;
    UpdateWake(port);
    return 0;
}

int ComDispatchPending(void)
{
    int ran = 0;
    for (int n = 1; n <= COM_MAX_PORTS; ++n) {
        ComPort& p = g_comPorts[n];
        if (!p.open || !p.callback || !(p.eventMask & LWRS_RECEIVE) || p.inCallback) continue;
        LineWatch(n);
        if (!LineWatched(n)) ComTakeIn(n);  // a watched port takes its bytes in itself (GetInQLen)
        if (p.queue.size() < p.notifyCount) continue;

        ComCallbackPtr fn = p.callback;
        void* data = p.callbackData;
        unsigned generation = p.generation;
        p.inCallback = true;
        fn(n, LWRS_RECEIVE, data);
        // The callback may have closed (or closed and reopened) its own port.
        if (p.generation == generation) p.inCallback = false;
        ++ran;
    }
    return ran;
}

int ComCallbackDue(void)
{
    for (int n = 1; n <= COM_MAX_PORTS; ++n) {
        const ComPort& p = g_comPorts[n];
        if (p.open && p.callback && (p.eventMask & LWRS_RECEIVE) && !p.inCallback && p.queue.size() >= p.notifyCount)
            return 1;
    }
    return 0;
}
