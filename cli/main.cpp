// Process entry of kvormx-cli: the common options, the subcommand and its
// help text. The common options may stand before or after the subcommand.
#include "cli/cli.h"
#include "link/link.h"

#include "link/state.h"
#include "outputs/outputs.h"
#include "runtime/rs232.h"
#include "runtime/settings.h"
#include "runtime/translate.h"
#include "runtime/ui.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

char cliPort[PATH_LEN];
int cliSimulate;
char cliTrace[PATH_LEN];
int cliService;

static const char* const kCommonHelp =
    "Options (before or after the command):\n"
    "  --port COM|DEVICE  the sensor's port: a COM number from 1 to 32 (\"3\" or \"COM3\";\n"
    "                     COM n is /dev/ttyS<n-1>) or the path of a serial device\n"
    "                     (/dev/ttyUSB0, /dev/serial/by-id/...); default COM 1\n"
    "  --simulate         talk to a virtual sensor started inside the tool (not with --port)\n"
    "  --timeout S        seconds each reply may take, 0.01 to 3600 (default 1.5; the\n"
    "                     firmware text gets 0.5 s more)\n"
    "  --trace FILE       write every frame sent and received to FILE\n"
    "  --language en|de   messages and help in English or German (remembered; default: the\n"
    "                     desktop's language); data, CSV, JSON and MQTT stay as they are\n"
    "  --reset-settings   start the per-user settings (those kvormx keeps too) from the\n"
    "                     defaults; the old file is kept beside it under a dated name.\n"
    "                     Without a command, that is all\n"
    "  --settings FILE    the settings file instead of the per-user one (tests)\n"
    "  --help, -h         this text; after a command, that command's text\n"
    "  --version          the program version\n";

static const char* const kExitHelp =
    "Exit status:\n"
    "  0  done\n"
    "  1  the sensor did not answer or refused; the message names the exchange\n"
    "  2  usage error: wrong options or arguments, or a file named on the command line\n"
    "     (or standard output) that cannot be read or written\n"
    "  3  the port could not be opened; the message gives the cause\n";

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* synopsis;  // arguments, as in the overview
    const char* summary;   // one line in the overview
    const char* help;      // the rest of `kvormx-cli COMMAND --help`
};

