// Soak: run mode and video mode, round after round, against two virtual
// sensors (board types 0 and 400), with faults injected at random into the
// line while a loop runs. It counts what the program went through and checks
// what an operator and a sensor would notice:
//
//   * every port set-up identifies its sensor and shows its firmware text
//     (a failed one is reported with its round and status line);
//   * no parameter changes that no operator changed: the panels, the
//     program's variables, and each sensor's RAM and EEPROM keep the set
//     they started with (with a jittering potentiometer, the tolerance may
//     move within its jitter);
//   * each sensor receives only the commands the operator's action asks for
//     (the set-up's, Run's, or Video's for its board type: a board-0 sensor
//     takes command 11 for a max/min reset), and the sensor not in use none;
//   * no round takes far longer than its faults explain: every request the
//     sensor answered in full and in time accounts for its own reply time,
//     every other one for a time-out and the settling after it;
//   * resident memory stays put.
//
//   build/<release>/soak [exchanges, default 3000] [seed, default 1] [--paced]
//                        [--pot-jitter N] [--piece BYTES --piece-gap MS]
//
// --pot-jitter: both sensors report a tolerance that moves by up to N digits
// with every measurement reply, as one read from a potentiometer does.
// --piece, --piece-gap: both sensors' replies come in pieces with pauses, as
// through a serial device server; the random faults come on top.
//
// Unpaced by default so the count is reached in about a minute; every
// injected fault costs its 1.5 s time-outs. Reports each finding on stderr
// as it happens and prints its figures as its last lines; exits 1 when any
// check above but the set-up's failed.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/app.h"
#include "form/form.h"
#include "link/health.h"
#include "link/link.h"
#include "link/state.h"
#include "params/params.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "sim/sensor.h"
#include "support/inspect.h"

