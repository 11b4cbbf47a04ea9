// Thinning and interval summaries of the records (rate.h). The summary's
// statistics are link's ValueStatistics; this file only decides which
// record goes out and when an interval closes.
#include "link/rate.h"

#include "runtime/util.h"

#include <cmath>
#include <cstdio>

void RateBegin(RateControl* rc, long every, double interval)
{
    rc->every = every < 1 ? 1 : every;
    rc->interval = interval > 0 ? interval : 0;
    rc->seen = 0;
    rc->started = 0;
    ResetStatistics(&rc->stats);
}

int RateRecord(RateControl* rc, const MeasurementRecord* r, ValueStatistics* summary, int* summaryDue)
{
    *summaryDue = 0;
    if (rc->interval > 0) {
        const double now = Timer();
        if (rc->started == 0) rc->started = now;
        if (now - rc->started >= rc->interval) {
            if (rc->stats.count > 0) {
                *summary = rc->stats;
                *summaryDue = 1;
            }
            ResetStatistics(&rc->stats);
            // The intervals keep their grid; one that saw no record has no summary.
            rc->started += rc->interval * std::floor((now - rc->started) / rc->interval);
        }
        AddToStatistics(&rc->stats, r);
    }
    rc->seen++;
    return rc->seen % rc->every == 0 ? 1 : 0;
}

int RateFlush(RateControl* rc, ValueStatistics* summary)
{
    if (rc->interval <= 0 || rc->stats.count == 0) return 0;
    *summary = rc->stats;
    ResetStatistics(&rc->stats);
    rc->started = 0;
    return 1;
}

// ---- Format -------------------------------------------------------------------------------------

const char* const kSummaryFields[9] = {"first", "last", "count", "min", "mean", "max", "sd", "out_of_band", "port"};

// Three decimals from whole thousandths: no decimal comma of any locale.
static void Decimal(char* out, int size, double v)
{
    long long m = std::llround(v * 1000.0);
    const char* sign = m < 0 ? "-" : "";
    if (m < 0) m = -m;
    std::snprintf(out, static_cast<size_t>(size), "%s%lld.%03lld", sign, m / 1000, m % 1000);
}

int FormatSummary(char* out, int size, const ValueStatistics* s, const char* port, int format)
{
    char mean[32], sd[32];
    Decimal(mean, sizeof mean, s->mean);
    Decimal(sd, sizeof sd, StatisticsSd(s));
    int n;
    if (format == FORMAT_JSON) {
        char device[RECORD_PORT_LEN * 2];
        JsonString(device, sizeof device, port ? port : "");
        n = std::snprintf(out, static_cast<size_t>(size),
                          "{\"%s\":\"%s\",\"%s\":\"%s\",\"%s\":%ld,\"%s\":%d,\"%s\":%s,\"%s\":%d,\"%s\":%s,\"%s\":%ld,"
                          "\"%s\":\"%s\"}",
                          kSummaryFields[0], s->first, kSummaryFields[1], s->last, kSummaryFields[2], s->count,
                          kSummaryFields[3], s->minimum, kSummaryFields[4], mean, kSummaryFields[5], s->maximum,
                          kSummaryFields[6], sd, kSummaryFields[7], s->outOfBand, kSummaryFields[8], device);
    } else {
        const char sep = format == FORMAT_CSV ? ',' : ' ';
        n = std::snprintf(out, static_cast<size_t>(size), "summary%c%s%c%s%c%ld%c%d%c%s%c%d%c%s%c%ld%c%s", sep,
                          s->first, sep, s->last, sep, s->count, sep, s->minimum, sep, mean, sep, s->maximum, sep, sd,
                          sep, s->outOfBand, sep, port ? port : "");
    }
    if (n < 0) n = 0;
    return n < size ? n : size - 1;
}
