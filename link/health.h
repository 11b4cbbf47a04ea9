// The link's health: what the line has been doing, counted where the link
// sees it, for the window's health panel, the MQTT health topic, kvormx-cli's
// summary and the service's watchdog. Counting costs a few additions per
// exchange.
#pragma once

#include "link/state.h"

struct LinkHealth {
    long exchanges;      // requests written that awaited a reply
    long replies;        // replies and blocks that came whole
    long timeouts;       // waits that ended without their reply
    long refusedLength;  // replies refused for coming longer than a frame
    long refusedRange;   // reported teach value/tolerance pairs refused by the range rules
    long setUps;         // port set-ups run (line check, identification, parameter read)
    long lost;           // exchanges that found the port's device gone
    double lastReply;    // Timer() of the last whole reply; < 0: none yet
};

extern LinkHealth link_health;  // since the program started (ResetLinkHealth)

void ResetLinkHealth(void);
// Exchanges per second over the last two seconds (0 when fewer than two came).
double ExchangeRate(void);
// Seconds since the last whole reply; a negative value when none came yet.
double LastReplyAge(void);
// The counters as one JSON object, with the program's names.
int FormatHealthJson(char* out, int size);

// What the link counts (exchange.cpp, measurement.cpp, params_read.cpp) and
// what the callers of a set-up count (the window's, kvormx-cli's).
void NoteExchange(int result);
void NoteSetUp(void);