namespace {

const int kRoundExchanges = 60;  // measurement requests a round runs for, without a fault
const long kGrowthLimitKb = 512;
// What a round may take beyond the time its exchanges explain: the program's
// own turnaround per request, the quiet line it waits for after a Stop or a
// time-out before its next request, and a factor for a loaded machine.
const double kTurnaround = 0.02;  // seconds per request
const double kSettle = 0.5;       // the program's wait for a quiet line after a time-out or Stop
const double kSlack = 2.0;        // seconds per round
const double kFactor = 1.5;

using Set = std::array<uint16_t, 16>;

long ResidentKb()
{
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

uint16_t* const kVariables[16] = {&power, &rs232Mode, &vThd,  &bVal,  &polarity, &eMode,  &eBeg,    &eEnd,
                                  &tVal,  &tTol,      &iGain, &ePoti, &ccdMode,  &pStart, &anaMode, &para15};

Set Variables()
{
    Set set;
    for (int i = 0; i < 16; i++) set[i] = *kVariables[i];
    return set;
}

// The set the panels show, as Send would take it; the variables stay as they are.
Set Panels()
{
    const Set held = Variables();
    GetPanelValues();
    const Set shown = Variables();
    for (int i = 0; i < 16; i++) *kVariables[i] = held[i];
    return shown;
}

// "tVal 512 -> 600, tTol 100 -> 3", or "" when both sets agree.
std::string Differences(const Set& was, const Set& is)
{
    std::string text;
    for (int i = 0; i < 16; i++) {
        if (was[i] == is[i]) continue;
        char item[64];
        std::snprintf(item, sizeof item, "%s%s %u -> %u", text.empty() ? "" : ", ", kParamNames[i], was[i], is[i]);
        text += item;
    }
    return text;
}

std::string StatusText()
{
    char text[256] = "";
    GetCtrlVal(panelHandle, PANEL_STATUS, text, sizeof text);
    return text;
}

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// ---- The sensors and what they heard ------------------------------------------------------------

struct Sensor {
    VirtualSensor line;
    SensorOptions options;
    int port = 0;
    Set ram{}, eeprom{};  // the sets it started with
};

bool AllZero(const ReceivedFrame& f)
{
    return std::all_of(f.payload.begin(), f.payload.end(), [](uint16_t w) { return w == 0; });
}

// The bytes a sensor of this board type owes the request, as the protocol
// has it: frames, the firmware text, the video blocks.
size_t OwedBytes(const ReceivedFrame& f, int board)
{
    switch (f.command) {
        case CMD_VERSION: return FIRMWARE_BYTES;
        case CMD_READ_VIDEO64: return 128;
        case CMD_READ_VIDEO256: return board != 0 && AllZero(f) ? 512 : FRAME_BYTES;
        default: return f.command >= 1 && f.command <= 11 ? FRAME_BYTES : 0;
    }
}

// The limit the program waits for this request's reply.
double Limit(const ReceivedFrame& f)
{
    return f.command == CMD_VERSION ? FIRMWARE_TIMEOUT : TIMEOUT;
}

bool AnsweredInTime(const ReceivedFrame& f, int board)
{
    if (f.replied.time_since_epoch().count() == 0) return false;
    if (f.reply_bytes < OwedBytes(f, board)) return false;
    return Seconds(f.replied - f.received) <= Limit(f);
}

// How long these exchanges explain: an answered one its reply time and the
// program's turnaround, any other one its time-out and the settling after it.
double Explained(const std::vector<ReceivedFrame>& frames, int board, int* missed)
{
    double t = 0;
    for (const auto& f : frames) {
        if (AnsweredInTime(f, board)) {
            t += Seconds(f.replied - f.received) + kTurnaround;
        } else {
            t += Limit(f) + 2 * kSettle;
            ++*missed;
        }
    }
    return t;
}

enum Action { SETUP, RUN, VIDEO };
const char* const kActionNames[] = {"port set-up", "run mode", "video mode"};

bool Asked(Action a, const ReceivedFrame& f, int board)
{
    switch (a) {
        case SETUP:
            return f.command == CMD_ECHO || f.command == CMD_HARDWARE_INFO || f.command == CMD_READ_RAM ||
                   f.command == CMD_VERSION;
        case RUN: return f.command == CMD_MEASURE;
        case VIDEO:
            if (f.command == CMD_MEASURE) return true;
            // A board-0 sensor reads its line in 64-sample blocks and takes any
            // command 11 for a max/min reset; the other boards read the line with
            // an all-zero command 11, and a payload turns it into the reset.
            return board == 0 ? f.command == CMD_READ_VIDEO64 : f.command == CMD_READ_VIDEO256 && AllZero(f);
    }
    return false;
}

// Reports every request in frames[from, to) the action does not ask for.
long UnaskedCommands(const std::vector<ReceivedFrame>& frames, size_t from, size_t to, Action a, const Sensor& s,
                     long round, const std::string& what)
{
    long n = 0;
    for (size_t i = from; i < to && i < frames.size(); i++) {
        if (Asked(a, frames[i], s.options.identity.board)) continue;
        if (n++ == 0)
            std::fprintf(stderr,
                         "soak: round %ld (%s): the board-%u sensor on COM%d received command %u (payload "
                         "word 0: %u) during %s, which no operator asked for\n",
                         round, what.c_str(), s.options.identity.board, s.port, frames[i].command, frames[i].payload[0],
                         kActionNames[a]);
    }
    if (n > 1) std::fprintf(stderr, "soak: round %ld: %ld unasked requests in all\n", round, n);
    return n;
}

// ---- The operator -------------------------------------------------------------------------------

struct Round {
    VirtualSensor* sensor;
    size_t target;         // measurement requests after which Stop is pressed
    bool running = true;   // the loop has not returned yet
    bool stopped = false;  // ended by the operator's Stop; else by a time-out
};

size_t Requests(const VirtualSensor& s)
{
    size_t n = 0;
    for (const auto& f : s.Frames()) n += f.command == CMD_MEASURE;
    return n;
}

// The operator's Stop, once the round has run its count; looks again every 10 ms.
void Watch(void* data)
{
    auto* r = static_cast<Round*>(data);
    if (!r->running) return;
    if (Requests(*r->sensor) >= r->target) {
        CC_BTNStop(panelHandle, PANEL_STOP, EVENT_LEFT_CLICK, nullptr, 0, 0);
        r->stopped = true;
        return;
    }
    AfterDelay(0.01, Watch, r);
}

struct Injection {
    VirtualSensor* sensor;
    SensorFaults fault;
    const Round* round;
    long* seen;  // faults that met a running loop
};

// A fault only counts when the loop is still running; one that comes after
// a short round has nothing to hit.
void Inject(void* data)
{
    std::unique_ptr<Injection> in(static_cast<Injection*>(data));
    if (!in->round->running) return;
    in->sensor->SetFaults(in->fault);
    ++*in->seen;
}

const char* const kFaultNames[] = {"no reply", "short", "long", "stray bytes", "wrong sync", "late"};

SensorFaults g_link;  // the link and sensor every round has (the options)

SensorFaults RandomFault(std::mt19937& rng, int* kind)
{
    SensorFaults f = g_link;
    *kind = static_cast<int>(rng() % 6);
    switch (*kind) {
        case 0: f.no_reply_every = 1; break;
        case 1: f.short_reply = true; break;
        case 2: f.long_reply = true; break;
        case 3: f.garbage = true; break;
        case 4: f.bad_sync = true; break;
        default: f.delay_ms = 1700; break;
    }
    return f;
}

void ChoosePort(int port)
{
    SetCtrlVal(panelHandle, PANEL_COMPORT, port);
    CC_DropDCom(panelHandle, PANEL_COMPORT, EVENT_COMMIT, nullptr, 0, 0);
}

// The parameter set as the program and the panels held it at the last look.
struct Held {
    Set variables, panels;
};

// Nobody edits a parameter in this soak. Reports each change since the last
// look in the round it happens and takes the new state, so that a change is
// counted once. After a read (`reading`: a port set-up) the program and the
// panels show the sensor's set, whatever it is; a sensor's memories change
// only when the program writes them, which no operator asked for here.
// Two looks at a set agree when every word is the same, the tolerance
// within what a jittering potentiometer makes of it.
bool Agree(const Set& a, const Set& b)
{
    for (int i = 0; i < 16; i++) {
        int d = static_cast<int>(a[i]) - static_cast<int>(b[i]);
        if (d != 0 && !(i == 9 && g_link.pot_jitter > 0 && d >= -2 * g_link.pot_jitter && d <= 2 * g_link.pot_jitter))
            return false;
    }
    return true;
}

long ParameterChanges(Held* held, Sensor& s, bool reading, long round, const std::string& what)
{
    const struct {
        const char* where;
        Set* before;
        Set now;
        bool mayChange;
    } places[] = {{"the program's variables", &held->variables, Variables(), reading},
                  {"the panels", &held->panels, Panels(), reading},
                  {"the sensor's RAM", &s.ram, s.line.Ram(), false},
                  {"the sensor's EEPROM", &s.eeprom, s.line.Eeprom(), false}};
    long changes = 0;
    for (const auto& p : places) {
        if (p.now == *p.before) continue;
        if (!p.mayChange && !Agree(*p.before, p.now)) {
            changes++;
            std::fprintf(stderr, "soak: round %ld (%s, board %u) changed %s: %s\n", round, what.c_str(),
                         s.options.identity.board, p.where, Differences(*p.before, p.now).c_str());
        }
        *p.before = p.now;
    }
    return changes;
}

// A set-up succeeded when the program took the sensor's identity and shows
// its firmware text. Reports a failed one and returns false.
bool SetUpSucceeded(const Sensor& s, long round)
{
    const SensorIdentity& id = s.options.identity;
    std::string status = StatusText();
    std::string why;
    if (com != s.port)
        why = "another port is in use";
    else if (pcbtype != id.board || ccdmaxpixel != id.pixels)
        why = "the sensor's identity was not taken";
    else if (status.find("FW") == std::string::npos)
        why = "no firmware text";
    if (why.empty()) return true;
    std::fprintf(stderr, "soak: round %ld: port set-up of COM%d failed (%s): \"%s\"\n", round, s.port, why.c_str(),
                 status.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    long exchanges = 3000;
    unsigned seed = 1;
    bool paced = false;
    int positional = 0;
    for (int i = 1; i < argc; i++) {
        int* option = std::strcmp(argv[i], "--pot-jitter") == 0  ? &g_link.pot_jitter
                      : std::strcmp(argv[i], "--piece") == 0     ? &g_link.piece_bytes
                      : std::strcmp(argv[i], "--piece-gap") == 0 ? &g_link.piece_gap_ms
                                                                 : nullptr;
        if (option) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "soak: %s needs a number\n", argv[i]);
                return 2;
            }
            *option = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--paced") == 0)
            paced = true;
        else if (positional++ == 0)
            exchanges = std::atol(argv[i]);
        else
            seed = static_cast<unsigned>(std::atol(argv[i]));
    }
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);

