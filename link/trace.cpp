// The frame trace: a plain-text file of everything on the line, for whoever
// looks into a sensor that misbehaves.
//
// One line per event, fields separated by tabs:
//   time (local, ISO-8601, microseconds)  seconds since the trace began
//   direction (TX, RX, or -- for what the program concluded)  command name
//   the words decoded  the raw bytes in hex
// Lines starting with '#' are comments.
#include "link/trace.h"
#include "link/link.h"
#include "link/record.h"

#include "link/state.h"
#include "runtime/filewriter.h"
#include "runtime/rs232.h"
#include "runtime/util.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

const int TRACE_LINE_LEN = 8192;  // a 512-byte block: 1536 characters of hex, 256 samples decoded
const int TRACE_WHY_LEN = PATH_LEN + 96;

static int g_writer = 0;
static char g_path[PATH_LEN];
static char g_why[TRACE_WHY_LEN];
static double g_started;
static int g_command = 0;         // command of the last request, for the replies that follow
static int g_reply = REPLY_NONE;  // and what it waited for
static TraceStoppedHandler g_onStopped = nullptr;

// ---- Names --------------------------------------------------------------------------------------

static const char* CommandName(int command, int reply)
{
    switch (command) {
        case CMD_WRITE_RAM: return "WRITE_RAM";
        case CMD_READ_RAM: return "READ_RAM";
        case CMD_WRITE_EEPROM: return "WRITE_EEPROM";
        case CMD_READ_EEPROM: return "READ_EEPROM";
        case CMD_ECHO: return "ECHO";
        case CMD_TEACH: return "TEACH";
        case CMD_VERSION: return "VERSION";
        case CMD_MEASURE: return "MEASURE";
        case CMD_READ_VIDEO64: return "READ_VIDEO64";
        case CMD_HARDWARE_INFO: return "HARDWARE_INFO";
        case 11: return reply > 0 ? "READ_VIDEO256" : "RESET_MAXMIN";
        default: return "UNKNOWN";
    }
}

static const char* const kHardwareNames[PNUM] = {
    "ccdtype", "ccdmaxpixel", "ccdresolution", "pcbtype", "w4",  "w5",  "w6",  "w7",
    "w8",      "w9",          "w10",           "w11",     "w12", "w13", "w14", "w15",
};
static const char* const kBlockRequestNames[PNUM] = {
    "first", "last", "w2", "w3", "w4", "w5", "w6", "w7", "w8", "w9", "w10", "w11", "w12", "w13", "w14", "w15",
};

// What the 16 payload words of a frame mean: requests carry the parameter
// set (video reads: first sample and last-block mark); replies a parameter
// set, the measurement words or the hardware words.
static const char* const* WordNames(int tx, int command, int reply)
{
    if (tx) return command == CMD_READ_VIDEO64 || (command == 11 && reply > 0) ? kBlockRequestNames : kParamNames;
    if (command == CMD_MEASURE) return kMeasureWordNames;
    if (command == CMD_HARDWARE_INFO) return kHardwareNames;
    return kParamNames;
}

// ---- Writing a line -----------------------------------------------------------------------------

