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

// ---- Events and the ring --------------------------------------------------------------------------

// One thing that happened on the line, as it was: formatted only when it is
// written, to the trace file at once or from the ring into a support file.
const int EVENT_BYTES = 512;  // a 256-sample block; a longer burst keeps its first bytes
enum Kind { K_SENT, K_FRAME_IN, K_BLOCK_IN, K_DROPPED, K_NOTE };
struct Event {
    int kind;
    double wall;         // seconds since the epoch
    double at;           // Timer()
    int command, reply;  // the request it belongs to
    int n;               // bytes (written, read); may be negative for a failed write
    int asked;           // a block's size
    int taken;           // a frame that answered the waiting exchange
    int wordCoded;       // a firmware text one character a word (board type 0)
    int first;           // a 64-sample block's first sample
    char direction[3];
    char text[96];  // a note, or why bytes were dropped
    char bytes[EVENT_BYTES];
};

const int RING_EVENTS = 500;
static Event g_ring[RING_EVENTS];
static int g_ringNext = 0, g_ringHeld = 0;

// The next slot of the ring, stamped; the caller fills the rest.
static Event& Record(int kind, const char* direction, const char* bytes, int n)
{
    Event& e = g_ring[g_ringNext];
    g_ringNext = (g_ringNext + 1) % RING_EVENTS;
    if (g_ringHeld < RING_EVENTS) g_ringHeld++;
    e.kind = kind;
    e.wall = WallClockSeconds();
    e.at = Timer();
    e.command = g_command;
    e.reply = g_reply;
    e.n = n;
    e.asked = e.taken = e.wordCoded = e.first = 0;
    std::snprintf(e.direction, sizeof e.direction, "%s", direction);
    e.text[0] = '\0';
    if (bytes && n > 0) std::memcpy(e.bytes, bytes, static_cast<size_t>(n < EVENT_BYTES ? n : EVENT_BYTES));
    return e;
}

// Time, seconds since `since`, direction and command name.
static void Begin(Line& line, const Event& e, double since, const char* name)
{
    char time[48];
    WallClockText(time, sizeof time, 6, e.wall);
    long long us = static_cast<long long>((e.at - since) * 1e6 + 0.5);
    if (us < 0) us = 0;
    line.Add("%s\t%lld.%06lld\t%s\t%s\t", time, us / 1000000, us % 1000000, e.direction, name);
}

static void Hex(Line& line, const char* bytes, int n)
{
    static const char kDigits[] = "0123456789abcdef";
    if (n > EVENT_BYTES) n = EVENT_BYTES;
    for (int i = 0; i < n && line.n < TRACE_LINE_LEN - 4; i++) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (i > 0) line.text[line.n++] = ' ';
        line.text[line.n++] = kDigits[b >> 4];
        line.text[line.n++] = kDigits[b & 15];
    }
}

// A frame: sync and command word, the 16 words by name, then the hex.
static void FrameLine(Line& line, const Event& e, double since, const char* name, const char* const* names, int n,
                      const char* note)
{
    Begin(line, e, since, name);
    if (n == FRAME_BYTES) {
        line.Add("sync=0x%04X cmd=%u", unsigned{GetWord(e.bytes)}, unsigned{GetWord(e.bytes + 2)});
        for (int i = 0; i < PNUM; i++) line.Add(" %s=%u", names[i], unsigned{GetWord(e.bytes + 4 + 2 * i)});
    } else {
        line.Add("%d of %d bytes, no frame", n < 0 ? 0 : n, FRAME_BYTES);
    }
    if (note && *note) line.Add(" (%s)", note);
    line.Add("\t");
    if (n > 0) Hex(line, e.bytes, n);
}

