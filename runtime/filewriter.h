// Text files written behind the program's back: recordings and traces.
//
// The program hands over whole lines; a thread of the runtime writes them to
// the file, so a slow, full or vanished disk never holds up the user-interface
// thread and the line it drives. Lines reach the file at the latest
// FILE_WRITE_DELAY seconds after they were handed over, and at once on
// FileWriterFlush. When a write fails (disk full, file-size limit, device
// gone) or the file disappears from its folder, the file is cut back to its
// last complete line, the writer stops taking lines and says why.
//
// Also here: the wall-clock texts the files are stamped with, independent of
// the user's locale.
#pragma once

// ---- Error codes --------------------------------------------------------------------------------
enum {
    FW_BAD_HANDLE = -1,   // no open writer with that handle
    FW_OPEN_FAILED = -2,  // the file could not be created (FileWriterError(0) says why)
    FW_FAILED = -3,       // an earlier write failed: nothing more is taken
    FW_TOO_MANY = -4,     // every writer slot is in use
};

const double FILE_WRITE_DELAY = 0.25;  // seconds a handed-over line waits at most for its write

// Creates (or empties) the file: a handle > 0, or a negative code.
int FileWriterOpen(const char* path);
// Takes `length` bytes for the file; never waits for the disk. 0, or FW_FAILED
// (the text is dropped) or FW_BAD_HANDLE.
int FileWriterPut(int handle, const char* text, int length);
// Writes what was handed over; waits at most `wait` seconds for the disk.
// 0 all written, 1 still on its way, or a negative code.
int FileWriterFlush(int handle, double wait);
int FileWriterFailed(int handle);  // 1 once a write failed or the file vanished, else 0
// Why the writer failed, or (handle 0) why the last open or close failed: "" when it did not.
const char* FileWriterError(int handle);
const char* FileWriterPath(int handle);  // the path it was opened with, "" for a bad handle
// Writes the rest (waiting at most two seconds for the disk) and closes:
// 0, or FW_FAILED when anything was lost.
int FileWriterClose(int handle);

// ---- Wall-clock texts ---------------------------------------------------------------------------
// Local time in ISO-8601 with `digits` (0..6) fraction digits and the UTC
// offset: "2025-03-07T14:03:22.517+01:00". `size` >= 40. Returns the text's length.
// secondsSinceEpoch < 0 means now.
int WallClockText(char* out, int size, int digits, double secondsSinceEpoch = -1);
// UTC now in ISO-8601 with milliseconds: "2025-03-07T13:03:22.517Z", what
// machine-readable rows and messages carry. `size` >= 32. Returns the length.
int UtcTimeText(char* out, int size);
double WallClockSeconds(void);  // seconds since the epoch, microsecond resolution
// "20250307-140322": a file-name stamp of the local time now. `size` >= 16.
int WallClockStamp(char* out, int size);
