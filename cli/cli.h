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
// watch and video --keep-going: every message a line with a syslog priority
// prefix ("<4>"), so the journal files it at its level.
extern int cliService;

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
void Message(const char* format, ...);                                  // "kvormx-cli: ..." on stderr, an error
// Priorities of the journal (syslog), for Say.
enum { LOG_LEVEL_ERR = 3, LOG_LEVEL_WARNING = 4, LOG_LEVEL_NOTICE = 5, LOG_LEVEL_INFO = 6 };
// "kvormx-cli: ..." on stderr, with "<level>" in front for the service; the
// broker's status text says the same.
void Say(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Note(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));  // Say, stderr only

// ---- The line (line.cpp) ------------------------------------------------------------------------
// Opens the port of the common options (starting the virtual sensor first
// with --simulate) and proves the line with the echo frame: EXIT_DONE, or the
// exit status after a message. The ports are numbered as kvormx numbers them.
int OpenLine(void);
// The two halves of OpenLine. OpenPort starts the trace with the first open
// and opens the port (again): EXIT_DONE, or the status after a message with
// the serial library's code in *openResult. CheckLine: the echo frame.
int OpenPort(int* openResult);
int CheckLine(void);
void ClosePort(void);  // the port closed, the virtual sensor left running
void CloseLine(void);
const char* LineName(void);  // "COM1 (/dev/ttyS0)" or the device path, for messages
int LinePort(void);          // the COM number of the line, its ports mapped; 0 for a bad --port
// The MQTT client id of the line: "kvormx-HOST-PORTNAME" (PORTNAME: the
// device under /dev, its by-id folder left out), plain characters only.
void ClientIdFor(char* id, int size);
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
// Enumerates the ports as `kvormx --list-ports` does: number, device and
// the description sysfs gives.
void ListPorts(void (*each)(int port, const char* device, const char* description));

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
// Starts the client on `url` (null: no publishing) as `clientId` (null: the
// line's, ClientIdFor), before the port is touched: EXIT_DONE, or
// EXIT_USAGE after a message (a bad URL, an unreadable credentials file,
// --mqtt-auth alone).
int StartPublishing(const char* command, const char* url, const char* authFile, const char* clientId);
int Publishing(void);  // 1 after StartPublishing has started the client
// Identity (Identify first unless `identified`, then the firmware text) and
// the parameter variables, both retained: EXIT_DONE or EXIT_SENSOR.
int PublishSensor(int identified);
void PublishStatus(const char* format, ...);  // the status text beside "online"; Message sends its own
// A change of the broker's state (connected, lost, refused) as one line on stderr.
void WatchBroker(void);
// The queue flushed (bounded), "offline", disconnected; a line on stderr
// when messages were lost. `mustReach`: a broker never reached is a
// failure (EXIT_SENSOR after a message saying why), else EXIT_DONE.
int StopPublishing(int mustReach);
unsigned long PublishingDropped(void);  // messages that did not reach the broker so far

// ---- The service (service.cpp) ------------------------------------------------------------------
// watch and video --keep-going: the set-up, the loop, and the set-up again
// after a silent sensor or a port that went and came back, until SIGTERM or
// SIGINT. `loop` runs one loop over the line set up (EXIT_DONE when a signal
// or the count ended it, else the failed exchange's status after its
// message), `setUp` the exchanges after the line check.
struct ServiceCounters {
    long replies;  // replies (pictures) printed
    long missed;   // replies (pictures) that did not come
    long setups;   // set-ups that reached measuring
};
extern ServiceCounters cliCounters;
int StopAsked(void);  // watch.cpp: SIGINT or SIGTERM came
int RunService(const char* command, int (*setUp)(void), int (*loop)(int resumed, int* lost));
// systemd's notifications: each a no-op outside a unit of Type=notify.
void NotifyStatus(const char* text);  // STATUS=
void NotifyReady(void);               // READY=1, once
void FeedWatchdog(void);              // WATCHDOG=1, at most once a second
void NotifyStopping(void);            // STOPPING=1
// "replies N, missed M, set-ups S, dropped D" for the lines at the end.
void FormatCounters(char* text, int size);

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
