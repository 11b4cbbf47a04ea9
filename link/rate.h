// How much of a run goes out: every record, or one in N (`every`), and a
// summary of the measured value every S seconds (`interval`). A plant with
// many lines thins the stream and keeps the summaries; the MQTT messages,
// the CSV recording and kvormx-cli's rows each take the same two settings
// and hold a RateControl of their own over the same records.
#pragma once

#include "link/statistics.h"

struct RateControl {
    long every;             // 1: every record; N: the Nth, the 2Nth, ... of a run
    double interval;        // seconds covered by one summary; 0: no summaries
    long seen;              // records since RateBegin
    double started;         // Timer() at the start of the summary's interval; 0 before the first record
    ValueStatistics stats;  // the interval so far
};

// Settings (every < 1 counts as 1) and a fresh count; the summary's interval
// begins with the next record.
void RateBegin(RateControl* rc, long every, double interval);
// One record (a run-mode reply, or a picture's measurement). When its time
// lies past the interval under way, that interval's statistics go to
// *summary first, *summaryDue is set, and a new interval begins with this
// record. Returns 1 when the record itself is to be written or sent.
int RateRecord(RateControl* rc, const MeasurementRecord* r, ValueStatistics* summary, int* summaryDue);
// The interval under way, cut short (a loop ends): 1 with its statistics in
// *summary when it holds a record; the next record begins a new one.
int RateFlush(RateControl* rc, ValueStatistics* summary);

// ---- The summary's names and format ---------------------------------------------------------------
// first, last, count, min, mean, max, sd, out_of_band, port: the times of
// the interval's first and last record, the count of records, the measured
// value's minimum, mean, maximum and sample standard deviation (pixels, three
// decimals), the records out of band, and the device of the port.
extern const char* const kSummaryFields[9];
// One line without its newline (cut at size - 1), its length. JSON: one
// object, the MQTT summary message; CSV and TEXT: the word "summary", then
// the values in the order of the names, so a reader tells a summary row
// from a measurement row by its first field.
int FormatSummary(char* out, int size, const ValueStatistics* s, const char* port, int format);
