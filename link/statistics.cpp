// Statistics of the measured value. The mean and the spread are updated one
// value at a time (Welford), so a shift of millions of values neither keeps
// them nor loses precision to a large sum of squares.
#include "link/statistics.h"

#include <cmath>

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
