// The exchange: one request on the line and the wait for its reply. Every
// conversation with the sensor goes through Exchange, so flushing, the busy
// guard, the wait with event processing and the difference between a reply
// frame and a raw block are written once.
#include "link/link.h"

#include "app/state.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

static int g_waiting = 0;     // 1 while an exchange waits on the line
static int g_rawWaiting = 0;  // bytes waiting when the last raw wait ended

static void CallbackOn(void)
{
    InstallComCallback(com, eventMask, FRAME_BYTES, sync_word, RX_Receive_Function, 0);
}

static void CallbackOff(void)
{
    InstallComCallback(com, 0, FRAME_BYTES, sync_word, nullptr, 0);
}

// Waits for the frame the receive callback takes into pp.
static int WaitFrame(double limit, int flags)
{
    for (;;) {
        ProcessSystemEvents();
        tdiff = Timer() - tstart;
        // Stop wins over a reply taken in the same pass: the loop ends
        // without another request.
        if ((flags & EX_STOPPABLE) && stop_flag) return EX_STOPPED;
        if (rx_flag == 1) return EX_REPLY;   // also when this pass ran past the limit
        if (tdiff > limit) return EX_TIMEOUT;
    }
}

// Waits until `size` bytes are waiting, then reads everything that is (never
// more than szReadBuf holds).
static int WaitBlock(int size, double limit, int flags)
{
    int count = 0;
    int result = EX_TIMEOUT;
    for (;;) {
        if (flags & EX_EVENTS) ProcessSystemEvents();
        count = GetInQLen(com);
        tdiff = Timer() - tstart;
        if (tdiff > limit) break;
        if ((flags & EX_STOPPABLE) && stop_flag) {
            result = EX_STOPPED;
            break;
        }
        if (count >= size) break;
    }
    g_rawWaiting = count;
    int want = count < 0 ? 0 : (count > SERIAL_BUF_LEN ? SERIAL_BUF_LEN : count);
    nBytesR = want > 0 ? ComRd(com, szReadBuf, want) : 0;
    if (result == EX_STOPPED) return result;
    if (nBytesR == size) return EX_REPLY;
    return nBytesR > size ? EX_LONG : EX_TIMEOUT;
}

int Exchange(int command, const uint16_t* payload, int reply, double limit, int flags,
             ExchangeWritten written)
{
    if (g_waiting) return EX_BUSY;
    static const uint16_t kZero[PNUM] = {};
    const bool raw = reply > 0;

    // A raw block has no frame: the receive callback would take its first
    // 36 bytes for one.
    if (raw) CallbackOff();
    order = command;
    FillTxBuf(order, payload ? payload : kZero);
    FlushOutQ(com);
    FlushInQ(com);
    rx_flag = 0;
    tstart = Timer();
    nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
    if (written) written(nBytesW);
    if (reply == REPLY_NONE) return nBytesW == FRAME_BYTES ? EX_WRITTEN : EX_WRITE_FAILED;

    g_waiting = 1;
    int result = raw ? WaitBlock(reply, limit, flags) : WaitFrame(limit, flags);
    g_waiting = 0;
    if (raw) {
        // Whatever came after the block is no frame either.
        CallbackOn();
        FlushInQ(com);
        FlushOutQ(com);
        rx_flag = 0;
    }
    return result;
}

int RawBytesWaiting(void)
{
    return g_rawWaiting;
}

void EndOfLoop(void)
{
    CallbackOn();
    FlushInQ(com);
    FlushOutQ(com);
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
