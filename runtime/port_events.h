// The seam between the event loop (ui.cpp) and the RS-232 library (rs232.cpp).
// Internal to the runtime; the program never includes it.
#pragma once

// Runs every receive callback that is due: a port with a callback whose mask
// has LWRS_RECEIVE and at least its notification count of bytes waiting.
// Called by ProcessSystemEvents after window events. Returns how many ran.
int ComDispatchPending(void);

// Closes every open port (end of the runtime, tests tearing down).
void ComCloseAll(void);

// 1 when a receive callback is due on what the input queues hold already
// (bytes a read of the program's own took in), without reading anything.
int ComCallbackDue(void);

// Sleeps until bytes arrive on an open port that has room for them, a signal
// comes in, or `seconds` pass: the wait of event processing without Qt.
// Returns > 0 when a port became readable, 0 otherwise.
int ComWaitReadable(double seconds);
