// Event processing: ProcessSystemEvents and the signal callbacks, for both
// kinds of runtime. With a window system (InitRuntime) a pass is event_loop.cpp's,
// over Qt's event loop. Without one (InitRuntimeHeadless, kvormx-cli) a pass
// serves the ports' receive callbacks and the signal callbacks and sleeps in
// poll() on the open ports in between: no Qt object exists, so an idle pass
// costs a system call, not an event loop. This file needs nothing of Qt's
// widgets, so a program without panels links without them.
//
// Signals: the handler only notes the signal in a flag; its callback runs in
// the next event processing, on the program's thread, where it may touch the
// program's variables like any receive callback.
#include "runtime/events.h"
#include "runtime/port_events.h"
#include "runtime/ui.h"

#include <cerrno>
#include <csignal>

#include <unistd.h>

namespace {

// The longest wait of a headless pass. Every event source it has, the bytes
// a port's owner waits for or a signal, ends the wait at once, so this bounds
// only how late a loop looks at its clock (a 1.5 s time-out noticed 50 ms
// late); waking more often for nothing costs more than the exchanges
// themselves.
const double HEADLESS_WAIT = 0.050;

EventPass g_windowPass = nullptr;  // set by InitRuntime
bool g_headless = false;           // InitRuntimeHeadless has been called
bool g_inDispatch = false;         // a receive callback that processes events must not re-enter itself

volatile sig_atomic_t g_signalNoted[NSIG];
volatile sig_atomic_t g_anySignalNoted = 0;
SignalCallbackPtr g_signalCallbacks[NSIG];

int g_signalWakeFd = -1;  // set by the window runtime

void NoteSignal(int sig)
{
    if (sig > 0 && sig < NSIG) g_signalNoted[sig] = 1;
    g_anySignalNoted = 1;
    if (g_signalWakeFd >= 0) {
        const int saved = errno;
        char byte = 1;
        ssize_t ignored = write(g_signalWakeFd, &byte, 1);  // a full pipe already wakes the loop
        (void)ignored;
        errno = saved;
    }
}

int DispatchPorts(void)
{
    if (g_inDispatch) return 0;
    g_inDispatch = true;
    int ran = ComDispatchPending();
    g_inDispatch = false;
    return ran;
}

// What is due runs at once; otherwise one wait for the next byte or signal,
// then what that made due. Nothing is read unless poll() said there is
// something: an idle pass is one system call.
int g_sourceFd = -1;  // the port watch's descriptor, -1 none
HeadlessSourcePtr g_source = nullptr;
bool g_sourceReadable = false;
double g_sourceNext = -1;  // seconds until the source wants to be called at the latest; < 0 no deadline

int HeadlessPass(void)
{
    int due = ComCallbackDue();
    if (!due && !g_anySignalNoted) {
        double wait = HEADLESS_WAIT;
        if (g_source && g_sourceNext >= 0 && g_sourceNext < wait) wait = g_sourceNext;
        due = ComWaitReadable(wait) > 0;
    }
    if (due) DispatchPorts();
    if (g_source) {
        const bool readable = g_sourceReadable;
        g_sourceReadable = false;
        g_sourceNext = g_source(readable ? 1 : 0);
    }
    DispatchSignals();
    return 0;
}

}  // namespace

void SetHeadlessSource(int fd, HeadlessSourcePtr serve)
{
    g_sourceFd = serve ? fd : -1;
    g_source = fd >= 0 ? serve : nullptr;
    g_sourceReadable = false;
    g_sourceNext = -1;
}

int HeadlessSourceFd(void)
{
    return g_sourceFd;
}

void NoteHeadlessSourceReadable(void)
{
    g_sourceReadable = true;
}

void SetSignalWakeFd(int fd)
{
    g_signalWakeFd = fd;
}

void SetWindowEventPass(EventPass pass)
{
    g_windowPass = pass;
}

int InitRuntimeHeadless(void)
{
    g_headless = true;
    return 1;
}

int ProcessSystemEvents(void)
{
    if (g_windowPass) return g_windowPass();
    return g_headless ? HeadlessPass() : 0;
}

int InstallSignalCallback(int sig, SignalCallbackPtr callback)
{
    if (sig <= 0 || sig >= NSIG || sig == SIGKILL || sig == SIGSTOP) return UIE_BAD_VALUE;
    struct sigaction sa = {};
    sigemptyset(&sa.sa_mask);
    // Reads and writes of the program go on after the handler; the runtime's
    // waits (poll) end early all the same, so the callback is not kept waiting.
    sa.sa_flags = SA_RESTART;
    sa.sa_handler = callback ? NoteSignal : SIG_DFL;
    g_signalCallbacks[sig] = callback;
    g_signalNoted[sig] = 0;
    if (sigaction(sig, &sa, nullptr) != 0) {
        g_signalCallbacks[sig] = nullptr;
        return UIE_BAD_VALUE;
    }
    return 0;
}

int DispatchSignals(void)
{
    if (!g_anySignalNoted) return 0;
    g_anySignalNoted = 0;
    int ran = 0;
    for (int sig = 1; sig < NSIG; sig++) {
        if (!g_signalNoted[sig]) continue;
        g_signalNoted[sig] = 0;
        if (g_signalCallbacks[sig]) {
            g_signalCallbacks[sig](sig);
            ran++;
        }
    }
    return ran;
}