static const Command kCommands[] = {
    {"ports", CmdPorts, "", "list the serial ports present",
     "Lists the serial ports as kvormx finds them, one a line: the COM number, the\n"
     "device and what it is (\"COM1  /dev/ttyS0  on-board serial port (ttyS0)\"). USB\n"
     "adapters appear under their /dev/serial/by-id names; a ttyS port only when a UART is\n"
     "behind it. Talks to no sensor; the number is what --port takes.\n"},
    {"identify", CmdIdentify, "[--json]", "line check, sensor description, line length, board, firmware",
     "Proves the line (echo frame), asks the sensor what it is (hardware frame) and reads\n"
     "its firmware text. Prints one \"key: value\" line each:\n"
     "  description  the sensor's description, as the program shows it\n"
     "  ccd_type     CCD type code\n"
     "  pixels       pixels of the CCD line (the line length)\n"
     "  resolution   resolution code\n"
     "  board_type   board type (0: video in 64-sample blocks, word-coded firmware text)\n"
     "  firmware     firmware text\n"
     "  port         the device of the port\n"
     "  --json       one JSON object with these keys instead\n"},
    {"get", CmdGet, "[--eeprom] [-o FILE] [--json]", "read the parameter set from RAM or EEPROM",
     "Reads the sensor's parameter set from its RAM (the set it works with) and writes it\n"
     "as a parameter file: the 16 words, one decimal value per line, in packet order, the\n"
     "format kvormx loads and saves.\n"
     "  --eeprom           read the set kept in EEPROM instead\n"
     "  -o, --output FILE  write the parameter file to FILE (replaced whole, or left as it\n"
     "                     was when it cannot be written) instead of standard output\n"
     "  --json             print the words with their names as one JSON object\n"
     "                     (with -o the file is written as well)\n"
     "Words: power rs232Mode vThd bVal polarity eMode eBeg eEnd tVal tTol iGain ePoti\n"
     "ccdMode pStart anaMode para15.\n"},
    {"send", CmdSend, "FILE [--eeprom] [--strict]", "write a parameter file to RAM or EEPROM, verified",
     "Writes the 16 words of the parameter file FILE (\"-\": standard input) to the\n"
     "sensor's RAM, then reads the set back from RAM and compares it word by word. The\n"
     "range rules of kvormx's panels apply first: a word out of its range is replaced\n"
     "by its fixed value (power above 1000 by 500, vThd above 950 by 950, eEnd above\n"
     "1024 by the last pixel of the sensor's line, ...), each change a line on standard\n"
     "error (\"send: FILE: power 2000 -> 500 (above 1000)\"). Values the panels merely\n"
     "have no item for go out as they stand.\n"
     "  --eeprom  write to EEPROM (the sensor's RAM takes the set too) and verify EEPROM\n"
     "  --strict  refuse a file with a word out of range (status 2) before the port is\n"
     "            opened, naming each such word\n"
     "A set that reads back different fails with status 1, naming the first word that\n"
     "differs, what the sensor holds there and what was sent.\n"},
    {"teach", CmdTeach, "", "make the current measured value the teach value",
     "Reads the sensor's RAM set, commands a teach (the sensor takes its current measured\n"
     "value as its teach value), reads RAM back and prints the new teach value (tVal).\n"},
    {"reset", CmdReset, "", "reset the sensor's maximum and minimum",
     "Reads the sensor's RAM set and commands the reset of the maximum and minimum of the\n"
     "measured value. Prints nothing; status 0 once the sensor has answered.\n"},
    {"support", CmdSupport, "FILE", "a support file of the sensor on the line (tar)",
     "Proves the line, identifies the sensor, reads its firmware text and RAM set, and writes\n"
     "FILE, a tar archive for whoever looks into a sensor that measures badly: the program's\n"
     "version and the platform, the sensor's identity and parameter set, the line's health\n"
     "counters and the last 500 frames on the line, decoded. A sensor that does not answer\n"
     "still gets its file (the frames say what happened), with status 1.\n"},
    {"watch", CmdWatch,
     "[--count N | --duration S] [--csv | --json] [--every N] [--interval S] [--keep-going]\n"
     "       [--mqtt URL [--mqtt-auth FILE] [--mqtt-client-id ID]]",
     "run mode: a line per measurement",
     "Run mode: reads the sensor's RAM set and its hardware words (its millimetre scale),\n"
     "then sends measurement requests back to back\n"
     "at the line's pace, each carrying the parameter set with the sensor's own teach value\n"
     "and tolerance from the reply before, and prints one line per reply:\n"
     "  time        UTC time the reply arrived, ISO 8601 with milliseconds\n"
     "  seconds     seconds since the first request\n"
     "  seq         replies of this run, from 1 (a gap is a reply that did not come)\n"
     "  value       measured value, pixels\n"
     "  left_edge   left edge, pixels (0: none)\n"
     "  right_edge  right edge, pixels (0: none)\n"
     "  edges       edge count\n"
     "  teach       teach value, pixels\n"
     "  tolerance   tolerance either side of the teach value, pixels\n"
     "  maximum     maximum since the last reset\n"
     "  minimum     minimum since the last reset (1023: none yet)\n"
     "  in_band     1 when the value lies within teach value +- tolerance (limits 1 and\n"
     "              1023), 0 otherwise\n"
     "  port        the device of the port\n"
     "  value_mm, left_edge_mm, right_edge_mm, width_mm\n"
     "              the same in millimetres, where the sensor's type has a scale\n"
     "              (else -; width_mm is right_edge_mm - left_edge_mm)\n"
     "Columns are separated by a space, without a header line.\n"
     "  --count N     end after N replies\n"
     "  --duration S  end with the first reply after S seconds\n"
     "  --csv         comma-separated, with a header line of the column names\n"
     "  --json        one JSON object per line (in_band true or false)\n"
     "  --every N     print (and publish) one reply in N: the Nth, the 2Nth, ...\n"
     "  --interval S  every S seconds a summary of the measured value as a line of its\n"
     "                own: \"summary\", the first and last time, count, min, mean, max,\n"
     "                standard deviation, out-of-band count and port (with --json an object\n"
     "                with those names), also published on PREFIX/summary\n"
     "  --keep-going  run as a service until SIGTERM or SIGINT, whatever the sensor and\n"
     "                the line do: a missing reply is counted and the loop goes on; a\n"
     "                sensor that stops answering is tried again every 1 to 10 s and set\n"
     "                up anew (line check, identification, parameter read) when it\n"
     "                answers; a port that goes away is awaited by its name and set up\n"
     "                again when it returns. Each change of state is a line on standard\n"
     "                error with a syslog priority (\"<4>\"), and the counters (replies,\n"
     "                missed, set-ups, messages dropped) are printed at the end and\n"
     "                published on PREFIX/counters. Under systemd (Type=notify) it reports\n"
     "                ready once the sensor is identified, its state, and feeds the watchdog.\n"
     "  --mqtt URL    also publish to an MQTT broker: mqtt://HOST[:PORT]/PREFIX (or\n"
     "                mqtts://; ports 1883 and 8883, prefix \"kvormx\" by default): the\n"
     "                identity and parameters (retained), a message per reply on\n"
     "                PREFIX/measurement, and PREFIX/status (\"online\", the outcome; \"offline\"\n"
     "                at the end or, as the last will, when the tool dies)\n"
     "  --mqtt-auth FILE  user name (first line) and password (second line) for the\n"
     "                broker; no password is ever taken on the command line\n"
     "  --mqtt-client-id ID  the name the broker knows the tool by (default\n"
     "                kvormx-HOST-PORTNAME, PORTNAME the device under /dev)\n"
     "A bad URL or an unreadable FILE is a usage error before the port is opened. The\n"
     "line never waits for the broker: messages queue while it is away, and the\n"
     "broker's state (connected, lost, refused) is a line on standard error each time\n"
     "it changes. At the end, what is queued is sent within 2 s; a broker that was never\n"
     "reached ends the tool with status 1 (not with --keep-going).\n"
     "Runs until Ctrl-C (or SIGTERM) otherwise, which ends it after the current exchange,\n"
     "with status 0 and the counters on standard error. Without --keep-going a reply that\n"
     "does not come within the time-out ends it with status 1.\n"},
    {"video", CmdVideo,
     "[--count N | --duration S] [--csv | --json] [--every N] [--interval S] [--average N]\n"
     "       [--keep-going]\n"
     "       [--mqtt URL [--mqtt-auth FILE] [--mqtt-client-id ID]]",
     "video mode: a line per picture",
     "Video mode: reads the sensor's RAM set and its hardware words, then, picture by\n"
     "picture, a measurement request and the 256 video samples (four blocks of 64 on board\n"
     "type 0, one block of 256 on other boards), as kvormx's video mode does. Prints one\n"
     "line per picture: the columns of watch, then first_pixel, pixel_step and sample_0 ..\n"
     "sample_255 (0 to 1023).\n"
     "  --count N     end after N pictures\n"
     "  --duration S  end with the first picture after S seconds\n"
     "  --csv         comma-separated, with a header line of the column names\n"
     "  --json        one JSON object per line, the samples as the array \"samples\"\n"
     "  --every N     print (and publish) one picture in N\n"
     "  --interval S  every S seconds a summary of the measured value (see watch --help)\n"
     "  --average N   the samples of each line are the moving average of the latest N\n"
     "                pictures (1, 2, 4, 8 or 16; fewer while the first come), each\n"
     "                rounded to the nearest whole number; the other columns are the\n"
     "                newest picture's\n"
     "  --keep-going  run as a service until SIGTERM or SIGINT (see watch --help): a\n"
     "                missing measurement or block is counted and the loop goes on\n"
     "  --mqtt URL    also publish to an MQTT broker: mqtt://HOST[:PORT]/PREFIX (or\n"
     "                mqtts://; ports 1883 and 8883, prefix \"kvormx\" by default): the\n"
     "                identity and parameters (retained), a message per picture on\n"
     "                PREFIX/video, and PREFIX/status (\"online\", the outcome; \"offline\"\n"
     "                at the end or, as the last will, when the tool dies)\n"
     "  --mqtt-auth FILE  user name (first line) and password (second line) for the\n"
     "                broker; no password is ever taken on the command line\n"
     "  --mqtt-client-id ID  the name the broker knows the tool by (default\n"
     "                kvormx-HOST-PORTNAME)\n"
     "A bad URL or an unreadable FILE is a usage error before the port is opened. The\n"
     "line never waits for the broker: messages queue while it is away, and the\n"
     "broker's state (connected, lost, refused) is a line on standard error each time\n"
     "it changes. At the end, what is queued is sent within 2 s; a broker that was never\n"
     "reached ends the tool with status 1 (not with --keep-going).\n"
     "Runs until Ctrl-C (or SIGTERM) otherwise, which ends it after the current picture,\n"
     "with status 0 and the counters on standard error. Without --keep-going a measurement\n"
     "or a block that does not come within the time-out ends it with status 1, without a\n"
     "line for that picture.\n"},
};

