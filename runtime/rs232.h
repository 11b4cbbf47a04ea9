// RS-232 library of the runtime, on POSIX termios.
//
// Ports are numbered from 1. COM n is /dev/ttyS<n-1> unless SetComDevice maps
// it elsewhere (the command line's --com N=DEVICE, the virtual sensor). Every
// port has its own input queue; receive callbacks run only inside the
// runtime's event processing (ProcessSystemEvents, RunUserInterface), on the
// user-interface thread. A vanished device gives an error result, never a hang.
#pragma once

// ---- Error codes --------------------------------------------------------------------------------
enum {
    RS_UNKNOWN_SYS_ERROR = -1,
    RS_INVALID_PORT = -2,  // port number outside 1..COM_MAX_PORTS
    RS_PORT_NOT_OPEN = -3,
    RS_IO_ERROR = -4,       // read or write failed, device gone
    RS_NO_PORT_FOUND = -6,  // no device for that port number
    RS_CANNOT_OPEN_PORT = -7,
    RS_INVALID_PARAMETER = -13,
    RS_PORT_IN_USE = -14,  // another program holds the port (ComOpenCause names it)
    RS_TIMEOUT = -99,
};

// ---- Event bits of InstallComCallback -----------------------------------------------------------
enum {
    LWRS_RXCHAR = 0x0001,   // any character received (not delivered by this runtime)
    LWRS_RXFLAG = 0x0002,   // the event character was received
    LWRS_TXEMPTY = 0x0004,  // output queue empty
    LWRS_RECEIVE = 0x8000,  // at least `notifyCount` bytes waiting in the input queue
};

const int COM_MAX_PORTS = 32;

typedef void (*ComCallbackPtr)(int port, int eventMask, void* callbackData);

// ---- Device map ---------------------------------------------------------------------------------
int SetComDevice(int port, const char* device);  // 0, or RS_INVALID_PORT
const char* GetComDevice(int port);              // the mapped device path, "" for a bad number

// ---- Ports --------------------------------------------------------------------------------------
// parity 0 none, 1 odd, 2 even; dataBits 5..8; stopBits 1 or 2. `deviceName`
// empty uses the device map. Opening an open port closes it first.
// Returns 0 or an error code above.
int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits, int stopBits,
                  int inputQueueSize, int outputQueueSize);
// Why the last OpenComConfig failed, in words: the device path and the
// system's reason (with a hint where one helps); "" after a good open.
const char* ComOpenCause(void);
int CloseCom(int port);                               // 0, or RS_PORT_NOT_OPEN / RS_INVALID_PORT
int SetComTime(int port, double seconds);             // read/write time-out of ComRd and ComWrt
int SetCTSMode(int port, int mode);                   // 0: no hardware handshake (the only mode)
int FlushInQ(int port);                               // discards received bytes not yet read
int FlushOutQ(int port);                              // discards bytes not yet sent
int ComWrt(int port, const char* buffer, int count);  // bytes written, or an error code
// Returns as soon as `count` bytes are read or the port time-out passes: the
// bytes read (maybe fewer than asked), or an error code.
int ComRd(int port, char* buffer, int count);
int GetInQLen(int port);  // bytes waiting in the input queue, or an error code
// Blocks without processing events until `count` bytes wait or `seconds`
// pass: the bytes waiting then, or an error code (a vanished device at once).
int WaitInQLen(int port, int count, double seconds);
// The input queue length at which an open port wakes the event processing
// that waits on it (default 1: every byte). An exchange waiting for a raw
// block of N bytes sets N, so the program wakes once per block instead of
// once per byte as they trickle in; a receive callback's notification count
// takes its place while one is installed. 0, or an error code.
int SetComWakeCount(int port, int count);
// 1 when replies on the open port were last seen to take their time on the
// line at its baud rate: the port's watch then sleeps while a reply crosses
// the line. 0 for a line that answers at once (a pseudo-terminal, a peer
// without a line in between) or has not been seen yet.
int ComLinePaced(int port);
// 1 when the device behind the open port has vanished (unplugged, its name
// now leads elsewhere): nothing will come from it again, and it is best
// closed so the system can give its name to the device when it returns.
// 0 while it is there; RS_PORT_NOT_OPEN or RS_INVALID_PORT.
int ComPortGone(int port);
// Callback for the event bits in `eventMask`; mask 0 or a null function removes it.
int InstallComCallback(int port, int eventMask, int notifyCount, int eventCharacter, ComCallbackPtr callback,
                       void* callbackData);
