// Fuzzes the receive path end to end: the program's own operations (port
// set-up, Get, Send, Teach, Reset, run mode, video mode, a port change, an
// adapter pulled) against a sensor whose every reply the input may bend. The
// panels are the real ones (offscreen, never shown); the port and the clock
// are the virtual line of fuzz/virtual_line.cpp, so a 1.5 s time-out costs
// microseconds and an input replays the same way every time.
//
// Input layout:
//   byte 0       the sensor: bit 0 board type 400 (else 0); bits 1-2 the line,
//                1024 / 512 / 256 / 1024 pixels (CCD types 2, 3, 101, 1);
//                bit 3 non-echo replies open with 0x0055 instead of 0x00AA;
//                bit 4 an EEPROM that keeps its old set
//   then         the start-up's port set-up, and one operation per op byte
//                while the input lasts (at most kMaxOps). An op byte is
//                kind + 10 * argument; the kinds: 0 Get RAM, 1 Get EEPROM,
//                2 Send RAM, 3 Send EEPROM, 4 Teach, 5 Reset, 6 Run (the
//                argument % 8 replies, then Stop; argument / 8 picks Get,
//                Send or a port choice pressed in passing), 7 Video (1 +
//                argument % 3 cycles; argument / 3 picks Teach, Reset or
//                Get pressed in passing), 8 a port choice (COM1 + argument
//                % 2; COM2 has no device), 9 the adapter pulled.
// Every request the program writes takes the next byte as its reply's
// control byte (0 once the input is used up):
//   bits 0-2     length: as is, one byte short, half, one byte only, one
//                byte more, 4 bytes 0xEE more, 36 bytes more, n more
//   bits 3-5     timing: one burst; two pieces with a gap inside a burst;
//                stray bytes, a pause, the reply; after the time-out; paced
//                in 8-byte pieces; stray bytes glued to its front; followed by
//                an unsolicited frame; the adapter pulled mid-reply
//   bits 6-7     content: the reference sensor's reply (sim/responder), that
//                reply under a header from the input, every byte from the
//                input, no reply at all
// The bytes these need (stray bytes, a header, the split point) follow the
// control byte. The reference sensor answers what the input leaves alone, so
// an input of zeros is a clean conversation and the loops reach their Stop.
//
// What the program must keep, whatever the sensor sends (a breach aborts):
//   * every request is one whole frame opening with 0x00 0x55, and carries
//     only the commands of the operation the operator started; a button
//     pressed while a loop runs sends nothing;
//   * no operation leaves the line locked or a loop running;
//   * only reads (Get, Teach, a port set-up) change the parameter set the
//     panels show; Reset and a pulled adapter leave the variables alone too,
//     and the loops take only the teach value and tolerance the sensor
//     reports into them.
#include "app/app.h"
#include "display/display.h"
#include "form/form.h"
#include "fuzz/virtual_line.h"
#include "link/link.h"
#include "link/state.h"
#include "params/params.h"
#include "runtime/rs232.h"
#include "runtime/settings.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "sim/responder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const int kSensorPort = 1;  // COM1 has the sensor; COM2 has nothing behind it
const int kMaxOps = 8;
const double kByteTime = 10.0 / 19200;  // start bit, 8 data bits, stop bit

// ---- The input ----------------------------------------------------------------------------------

struct Input {
    const uint8_t* data = nullptr;
    size_t size = 0, pos = 0;
    bool Empty() const { return pos >= size; }
    uint8_t Next() { return pos < size ? data[pos++] : 0; }
};

// ---- The operation under way and what it may send -----------------------------------------------

enum Op {
    OP_GET_RAM,
    OP_GET_EEPROM,
    OP_SEND_RAM,
    OP_SEND_EEPROM,
    OP_TEACH,
    OP_RESET,
    OP_RUN,
    OP_VIDEO,
    OP_PORT,
    OP_UNPLUG,
    OP_COUNT,
    OP_SETUP = OP_COUNT
};

const char* const kOpNames[] = {"Get RAM", "Get EEPROM", "Send RAM",    "Send EEPROM",    "Teach",      "Reset",
                                "Run",     "Video",      "port choice", "adapter pulled", "port set-up"};

enum Nested { NEST_NONE, NEST_GET, NEST_SEND, NEST_TEACH, NEST_RESET, NEST_PORT };