static const Command* FindCommand(const char* name)
{
    for (const Command& c : kCommands)
        if (std::strcmp(c.name, name) == 0) return &c;
    return nullptr;
}

static void Overview(FILE* out)
{
    std::fprintf(out, "%s",
                 TranslateUtf8("Usage: kvormx-cli [OPTION]... COMMAND [ARGUMENT]...\n"
                               "The operations of the K-VOR-MX operating tool without a window, for scripts:\n"
                               "identify the sensor, back up and restore its parameter set, teach, reset, and log\n"
                               "its measurements.\n\nCommands:\n"));
    for (const Command& c : kCommands) {
        char head[192];
        char synopsis[96];
        std::snprintf(synopsis, sizeof synopsis, "%s", c.synopsis);
        synopsis[std::strcspn(synopsis, "\n")] = '\0';  // the first line of a long synopsis
        std::snprintf(head, sizeof head, "%s %s", c.name, synopsis);
        if (std::strlen(head) <= 24)
            std::fprintf(out, "  %-24s %s\n", head, TranslateUtf8(c.summary));
        else
            std::fprintf(out, "  %s\n  %-24s %s\n", head, "", TranslateUtf8(c.summary));
    }
    std::fprintf(out, "  %-24s %s\n\n%s\n", "help [COMMAND]", TranslateUtf8("this text, or COMMAND's"),
                 TranslateUtf8(kCommonHelp));
    std::fprintf(out, "%s%s",
                 TranslateUtf8("The line runs at 19200 baud, 8 data bits, no parity, 1 stop bit, no handshake. Every\n"
                               "command that talks to the sensor first proves the line with an echo frame. Data goes\n"
                               "to standard output, messages to standard error.\n\n"),
                 TranslateUtf8(kExitHelp));
}

