// The CSV recording: one row per run-mode reply, one per video picture.
//
// Every row has the same leading columns; a video row carries the picture's
// 256 samples after them, a run-mode row ends with the port. The header names
// every column a row may have, so a reader fills the samples of run-mode rows
// as empty. Numbers are integers, and the seconds are written from whole
// milliseconds: no decimal comma of any locale can creep in.
#include "outputs/outputs.h"

#include "app/state.h"
#include "runtime/filewriter.h"
#include "runtime/util.h"

#include <cstdio>
#include <cstring>

const int ROW_LEN = 2048;             // a video row: 11 columns and 256 samples of at most 5 digits
const int WHY_LEN = PATH_LEN + 96;    // "<file>: <reason>"
const double FLUSH_WAIT = 0.5;        // seconds a flush at the end of a loop waits for the disk

static int g_writer = 0;              // file writer of the running recording, 0 when none
static char g_path[PATH_LEN];
static char g_why[WHY_LEN];
static double g_started;              // Timer() when the recording began
static long g_rows;
static RecordStoppedHandler g_onStopped = nullptr;

static const char kHeader[] =
    "time,seconds,value,left_edge,right_edge,teach,tolerance,maximum,minimum,in_band,port";

int MvalueInBand(void)
{
    int upper = static_cast<int>(tVal) + static_cast<int>(tTol);
    int lower = static_cast<int>(tVal) - static_cast<int>(tTol);
    if (upper > 1023) upper = 1023;
    if (lower < 1) lower = 1;
    int v = Mvalue;
    return v >= lower && v <= upper ? 1 : 0;
}

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
    g_why[0] = '\0';
    g_rows = 0;
    int w = FileWriterOpen(g_path);
    if (w < 0) {
        SetWhy(FileWriterError(0));
        return -1;
    }
    g_writer = w;
    g_started = Timer();

    char header[ROW_LEN * 2];
    int n = std::snprintf(header, sizeof header, "%s", kHeader);
    for (int i = 0; i < 256; i++) n += std::snprintf(header + n, sizeof header - n, ",sample_%d", i);
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

// The columns every row has, up to and including the port; returns the length.
static int MeasurementColumns(char* row)
{
    char time[48];
    WallClockText(time, sizeof time, 3);
    long ms = static_cast<long>((Timer() - g_started) * 1000.0 + 0.5);
    return std::snprintf(row, ROW_LEN, "%s,%ld.%03ld,%u,%u,%u,%u,%u,%u,%u,%d,COM%d", time, ms / 1000, ms % 1000,
                         unsigned{Mvalue}, unsigned{Ledge}, unsigned{Redge}, unsigned{tVal}, unsigned{tTol},
                         unsigned{anaMax}, unsigned{anaMin}, MvalueInBand(), com);
}

void RecordMeasurement(void)
{
    if (!g_writer) return;
    char row[ROW_LEN];
    int n = MeasurementColumns(row);
    row[n++] = '\n';
    Put(row, n);
}

void RecordPicture(int complete)
{
    if (!g_writer || !complete) return;
    char row[ROW_LEN];
    int n = MeasurementColumns(row);
    for (int i = 0; i < 256; i++) n += std::snprintf(row + n, ROW_LEN - n, ",%u", unsigned{adcbuf[i]});
    row[n++] = '\n';
    Put(row, n);
}

void RecordFlush(void)
{
    if (!g_writer) return;
    if (FileWriterFlush(g_writer, FLUSH_WAIT) < 0 || FileWriterFailed(g_writer)) StopOnFailure();
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
