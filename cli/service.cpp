// watch and video --keep-going: the tool as a service that outlives what a
// plant's line does to it. The line is set up (port, line check, the
// command's reads), the loop runs, and whatever ends the loop but a signal
// leads back to a set-up:
//
//   setting up   the port opened, the line checked, the set read
//   measuring    the loop runs; a reply that does not come is counted and
//                the loop goes on; two in a row make the sensor silent
//   silent       the line check fails: tried again 1, 2, 4, 8, then every 10
//                seconds (from one try's start to the next), and set up anew
//                once the sensor answers
//   port away    the port's device is gone (or was never there): awaited by
//                its name through the port watch, set up when it returns
//   port refused the port cannot be opened for another reason: tried again
//                as a silent sensor is
//
// Every change of state is one line on standard error with its syslog
// priority in front ("<4>kvormx-cli: ..."), which the journal takes as the
// line's level, the same text on the broker's status topic, and systemd's
// STATUS=. READY=1 goes to systemd once the sensor is first identified, and
// the watchdog is fed with every reply and every pass of a wait.
#include "cli/cli.h"

#include "link/link.h"
#include "outputs/outputs.h"
#include "runtime/ports.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <systemd/sd-daemon.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

ServiceCounters cliCounters;

const double RETRY_FIRST = 1.0;      // seconds from one try at a silent sensor to the next, at first
const double RETRY_LAST = 10.0;      // and at most
const double WATCHDOG_EVERY = 1.0;   // seconds between two WATCHDOG=1 at the most
const double COUNTERS_EVERY = 10.0;  // seconds between two publications of the counters
const double RESCAN_EVERY = 2.0;     // without a port watch: a look at the ports this often

// ---- systemd ------------------------------------------------------------------------------------

void NotifyStatus(const char* text)
{
    sd_notifyf(0, "STATUS=%s", text);
}

void NotifyReady(void)
{
    static int ready = 0;
    if (ready) return;
    ready = 1;
    sd_notify(0, "READY=1");
}

static double g_countersAt = 0;  // Timer() when the counters were last published

void FeedWatchdog(void)
{
    static double fed = 0;
    const double now = Timer();
    if (now - fed >= WATCHDOG_EVERY) {
        fed = now;
        sd_notify(0, "WATCHDOG=1");
    }
    if (cliService && Publishing() && now - g_countersAt >= COUNTERS_EVERY) {
        g_countersAt = now;
        MqttPublishCounters(cliCounters.replies, cliCounters.missed, cliCounters.setups);
    }
}

void NotifyStopping(void)
{
    sd_notify(0, "STOPPING=1");
}

void FormatCounters(char* text, int size)
{
    std::snprintf(text, static_cast<size_t>(size), "replies %ld, missed %ld, set-ups %ld, dropped %lu",
                  cliCounters.replies, cliCounters.missed, cliCounters.setups, PublishingDropped());
}

// ---- States -------------------------------------------------------------------------------------