struct Operator {
    int op = OP_SETUP;
    int stopAfter = 0;       // loops: Stop once this many measurement requests are out
    int nested = NEST_NONE;  // a button pressed just before Stop
    bool stopped = false;
};

[[noreturn]] void Breach(const char* what, int op)
{
    std::fprintf(stderr, "fuzz_receive: %s (during %s)\n", what, kOpNames[op]);
    std::abort();
}

bool AllZero(const uint16_t* words)
{
    return std::all_of(words, words + PNUM, [](uint16_t w) { return w == 0; });
}

// The commands an operation asks the sensor for; anything else on the line
// is a request no operator made.
bool Asked(int op, int command, const uint16_t* payload)
{
    switch (op) {
        case OP_SETUP:
        case OP_PORT:
            return command == CMD_ECHO || command == CMD_HARDWARE_INFO || command == CMD_READ_RAM ||
                   command == CMD_VERSION;
        case OP_GET_RAM: return command == CMD_READ_RAM;
        case OP_GET_EEPROM: return command == CMD_READ_EEPROM;
        case OP_SEND_RAM: return command == CMD_WRITE_RAM || command == CMD_READ_RAM;
        case OP_SEND_EEPROM: return command == CMD_WRITE_EEPROM || command == CMD_READ_EEPROM;
        case OP_TEACH: return command == CMD_TEACH || command == CMD_READ_RAM;
        case OP_RESET: return command == CMD_RESET_MAXMIN;
        case OP_RUN: return command == CMD_MEASURE;
        case OP_VIDEO:
            // Board 0 reads its line in 64-sample blocks; command 11 with an
            // all-zero payload is the video read of the other boards only, and a
            // board-0 sensor would take it for a max/min reset.
            if (command == CMD_MEASURE) return true;
            if (pcbtype == 0) return command == CMD_READ_VIDEO64;
            return command == CMD_READ_VIDEO256 && AllZero(payload);
        default: return false;
    }
}

// ---- The sensor's end of the line ---------------------------------------------------------------

struct Sensor {
    Input in;
    std::unique_ptr<sim::Responder> reference;
    bool eepromStuck = false;
    double bornAt = 0;  // the scene's time runs from here
    int measureRequests = 0;
    Operator who;
};

Sensor g_sensor;
bool g_trace = false;  // FUZZ_RECEIVE_TRACE set: requests and status lines on stderr

void Send(const std::vector<uint8_t>& bytes, double at)
{
    if (!bytes.empty()) VirtualLineSend(kSensorPort, bytes.data(), static_cast<int>(bytes.size()), at);
}

std::vector<uint8_t> FromInput(Input& in, size_t n)
{
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes) b = in.Next();
    return bytes;
}

