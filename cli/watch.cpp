// `watch` and `video`: run mode and video mode without a window, one line
// per measurement reply or per picture. The loops are link/'s, the same the
// window runs; the rows are a sink of their records. With --keep-going the
// loop runs inside the service (service.cpp), which sets the line up again
// whenever the sensor or the port went away.
#include "cli/cli.h"

#include "link/average.h"
#include "link/link.h"
#include "link/rate.h"
#include "link/record.h"
#include "outputs/outputs.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <csignal>
#include <cstdio>
#include <cstring>

struct LoopOptions {
    long count;                // replies (pictures) to take; 0 no limit
    double duration;           // seconds after which the next line is the last; 0 no limit
    int format;                // FORMAT_TEXT, FORMAT_CSV or FORMAT_JSON (link/record.h)
    long every;                // one line (message) per N replies (pictures)
    double interval;           // seconds per summary; 0 none
    int keepGoing;             // --keep-going: the service
    const char* mqttUrl;       // --mqtt; null: no publishing
    const char* mqttAuth;      // --mqtt-auth; null: anonymous
    const char* mqttClientId;  // --mqtt-client-id; null: the line's
    long average;              // video --average: pictures in the moving average (1: none)
};

static int ParseLoopOptions(const char* command, int argc, char** argv, LoopOptions* o)
{
    *o = LoopOptions{0, 0.0, FORMAT_TEXT, 1, 0.0, 0, nullptr, nullptr, nullptr, 1};
    for (int i = 0; i < argc; i++) {
        const char* a = argv[i];
        if (IsOption(a, "--mqtt") || IsOption(a, "--mqtt-auth") || IsOption(a, "--mqtt-client-id")) {
            const char* name = IsOption(a, "--mqtt")        ? "--mqtt"
                               : IsOption(a, "--mqtt-auth") ? "--mqtt-auth"
                                                            : "--mqtt-client-id";
            const char* value = OptionValue(argc, argv, &i, name);
            if (!value) return 0;
            if (!value[0] || (name[6] == '-' && name[7] == 'c' && std::strlen(value) >= MQTT_CLIENT_ID_LEN)) {
                UsageError(command, "%s wants %s", name,
                           name[6] == '\0'  ? "a URL"
                           : name[7] == 'a' ? "a file"
                                            : "a name of 1 to 255 bytes");
                return 0;
            }
            (name[6] == '\0' ? o->mqttUrl : name[7] == 'a' ? o->mqttAuth : o->mqttClientId) = value;
        } else if (IsOption(a, "--count") || IsOption(a, "--every")) {
            const char* name = IsOption(a, "--count") ? "--count" : "--every";
            const char* value = OptionValue(argc, argv, &i, name);
            if (!value || !ParseCount(name, value, name[2] == 'c' ? &o->count : &o->every)) return 0;
        } else if (IsOption(a, "--duration") || IsOption(a, "--interval")) {
            const char* name = IsOption(a, "--duration") ? "--duration" : "--interval";
            const char* value = OptionValue(argc, argv, &i, name);
            if (!value || !ParseSeconds(name, value, name[2] == 'd' ? &o->duration : &o->interval)) return 0;
        } else if (IsOption(a, "--average") && std::strcmp(command, "video") == 0) {
            const char* value = OptionValue(argc, argv, &i, "--average");
            if (!value || !ParseCount("--average", value, &o->average)) return 0;
            if (!AverageCountAllowed(static_cast<int>(o->average)) || o->average > AVERAGE_MAX) {
                UsageError(command, "--average wants 1, 2, 4, 8 or 16");
                return 0;
            }
        } else if (std::strcmp(a, "--keep-going") == 0) {
            o->keepGoing = 1;
        } else if (std::strcmp(a, "--csv") == 0 || std::strcmp(a, "--json") == 0) {
            int format = std::strcmp(a, "--csv") == 0 ? FORMAT_CSV : FORMAT_JSON;
            if (o->format != FORMAT_TEXT && o->format != format) {
                UsageError(command, "--csv or --json, not both");
                return 0;
            }
            o->format = format;
        } else {
            UsageError(command, "unexpected argument '%s'", a);
            return 0;
        }
    }
    if (o->count > 0 && o->duration > 0) {
        UsageError(command, "--count or --duration, not both");
        return 0;
    }
    return 1;
}

