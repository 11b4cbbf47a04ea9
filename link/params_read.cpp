// Reading the parameter set from the sensor's RAM or EEPROM.
#include "link/health.h"
#include "link/link.h"

#include "link/state.h"

int ReadParameterSet(int from, ExchangeWritten written)
{
    const int command = from == EEPROM ? CMD_READ_EEPROM : CMD_READ_RAM;
    // A reply longer than a frame may have begun with stray bytes: its words
    // could be shifted. Such a set is read once more, and never taken.
    for (int attempt = 0; attempt < 2; attempt++) {
        // The current variables are the payload, as in every request that
        // carries no set of its own.
        CopyVarsToPP();
        int r = Exchange(command, pp, REPLY_FRAME, reply_limit, EX_EVENTS, attempt == 0 ? written : nullptr);
        if (r != EX_REPLY) {
            CopyVarsToPP();
            return r;
        }
        if (!ReplyLongerThanFrame(QUIET_LOOK)) return EX_REPLY;
    }
    link_health.refusedLength++;
    CopyVarsToPP();  // the refused bytes must not go out as the next payload
    return EX_LONG;
}

#include "runtime/rs232.h"
#include "runtime/util.h"

// The sensor may answer the write with a frame of its own that nobody awaits
// as a reply, and an EEPROM needs time to store a set; the read-back waits
// for a quiet line first.
const double WRITE_SETTLE_RAM = 0.25;
const double WRITE_SETTLE_EEPROM = 0.5;

static void WaitQuiet(double quiet)
{
    const double started = Timer();
    while (Timer() - started < 4 * quiet) {
        int n = WaitInQLen(com, 1, quiet);
        if (n <= 0) return;  // quiet for the whole time, or the port is gone
        // An answer has begun: it is a frame, whatever pauses it has, and
        // its rest must not run into the read-back's reply.
        if (n < FRAME_BYTES) WaitInQLen(com, FRAME_BYTES, reply_limit);
        FlushInQ(com);
    }
}

int SendParameterSet(int to, int* word, uint16_t* readValue)
{
    uint16_t sent[PNUM];
    CopyVarsToPP();
    for (int i = 0; i < PNUM; i++) sent[i] = pp[i];
    int r = Exchange(to == EEPROM ? CMD_WRITE_EEPROM : CMD_WRITE_RAM, pp, REPLY_NONE, 0.0, 0);
    if (r != EX_WRITTEN) return r == EX_BUSY || r == EX_LOST ? r : EX_WRITE_FAILED;
    WaitQuiet(to == EEPROM ? WRITE_SETTLE_EEPROM : WRITE_SETTLE_RAM);

    r = ReadParameterSet(to);
    // A sensor still busy with its EEPROM may let the first read pass.
    if (r == EX_TIMEOUT && to == EEPROM) r = ReadParameterSet(to);
    if (r != EX_REPLY) return r;
    int result = VERIFY_OK;
    for (int i = 0; i < PNUM; i++) {
        if (pp[i] != sent[i]) {
            *word = i;
            *readValue = pp[i];
            result = VERIFY_DIFFERS;
            break;
        }
    }
    CopyVarsToPP();
    return result;
}