// The reply to one complete request, bent as its control byte says.
void Answer(Sensor& s, int command, const sim::Words& payload)
{
    Input& in = s.in;
    const uint8_t control = in.Next();
    const double now = VirtualLineClock();
    const double heard = now + FRAME_BYTES * kByteTime;  // the request's own line time

    bool isFrame = false;
    std::vector<uint8_t> reply =
        s.reference->Answer(static_cast<uint16_t>(command), payload, heard - s.bornAt, &isFrame, s.eepromStuck);
    switch (control >> 6) {
        case 1:
            for (size_t i = 0; i < 4 && i < reply.size(); i++) reply[i] = in.Next();
            break;
        case 2: reply = FromInput(in, reply.empty() ? FRAME_BYTES : reply.size()); break;
        case 3: return;
        default: break;
    }

    switch (control & 7) {
        case 1:
            if (!reply.empty()) reply.pop_back();
            break;
        case 2: reply.resize(reply.size() / 2); break;
        case 3: reply.resize(std::min<size_t>(reply.size(), 1)); break;
        case 4: reply.push_back(in.Next()); break;
        case 5: reply.insert(reply.end(), 4, 0xEE); break;
        case 6: {
            auto more = FromInput(in, FRAME_BYTES);
            reply.insert(reply.end(), more.begin(), more.end());
            break;
        }
        case 7: {
            auto more = FromInput(in, in.Next() % 64);
            reply.insert(reply.end(), more.begin(), more.end());
            break;
        }
        default: break;
    }
    if (reply.empty()) return;

    const size_t len = reply.size();
    const double done = heard + len * kByteTime;  // the reply's last byte, paced
    switch ((control >> 3) & 7) {
        case 0: Send(reply, done); break;
        case 1: {
            // A USB adapter hands a reply over in pieces; a gap inside one reply
            // stays below the frame gap.
            size_t split = in.Next() % len;
            double gap = (in.Next() % 20) * 0.001;
            Send(std::vector<uint8_t>(reply.begin(), reply.begin() + split), heard + split * kByteTime);
            Send(std::vector<uint8_t>(reply.begin() + split, reply.end()), done + gap);
            break;
        }
        case 2: {
            auto stray = FromInput(in, 1 + in.Next() % 35);
            double pause = 0.025 + (in.Next() % 40) * 0.001;
            Send(stray, heard + stray.size() * kByteTime);
            Send(reply, done + stray.size() * kByteTime + pause);
            break;
        }
        case 3: Send(reply, done + TIMEOUT + 0.05 + (in.Next() % 64) * 0.01); break;
        case 4:
            for (size_t at = 0; at < len; at += 8) {
                size_t end = std::min(len, at + 8);
                Send(std::vector<uint8_t>(reply.begin() + at, reply.begin() + end), heard + end * kByteTime);
            }
            break;
        case 5: {
            auto stray = FromInput(in, 1 + in.Next() % 35);
            stray.insert(stray.end(), reply.begin(), reply.end());
            Send(stray, done + (stray.size() - len) * kByteTime);
            break;
        }
        case 6: {
            // A frame nobody asked for comes after the reply.
            Send(reply, done);
            bool frame = false;
            auto again =
                s.reference->Answer(static_cast<uint16_t>(command), payload, heard - s.bornAt, &frame, s.eepromStuck);
            Send(again, done + 0.04 + again.size() * kByteTime);
            break;
        }
        case 7: {
            size_t kept = in.Next() % (len + 1);
            Send(std::vector<uint8_t>(reply.begin(), reply.begin() + kept), heard + kept * kByteTime);
            VirtualLineVanish(kSensorPort, heard + kept * kByteTime);
            break;
        }
    }
}

void OnWrite(int /*port*/, const unsigned char* bytes, int count, void* data)
{
    auto& s = *static_cast<Sensor*>(data);
    // The program writes whole frames, one call each.
    if (count != FRAME_BYTES) Breach("a request that is not one whole frame", s.who.op);
    if (bytes[0] != 0x00 || bytes[1] != 0x55) Breach("a request that does not open with 0x00 0x55", s.who.op);
    const int command = bytes[2] << 8 | bytes[3];
    sim::Words payload;
    uint16_t words[PNUM];
    for (int i = 0; i < PNUM; i++)
        words[i] = payload[i] = static_cast<uint16_t>(bytes[4 + 2 * i] << 8 | bytes[5 + 2 * i]);
    if (!Asked(s.who.op, command, words)) {
        char what[96];
        std::snprintf(what, sizeof what, "command %d sent that the operator did not ask for", command);
        Breach(what, s.who.op);
    }
    if (command == CMD_MEASURE) s.measureRequests++;
    if (g_trace) std::fprintf(stderr, "  %10.4f  request %d\n", VirtualLineClock() - s.bornAt, command);
    Answer(s, command, payload);
}

// ---- The operator's hand ------------------------------------------------------------------------

// Runs at the start of every event-loop pass: once a loop has sent its
// share of requests, a button pressed in passing (it must do nothing while
// the loop holds the line), then Stop.
void OperatorHand(void* data)
{
    auto& s = *static_cast<Sensor*>(data);
    Operator& who = s.who;
    if ((who.op != OP_RUN && who.op != OP_VIDEO) || who.stopped || s.measureRequests < who.stopAfter) return;
    who.stopped = true;
    switch (who.nested) {
        case NEST_GET: CC_BTNGet(panelHandle, PANEL_GET, EVENT_COMMIT, nullptr, 0, 0); break;
        case NEST_SEND: CC_BTNSend(panelHandle, PANEL_SEND, EVENT_LEFT_CLICK, nullptr, 0, 0); break;
        case NEST_TEACH: CC_ButtonTeach(panelHandle, PANEL_BUTTON_TEACH, EVENT_COMMIT, nullptr, 0, 0); break;
        case NEST_RESET: CC_ButtonReset(panelHandle, PANEL_BUTTON_RESET, EVENT_COMMIT, nullptr, 0, 0); break;
        case NEST_PORT:
            SetCtrlVal(panelHandle, PANEL_COMPORT, 2);
            CC_DropDCom(panelHandle, PANEL_COMPORT, EVENT_COMMIT, nullptr, 0, 0);
            break;
        default: break;
    }
    CC_BTNStop(panelHandle, PANEL_STOP, EVENT_LEFT_CLICK, nullptr, 0, 0);
}