// ---- Rows: a sink of the records ----------------------------------------------------------------

static LoopOptions g_options;
static double g_started;  // Timer() at the first request of the command
static RateControl g_rate;
static long g_taken;  // replies (pictures) taken by the command, over every loop

static void PrintHeader(int picture)
{
    if (g_options.format != FORMAT_CSV) return;
    char header[RECORD_LINE_LEN];
    FormatCsvHeader(header, sizeof header, picture);
    std::printf("%s\n", header);
}

static void PrintSummary(const ValueStatistics* s, const char* port)
{
    char line[RECORD_LINE_LEN];
    FormatSummary(line, sizeof line, s, port, g_options.format);
    std::printf("%s\n", line);
}

// The record through --every and --interval: a summary that closed before
// it first; 1 when its own line is printed. Every record is an exchange the
// sensor answered: the service's watchdog is fed here.
static int Rated(const MeasurementRecord* r)
{
    g_taken++;
    cliCounters.replies++;
    FeedWatchdog();
    ValueStatistics summary;
    int due = 0;
    int take = RateRecord(&g_rate, r, &summary, &due);
    if (due) PrintSummary(&summary, r->port);
    return take;
}

static void PrintMeasurement(const MeasurementRecord* r)
{
    if (!Rated(r)) return;
    char line[RECORD_LINE_LEN];
    FormatMeasurement(line, sizeof line, r, g_options.format);
    std::printf("%s\n", line);
}

// A picture with a missing block gets no line: the loop ends with its message.
// With --average each line carries the mean of the latest pictures (fewer
// while the first come) with the newest picture's measurement.
static PictureAverage g_average;

static void PrintPicture(const PictureRecord* r)
{
    if (!r->complete) return;
    AddToAverage(&g_average, r->samples, r->first_pixel, r->pixel_step);
    if (!Rated(&r->m)) return;
    static PictureRecord shown;
    shown = *r;
    AverageOf(&g_average, static_cast<int>(g_options.average), shown.samples, nullptr, nullptr);
    char line[RECORD_LINE_LEN];
    FormatPicture(line, sizeof line, &shown, g_options.format);
    std::printf("%s\n", line);
}

// The interval under way is cut short at the end of a loop: its summary
// comes with the lines it summarises.
static void RowsLoopEnded(int, int)
{
    ValueStatistics summary;
    char port[RECORD_PORT_LEN];
    CopyText(port, RECORD_PORT_LEN, GetComDevice(com));
    if (RateFlush(&g_rate, &summary)) PrintSummary(&summary, port);
}

static const RecordSink kRowSink = {PrintMeasurement, PrintPicture, nullptr, nullptr, RowsLoopEnded};

// Before each further request: the count or the duration reached ends the
// loop. Asked once for every reply (whole picture) taken, before the sinks
// may have seen it; counted here over every loop of the command.
static long g_asked;

static int More(long)
{
    g_asked++;
    if (g_options.count > 0 && g_asked >= g_options.count) return 0;
    return !(g_options.duration > 0 && Timer() - g_started >= g_options.duration);
}

// Ctrl-C and SIGTERM are the Stop button: the runtime runs this inside the
// loop's event processing, and the loop ends as it ends on Stop.
static int g_interrupted = 0;

static void Interrupted(int)
{
    g_interrupted = 1;
    stop_flag = 1;
}

int StopAsked(void)
{
    return g_interrupted;
}

// ---- The loops ----------------------------------------------------------------------------------

static int g_video = 0;

