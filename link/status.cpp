// What an exchange's result says: the status line's text (the program's
// own, word for word) and, for kvormx-cli's messages, a sentence about what
// happened on the line. One table; the window and kvormx-cli both read it.
#include "link/link.h"

#include "runtime/rs232.h"

#include <cstdio>

namespace {

struct Texts {
    const char* reply;    // EX_REPLY (VERIFY_OK for a send)
    const char* timeout;  // EX_TIMEOUT, and what no other column names
    const char* longer;   // EX_LONG
};

const Texts kTexts[OPERATIONS] = {
    /* OP_LINE_CHECK */ {"Echo Check - Line Ok!", "Timeout-RS-232...", "Timeout-RS-232..."},
    /* OP_HARDWARE   */ {"", "Timeout-RS-232...", "Timeout-RS-232..."},
    /* OP_FIRMWARE   */ {"", "Timeout - reading firmware info!", ""},
    /* OP_PARAMETERS */
    {"Parameter-frame received! - Line Ok!", "Timeout-RS-232...", "read error - reply longer than a frame!"},
    /* OP_SEND       */
    {"Line Ok!", "Timeout-RS-232... - the sent set was not confirmed", "read error - reply longer than a frame!"},
    /* OP_TEACH      */ {"", "Timeout-RS-232...", "read error - reply longer than a frame!"},
    /* OP_RESET      */ {"Reset Max/Min OK!", "Timeout-RS-232...", "Reset Max/Min OK!"},
    /* OP_LOOP       */ {"", "Timeout RS232-Line!", ""},
    /* OP_BLOCK64    */ {"Data[64] block received!", "Timeout-RS-232 while reading 64 data-words!", ""},
    /* OP_BLOCK256   */ {"Data[256] block received!", "Timeout-RS-232 while reading 256 data-words!", ""},
};

bool Known(int operation)
{
    return operation >= 0 && operation < OPERATIONS;
}

}  // namespace

const char* ResultText(int operation, int result)
{
    if (!Known(operation)) return "";
    const Texts& t = kTexts[operation];
    if (result == EX_LOST) return PortLostText(com);
    if (result == EX_REPLY || result == VERIFY_OK) return t.reply;
    if (result == EX_LONG) return t.longer;
    if (result == EX_WRITE_FAILED) {
        static char text[STATUS_LEN];
        std::snprintf(text, sizeof text, "Transmit error: %s",
                      nBytesW < 0 ? PortErrorText(nBytesW) : "the frame did not go out whole");
        return text;
    }
    if (result == EX_STOPPED || result == EX_WRITTEN) return "";
    return t.timeout;
}

const char* ResultDetail(int operation, int result)
{
    static char text[128];
    const bool block = operation == OP_BLOCK64 || operation == OP_BLOCK256 || operation == OP_FIRMWARE;
    const int size = operation == OP_BLOCK64 ? 128 : operation == OP_BLOCK256 ? 512 : FIRMWARE_BYTES;
    const double limit = operation == OP_FIRMWARE ? reply_limit + (FIRMWARE_TIMEOUT - TIMEOUT) : reply_limit;
    if (nBytesW < 0 && result != EX_LOST)
        std::snprintf(text, sizeof text, "the request could not be written: %s", PortErrorText(nBytesW));
    else if (nBytesW != FRAME_BYTES && result != EX_LOST)
        std::snprintf(text, sizeof text, "only %d of the request's %d bytes went out", nBytesW, FRAME_BYTES);
    else if (result == EX_LOST)
        std::snprintf(text, sizeof text, "the device is gone");
    else if (result == EX_LONG)
        std::snprintf(text, sizeof text, "the reply was longer than it may be");
    else if (result == EX_BUSY)
        std::snprintf(text, sizeof text, "another exchange held the line");
    else if (result == EX_STOPPED)
        std::snprintf(text, sizeof text, "stopped");
    else if (block && RawBytesWaiting() < 0)
        std::snprintf(text, sizeof text, "the port failed: %s", PortErrorText(RawBytesWaiting()));
    else if (block && RawBytesWaiting() > 0)
        std::snprintf(text, sizeof text, "%d of %d bytes came within %g s", RawBytesWaiting(), size, limit);
    else
        std::snprintf(text, sizeof text, "no reply within %g s", limit);
    return text;
}