    Sensor board0, board400;
    board0.options.pacing = paced;
    board0.options.faults = g_link;
    board0.port = 1;
    board400.options = board0.options;
    board400.options.identity.board = 400;
    board400.port = 2;
    for (Sensor* s : {&board0, &board400}) {
        if (!s->line.Start(s->options)) {
            std::fprintf(stderr, "soak: no pseudo-terminal for the virtual sensors\n");
            return 1;
        }
        SetComDevice(s->port, s->line.SlavePath());
        s->ram = s->line.Ram();
        s->eeprom = s->line.Eeprom();
    }
    if (!InitRuntime(&argc, argv) || LoadPanels() < 0) {
        std::fprintf(stderr, "soak: %s\n", GetRuntimeError());
        return 1;
    }
    GetProjectDir(proj_dir);
    InitVars();
    InitRS232(com);
    DisplayPanel(panelHandle);

    std::mt19937 rng(seed);
    long failedSetUps = SetUpSucceeded(board0, 0) ? 0 : 1;
    Held held{Variables(), Panels()};
    long done = 0, rounds = 0, injected = 0, seen = 0, timeouts = 0, changes = 0, unasked = 0, slowRounds = 0;
    long byKind[6] = {};
    long rssStart = 0;
    int combos = 0;                                          // mode and board pairs that have run
    double closest = 0, closestTook = 0, closestBudget = 0;  // the round nearest its budget
    long missedTotal = 0;

