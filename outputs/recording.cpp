// The CSV recording: one row per run-mode reply, one per whole video picture,
// from the records (link/record.h), with their one list of column names.
//
// Every row has the same leading columns; a video row carries the picture's
// first pixel, pixel step and 256 samples after them. The header names every
// column a row may have, so a reader fills the picture columns of run-mode
// rows as empty.
#include "outputs/outputs.h"

#include "link/rate.h"
#include "link/record.h"
#include "runtime/filewriter.h"
#include "runtime/rs232.h"
#include "runtime/util.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

const int ROW_LEN = RECORD_LINE_LEN;  // a video row: the measurement, the picture's columns and 256 samples
const int WHY_LEN = PATH_LEN + 96;    // "<file>: <reason>"
const double FLUSH_WAIT = 0.5;        // seconds a flush at the end of a loop waits for the disk

static int g_writer = 0;  // file writer of the running recording, 0 when none
static char g_path[PATH_LEN];
static char g_summaryPath[PATH_LEN];
static int g_summaryBegun;  // the summary holds a row of this recording (else it is emptied first)
static char g_why[WHY_LEN];
static long g_rows;
static RecordStoppedHandler g_onStopped = nullptr;
static RateControl g_rate = {1, 0, 0, 0, {}};  // RecordSetRate

void DefaultFileName(char* path, int size, const char* dir, const char* prefix, const char* ext)
{
    char stamp[32];
    WallClockStamp(stamp, sizeof stamp);
    const bool folder = dir && *dir;
    const bool slash = folder && dir[std::strlen(dir) - 1] == '/';
    std::snprintf(path, static_cast<size_t>(size), "%s%skvormx-%s-%s.%s", folder ? dir : "",
                  folder && !slash ? "/" : "", prefix, stamp, ext);
}

static void SetWhy(const char* reason)
{
    std::snprintf(g_why, sizeof g_why, "%s: %s", g_path, reason);
}

// The writer failed under a row: the recording ends here, its rows up to the
// failure stay readable, and whoever drives the panels is told.
static void StopOnFailure(void)
{
    SetWhy(FileWriterError(g_writer));
    FileWriterClose(g_writer);
    g_writer = 0;
    if (g_onStopped) g_onStopped(g_why);
}

static void Put(const char* row, int length)
{
    if (FileWriterPut(g_writer, row, length) < 0 || FileWriterFailed(g_writer)) {
        StopOnFailure();
        return;
    }
    g_rows++;
}

int RecordStart(const char* path)
{
    if (g_writer) RecordStop();
    CopyText(g_path, PATH_LEN, path ? path : "");
    // Beside it: the same name, "-summary" before its ".csv".
    const char* dot = std::strrchr(g_path, '.');
    const char* slash = std::strrchr(g_path, '/');
    const int stem =
        dot && (!slash || dot > slash) ? static_cast<int>(dot - g_path) : static_cast<int>(std::strlen(g_path));
    std::snprintf(g_summaryPath, sizeof g_summaryPath, "%.*s-summary.csv", stem, g_path);
    g_summaryBegun = 0;
    g_why[0] = '\0';
    g_rows = 0;
    RateBegin(&g_rate, g_rate.every, g_rate.interval);
    int w = FileWriterOpen(g_path);
    if (w < 0) {
        SetWhy(FileWriterError(0));
        return -1;
    }
    g_writer = w;

    char header[ROW_LEN + 1];
    int n = FormatCsvHeader(header, ROW_LEN, 1);
    header[n++] = '\n';
    if (FileWriterPut(g_writer, header, n) < 0) {
        StopOnFailure();
        return -1;
    }
    return 0;
}

int RecordStop(void)
{
    if (!g_writer) return 0;
    const int w = g_writer;
    g_writer = 0;
    if (FileWriterClose(w) < 0) {
        SetWhy(FileWriterError(0));
        return -1;
    }
    return 0;
}

int RecordActive(void)
{
    return g_writer ? 1 : 0;
}

// ---- Rate: --every and --interval ----------------------------------------------------------------

void RecordSetRate(long every, double interval)
{
    RateBegin(&g_rate, every, interval);
}

static void PutSummary(const ValueStatistics* s, const char* port)
{
    char row[ROW_LEN + 1];
    int n = FormatSummary(row, ROW_LEN, s, port, FORMAT_CSV);
    row[n++] = '\n';
    Put(row, n);
}

// A summary row that closed before the record goes first; 1 when the record's own row is written.
static int Rated(const MeasurementRecord* r)
{
    ValueStatistics summary;
    int due = 0;
    int take = RateRecord(&g_rate, r, &summary, &due);
    if (due) PutSummary(&summary, r->port);
    return take && g_writer;
}

void RecordMeasurement(const MeasurementRecord* r)
{
    if (!g_writer || !Rated(r)) return;
    char row[ROW_LEN + 1];
    int n = FormatMeasurement(row, ROW_LEN, r, FORMAT_CSV);
    row[n++] = '\n';
    Put(row, n);
}

void RecordPicture(const PictureRecord* r)
{
    if (!g_writer || !r->complete || !Rated(&r->m)) return;
    char row[ROW_LEN + 1];
    int n = FormatPicture(row, ROW_LEN, r, FORMAT_CSV);
    row[n++] = '\n';
    Put(row, n);
}

void RecordFlush(void)
{
    if (!g_writer) return;
    if (FileWriterFlush(g_writer, FLUSH_WAIT) < 0 || FileWriterFailed(g_writer)) StopOnFailure();
}

// A few hundred bytes after a run has ended: written at once, without the
// writer thread the rows need.
int RecordSummary(const ValueStatistics* s)
{
    if (!g_writer) return 0;
    // Emptied with its recording: the rows of another recording do not belong to this one.
    std::FILE* f = std::fopen(g_summaryPath, g_summaryBegun ? "a" : "w");
    if (!f) {
        std::snprintf(g_why, sizeof g_why, "%s: %s", g_summaryPath, std::strerror(errno));
        return -1;
    }
    char row[ROW_LEN];
    int ok = 1;
    std::fseek(f, 0, SEEK_END);
    if (std::ftell(f) == 0) {
        int n = FormatStatisticsCsvHeader(row, ROW_LEN);
        ok = std::fprintf(f, "%.*s\n", n, row) > 0;
    }
    int n = FormatStatisticsCsv(row, ROW_LEN, s);
    ok = ok && std::fprintf(f, "%.*s\n", n, row) > 0;
    const int closed = std::fclose(f) == 0;
    g_summaryBegun = 1;
    if (!ok || !closed) {
        std::snprintf(g_why, sizeof g_why, "%s: %s", g_summaryPath, std::strerror(errno));
        return -1;
    }
    return 0;
}

const char* RecordSummaryPath(void)
{
    return g_summaryPath;
}

const char* RecordPath(void)
{
    return g_path;
}

const char* RecordError(void)
{
    return g_why;
}

long RecordRows(void)
{
    return g_rows;
}

void SetRecordStoppedHandler(RecordStoppedHandler handler)
{
    g_onStopped = handler;
}

static void RecordLoopEnded(int, int)
{
    ValueStatistics summary;
    if (g_writer && RateFlush(&g_rate, &summary)) PutSummary(&summary, GetComDevice(com));
    RecordFlush();
}

static const RecordSink kRecordingSink = {RecordMeasurement, RecordPicture, nullptr, nullptr, RecordLoopEnded};

void AddRecordingSink(void)
{
    AddRecordSink(&kRecordingSink);
}
