// The exchange: one request on the line and the wait for its reply. Every
// conversation with the sensor goes through Exchange, so flushing, the busy
// guard, the wait with event processing, the difference between a reply
// frame and a raw block, and the receive callback that takes reply frames
// are written once.
//
// A reply is its byte count: a frame is the first 36 bytes that arrive after
// the request, a raw block the first N, whatever pauses lie between them, as
// long as they come within the time-out. USB adapters with a long latency
// timer, serial device servers and Bluetooth links pause inside replies, and
// the sensor's protocol allows it, so no rule here looks at the time between
// bytes.
//
// What the line may hold besides the reply, and what becomes of it:
//   * bytes before the request: flushed;
//   * a frame that comes while no exchange waits (an answer to a write, a
//     reply after its time-out): read and thrown away, never into pp;
//   * a reply still in flight after a time-out or a Stop: the next request
//     first waits for the line to settle;
//   * stray bytes right before a reply shift its words. Only the length
//     tells: a sensor sends no more than a frame, so more bytes than that
//     mean something else was on the line. The parameter reads doubt such a
//     reply (ReplyLongerThanFrame); run mode sends a reported teach value
//     and tolerance back only when they pass the range rules.
#include "link/health.h"
#include "link/link.h"
#include "link/trace.h"

#include "link/state.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <cstdio>

// A reply later than its time-out arrives within this long after it, or is
// taken as lost; the next request waits for a quiet line until then.
const double LATE_REPLY_SETTLE = 0.5;

static int g_waiting = 0;          // 1 while an exchange waits for its reply frame or block
static int g_rawWaiting = 0;       // bytes waiting when the last raw wait ended
static int g_burstExtra = 0;       // bytes beyond the frame in the last reply's burst so far
static double g_unsettledAt = -1;  // when an exchange was left with its reply maybe in flight

static void CallbackOn(void)
{
    InstallComCallback(com, eventMask, FRAME_BYTES, sync_word, RX_Receive_Function, 0);
}

static void CallbackOff(void)
{
    InstallComCallback(com, 0, FRAME_BYTES, sync_word, nullptr, 0);
}

// For the trace: the bytes waiting now, read so they can be shown; the
// caller flushes them as it would anyway.
static void TraceBytesFlushed(int port, const char* what)
{
    int waiting = GetInQLen(port);
    if (waiting <= 0) return;
    char bytes[SERIAL_BUF_LEN];
    int n = ComRd(port, bytes, waiting < SERIAL_BUF_LEN ? waiting : SERIAL_BUF_LEN);
    TraceDropped(what, bytes, n);
}

void RX_Receive_Function(int port, int events, void* /*data*/)
{
    if (!(events & LWRS_RECEIVE)) return;
    int waiting = GetInQLen(port);
    // The runtime calls us with 36 bytes waiting, but the device may vanish
    // between the notification and the read: a short read is no frame, and
    // decoding it would hand stale bytes to whoever waits as a fresh reply.
    int n = ComRd(port, szReadBuf, FRAME_BYTES);
    TraceFrameIn(szReadBuf, n, n == FRAME_BYTES && g_waiting);
    if (waiting > FRAME_BYTES && TraceActive()) TraceBytesFlushed(port, "after the frame, flushed");
    // A frame nobody waits for belongs to no request: it must not become
    // the payload of the next one.
    if (n == FRAME_BYTES && g_waiting) {
        GetRxBuf(PNUM);
        rx_flag = 1;
        graphrefresh = 1;
        g_burstExtra = waiting > FRAME_BYTES ? waiting - FRAME_BYTES : 0;
    }
    FlushInQ(port);  // bytes beyond the frame are discarded so the next frame starts clean
}

// Waits for the line to be quiet until the settle time after an exchange
// that was left waiting has passed; whatever still arrives is flushed.
static void SettleLine(void)
{
    const double started = Timer();
    for (;;) {
        double left = g_unsettledAt + LATE_REPLY_SETTLE - Timer();
        if (left <= 0.0 || Timer() - started > 2 * LATE_REPLY_SETTLE) break;
        if (WaitInQLen(com, 1, left) <= 0) break;  // quiet to the end, or the port is gone
        if (TraceActive()) TraceBytesFlushed(com, "late, after a time-out or stop: flushed");
        FlushInQ(com);
        g_unsettledAt = Timer();  // quiet only from here on
    }
    g_unsettledAt = -1;
}

// Waits for the frame the receive callback takes into pp.
static int WaitFrame(double limit, int flags)
{
    for (;;) {
        ProcessSystemEvents();
        tdiff = Timer() - tstart;
        // Stop wins over a reply taken in the same pass: the loop ends
        // without another request.
        if (((flags & EX_STOPPABLE) && stop_flag) || quit_flag) return EX_STOPPED;
        if (rx_flag == 1) return EX_REPLY;  // also when this pass ran past the limit
        if (ComPortGone(com) == 1) return EX_LOST;
        if (tdiff > limit) return EX_TIMEOUT;
    }
}