// One event as one trace line, its seconds counted from `since`.
static void Format(Line& line, const Event& e, double since)
{
    switch (e.kind) {
        case K_SENT: {
            char note[64] = "";
            if (e.n != FRAME_BYTES)
                std::snprintf(note, sizeof note, "write failed: %d of %d bytes", e.n < 0 ? 0 : e.n, FRAME_BYTES);
            // The frame as built, whatever got out of it.
            FrameLine(line, e, since, CommandName(e.command, e.reply), WordNames(1, e.command, e.reply), FRAME_BYTES,
                      note);
            break;
        }
        case K_FRAME_IN: {
            int command = e.taken || e.n != FRAME_BYTES ? e.command : GetWord(e.bytes + 2);
            int reply = e.taken ? e.reply : REPLY_FRAME;
            FrameLine(line, e, since, CommandName(command, reply), WordNames(0, command, reply), e.n,
                      e.taken ? "" : "no exchange waits: dropped");
            break;
        }
        case K_BLOCK_IN: {
            Begin(line, e, since, CommandName(e.command, e.reply));
            const int n = e.n < 0 ? 0 : (e.n > EVENT_BYTES ? EVENT_BYTES : e.n);
            line.Add("%d of %d bytes", e.n < 0 ? 0 : e.n, e.asked);
            if (e.command == CMD_VERSION) {
                // Board type 0 sends one character in the low byte of each word.
                line.Add(" text=\"");
                for (int i = e.wordCoded ? 1 : 0; i < n; i += e.wordCoded ? 2 : 1) {
                    unsigned char c = static_cast<unsigned char>(e.bytes[i]);
                    if (c == 0) continue;
                    line.Add("%c", c >= 0x20 && c < 0x7F && c != '"' ? c : '.');
                }
                line.Add("\"");
            } else {
                line.Add(" samples %d..%d:", e.first, e.first + n / 2 - 1);
                for (int i = 0; i + 1 < n; i += 2) line.Add(" %u", unsigned{GetWord(e.bytes + i)});
            }
            line.Add("\t");
            Hex(line, e.bytes, n);
            break;
        }
        case K_DROPPED:
            Begin(line, e, since, "STRAY");
            line.Add("%d bytes %s\t", e.n, e.text);
            Hex(line, e.bytes, e.n);
            break;
        case K_NOTE:
            Begin(line, e, since, CommandName(e.command, e.reply));
            line.Add("%s\t", e.text);
            break;
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

// The event into the trace file, when one is written.
static void Write(const Event& e)
{
    if (!g_writer) return;
    Line line;
    Format(line, e, g_started);
    End(line);
}

// ---- trace.h ------------------------------------------------------------------------------------

void TraceSent(int command, int reply, const char* bytes, int n)
{
    g_command = command;
    g_reply = reply;
    Event& e = Record(K_SENT, "TX", bytes, FRAME_BYTES);
    e.n = n;
    Write(e);
}

void TraceFrameIn(const char* bytes, int n, int taken)
{
    Event& e = Record(K_FRAME_IN, "RX", bytes, n);
    e.taken = taken;
    Write(e);
}

void TraceBlockIn(const char* bytes, int n, int asked)
{
    Event& e = Record(K_BLOCK_IN, "RX", bytes, n);
    e.asked = asked;
    e.wordCoded = pcbtype == 0;
    e.first = g_command == CMD_READ_VIDEO64 ? GetWord(szWriteBuf + 4) : 0;
    Write(e);
}

void TraceDropped(const char* what, const char* bytes, int n)
{
    if (n <= 0) return;
    Event& e = Record(K_DROPPED, "RX", bytes, n);
    std::snprintf(e.text, sizeof e.text, "%s", what);
    Write(e);
}

void TraceNote(const char* direction, const char* text)
{
    Event& e = Record(K_NOTE, direction, nullptr, 0);
    std::snprintf(e.text, sizeof e.text, "%s", text);
    Write(e);
}

void TraceRingLines(TraceLineSink sink, void* data)
{
    const int first = (g_ringNext - g_ringHeld + RING_EVENTS) % RING_EVENTS;
    const double since = g_ringHeld ? g_ring[first].at : 0.0;
    for (int k = 0; k < g_ringHeld; k++) {
        Line line;
        Format(line, g_ring[(first + k) % RING_EVENTS], since);
        line.text[line.n++] = '\n';
        sink(line.text, line.n, data);
    }
}

int TraceRingEvents(void)
{
    return g_ringHeld;
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