    while (done < exchanges) {
        // Alternate the boards every few rounds, through the port ring.
        const bool use400 = (rounds / 4) % 2 == 1;
        Sensor& s = use400 ? board400 : board0;
        Sensor& idle = use400 ? board0 : board400;
        const int board = s.options.identity.board;
        s.line.ClearFrames();
        idle.line.ClearFrames();

        const double started = Timer();
        size_t setUpFrames = 0;
        if (com != s.port) {
            ChoosePort(s.port);
            if (!SetUpSucceeded(s, rounds)) failedSetUps++;
            setUpFrames = s.line.Frames().size();
            changes += ParameterChanges(&held, s, true, rounds, "port set-up");
        }

        const bool video = rng() % 2 == 1;
        // One watcher record for every round: a watcher still queued from
        // the last round finds it again and does no harm.
        static Round round;
        round = Round{&s.line, kRoundExchanges};
        AfterDelay(0.01, Watch, &round);
        // A fault in one round in four, at a random moment inside it.
        std::string what = video ? "video mode" : "run mode";
        if (rounds > 0 && rng() % 4 == 0) {
            int kind = 0;
            auto* in = new Injection{&s.line, RandomFault(rng, &kind), &round, &seen};
            AfterDelay(0.002 + (rng() % 20) / 1000.0, Inject, in);
            injected++;
            byKind[kind]++;
            what = what + ", fault: " + kFaultNames[kind];
        }
        if (video)
            CC_BTNVideo(panelHandle, PANEL_VIDEO, EVENT_COMMIT, nullptr, 0, 0);
        else
            CC_BTNRun(panelHandle, PANEL_RUN, EVENT_COMMIT, nullptr, 0, 0);
        const double took = Timer() - started;
        round.running = false;
        s.line.SetFaults(g_link);
        if (!round.stopped) timeouts++;

        // Let a late reply land before the next round flushes it.
        double settle = Timer();
        while (Timer() - settle < 0.25) ProcessSystemEvents();
        // A watcher or injection still queued (the loop ended first) runs
        // here, harmlessly: the round is over and the faults are cleared next.
        s.line.SetFaults(g_link);
        rounds++;

        const std::vector<ReceivedFrame> frames = s.line.Frames();
        done += static_cast<long>(Requests(s.line));
        const Action action = video ? VIDEO : RUN;
        unasked += UnaskedCommands(frames, 0, setUpFrames, SETUP, s, rounds, what);
        unasked += UnaskedCommands(frames, setUpFrames, frames.size(), action, s, rounds, what);
        const auto strays = idle.line.Frames();
        if (!strays.empty()) {
            unasked += static_cast<long>(strays.size());
            std::fprintf(stderr,
                         "soak: round %ld: the sensor on COM%d, not in use, received %zu requests (first: "
                         "command %u)\n",
                         rounds, idle.port, strays.size(), strays[0].command);
        }

        int missed = 0;
        const double explained = Explained(frames, board, &missed);
        missedTotal += missed;
        const double budget = kFactor * explained + kSlack;
        if (took > budget) {
            slowRounds++;
            std::fprintf(stderr,
                         "soak: round %ld (%s, board %d) took %.2f s; its %zu requests (%d unanswered or late) "
                         "explain %.2f s\n",
                         rounds, what.c_str(), board, took, frames.size(), missed, explained);
        }
        if (took / budget > closest) {
            closest = took / budget;
            closestTook = took;
            closestBudget = budget;
        }

        changes += ParameterChanges(&held, s, false, rounds, what);
        // Memory is counted from the round in which both loops have run
        // against both boards: the first of each fills caches and plots.
        combos |= 1 << ((use400 ? 2 : 0) + (video ? 1 : 0));
        if (combos == 15 && rssStart == 0) rssStart = ResidentKb();
    }
    const long rssEnd = ResidentKb();

