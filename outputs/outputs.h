// What the program keeps of the sensor's work: the CSV recording of run and
// video mode. Used by the loops in display/, by the Record control and by the
// command-line tool; it touches no panel. Files are written through the
// runtime's file writer, so a row never waits for the disk.
#pragma once

// ---- Recording (recording.cpp) ------------------------------------------------------------
// Starts a recording into `path` (created or emptied) with its header row:
// 0, or -1 with the cause in RecordError(). A recording already running is
// ended first.
int RecordStart(const char* path);
// Ends the recording: the rest written, the file closed. 0, or -1 when rows
// were lost (RecordError() says why).
int RecordStop(void);
int RecordActive(void);               // 1 while a recording runs
// One row per run-mode reply, from the measurement variables as the reply
// set them. Does nothing without a recording.
void RecordMeasurement(void);
// One row per video picture: the measurement columns and the 256 samples of
// adcbuf. A picture whose measurement or blocks did not all come (complete 0)
// is left out: its columns would hold the previous picture's values.
void RecordPicture(int complete);
// The rows so far onto the disk now (a loop ended); waits a little for it.
void RecordFlush(void);
const char* RecordPath(void);         // file of the running (or last) recording
const char* RecordError(void);        // "<file>: <reason>" of the last failure, "" if none
long RecordRows(void);                // rows written since the recording began

// Called (once) when a write fails and the recording stops by itself, with
// "<file>: <reason>". Rows before the failure stay in the file.
typedef void (*RecordStoppedHandler)(const char* why);
void SetRecordStoppedHandler(RecordStoppedHandler handler);

// "<dir>/kvormx-<prefix>-YYYYMMDD-HHMMSS.<ext>": a default file name with the
// date and time, in `dir` (no folder when dir is empty).
void DefaultFileName(char* path, int size, const char* dir, const char* prefix, const char* ext);

// ---- The tolerance rule the recording and the displays share ---------------------------------
// 1 when Mvalue lies within the band the strip chart draws: tVal - tTol .. tVal + tTol,
// kept within pixels 1 .. 1023.
int MvalueInBand(void);
