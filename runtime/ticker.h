// Periodic work of the program while it waits for the operator: a callback
// run every so often inside event processing, on the program's thread.
//
// A tick comes in whatever event processing runs when it is due, also in a
// callback's own ProcessSystemEvents (an exchange waiting for its reply):
// the callback decides whether the moment suits it.
#pragma once

typedef void (*TickCallbackPtr)(void* data);

// Runs callback(data) about every `seconds` (0.01 at least). Needs
// InitRuntime. Returns a handle > 0, or -1 without a window runtime or
// callback. A tick never runs inside its own callback.
int StartTicker(double seconds, TickCallbackPtr callback, void* data);
void StopTicker(int handle);  // harmless for a handle already stopped or never given
