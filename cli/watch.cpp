// `watch` and `video`: run mode and video mode without a window, one line
// per measurement reply or per picture. The loops are link/'s, the same the
// window runs; the rows are a sink of their records.
#include "cli/cli.h"

#include "link/link.h"
#include "link/record.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <csignal>
#include <cstdio>
#include <cstring>

struct LoopOptions {
    long count;            // lines to print; 0 no limit
    double duration;       // seconds after which the next line is the last; 0 no limit
    int format;            // FORMAT_TEXT, FORMAT_CSV or FORMAT_JSON (link/record.h)
    const char* mqttUrl;   // --mqtt; null: no publishing
    const char* mqttAuth;  // --mqtt-auth; null: anonymous
};

static int ParseLoopOptions(const char* command, int argc, char** argv, LoopOptions* o)
{
    *o = LoopOptions{0, 0.0, FORMAT_TEXT, nullptr, nullptr};
    for (int i = 0; i < argc; i++) {
        const char* a = argv[i];
        if (IsOption(a, "--mqtt") || IsOption(a, "--mqtt-auth")) {
            const int url = IsOption(a, "--mqtt");
            const char* value = OptionValue(argc, argv, &i, url ? "--mqtt" : "--mqtt-auth");
            if (!value) return 0;
            if (!value[0]) {
                UsageError(command, url ? "--mqtt wants a URL" : "--mqtt-auth wants a file");
                return 0;
            }
            (url ? o->mqttUrl : o->mqttAuth) = value;
        } else if (IsOption(a, "--count") || IsOption(a, "--duration")) {
            const char* name = IsOption(a, "--count") ? "--count" : "--duration";
            const char* value = OptionValue(argc, argv, &i, name);
            if (!value) return 0;
            const int counted = std::strcmp(name, "--count") == 0;
            if (counted ? !ParseCount(name, value, &o->count) : !ParseSeconds(name, value, &o->duration)) return 0;
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
static double g_started;  // Timer() at the loop's first request

static void PrintHeader(int picture)
{
    if (g_options.format != FORMAT_CSV) return;
    char header[RECORD_LINE_LEN];
    FormatCsvHeader(header, sizeof header, picture);
    std::printf("%s\n", header);
}

static void PrintMeasurement(const MeasurementRecord* r)
{
    char line[RECORD_LINE_LEN];
    FormatMeasurement(line, sizeof line, r, g_options.format);
    std::printf("%s\n", line);
}

// A picture with a missing block gets no line: the loop ends with its message.
static void PrintPicture(const PictureRecord* r)
{
    if (!r->complete) return;
    char line[RECORD_LINE_LEN];
    FormatPicture(line, sizeof line, r, g_options.format);
    std::printf("%s\n", line);
}

static const RecordSink kRowSink = {PrintMeasurement, PrintPicture, nullptr, nullptr, nullptr};

// Before each further request: the count or the duration reached ends the loop.
static int More(long records)
{
    if (g_options.count > 0 && records >= g_options.count) return 0;
    return !(g_options.duration > 0 && Timer() - g_started >= g_options.duration);
}

// Ctrl-C and SIGTERM are the Stop button: the runtime runs this inside the
// loop's event processing, and the loop ends as it ends on Stop.
static void Interrupted(int)
{
    stop_flag = 1;
}

static void BeginLoop(void)
{
    stop_flag = 0;
    graphrefresh = 0;
    InstallSignalCallback(SIGINT, Interrupted);
    InstallSignalCallback(SIGTERM, Interrupted);
}

static void EndLoop(void)
{
    EndOfLoop();
    InstallSignalCallback(SIGINT, nullptr);
    InstallSignalCallback(SIGTERM, nullptr);
}

// Both loops: the exchanges are link/'s; this prints and publishes. Returns
// the exit status after a message for a failed exchange.
static int Loop(const char* command, int video)
{
    PrintHeader(video);
    AddRecordSink(&kRowSink);
    BeginLoop();
    g_started = Timer();
    LoopHooks hooks{};
    hooks.more = More;
    LoopEnd end;
    if (video)
        VideoMode(&hooks, &end);
    else
        RunMode(&hooks, &end);
    EndLoop();
    const char* things = video ? "pictures" : "replies";
    if (end.result == EX_REPLY || end.result == EX_STOPPED) {
        PublishStatus("%s %s after %ld %s", command, end.result == EX_STOPPED ? "stopped" : "ended", end.records,
                      things);
        return EXIT_DONE;
    }
    char what[96];
    if (end.blockSamples)
        std::snprintf(what, sizeof what, "video block from sample %d of picture %ld", end.firstSample, end.records);
    else if (video)
        std::snprintf(what, sizeof what, "measurement request of picture %ld", end.records + 1);
    else
        std::snprintf(what, sizeof what, "measurement request %ld", end.records + 1);
    return ExchangeFailed(what,
                          end.blockSamples == 64 ? OP_BLOCK64
                          : end.blockSamples     ? OP_BLOCK256
                                                 : OP_LOOP,
                          end.result);
}

int CmdWatch(int argc, char** argv)
{
    if (!ParseLoopOptions("watch", argc, argv, &g_options)) return EXIT_USAGE;
    // A broker URL that cannot work is a usage error before the port is touched.
    int status = StartPublishing("watch", g_options.mqttUrl, g_options.mqttAuth);
    if (status == EXIT_DONE) status = OpenLine();
    // The sensor works with the set a measurement request carries: the first
    // one must carry the sensor's own, as the window's does after its set-up.
    if (status == EXIT_DONE) status = StageParameters();
    if (status == EXIT_DONE) status = PublishSensor(0);
    if (status != EXIT_DONE) return status;
    PublishStatus("watch: measuring on %s", LineName());
    return Loop("watch", 0);
}

int CmdVideo(int argc, char** argv)
{
    if (!ParseLoopOptions("video", argc, argv, &g_options)) return EXIT_USAGE;
    int status = StartPublishing("video", g_options.mqttUrl, g_options.mqttAuth);
    if (status == EXIT_DONE) status = OpenLine();
    if (status == EXIT_DONE) status = StageParameters();
    // The board type says how the line is read.
    if (status == EXIT_DONE) status = Identify();
    if (status == EXIT_DONE) status = PublishSensor(1);
    if (status != EXIT_DONE) return status;
    PublishStatus("video: pictures from %s", LineName());
    return Loop("video", 1);
}