using Set = std::array<uint16_t, PNUM>;
uint16_t* const kVariables[PNUM] = {&power, &rs232Mode, &vThd,  &bVal,  &polarity, &eMode,  &eBeg,    &eEnd,
                                    &tVal,  &tTol,      &iGain, &ePoti, &ccdMode,  &pStart, &anaMode, &para15};

Set Variables()
{
    Set set;
    for (int i = 0; i < PNUM; i++) set[i] = *kVariables[i];
    return set;
}

// The set the operator sees and Send takes: the panels, read as Send reads
// them, with the variables left as they were.
Set Panels()
{
    const Set held = Variables();
    GetPanelValues();
    const Set shown = Variables();
    for (int i = 0; i < PNUM; i++) *kVariables[i] = held[i];
    return shown;
}

void CheckKept(const char* what, const Set& before, const Set& after, int op)
{
    if (after == before) return;
    for (int i = 0; i < PNUM; i++)
        if (after[i] != before[i])
            std::fprintf(stderr, "fuzz_receive: %s: %s %u -> %u\n", what, kParamNames[i], before[i], after[i]);
    Breach("a parameter changed that no operator changed", op);
}

void ChoosePort(int port)
{
    SetCtrlVal(panelHandle, PANEL_COMPORT, port);
    CC_DropDCom(panelHandle, PANEL_COMPORT, EVENT_COMMIT, nullptr, 0, 0);
}

void Run(Sensor& s, uint8_t code)
{
    const int op = code % OP_COUNT;
    const int arg = code / OP_COUNT;
    s.who = Operator{};
    s.who.op = op;
    const Set variablesBefore = Variables();
    const Set panelsBefore = Panels();
    switch (op) {
        case OP_GET_RAM:
        case OP_GET_EEPROM:
            ChooseTarget(op == OP_GET_RAM ? RAM : EEPROM);
            CC_BTNGet(panelHandle, PANEL_GET, EVENT_COMMIT, nullptr, 0, 0);
            break;
        case OP_SEND_RAM:
        case OP_SEND_EEPROM:
            ChooseTarget(op == OP_SEND_RAM ? RAM : EEPROM);
            CC_BTNSend(panelHandle, PANEL_SEND, EVENT_LEFT_CLICK, nullptr, 0, 0);
            break;
        case OP_TEACH: CC_ButtonTeach(panelHandle, PANEL_BUTTON_TEACH, EVENT_COMMIT, nullptr, 0, 0); break;
        case OP_RESET: CC_ButtonReset(panelHandle, PANEL_BUTTON_RESET, EVENT_COMMIT, nullptr, 0, 0); break;
        case OP_RUN: {
            static const int kNested[] = {NEST_NONE, NEST_GET, NEST_SEND, NEST_PORT};
            s.who.stopAfter = s.measureRequests + 1 + arg % 8;  // arg % 8 replies, then Stop
            s.who.nested = kNested[(arg / 8) % 4];
            CC_BTNRun(panelHandle, PANEL_RUN, EVENT_COMMIT, nullptr, 0, 0);
            break;
        }
        case OP_VIDEO: {
            static const int kNested[] = {NEST_NONE, NEST_TEACH, NEST_RESET, NEST_GET};
            s.who.stopAfter = s.measureRequests + 1 + arg % 3;  // Stop in the last cycle
            s.who.nested = kNested[(arg / 3) % 4];
            CC_BTNVideo(panelHandle, PANEL_VIDEO, EVENT_COMMIT, nullptr, 0, 0);
            break;
        }
        case OP_PORT: {
            const int port = 1 + arg % 2;
            // A port choice is also how an operator recovers from a pulled adapter.
            if (port == kSensorPort) VirtualLineAttach(kSensorPort, OnWrite, &s);
            ChoosePort(port);
            break;
        }
        case OP_UNPLUG: VirtualLineVanish(kSensorPort, VirtualLineClock()); break;
    }

    if (g_trace) {
        char status[256] = "";
        GetCtrlVal(panelHandle, PANEL_STATUS, status, sizeof status);
        std::fprintf(stderr, "%s: \"%s\"\n", kOpNames[op], status);
    }
    if (exchange_busy) Breach("the line is still locked after the operation", op);
    if (stop_flag != 1) Breach("a loop is still marked running after the operation", op);

    // Reads may change the set; nothing else may change what the panels
    // show. Send makes the variables what the panels show; the loops take
    // the teach value and tolerance the sensor reports into the variables.
    const bool readsSet = op == OP_GET_RAM || op == OP_GET_EEPROM || op == OP_TEACH || op == OP_PORT;
    if (readsSet) return;
    CheckKept("panels", panelsBefore, Panels(), op);
    if (op == OP_SEND_RAM || op == OP_SEND_EEPROM) return;
    Set variables = Variables();
    if (op == OP_RUN || op == OP_VIDEO) {
        variables[8] = variablesBefore[8];
        variables[9] = variablesBefore[9];
    }
    CheckKept("variables", variablesBefore, variables, op);
}