static void CommandHelp(const Command& c)
{
    std::printf("%s kvormx-cli [OPTION]... %s %s\n%s\n%s\n%s", TranslateUtf8(TR("Usage:")), c.name, c.synopsis,
                TranslateUtf8(c.help), TranslateUtf8(kCommonHelp), TranslateUtf8(kExitHelp));
}

// ---- Argument helpers ---------------------------------------------------------------------------

// One message: the line on standard error (in the operator's language,
// with its priority under the service) and, unless `publish` is 0, the same
// text in English as the broker's status.
static void Emit(int level, int publish, const char* format, va_list args)
{
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    std::fflush(stdout);  // data before the message, where both go to one terminal
    if (cliService)
        std::fprintf(stderr, "<%d>kvormx-cli: %s\n", level, TranslateUtf8(text));
    else
        std::fprintf(stderr, "kvormx-cli: %s\n", TranslateUtf8(text));
    // With --mqtt the broker's status text says the same (a time-out, a lost port).
    if (publish) MqttPublishStatus(text);
}

void Message(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Emit(LOG_LEVEL_ERR, 1, format, args);
    va_end(args);
}

void Say(int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Emit(level, 1, format, args);
    va_end(args);
}

void Note(int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Emit(level, 0, format, args);
    va_end(args);
}

int UsageError(const char* command, const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (command)
        Message("%s: %s (see kvormx-cli %s --help)", command, text, command);
    else
        Message("%s (see kvormx-cli --help)", text);
    return EXIT_USAGE;
}

int IsOption(const char* arg, const char* name)
{
    size_t n = std::strlen(name);
    return std::strncmp(arg, name, n) == 0 && (arg[n] == '\0' || (arg[n] == '=' && name[1] == '-'));
}

const char* OptionValue(int argc, char** argv, int* at, const char* name)
{
    const char* arg = argv[*at];
    size_t n = std::strlen(name);
    if (arg[n] == '=') return arg + n + 1;
    if (*at + 1 < argc) return argv[++*at];
    Message("%s needs a value (see kvormx-cli --help)", name);
    return nullptr;
}

int ParseCount(const char* name, const char* text, long* count)
{
    char* end = nullptr;
    long n = std::strtol(text, &end, 10);
    if (text[0] < '0' || text[0] > '9' || *end != '\0' || n < 1 || n > 1000000000L) {
        Message("%s wants a whole number of at least 1, not '%s'", name, text);
        return 0;
    }
    *count = n;
    return 1;
}

int ParseSeconds(const char* name, const char* text, double* seconds)
{
    char* end = nullptr;
    double s = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(s > 0.0) || s > 1e9) {
        Message("%s wants a time in seconds above 0, not '%s'", name, text);
        return 0;
    }
    *seconds = s;
    return 1;
}

// ---- Entry --------------------------------------------------------------------------------------

// A trace that cannot be written any more (a full disk) is said at once and
// fails the run: a script must not take a cut trace for a whole one. The
// service goes on measuring.
static int g_traceFailed = 0;

static void TraceStopped(const char* why)
{
    g_traceFailed = 1;
    Message("the trace stopped: %s", why);
    if (!cliService) stop_flag = 1;
}

