// Port set-up and line check: open the COM port with the line's fixed
// settings and prove the line with an echo frame. The set-up sequence that
// follows a good line check belongs to the program's start-up.
#include "link/link.h"

#include "link/state.h"
#include "runtime/rs232.h"

#include <cstdio>

static const struct {
    int code;
    const char* text;
} kPortErrors[] = {
    {RS_UNKNOWN_SYS_ERROR, "Unknown system error"},
    {RS_INVALID_PORT, "Invalid port number"},
    {RS_PORT_NOT_OPEN, "Port is not open"},
    {RS_IO_ERROR, "Unknown I/0 error"},
    {RS_NO_PORT_FOUND, "No serial port found"},
    {RS_CANNOT_OPEN_PORT, "Cannot open port"},
    {RS_INVALID_PARAMETER, "Invalid parameter"},
    {RS_TIMEOUT, "Timeout"},
    {RS_PORT_IN_USE, "Port in use"},
};

const char* PortErrorText(int code)
{
    for (const auto& e : kPortErrors)
        if (e.code == code) return e.text;
    return "RS-232 error!";
}

const char* PortLostText(int port)
{
    static char text[PATH_LEN + 16];
    std::snprintf(text, sizeof text, "Port lost: %s", GetComDevice(port));
    return text;
}

int OpenSensorPort(int port)
{
    int rc = OpenComConfig(port, "", 19200, 0, 8, 1, 4096, 4096);
    if (rc < 0) return rc;
    SetComTime(port, 2.0);
    FlushInQ(port);
    FlushOutQ(port);
    SetCTSMode(port, 0);
    InstallComCallback(port, eventMask, FRAME_BYTES, sync_word, RX_Receive_Function, 0);
    return 0;
}

int CheckComLine(int port)
{
    int result = 0;
    const int inUse = com;
    com = port;
    // After an open, the first bytes may be the rest of a reply to the port's
    // last owner (a program that ended with its request out, the sensor still
    // answering it): they make the echo's first bytes. The echo's sync word
    // tells; such an echo is asked for once more, on a settled line.
    for (int attempt = 0; attempt < 2 && result == 0; attempt++) {
        CopyVarsToPP();
        // A frame taken in the pass that also ran past the time-out still decides.
        int r = Exchange(CMD_ECHO, pp, REPLY_FRAME, reply_limit, EX_EVENTS);
        if (r == EX_TIMEOUT) CopyText(szStatus, STATUS_LEN, "Timeout-RS-232...");
        if (r == EX_LOST) CopyText(szStatus, STATUS_LEN, PortLostText(port));
        if (r != EX_REPLY) break;
        uint16_t echo = GetWord(szReadBuf);
        pp[0] = echo;
        if (echo == ECHO_SYNC) {
            CopyText(szStatus, STATUS_LEN, "Echo Check - Line Ok!");
            result = 1;
        } else {
            CopyText(szStatus, STATUS_LEN, "read error - not sync byte 0xAA!");
            SettleBeforeNextRequest();
        }
    }
    com = inUse;
    return result;
}