// A change of state: the line, the broker's status text, systemd's status.
static void State(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
static void State(int level, const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Say(level, "%s", text);
    NotifyStatus(text);
    if (Publishing()) {
        MqttPublishCounters(cliCounters.replies, cliCounters.missed, cliCounters.setups);
        g_countersAt = Timer();
    }
}

// Local time of day, for "since 14:03:22".
static void Clock(char* text, int size)
{
    time_t now = time(nullptr);
    tm local;
    localtime_r(&now, &local);
    std::strftime(text, static_cast<size_t>(size), "%Y-%m-%d %H:%M:%S", &local);
}

// Event processing until Timer() reaches `until` or a signal stops the
// service; the watchdog is fed meanwhile. 0 when stopped.
static int WaitUntil(double until)
{
    while (Timer() < until) {
        if (StopAsked()) return 0;
        ProcessSystemEvents();
        FeedWatchdog();
    }
    return !StopAsked();
}

static int g_watching = 0;  // the port watch runs

static int PortsChanged(void*)
{
    return 0;  // the service looks at the port's appearance itself
}

// The port's device is gone, or was never there: awaited by its name until
// it appears (anew). 0 when a signal stopped the wait.
static int AwaitPort(int wasOpen)
{
    const unsigned before = PortAppearance(com);
    ClosePort();
    State(LOG_LEVEL_WARNING, "%s: %s - waiting for it", wasOpen ? "port lost" : "port not present", LineName());
    double rescan = Timer() + RESCAN_EVERY;
    for (;;) {
        if (StopAsked()) return 0;
        ProcessSystemEvents();
        FeedWatchdog();
        // Without a watch (the kernel refused one) the ports are looked at now and then.
        if (!g_watching && Timer() >= rescan) {
            ScanPorts();
            rescan = Timer() + RESCAN_EVERY;
        }
        const unsigned now = PortAppearance(com);
        if (now != 0 && now != before) break;
    }
    State(LOG_LEVEL_NOTICE, "port back: %s - setting up", LineName());
    return 1;
}

// ---- The service --------------------------------------------------------------------------------

int RunService(const char* command, int (*setUp)(void), int (*loop)(int resumed, int* lost))
{
    g_watching = WatchPorts(PortsChanged, nullptr) == 0;
    double retry = RETRY_FIRST;
    double silentSince = 0;  // Timer() when the sensor stopped answering; 0 while it answers
    int status = EXIT_DONE;
    LinePort();
    State(LOG_LEVEL_INFO, "%s: setting up %s", command, LineName());
    while (!StopAsked()) {
        const double tried = Timer();
        int openResult = 0;
        status = OpenPort(&openResult);
        if (status == EXIT_USAGE) break;  // a bad --port or an unwritable trace: no service
        if (status != EXIT_DONE) {
            if (openResult == RS_NO_PORT_FOUND) {
                if (!AwaitPort(0)) break;
                continue;
            }
            State(LOG_LEVEL_ERR, "cannot open %s, trying again in %.0f s", LineName(), retry);
            if (!WaitUntil(tried + retry)) break;
            retry = retry * 2 < RETRY_LAST ? retry * 2 : RETRY_LAST;
            continue;
        }
        status = CheckLine();
        if (status == EXIT_DONE) status = setUp();
        if (status != EXIT_DONE) {
            if (ComPortGone(com) == 1) {
                if (!AwaitPort(1)) break;
                continue;
            }
            if (silentSince == 0) {
                silentSince = Timer();
                char since[32];
                Clock(since, sizeof since);
                State(LOG_LEVEL_WARNING, "sensor not answering since %s on %s, trying again every %.0f to %.0f s",
                      since, LineName(), RETRY_FIRST, RETRY_LAST);
            }
            if (!WaitUntil(tried + retry)) break;
            retry = retry * 2 < RETRY_LAST ? retry * 2 : RETRY_LAST;
            continue;
        }

        cliCounters.setups++;
        retry = RETRY_FIRST;
        if (silentSince > 0) Say(LOG_LEVEL_NOTICE, "sensor answering again after %.0f s", Timer() - silentSince);
        silentSince = 0;
        NotifyReady();
        State(LOG_LEVEL_INFO, "%s: %s %s", command,
              std::strcmp(command, "video") == 0 ? "pictures from" : "measuring on", LineName());

        int resumed = 0;
        long before = cliCounters.replies;
        for (;;) {
            int lost = 0;
            status = loop(resumed, &lost);
            if (status == EXIT_DONE) break;
            if (lost || ComPortGone(com) == 1) break;
            cliCounters.missed++;
            // A reply missed right after one missed: the sensor has gone
            // quiet, and the line check decides.
            if (resumed && cliCounters.replies == before) break;
            before = cliCounters.replies;
            resumed = 1;
        }
        if (status == EXIT_DONE) break;  // a signal, the count or the duration
        if (ComPortGone(com) == 1) {
            if (!AwaitPort(1)) break;
            continue;
        }
        silentSince = Timer();
        char since[32];
        Clock(since, sizeof since);
        State(LOG_LEVEL_WARNING, "sensor not answering since %s on %s, trying again every %.0f to %.0f s", since,
              LineName(), RETRY_FIRST, RETRY_LAST);
    }
    if (status != EXIT_USAGE) status = EXIT_DONE;
    NotifyStopping();
    char counters[160];
    FormatCounters(counters, sizeof counters);
    Note(LOG_LEVEL_INFO, StopAsked() ? "%s stopped: %s" : "%s ended: %s", command, counters);
    PublishStatus("%s %s after %ld %s", command, StopAsked() ? "stopped" : "ended", cliCounters.replies,
                  std::strcmp(command, "video") == 0 ? "pictures" : "replies");
    if (Publishing()) MqttPublishCounters(cliCounters.replies, cliCounters.missed, cliCounters.setups);
    StopWatchingPorts();
    return status;
}