// Waits until `size` bytes are waiting, then reads everything that is (never
// more than szReadBuf holds). The port wakes the wait once the whole block is
// there, not at every piece. Without EX_EVENTS the wait blocks on the port
// and ends at once when the device is gone.
static int WaitBlock(int size, double limit, int flags)
{
    int count = 0;
    int result = EX_TIMEOUT;
    if (flags & EX_EVENTS) SetComWakeCount(com, size);
    for (;;) {
        if (flags & EX_EVENTS) {
            ProcessSystemEvents();
            count = GetInQLen(com);
        } else {
            double left = limit - (Timer() - tstart);
            count = WaitInQLen(com, size, left > 0.0 ? left + 0.001 : 0.0);
        }
        tdiff = Timer() - tstart;
        // Bytes that came before the device went are all there will be.
        if (count < size && ComPortGone(com) == 1) {
            result = EX_LOST;
            break;
        }
        if (tdiff > limit) break;
        if (((flags & EX_STOPPABLE) && stop_flag) || quit_flag) {
            result = EX_STOPPED;
            break;
        }
        if (count >= size || (count < 0 && !(flags & EX_EVENTS))) break;
    }
    if (flags & EX_EVENTS) SetComWakeCount(com, 1);
    g_rawWaiting = count;
    int want = count < 0 ? 0 : (count > SERIAL_BUF_LEN ? SERIAL_BUF_LEN : count);
    nBytesR = want > 0 ? ComRd(com, szReadBuf, want) : 0;
    if (nBytesR > 0 || result != EX_STOPPED) TraceBlockIn(szReadBuf, nBytesR, size);
    if (result == EX_STOPPED || result == EX_LOST) return result;
    if (nBytesR == size) return EX_REPLY;
    return nBytesR > size ? EX_LONG : EX_TIMEOUT;
}

// A wait that ended without its reply.
static void TraceOutcome(int result, double limit)
{
    char text[96];
    if (result == EX_TIMEOUT) {
        long ms = static_cast<long>(limit * 1000.0 + 0.5);
        std::snprintf(text, sizeof text, "TIMEOUT: no reply within %ld.%03ld s", ms / 1000, ms % 1000);
        TraceNote("--", text);
    } else if (result == EX_STOPPED) {
        TraceNote("--", "STOPPED: the wait ended with the loop");
    }
}

int Exchange(int command, const uint16_t* payload, int reply, double limit, int flags, ExchangeWritten written)
{
    if (g_waiting) return EX_BUSY;
    if (quit_flag) return EX_STOPPED;  // the program is ending: nothing more goes out
    if (ComPortGone(com) == 1) {
        g_rawWaiting = 0;
        return EX_LOST;
    }
    static const uint16_t kZero[PNUM] = {};
    const bool raw = reply > 0;

    if (g_unsettledAt >= 0) SettleLine();
    // A raw block has no frame: the receive callback would take its first
    // 36 bytes for one.
    if (raw) CallbackOff();
    order = command;
    FillTxBuf(order, payload ? payload : kZero);
    FlushOutQ(com);
    if (TraceActive()) TraceBytesFlushed(com, "before the request, flushed");
    FlushInQ(com);
    rx_flag = 0;
    g_burstExtra = 0;
    tstart = Timer();
    nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
    if (nBytesW < 0 && ComPortGone(com) == 1) {
        if (raw) CallbackOn();
        g_rawWaiting = 0;
        return EX_LOST;
    }
    TraceSent(command, reply, szWriteBuf, nBytesW);
    if (written) written(nBytesW);
    if (reply == REPLY_NONE) return nBytesW == FRAME_BYTES ? EX_WRITTEN : EX_WRITE_FAILED;

    g_waiting = 1;
    int result = raw ? WaitBlock(reply, limit, flags) : WaitFrame(limit, flags);
    g_waiting = 0;
    NoteExchange(result);
    if (result == EX_TIMEOUT || result == EX_STOPPED) g_unsettledAt = Timer();
    TraceOutcome(result, limit);
    if (raw) {
        // Whatever came after the block is no frame either.
        CallbackOn();
        FlushInQ(com);
        FlushOutQ(com);
        rx_flag = 0;
    }
    return result;
}

void SettleBeforeNextRequest(void)
{
    g_unsettledAt = Timer();
}

int ReplyLongerThanFrame(double look)
{
    if (g_burstExtra > 0) return 1;
    if (look <= 0.0) return 0;
    // Glued to the front, the surplus comes right behind the frame's last
    // byte; a few character times show it on every link that passes bytes on
    // as they come.
    return WaitInQLen(com, 1, look) > 0;
}

int RawBytesWaiting(void)
{
    return g_rawWaiting;
}

void EndOfLoop(void)
{
    CallbackOn();
    FlushInQ(com);
    // The output is left to go out: the loop's last request may still be on
    // its way, and a cut frame would run into the next request at the sensor.
    rx_flag = 0;
    graphrefresh = 0;
}

int BeginExchange(void)
{
    if (exchange_busy) return 0;
    exchange_busy = 1;
    return 1;
}

void EndExchange(void)
{
    exchange_busy = 0;
}
