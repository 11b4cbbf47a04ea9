// What the exchange tells the frame trace (trace.cpp); private to link/.
// Each keeps its event in the ring of the last events, and writes one line
// while a trace file is open.
#pragma once

// The request frame: `n` bytes written of it (fewer, or an error code, when
// the write failed). `reply` is the exchange's REPLY_ kind, which tells a
// 256-sample video read from a max/min reset (both command 11).
void TraceSent(int command, int reply, const char* bytes, int n);
// A frame the receive callback read: `taken` 1 when it answered the waiting
// exchange, 0 when nobody waited for it (dropped).
void TraceFrameIn(const char* bytes, int n, int taken);
// The raw block read at the end of a raw wait (maybe short, maybe long).
void TraceBlockIn(const char* bytes, int n, int asked);
// Bytes that never became a reply: `what` says why ("flushed before the
// request", "stray, before a gap", ...).
void TraceDropped(const char* what, const char* bytes, int n);
// A line without bytes for the last request: "TIMEOUT ...", "STOPPED", fragments.
void TraceNote(const char* direction, const char* text);