SensorIdentity Identity(uint8_t b)
{
    static const uint16_t kPixels[] = {1024, 512, 256, 1024};
    static const uint16_t kTypes[] = {2, 3, 101, 1};
    static const uint16_t kResolutions[] = {250, 0, 0, 30};
    SensorIdentity id;
    id.board = (b & 1) ? 400 : 0;
    id.pixels = kPixels[(b >> 1) & 3];
    id.ccd_type = kTypes[(b >> 1) & 3];
    id.resolution = kResolutions[(b >> 1) & 3];
    id.reply_sync = (b & 8) ? 0x0055 : 0x00AA;
    return id;
}

}  // namespace

// The program allocates on every plot; AddressSanitizer's default quarantine
// of 256 MB then keeps touching fresh pages, which costs a third of the run.
// 16 MB still holds every block freed during one input.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=16";
}

static std::string g_settings;  // a settings file of this process's own

static void RemoveSettings()
{
    std::remove(g_settings.c_str());
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The user's settings are never touched. COM1 is named as the virtual
    // sensor's pseudo-terminal would be, which the program does not remember
    // as its last port: no input writes a file.
    g_settings = "/tmp/kvormx-fuzz-receive-" + std::to_string(getpid()) + ".ini";
    SetSettingsFile(g_settings.c_str());
    std::atexit(RemoveSettings);
    SetComDevice(kSensorPort, "/dev/pts/virtual-sensor");
    if (!InitRuntime(argc, *argv) || LoadPanels() < 0) std::abort();
    GetProjectDir(proj_dir);
    InitVars();
    g_trace = std::getenv("FUZZ_RECEIVE_TRACE") != nullptr;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Sensor& s = g_sensor;
    VirtualLineReset();
    ResetProgramState();
    SetPanelValues();
    ChooseTarget(RAM);

    s.in = Input{data, size, 0};
    const uint8_t who = s.in.Next();
    s.reference = std::make_unique<sim::Responder>(Identity(who), 1u, "");
    s.eepromStuck = (who & 16) != 0;
    s.bornAt = VirtualLineClock();
    s.measureRequests = 0;
    s.who = Operator{};

    VirtualLineAttach(kSensorPort, OnWrite, &s);
    VirtualLineSetPassHook(OperatorHand, &s);

    InitRS232(com);
    if (g_trace) {
        char status[256] = "";
        GetCtrlVal(panelHandle, PANEL_STATUS, status, sizeof status);
        std::fprintf(stderr, "%s: \"%s\"\n", kOpNames[OP_SETUP], status);
    }
    if (exchange_busy) Breach("the line is still locked after the operation", OP_SETUP);
    for (int ops = 0; ops < kMaxOps && !s.in.Empty(); ops++) Run(s, s.in.Next());

    if (g_trace) std::fprintf(stderr, "event-loop passes so far: %ld\n", VirtualLinePasses());
    CloseCom(com);
    VirtualLineReset();
    return 0;
}
