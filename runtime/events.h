// The seam between the window runtime (event_loop.cpp) and event processing
// (events.cpp), which also serves the runtime without a window system.
// Internal to the runtime; the program never includes it.
#pragma once

// The window runtime's pass of event processing (Qt's event loop and the
// ports' receive callbacks): InitRuntime hands it over, and from then on
// ProcessSystemEvents runs it.
typedef int (*EventPass)(void);
void SetWindowEventPass(EventPass pass);
// Runs the callback of every signal noted since the last call, on the
// calling thread. Called by every kind of event pass. Returns how many ran.
int DispatchSignals(void);
// The write end of a pipe the window runtime watches: a signal's handler
// writes a byte into it so that an idle event loop wakes for its callback.
void SetSignalWakeFd(int fd);

// The port watch without a window system: a descriptor the headless pass
// waits on beside the ports, and a function it calls after every wait with
// `readable` set when that descriptor woke it. The function returns the
// seconds until it must be called again at the latest (a settle time), or
// a negative number when it has no deadline. fd -1 and null remove it.
typedef double (*HeadlessSourcePtr)(int readable);
void SetHeadlessSource(int fd, HeadlessSourcePtr serve);
int HeadlessSourceFd(void);             // the descriptor, -1 when none (ComWaitReadable waits on it too)
void NoteHeadlessSourceReadable(void);  // ComWaitReadable: it became readable
