// `watch` and `video`: run mode and video mode without a window, one line
// per measurement reply or per picture. The exchanges are those of the Run
// and Video buttons' loops; where those draw, these print.
#include "cli/cli.h"

#include "link/link.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <csignal>
#include <cstdio>
#include <cstring>

enum { FORMAT_TEXT, FORMAT_CSV, FORMAT_JSON };

struct LoopOptions {
    long count;          // lines to print; 0 no limit
    double duration;     // seconds after which the next line is the last; 0 no limit
    int format;
    const char* mqttUrl;    // --mqtt; null: no publishing
    const char* mqttAuth;   // --mqtt-auth; null: anonymous
};

// The columns of a line, in order; a picture adds its 256 samples.
static const char* const kColumns[] = {"time", "seconds", "value", "left_edge", "right_edge",
                                       "teach", "tolerance", "max", "min", "in_band"};
const int VIDEO_SAMPLES = 256;

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

// The band as the strip chart draws it, its limits kept within 1 and 1023:
// a missing value (0) is never inside.
static int InBand(void)
{
    int lower = static_cast<int>(tVal) - static_cast<int>(tTol);
    int upper = static_cast<int>(tVal) + static_cast<int>(tTol);
    if (lower < 1) lower = 1;
    if (upper > 1023) upper = 1023;
    return Mvalue >= lower && Mvalue <= upper;
}

static void PrintHeader(const LoopOptions& o, int video)
{
    if (o.format != FORMAT_CSV) return;
    for (const char* column : kColumns) std::printf("%s%s", column == kColumns[0] ? "" : ",", column);
    if (video)
        for (int i = 0; i < VIDEO_SAMPLES; i++) std::printf(",sample_%d", i);
    std::printf("\n");
}

