// Soak: run mode and video mode, round after round, against two virtual
// sensors (board types 0 and 400), with faults injected at random into the
// line while a loop runs. It counts what the program went through and checks
// that it keeps its memory and the operator's parameter set.
//
//   build/<release>/soak [exchanges, default 3000] [seed, default 1] [--paced]
//
// Unpaced by default so the count is reached in about a minute; every
// injected fault costs its 1.5 s time-outs. Prints its figures as its last
// lines; exits 1 when memory grew by more than 512 kB or a parameter changed
// that no operator changed.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "app/app.h"
#include "app/panels.h"
#include "app/state.h"
#include "link/link.h"
#include "params/params.h"
#include "runtime/inspect.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "sim/sensor.h"

namespace {

const int kRoundExchanges = 60;      // measurement requests a round runs for, without a fault
const long kGrowthLimitKb = 512;

long ResidentKb()
{
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

std::array<uint16_t, 16> OperatorSet()
{
    return {power, rs232Mode, vThd, bVal,  polarity, eMode,   eBeg,    eEnd,
            tVal,  tTol,      iGain, ePoti, ccdMode, pStart, anaMode, para15};
}

std::string StatusText()
{
    char text[256] = "";
    GetCtrlVal(panelHandle, PANEL_STATUS, text, sizeof text);
    return text;
}

struct Round {
    VirtualSensor* sensor;
    size_t target;            // measurement requests after which Stop is pressed
    bool running = true;      // the loop has not returned yet
    bool stopped = false;     // ended by the operator's Stop; else by a time-out
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
    long* seen;               // faults that met a running loop
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

SensorFaults RandomFault(std::mt19937& rng, int* kind)
{
    SensorFaults f;
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

}  // namespace

int main(int argc, char** argv)
{
    long exchanges = 3000;
    unsigned seed = 1;
    bool paced = false;
    int positional = 0;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--paced") == 0)
            paced = true;
        else if (positional++ == 0)
            exchanges = std::atol(argv[i]);
        else
            seed = static_cast<unsigned>(std::atol(argv[i]));
    }
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);

    SensorOptions o;
    o.pacing = paced;
    VirtualSensor board0, board400;
    SensorOptions o400 = o;
    o400.identity.board = 400;
    if (!board0.Start(o) || !board400.Start(o400)) {
        std::fprintf(stderr, "soak: no pseudo-terminal for the virtual sensors\n");
        return 1;
    }
    SetComDevice(1, board0.SlavePath());
    SetComDevice(2, board400.SlavePath());
    if (!InitRuntime(&argc, argv) || LoadPanels() < 0) {
        std::fprintf(stderr, "soak: %s\n", GetRuntimeError());
        return 1;
    }
    GetProjectDir(proj_dir);
    InitVars();
    InitRS232(com);
    DisplayPanel(panelHandle);

    std::mt19937 rng(seed);
    const auto operatorSet = OperatorSet();
    long done = 0, rounds = 0, injected = 0, seen = 0, timeouts = 0, changes = 0, failedRecoveries = 0;
    long byKind[6] = {};
    long rssStart = 0;

    while (done < exchanges) {
        // Alternate the boards every few rounds, through the port ring.
        const bool use400 = (rounds / 4) % 2 == 1;
        VirtualSensor& s = use400 ? board400 : board0;
        if (com != (use400 ? 2 : 1)) {
            ChoosePort(use400 ? 2 : 1);
            if (std::strstr(StatusText().c_str(), "FW") == nullptr) {
                failedRecoveries++;
                std::fprintf(stderr, "soak: port set-up of round %ld: %s\n", rounds, StatusText().c_str());
            }
        }
        s.ClearFrames();

        // One watcher record for every round: a watcher still queued from
        // the last round finds it again and does no harm.
        static Round round;
        round = Round{&s, kRoundExchanges};
        AfterDelay(0.01, Watch, &round);
        // A fault in one round in four, at a random moment inside it.
        if (rounds > 0 && rng() % 4 == 0) {
            int kind = 0;
            auto* in = new Injection{&s, RandomFault(rng, &kind), &round, &seen};
            AfterDelay(0.002 + (rng() % 20) / 1000.0, Inject, in);
            injected++;
            byKind[kind]++;
        }
        const bool video = rng() % 2 == 1;
        if (video)
            CC_BTNVideo(panelHandle, PANEL_VIDEO, EVENT_COMMIT, nullptr, 0, 0);
        else
            CC_BTNRun(panelHandle, PANEL_RUN, EVENT_COMMIT, nullptr, 0, 0);
        round.running = false;
        s.SetFaults(SensorFaults{});
        if (!round.stopped) timeouts++;

        // Let a late reply land before the next round flushes it.
        double settle = Timer();
        while (Timer() - settle < 0.25) ProcessSystemEvents();
        // A watcher or injection still queued (the loop ended first) runs
        // here, harmlessly: the round is over and the faults are cleared next.
        s.SetFaults(SensorFaults{});

        done += static_cast<long>(Requests(s));
        rounds++;
        if (OperatorSet() != operatorSet) {
            changes++;
            std::fprintf(stderr, "soak: round %ld changed the parameter set\n", rounds);
        }
        if (rounds == 2) rssStart = ResidentKb();   // after the first windows and caches
    }
    const long rssEnd = ResidentKb();
    auto ram0 = board0.Ram(), ram400 = board400.Ram();
    const bool sensorsKept = (ram0 == operatorSet || ram0 == board0.Eeprom()) &&
                             (ram400 == operatorSet || ram400 == board400.Eeprom());

    CloseCom(com);
    DiscardPanel(panelPopUp);
    DiscardPanel(panelHandle);
    board0.Stop();
    board400.Stop();

    std::printf("soak: %s line, seed %u\n", paced ? "paced 19200-baud" : "unpaced", seed);
    std::printf("soak: faults drawn by kind: no reply %ld, short %ld, long %ld, stray bytes %ld, "
                "wrong sync %ld, late %ld\n",
                byKind[0], byKind[1], byKind[2], byKind[3], byKind[4], byKind[5]);
    std::printf("soak: exchanges %ld in %ld rounds, faults injected %ld, met a running loop %ld, time-outs %ld, "
                "failed port set-ups %ld\n",
                done, rounds, injected, seen, timeouts, failedRecoveries);
    std::printf("soak: resident memory start %ld kB, end %ld kB, growth %ld kB (limit %ld)\n", rssStart,
                rssEnd, rssEnd - rssStart, kGrowthLimitKb);
    std::printf("soak: parameter changes no operator made: %ld%s\n", changes,
                sensorsKept ? "" : " (and a sensor holds a set nobody sent)");
    return (rssEnd - rssStart > kGrowthLimitKb || changes > 0 || !sensorsKept) ? 1 : 0;
}
