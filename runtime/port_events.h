// The seam between the event loop (event_loop.cpp) and the RS-232 library
// (com_queue.cpp over its line: rs232.cpp, or the fuzz build's virtual line).
// Internal to the runtime; the program never includes it.
#pragma once

// Runs every receive callback that is due: a port with a callback whose mask
// has LWRS_RECEIVE and at least its notification count of bytes waiting.
// Called by ProcessSystemEvents after window events. Returns how many ran.
int ComDispatchPending(void);

// The settings of an open other than its rate, and the port number: 0,
// RS_INVALID_PORT or RS_INVALID_PARAMETER (com_devices.cpp; OpenComConfig
// checks with it before anything is touched).
int ComCheckSettings(int port, int parity, int dataBits, int stopBits, int inputQueueSize, int outputQueueSize);

// Closes every open port (end of the runtime, tests tearing down).
void ComCloseAll(void);

// The descriptor of an open port, -1 when it is not open (the port list
// compares it with the device its stable name leads to).
int ComOpenFd(int port);

// The open port's device is gone: every transfer reports RS_IO_ERROR from
// now on, as when the device itself hung up.
void ComMarkGone(int port);

// Called by the RS-232 library when an open port's device hangs up, so the
// port list looks again (ports.cpp).
void PortsNoteDeadPort(int port);
// 1 when a receive callback is due on what the input queues hold already
// (bytes a read of the program's own took in), without reading anything.
int ComCallbackDue(void);

// Sleeps until bytes arrive on an open port that has room for them, a signal
// comes in, or `seconds` pass: the wait of event processing without Qt.
// Returns > 0 when a port became readable, 0 otherwise.
int ComWaitReadable(double seconds);

#ifdef KVORMX_VIRTUAL_CLOCK
// Fuzz build only: the RS-232 library runs on an in-memory line with a clock
// of its own (fuzz/virtual_line.cpp), which Timer() reads. Its ComWaitReadable
// moves that clock on instead of sleeping.
double ComVirtualClock(void);
#endif
