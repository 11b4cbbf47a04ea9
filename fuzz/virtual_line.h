// The virtual line of the fuzz build: an in-memory line with a clock of its
// own under the runtime's RS-232 library, linked in place of the termios port
// (runtime/rs232.cpp). The program, the runtime above it and the library's
// queue and dispatch (runtime/com_queue.cpp) run unchanged; only the line and
// Timer() are virtual.
//
// The clock stands still while the program computes. It moves on when the
// program waits: a ProcessSystemEvents pass advances it as far as the pass
// would have slept (to the next byte arriving, at most a step that doubles
// while nothing arrives, so a 1.5 s time-out costs a few dozen passes), and a
// blocking wait (WaitInQLen, ComRd) jumps to the next arrival or to its
// deadline. A 1.5 s time-out therefore costs microseconds, and an input
// replays the same way every time.
//
// The sensor's end of a port is a function that gets every block the program
// writes and queues reply bytes with their arrival times.
#pragma once

typedef void (*VirtualWriteFn)(int port, const unsigned char* bytes, int count, void* data);

// A device behind the port number: OpenComConfig succeeds from now on.
void VirtualLineAttach(int port, VirtualWriteFn onWrite, void* data);
// Bytes that arrive on the port at virtual time `at`, or when the bytes
// already on their way have arrived, whichever is later: a line is serial.
void VirtualLineSend(int port, const unsigned char* bytes, int count, double at);
// The device is gone from virtual time `at` on (an adapter pulled; now, if
// `at` has passed): bytes that arrived before are still read, then the open
// port reports I/O errors, later bytes are lost, and opening fails until
// VirtualLineAttach.
void VirtualLineVanish(int port, double at);

double VirtualLineClock(void);            // the virtual clock, seconds (what Timer() returns)
void VirtualLineAdvance(double seconds);  // time passes without the program
// Called at the start of every ProcessSystemEvents pass, where a window event
// would be handled: the operator's hand. Not re-entered.
void VirtualLineSetPassHook(void (*fn)(void* data), void* data);
long VirtualLinePasses(void);  // ProcessSystemEvents passes so far

// Every port closed, every device detached, nothing on its way, the clock
// moved on by a few seconds (so that no wait the program started before can
// still matter): the state between two fuzz inputs.
void VirtualLineReset(void);