struct Line {
    char text[TRACE_LINE_LEN];
    int n = 0;
    void Add(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

void Line::Add(const char* format, ...)
{
    if (n >= TRACE_LINE_LEN - 1) return;
    va_list args;
    va_start(args, format);
    int k = std::vsnprintf(text + n, static_cast<size_t>(TRACE_LINE_LEN - n), format, args);
    va_end(args);
    if (k > 0) n += k < TRACE_LINE_LEN - 1 - n ? k : TRACE_LINE_LEN - 1 - n;
}

// Time, seconds since the start, direction and command name.
static void Begin(Line& line, const char* direction, const char* name)
{
    char time[48];
    WallClockText(time, sizeof time, 6);
    long long us = static_cast<long long>((Timer() - g_started) * 1e6 + 0.5);
    line.Add("%s\t%lld.%06lld\t%s\t%s\t", time, us / 1000000, us % 1000000, direction, name);
}

static void Hex(Line& line, const char* bytes, int n)
{
    static const char kDigits[] = "0123456789abcdef";
    for (int i = 0; i < n && line.n < TRACE_LINE_LEN - 4; i++) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (i > 0) line.text[line.n++] = ' ';
        line.text[line.n++] = kDigits[b >> 4];
        line.text[line.n++] = kDigits[b & 15];
    }
}

static void StopOnFailure(void)
{
    std::snprintf(g_why, sizeof g_why, "%s: %s", g_path, FileWriterError(g_writer));
    FileWriterClose(g_writer);
    g_writer = 0;
    if (g_onStopped) g_onStopped(g_why);
}

static void End(Line& line)
{
    if (line.n > TRACE_LINE_LEN - 2) line.n = TRACE_LINE_LEN - 2;
    line.text[line.n++] = '\n';
    if (FileWriterPut(g_writer, line.text, line.n) < 0 || FileWriterFailed(g_writer)) StopOnFailure();
}

// A frame: sync and command word, the 16 words by name, then the hex.
static void FrameLine(const char* direction, const char* name, const char* const* names, const char* bytes, int n,
                      const char* note)
{
    Line line;
    Begin(line, direction, name);
    if (n == FRAME_BYTES) {
        line.Add("sync=0x%04X cmd=%u", unsigned{GetWord(bytes)}, unsigned{GetWord(bytes + 2)});
        for (int i = 0; i < PNUM; i++) line.Add(" %s=%u", names[i], unsigned{GetWord(bytes + 4 + 2 * i)});
    } else {
        line.Add("%d of %d bytes, no frame", n < 0 ? 0 : n, FRAME_BYTES);
    }
    if (note && *note) line.Add(" (%s)", note);
    line.Add("\t");
    if (n > 0) Hex(line, bytes, n);
    End(line);
}

// ---- trace.h ------------------------------------------------------------------------------------

void TraceSent(int command, int reply, const char* bytes, int n)
{
    if (!g_writer) return;
    g_command = command;
    g_reply = reply;
    const char* note = n == FRAME_BYTES ? "" : "write failed";
    char text[64];
    if (n != FRAME_BYTES) {
        std::snprintf(text, sizeof text, "write failed: %d of %d bytes", n < 0 ? 0 : n, FRAME_BYTES);
        note = text;
    }
    // The frame as built, whatever got out of it.
    FrameLine("TX", CommandName(command, reply), WordNames(1, command, reply), bytes, FRAME_BYTES, note);
}

void TraceFrameIn(const char* bytes, int n, int taken)
{
    if (!g_writer) return;
    int command = taken || n != FRAME_BYTES ? g_command : GetWord(bytes + 2);
    int reply = taken ? g_reply : REPLY_FRAME;
    FrameLine("RX", CommandName(command, reply), WordNames(0, command, reply), bytes, n,
              taken ? "" : "no exchange waits: dropped");
}

void TraceBlockIn(const char* bytes, int n, int asked)
{
    if (!g_writer) return;
    Line line;
    Begin(line, "RX", CommandName(g_command, g_reply));
    line.Add("%d of %d bytes", n < 0 ? 0 : n, asked);
    if (g_command == CMD_VERSION) {
        // Board type 0 sends one character in the low byte of each word.
        line.Add(" text=\"");
        const bool wordCoded = pcbtype == 0;
        for (int i = wordCoded ? 1 : 0; i < n; i += wordCoded ? 2 : 1) {
            unsigned char c = static_cast<unsigned char>(bytes[i]);
            if (c == 0) continue;
            line.Add("%c", c >= 0x20 && c < 0x7F && c != '"' ? c : '.');
        }
        line.Add("\"");
    } else {
        int first = g_command == CMD_READ_VIDEO64 ? GetWord(szWriteBuf + 4) : 0;
        line.Add(" samples %d..%d:", first, first + n / 2 - 1);
        for (int i = 0; i + 1 < n; i += 2) line.Add(" %u", unsigned{GetWord(bytes + i)});
    }
    line.Add("\t");
    if (n > 0) Hex(line, bytes, n);
    End(line);
}

void TraceDropped(const char* what, const char* bytes, int n)
{
    if (!g_writer || n <= 0) return;
    Line line;
    Begin(line, "RX", "STRAY");
    line.Add("%d bytes %s\t", n, what);
    Hex(line, bytes, n);
    End(line);
}

void TraceNote(const char* direction, const char* text)
{
    if (!g_writer) return;
    Line line;
    Begin(line, direction, CommandName(g_command, g_reply));
    line.Add("%s\t", text);
    End(line);
}

// ---- link.h -------------------------------------------------------------------------------------

int TraceOpen(const char* path)
{
    TraceClose();
    CopyText(g_path, PATH_LEN, path ? path : "");
    g_why[0] = '\0';
    int w = FileWriterOpen(g_path);
    if (w < 0) {
        std::snprintf(g_why, sizeof g_why, "%s: %s", g_path, FileWriterError(0));
        return -1;
    }
    g_writer = w;
    g_started = Timer();
    Line line;
    char time[48];
    WallClockText(time, sizeof time, 6);
    line.Add("# %s %s frame trace, begun %s, COM%d (%s)\n", SOFT_NAME, SOFT_VERSION, time, com, GetComDevice(com));
    line.Add("# time\tseconds\tdirection\tcommand\twords decoded\tbytes in hex");
    End(line);
    return g_writer ? 0 : -1;
}

void TraceClose(void)
{
    if (!g_writer) return;
    const int w = g_writer;
    g_writer = 0;
    if (FileWriterClose(w) < 0) std::snprintf(g_why, sizeof g_why, "%s: %s", g_path, FileWriterError(0));
}

int TraceActive(void)
{
    return g_writer ? 1 : 0;
}

const char* TraceError(void)
{
    return g_why;
}

void SetTraceStoppedHandler(TraceStoppedHandler handler)
{
    g_onStopped = handler;
}
