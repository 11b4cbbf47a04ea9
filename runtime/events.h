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
