// kvormx-cli: the sensor's operations from a script. Every exchange goes
// through link/, as the panels' callbacks make them; this folder adds the
// command line, the order of the exchanges of each subcommand and the output.
// Data goes to standard output, messages to standard error.
#pragma once

#include "link/state.h"

// ---- Exit statuses ------------------------------------------------------------------------------
enum {
    EXIT_DONE = 0,    // done
    EXIT_SENSOR = 1,  // the sensor did not answer or refused; the message names the exchange
    EXIT_USAGE = 2,   // wrong options or arguments, or a file named on the command line unusable
    EXIT_PORT = 3,    // the port could not be opened; the message gives the cause
};

// ---- Common options (main.cpp) ------------------------------------------------------------------
extern char cliPort[PATH_LEN];   // --port as given; "" is COM 1
extern int cliSimulate;          // --simulate: the virtual sensor inside the tool on COM 1
extern char cliTrace[PATH_LEN];  // --trace FILE; "" none

// ---- Subcommand arguments (main.cpp) ------------------------------------------------------------
// Each subcommand gets the arguments after its name with the common options
// taken out, and parses them with these. All print their own usage error.
int IsOption(const char* arg, const char* name);  // arg is --name or --name=...
// The value of option `name` at argv[*at] (after '=' or the next argument,
// *at then advanced); nullptr with a message when there is none.
const char* OptionValue(int argc, char** argv, int* at, const char* name);
int ParseCount(const char* name, const char* text, long* count);        // 1 for a whole number >= 1
int ParseSeconds(const char* name, const char* text, double* seconds);  // 1 for a time > 0
int UsageError(const char* command, const char* format, ...);           // message, then EXIT_USAGE
void Message(const char* format, ...);                                  // "kvormx-cli: ..." on stderr

// ---- The line (line.cpp) ------------------------------------------------------------------------
// Opens the port of the common options (starting the virtual sensor first
// with --simulate) and proves the line with the echo frame: EXIT_DONE, or the
// exit status after a message.
int OpenLine(void);
void CloseLine(void);
const char* LineName(void);  // "COM1 (/dev/ttyS0)" or the device path, for messages
// The sensor's RAM set into the parameter variables, as kvormx holds it after
// its set-up: every later request carries it. EXIT_DONE or EXIT_SENSOR.
int StageParameters(void);
// The hardware words (ReadHardwareInfo): EXIT_DONE or EXIT_SENSOR.
int Identify(void);
// The firmware text (ReadFirmwareText) into szVersion without its padding;
// after Identify, whose board type says how it is coded. EXIT_DONE or EXIT_SENSOR.
int ReadFirmware(void);
// After a failed exchange `what` of `operation` (OP_..., link.h) with result
// `r`: a message with the status line's text for it and what happened on
// the line (the write, no reply, a short block, a long reply); EXIT_SENSOR.
int ExchangeFailed(const char* what, int operation, int r);
// Enumerates the COM numbers whose device is present: `each` gets the number
// and the device path.
void ListPorts(void (*each)(int port, const char* device));

// ---- Output (output.cpp) ------------------------------------------------------------------------
void PrintLatin1(const char* text);    // a program text on stdout, as UTF-8, control characters as '?'
void PrintJsonText(const char* text);  // the same as a JSON string, quoted and escaped
// The wall-clock time now as ISO-8601 UTC with milliseconds into `text`.
void FormatUtcNow(char* text, int size);
// Standard output as a whole: EXIT_DONE, or EXIT_USAGE after a message when
// something could not be written (a full disk).
int FinishOutput(void);

// ---- Publishing to an MQTT broker (publish.cpp) -------------------------------------------------
// For watch and video with --mqtt. Every call but StartPublishing does
// nothing without it.
// Starts the client on `url` (null: no publishing), before the port is
// touched: EXIT_DONE, or EXIT_USAGE after a message (a bad URL, an
// unreadable credentials file, --mqtt-auth alone).
int StartPublishing(const char* command, const char* url, const char* authFile);
int Publishing(void);  // 1 after StartPublishing has started the client
// Identity (Identify first unless `identified`, then the firmware text) and
// the parameter variables, both retained: EXIT_DONE or EXIT_SENSOR.
int PublishSensor(int identified);
void PublishStatus(const char* format, ...);  // the status text beside "online"; Message sends its own
// A change of the broker's state (connected, lost, refused) as one line on stderr.
void WatchBroker(void);
// The queue flushed (bounded), "offline", disconnected; a line on stderr
// when messages were lost.
void StopPublishing(void);

// ---- Subcommands --------------------------------------------------------------------------------
int CmdPorts(int argc, char** argv);  // identify.cpp
int CmdIdentify(int argc, char** argv);
int CmdGet(int argc, char** argv);  // params.cpp
int CmdSend(int argc, char** argv);
int CmdTeach(int argc, char** argv);
int CmdReset(int argc, char** argv);
int CmdSupport(int argc, char** argv);  // support.cpp
int CmdWatch(int argc, char** argv);    // watch.cpp
int CmdVideo(int argc, char** argv);