    CloseCom(com);
    DiscardPanel(panelPopUp);
    DiscardPanel(panelHandle);
    board0.line.Stop();
    board400.line.Stop();

    if (rssStart == 0) rssStart = rssEnd;  // too short a soak to tell
    const bool grew = rssEnd - rssStart > kGrowthLimitKb;
    std::printf("soak: %s line, seed %u", paced ? "paced 19200-baud" : "unpaced", seed);
    if (g_link.pot_jitter > 0) std::printf(", tolerance jittering by %d", g_link.pot_jitter);
    if (g_link.piece_bytes > 0)
        std::printf(", replies in pieces of %d bytes %d ms apart", g_link.piece_bytes, g_link.piece_gap_ms);
    std::printf("\n");
    std::printf("soak: faults drawn by kind:");
    for (int k = 0; k < 6; k++) std::printf("%s %s %ld", k ? "," : "", kFaultNames[k], byKind[k]);
    std::printf("\n");
    std::printf(
        "soak: exchanges %ld in %ld rounds, faults injected %ld, met a running loop %ld, loops ended by "
        "time-out %ld, requests unanswered or late %ld\n",
        done, rounds, injected, seen, timeouts, missedTotal);
    std::printf("soak: failed port set-ups %ld\n", failedSetUps);
    std::printf("soak: requests no operator asked for %ld\n", unasked);
    std::printf("soak: rounds far longer than their faults explain %ld (nearest its limit: %.2f s of %.2f s)\n",
                slowRounds, closestTook, closestBudget);
    std::printf("soak: resident memory start %ld kB, end %ld kB, growth %ld kB (limit %ld)\n", rssStart, rssEnd,
                rssEnd - rssStart, kGrowthLimitKb);
    std::printf("soak: parameter changes no operator made %ld\n", changes);
    std::printf("soak: reported teach value/tolerance pairs kept back (range rules, longer than a frame) %ld\n",
                link_health.refusedRange + link_health.refusedLength);
    const bool failed = grew || changes > 0 || unasked > 0 || slowRounds > 0;
    std::printf("soak: %s\n", failed ? "FAILED" : "passed");
    return failed ? 1 : 0;
}
