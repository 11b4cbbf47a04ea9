// Statistics of the measured value. The mean and the spread are updated one
// value at a time (Welford), so a shift of millions of values neither keeps
// them nor loses precision to a large sum of squares.
#include "link/statistics.h"

#include "link/link.h"

#include <cmath>
#include <cstdio>

void ResetStatistics(ValueStatistics* s)
{
    *s = ValueStatistics{};
}

void AddToStatistics(ValueStatistics* s, const MeasurementRecord* r)
{
    const double v = r->value;
    if (s->count == 0) {
        s->minimum = s->maximum = r->value;
        CopyText(s->first, RECORD_TIME_LEN, r->time);
    }
    s->count++;
    const double delta = v - s->mean;
    s->mean += delta / static_cast<double>(s->count);
    s->m2 += delta * (v - s->mean);
    if (r->value < s->minimum) s->minimum = r->value;
    if (r->value > s->maximum) s->maximum = r->value;
    if (!r->in_band) s->outOfBand++;
    s->teach = r->teach;
    s->tolerance = r->tolerance;
    CopyText(s->last, RECORD_TIME_LEN, r->time);
}

double StatisticsSd(const ValueStatistics* s)
{
    return s->count < 2 ? 0.0 : std::sqrt(s->m2 / static_cast<double>(s->count - 1));
}

int StatisticsCapability(const ValueStatistics* s, double* cp, double* cpk)
{
    const double sd = StatisticsSd(s);
    if (!(sd > 0.0)) return 0;
    int lower, upper;
    BandLimits(s->teach, s->tolerance, &lower, &upper);
    *cp = (upper - lower) / (6.0 * sd);
    const double toUpper = upper - s->mean, toLower = s->mean - lower;
    *cpk = (toUpper < toLower ? toUpper : toLower) / (3.0 * sd);
    return 1;
}

// ---- The statistics as a row --------------------------------------------------------------------

static const char* const kStatisticsColumns[] = {
    "first", "last",      "count", "mean", "sd",           "minimum", "maximum", "out_of_band", "out_of_band_share",
    "teach", "tolerance", "cp",    "cpk",  "mm_per_pixel", "mean_mm", "sd_mm",   "minimum_mm",  "maximum_mm",
};

int FormatStatisticsCsvHeader(char* out, int size)
{
    int n = 0;
    out[0] = '\0';
    for (const char* name : kStatisticsColumns)
        if (n < size) n += std::snprintf(out + n, static_cast<size_t>(size - n), n ? ",%s" : "%s", name);
    return n < size ? n : size - 1;
}

int FormatStatisticsCsv(char* out, int size, const ValueStatistics* s)
{
    const int defined = s->count > 1;
    double cp = 0, cpk = 0;
    const int capable = StatisticsCapability(s, &cp, &cpk);
    const double sd = StatisticsSd(s);
    char mean[32], sdText[32], share[32], cpText[32] = "", cpkText[32] = "";
    FixedText(mean, sizeof mean, s->mean, 3);
    FixedText(sdText, sizeof sdText, defined ? sd : NO_MM, 3);
    FixedText(share, sizeof share, s->count ? static_cast<double>(s->outOfBand) / static_cast<double>(s->count) : 0.0,
              4);
    if (capable) {
        FixedText(cpText, sizeof cpText, cp, 3);
        FixedText(cpkText, sizeof cpkText, cpk, 3);
    }
    char scale[32] = "", meanMm[32] = "", sdMm[32] = "", minMm[32] = "", maxMm[32] = "";
    if (ScaleKnown() && s->count) {
        ShortFixedText(scale, sizeof scale, mm_per_pixel, 10);
        FixedText(meanMm, sizeof meanMm, PositionMm(s->mean), 4);
        FixedText(sdMm, sizeof sdMm, defined ? LengthMm(sd) : NO_MM, 4);
        FixedText(minMm, sizeof minMm, PositionMm(s->minimum), 3);
        FixedText(maxMm, sizeof maxMm, PositionMm(s->maximum), 3);
    }
    int n = std::snprintf(out, static_cast<size_t>(size), "%s,%s,%ld,%s,%s,%d,%d,%ld,%s,%d,%d,%s,%s,%s,%s,%s,%s,%s",
                          s->first, s->last, s->count, mean, sdText, s->minimum, s->maximum, s->outOfBand, share,
                          s->teach, s->tolerance, cpText, cpkText, scale, meanMm, sdMm, minMm, maxMm);
    return n < size ? n : size - 1;
}