// One line from the measurement variables (and the samples of a picture).
static void PrintRow(const LoopOptions& o, double seconds, const uint16_t* samples)
{
    char time[48];
    FormatUtcNow(time, sizeof time);
    const unsigned values[] = {Mvalue, Ledge, Redge, tVal, tTol, anaMax, anaMin};
    const int band = InBand();
    if (o.format == FORMAT_JSON) {
        std::printf("{\"time\": \"%s\", \"seconds\": %.3f", time, seconds);
        for (int k = 0; k < 7; k++) std::printf(", \"%s\": %u", kColumns[k + 2], values[k]);
        std::printf(", \"in_band\": %s", band ? "true" : "false");
        if (samples) {
            std::printf(", \"samples\": [");
            for (int i = 0; i < VIDEO_SAMPLES; i++) std::printf("%s%u", i ? ", " : "", unsigned(samples[i]));
            std::printf("]");
        }
        std::printf("}\n");
        return;
    }
    const char sep = o.format == FORMAT_CSV ? ',' : ' ';
    std::printf("%s%c%.3f", time, sep, seconds);
    for (unsigned v : values) std::printf("%c%u", sep, v);
    std::printf("%c%d", sep, band);
    if (samples)
        for (int i = 0; i < VIDEO_SAMPLES; i++) std::printf("%c%u", sep, unsigned(samples[i]));
    std::printf("\n");
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

static int Enough(const LoopOptions& o, long lines, double started)
{
    if (o.count > 0 && lines >= o.count) return 1;
    return o.duration > 0 && Timer() - started >= o.duration;
}

int CmdWatch(int argc, char** argv)
{
    LoopOptions o;
    if (!ParseLoopOptions("watch", argc, argv, &o)) return EXIT_USAGE;
    // A broker URL that cannot work is a usage error before the port is touched.
    int status = StartPublishing("watch", o.mqttUrl, o.mqttAuth);
    if (status == EXIT_DONE) status = OpenLine();
    // The sensor works with the set a measurement request carries: the first
    // one must carry the sensor's own, as kvormx's does after its set-up.
    if (status == EXIT_DONE) status = StageParameters();
    if (status == EXIT_DONE) status = PublishSensor(0);
    if (status != EXIT_DONE) return status;
    PublishStatus("watch: measuring on %s", LineName());

    PrintHeader(o, 0);
    BeginLoop();
    const double started = Timer();
    long replies = 0;
    CopyVarsToPP();
    int r = Exchange(CMD_MEASURE, pp, REPLY_FRAME, reply_limit, EX_EVENTS | EX_STOPPABLE);
    while (r == EX_REPLY) {
        // The reply first: pp is overwritten by the next request.
        TakeMeasurementWords(MEASURE_WORDS_RUN);
        replies++;
        PrintRow(o, Timer() - started, nullptr);
        PublishReply();
        if (Enough(o, replies, started)) break;
        CopyVarsToPP();   // carries the sensor's own tVal and tTol back to it
        r = Exchange(CMD_MEASURE, pp, REPLY_FRAME, reply_limit, EX_EVENTS | EX_STOPPABLE);
    }
    EndLoop();
    if (r == EX_REPLY || r == EX_STOPPED) {
        PublishStatus("watch %s after %ld replies", r == EX_STOPPED ? "stopped" : "ended", replies);
        return EXIT_DONE;
    }
    char what[64];
    std::snprintf(what, sizeof what, "measurement request %ld", replies + 1);
    return ExchangeFailed(what, r);
}

// A block that did not come whole: the first failure is the one reported.
static void BlockResult(int r, int first, int bytes, long picture, int* status)
{
    if (r == EX_REPLY || r == EX_LONG || *status != EXIT_DONE) return;
    char what[80];
    std::snprintf(what, sizeof what, "video block from sample %d of picture %ld", first, picture);
    *status = ExchangeFailed(what, r, bytes);
}

int CmdVideo(int argc, char** argv)
{
    LoopOptions o;
    if (!ParseLoopOptions("video", argc, argv, &o)) return EXIT_USAGE;
    int status = StartPublishing("video", o.mqttUrl, o.mqttAuth);
    if (status == EXIT_DONE) status = OpenLine();
    if (status == EXIT_DONE) status = StageParameters();
    // The board type says how the line is read.
    if (status == EXIT_DONE) status = Identify();
    if (status == EXIT_DONE) status = PublishSensor(1);
    if (status != EXIT_DONE) return status;
    PublishStatus("video: pictures from %s", LineName());

    PrintHeader(o, 1);
    BeginLoop();
    const double started = Timer();
    long pictures = 0;
    // The first request carries the parameter set; each later one the reply
    // before it, as in kvormx's video mode.
    CopyVarsToPP();
    do {
        const long picture = pictures + 1;
        int r = Exchange(CMD_MEASURE, pp, REPLY_FRAME, reply_limit, EX_EVENTS);
        if (r == EX_REPLY) {
            TakeMeasurementWords(MEASURE_WORDS_VIDEO);
        } else {
            char what[80];
            std::snprintf(what, sizeof what, "measurement request of picture %ld", picture);
            status = ExchangeFailed(what, r);
        }
        // A cycle always completes, as kvormx's does, whatever its
        // measurement came to.
        if (pcbtype == 0) {
            for (int first = 0; first < VIDEO_SAMPLES; first += 64) {
                ref_flag = first == 192 ? 1 : 0;
                BlockResult(ReadVideoBlock64(first, ref_flag, EX_EVENTS), first, 128, picture, &status);
            }
        } else {
            BlockResult(ReadVideoBlock256(EX_EVENTS), 0, 512, picture, &status);
        }
        if (status != EXIT_DONE) break;
        pictures = picture;
        PrintRow(o, Timer() - started, adcbuf);
        PublishPicture();
        if (Enough(o, pictures, started)) break;
    } while (stop_flag == 0);
    EndLoop();
    if (status == EXIT_DONE)
        PublishStatus("video %s after %ld pictures", stop_flag ? "stopped" : "ended", pictures);
    return status;
}
