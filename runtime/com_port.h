// The two halves of the RS-232 library. com_queue.cpp is the part every
// build shares: the port table, each port's input queue, the calls of
// rs232.h and the receive dispatch. Under it lies the line, of which each
// build links one: the termios port (rs232.cpp) in the product and the
// tests, the in-memory line with its virtual clock (fuzz/virtual_line.cpp)
// in the fuzz build. So the fuzzer runs the queue and dispatch that ship.
//
// Internal to those three files; the program and the rest of the runtime
// never include it.
#pragma once

#include "runtime/rs232.h"

#include <string>
#include <vector>

// ---- The port table (com_queue.cpp) -------------------------------------------------------------

// Fixed-capacity byte ring: the port's input queue.
class ByteQueue {
 public:
    void reset(int capacity)
    {
        buf_.assign(static_cast<size_t>(capacity), 0);
        head_ = size_ = 0;
    }
    void clear() { head_ = size_ = 0; }
    int size() const { return size_; }
    int capacity() const { return static_cast<int>(buf_.size()); }
    int space() const { return capacity() - size_; }
    void push(const char* data, int n)
    {
        for (int i = 0; i < n; ++i) buf_[static_cast<size_t>((head_ + size_ + i) % capacity())] = data[i];
        size_ += n;
    }
    int pop(char* out, int n)
    {
        if (n > size_) n = size_;
        for (int i = 0; i < n; ++i) out[i] = buf_[static_cast<size_t>((head_ + i) % capacity())];
        head_ = (head_ + n) % (capacity() > 0 ? capacity() : 1);
        size_ -= n;
        return n;
    }

 private:
    std::vector<char> buf_;
    int head_ = 0;
    int size_ = 0;
};

const double kDefaultComTimeout = 2.0;  // seconds, until SetComTime says otherwise

// What a port is whatever line lies under it. The line reads it (is the port
// open, has the queue room) and keeps its own state beside it.
struct ComPort {
    bool open = false;
    bool dead = false;  // device vanished: every transfer reports RS_IO_ERROR
    double timeout = kDefaultComTimeout;
    ByteQueue queue;
    // Receive callback.
    int eventMask = 0;
    int notifyCount = 0;
    ComCallbackPtr callback = nullptr;
    void* callbackData = nullptr;
    bool inCallback = false;  // guards against a nested call for this port
    int wakeCount = 1;        // SetComWakeCount: queue length that wakes an event wait
    unsigned generation = 0;  // changes on every open and close
};

extern ComPort g_comPorts[COM_MAX_PORTS + 1];  // index 0 unused: ports count from 1

inline bool ComValidPort(int port)
{
    return port >= 1 && port <= COM_MAX_PORTS;
}

// Moves whatever the line holds right now into the queue, as far as the
// queue has room. Returns false when the device is gone. The line's own
// watcher (the termios port's notifier) calls it as bytes arrive.
bool ComTakeIn(int port);

// The cause ComOpenCause reports, "device: reason"; returns `code`.
int ComOpenFailed(int code, const std::string& device, const std::string& reason);

// ---- The line (rs232.cpp, or fuzz/virtual_line.cpp) ---------------------------------------------
// The queue calls these only for an open port, and the transfers only while
// it is not dead. A count is always at least 1.

// A rate the line can be set to.
bool LineRateKnown(long baudRate);
// Opens `device` for `port` with settings already checked, and discards
// whatever the device held before: 0, or an error code with its cause set
// through ComOpenFailed.
int LineOpen(int port, const std::string& device, long baudRate, int parity, int dataBits, int stopBits);
// Lets the device go, a dead one too.
void LineClose(int port);

// Up to `count` bytes the device holds now, without waiting: the bytes
// taken, 0 when none is there yet, -1 when the device is gone.
int LineRead(int port, char* buffer, int count);
// Waits until there is something to read (where the device can tell, once
// `count` bytes are there) or Timer() reaches `deadline`: 1, 0 at the
// deadline, -1 when the device is gone.
int LineWait(int port, int count, double deadline);
// Writes `count` bytes, waiting for room until `deadline`: the bytes
// written (fewer at the deadline), -1 when the device is gone.
int LineWrite(int port, const char* buffer, int count, double deadline);

enum LineSide { LINE_INPUT, LINE_OUTPUT };
// Discards what the driver holds on one side: 0, or -1 when it cannot.
int LineFlush(int port, LineSide side);
// Bytes that have arrived but wait in the driver, beyond the queue.
int LineHeld(int port);

// The device wakes a wait on it once `count` more bytes are there.
void LineWakeAt(int port, int count);
// The event loop watches the port from now on, where the line can have it
// watched (a port opened before the application object existed is taken
// on here).
void LineWatch(int port);
// True while the event loop takes the port's bytes into the queue itself as
// they arrive; otherwise the queue takes them in when it is asked.
bool LineWatched(int port);
// The queue's room or the port's life changed: the watch follows.
void LineRoomChanged(int port);

// True when the line knows its device is gone without reading from it.
bool LineGone(int port);
// A wait found the port dead and returns at once.
void LineDeadWait(int port);