// One run of link's loop; `resumed`: seq and seconds go on from the loop
// before (a reply that did not come is a gap in seq). EXIT_DONE when Stop or
// the count ended it; else the failed exchange's status after its message,
// with *lost set when the port's device is gone.
static int LoopOnce(int resumed, int* lost)
{
    *lost = 0;
    LoopHooks hooks{};
    hooks.more = More;
    hooks.resume = resumed;
    LoopEnd end;
    stop_flag = g_interrupted;
    if (g_interrupted) return EXIT_DONE;
    if (g_video)
        VideoMode(&hooks, &end);
    else
        RunMode(&hooks, &end);
    if (end.result == EX_REPLY || end.result == EX_STOPPED) return EXIT_DONE;
    *lost = end.result == EX_LOST;
    char what[96];
    if (end.blockSamples)
        std::snprintf(what, sizeof what, "video block from sample %d of picture %ld", end.firstSample, end.records);
    else if (g_video)
        std::snprintf(what, sizeof what, "measurement request of picture %ld", end.records + 1);
    else
        std::snprintf(what, sizeof what, "measurement request %ld", end.records + 1);
    return ExchangeFailed(what,
                          end.blockSamples == 64 ? OP_BLOCK64
                          : end.blockSamples     ? OP_BLOCK256
                                                 : OP_LOOP,
                          end.result);
}

// After the line check: the sensor's own set, then what it is (for the video
// loop its board type, for the rows its millimetre scale), and with --mqtt
// its identity.
static int SetUp(void)
{
    int status = StageParameters();
    if (status == EXIT_DONE) status = Identify();
    if (status == EXIT_DONE) status = PublishSensor(1);
    return status;
}

// Both commands: options, the broker, the line, the loop; the service with
// --keep-going.
static int Command(const char* command, int video, int argc, char** argv)
{
    if (!ParseLoopOptions(command, argc, argv, &g_options)) return EXIT_USAGE;
    g_video = video;
    cliService = g_options.keepGoing;
    RateBegin(&g_rate, g_options.every, g_options.interval);
    g_taken = 0;
    g_asked = 0;
    ClearAverage(&g_average);
    // A broker URL that cannot work is a usage error before the port is touched.
    int status = StartPublishing(command, g_options.mqttUrl, g_options.mqttAuth, g_options.mqttClientId);
    if (status != EXIT_DONE) return status;
    MqttSetRate(g_options.every, g_options.interval);

    PrintHeader(video);
    AddRecordSink(&kRowSink);
    g_interrupted = 0;
    InstallSignalCallback(SIGINT, Interrupted);
    InstallSignalCallback(SIGTERM, Interrupted);
    g_started = Timer();
    const char* things = video ? "pictures" : "replies";
    if (g_options.keepGoing) {
        status = RunService(command, SetUp, LoopOnce);
    } else {
        status = OpenLine();
        // The sensor works with the set a measurement request carries: the
        // first one must carry the sensor's own, as the window's does after
        // its set-up.
        if (status == EXIT_DONE) status = SetUp();
        if (status == EXIT_DONE) {
            cliCounters.setups++;
            PublishStatus(video ? "video: pictures from %s" : "watch: measuring on %s", LineName());
            int lost = 0;
            status = LoopOnce(0, &lost);
            if (status == EXIT_DONE)
                PublishStatus("%s %s after %ld %s", command, g_interrupted ? "stopped" : "ended", g_taken, things);
            else
                cliCounters.missed += lost ? 0 : 1;
        }
        if (g_interrupted) {
            char counters[160];
            FormatCounters(counters, sizeof counters);
            Note(LOG_LEVEL_INFO, "%s stopped: %s", command, counters);
        }
    }
    EndOfLoop();
    InstallSignalCallback(SIGINT, nullptr);
    InstallSignalCallback(SIGTERM, nullptr);
    int published = StopPublishing(!g_options.keepGoing);
    return status != EXIT_DONE ? status : published;
}

int CmdWatch(int argc, char** argv)
{
    return Command("watch", 0, argc, argv);
}

int CmdVideo(int argc, char** argv)
{
    return Command("video", 1, argc, argv);
}