int main(int argc, char** argv)
{
    // Rows reach a pipe as they come, not in 4 KB lumps.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    ResetLinkState();
    // The language first, so that every message of the command line is in it.
    const char* language = nullptr;
    for (int i = 1; i + 1 < argc; i++)
        if (std::strcmp(argv[i], "--settings") == 0) SetSettingsFile(argv[i + 1]);
    for (int i = 1; i < argc && !language; i++)
        if (std::strcmp(argv[i], "--language") == 0 && i + 1 < argc)
            language = argv[i + 1];
        else if (std::strncmp(argv[i], "--language=", 11) == 0)
            language = argv[i] + 11;
    if (ChooseLanguage(language) == -1) {
        ChooseLanguage(nullptr);
        return UsageError(nullptr, "--language wants en or de, not '%s'", language);
    }

    const Command* command = nullptr;
    int help = 0, resetSettings = 0;
    double timeout = TIMEOUT;
    char* rest[256];
    int restCount = 0;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            help = 1;
        } else if (std::strcmp(a, "--version") == 0) {
            std::printf("kvormx-cli (" SOFT_NAME ") " SOFT_VERSION "\n");
            return FinishOutput();
        } else if (std::strcmp(a, "--simulate") == 0) {
            cliSimulate = 1;
        } else if (IsOption(a, "--port") || IsOption(a, "--trace")) {
            const char* name = IsOption(a, "--port") ? "--port" : "--trace";
            const char* value = OptionValue(argc, argv, &i, name);
            if (!value) return EXIT_USAGE;
            if (!value[0] || std::strlen(value) >= PATH_LEN)
                return UsageError(nullptr, "%s wants a path of 1 to %d bytes", name, PATH_LEN - 1);
            std::strcpy(std::strcmp(name, "--port") == 0 ? cliPort : cliTrace, value);
        } else if (IsOption(a, "--language")) {
            if (!OptionValue(argc, argv, &i, "--language")) return EXIT_USAGE;  // taken above
        } else if (std::strcmp(a, "--reset-settings") == 0) {
            resetSettings = 1;
        } else if (IsOption(a, "--settings")) {
            const char* value = OptionValue(argc, argv, &i, "--settings");
            if (!value) return EXIT_USAGE;
            if (!value[0] || SetSettingsFile(value) != 0)
                return UsageError(nullptr, "--settings wants a regular file, not '%s'", value);
        } else if (IsOption(a, "--timeout")) {
            const char* value = OptionValue(argc, argv, &i, "--timeout");
            if (!value || !ParseSeconds("--timeout", value, &timeout)) return EXIT_USAGE;
            if (timeout < 0.01 || timeout > 3600) return UsageError(nullptr, "--timeout wants 0.01 to 3600 seconds");
        } else if (!command && std::strcmp(a, "help") == 0) {
            help = 1;
        } else if (!command && a[0] != '-') {
            command = FindCommand(a);
            if (!command) return UsageError(nullptr, "no command '%s'", a);
        } else if (!command) {
            return UsageError(nullptr, "unknown option '%s'", a);
        } else {
            if (restCount == static_cast<int>(sizeof rest / sizeof rest[0]))
                return UsageError(command->name, "too many arguments");
            rest[restCount++] = argv[i];
        }
    }
    if (help) {
        if (command)
            CommandHelp(*command);
        else
            Overview(stdout);
        return FinishOutput();
    }
    if (resetSettings) {
        char movedTo[PATH_LEN];
        const int r = ResetSettings(movedTo, sizeof movedTo);
        if (r < 0) {
            Message("the settings could not be reset: %s", movedTo);
            return EXIT_USAGE;
        }
        Note(LOG_LEVEL_NOTICE,
             r ? "settings reset to the defaults; the old file is kept as %s"
               : "settings reset to the defaults (there was no settings file: %s)",
             r ? movedTo : SettingsFileName());
        if (!command) return FinishOutput();
    }
    if (!command) {
        Overview(stderr);
        return EXIT_USAGE;
    }
    if (cliSimulate && cliPort[0]) return UsageError(nullptr, "--simulate and --port exclude each other");
    reply_limit = timeout;

    // The trace is opened with the port (line.cpp): a command line that
    // proves bad leaves an old trace as it was.
    SetTraceStoppedHandler(TraceStopped);

    InitRuntimeHeadless();
    int status = command->run(restCount, rest);
    StopPublishing(0);
    CloseLine();
    const int traced = TraceActive();
    TraceClose();
    if (traced && !g_traceFailed && TraceError()[0]) {
        g_traceFailed = 1;
        Message("the trace could not be written whole: %s", TraceError());
    }
    int output = FinishOutput();
    if (status != EXIT_DONE) return status;
    return g_traceFailed ? EXIT_USAGE : output;
}
