// Statistics of the measured value over a stretch of replies: what the
// window's statistics panel shows for a run, and what a summary message or
// row carries for an interval. Fed with measurement records; no allocation.
#pragma once

#include "link/record.h"

struct ValueStatistics {
    long count;                   // records taken
    double mean;                  // of the measured value
    double m2;                    // sum of squared deviations from the mean (Welford's update)
    int minimum, maximum;         // of the measured value
    long outOfBand;               // records whose in_band was 0
    int teach, tolerance;         // the band of the last record (Cp and Cpk are against it)
    char first[RECORD_TIME_LEN];  // time of the first record, "" before it
    char last[RECORD_TIME_LEN];   // time of the last one
};

void ResetStatistics(ValueStatistics* s);
void AddToStatistics(ValueStatistics* s, const MeasurementRecord* r);
// Sample standard deviation (n - 1 in the divisor); 0 for fewer than two values.
double StatisticsSd(const ValueStatistics* s);
// Process capability against the band (BandLimits of the last teach value and
// tolerance): Cp = (upper - lower) / 6 sd, Cpk = min(upper - mean, mean - lower)
// / 3 sd. 1 with both set, 0 when they are not defined (fewer than two values,
// no spread).
int StatisticsCapability(const ValueStatistics* s, double* cp, double* cpk);

// ---- The statistics as a row --------------------------------------------------------------------
// One CSV row of a stretch's statistics (a run's summary): first, last, count,
// mean, sd, minimum, maximum, out_of_band, out_of_band_share (0..1), teach,
// tolerance, cp, cpk, and where a millimetre scale is known mm_per_pixel,
// mean_mm, sd_mm, minimum_mm, maximum_mm (else empty). Numbers with a dot,
// whatever the locale; sd, cp and cpk empty where not defined. Each returns
// the line's length without a line break.
int FormatStatisticsCsvHeader(char* out, int size);
int FormatStatisticsCsv(char* out, int size, const ValueStatistics* s);
