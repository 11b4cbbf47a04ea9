// The reference signal: a video picture (or an average of pictures) kept
// with the sensor it was taken from and the parameters it was taken with,
// so that a later picture can be laid over it: has the signal changed since
// the line was set up?
//
// The file is CSV, one header line and one row: the columns of the
// recording's video rows (link/record.h), then "averaged" (pictures averaged
// into it), the sensor's identity (description, ccd_type, pixels,
// resolution, board_type, firmware) and the parameter set by its names.
// Columns are found by name, so a file with columns added later still loads.
#pragma once

#include <cstdint>

#include "link/record.h"

struct Reference {
    PictureRecord picture;    // the picture as taken; samples: the picture or the average
    int averaged;             // pictures averaged into the samples (1: one picture)
    IdentityRecord identity;  // the sensor it was taken from (port: picture.m.port)
    uint16_t params[PNUM];    // the parameter set it was taken with, in packet order
};

const int REFERENCE_TEXT_LEN = 16384;  // a reference file is far shorter

// The newest picture's measurement and geometry with `samples` (the picture
// itself or the average over `averaged` pictures), the identity and the
// parameter variables as they are now.
void TakeReference(Reference* r, const PictureRecord* newest, const uint16_t* samples, int averaged);
// Header line and row, each ended by a newline; returns the length.
int FormatReference(char* out, int size, const Reference* r);
// 0, or -1 with `why` saying what is missing or wrong.
int ParseReference(const char* text, Reference* r, char* why, int size);
// The file: 0, or -1 with ReferenceError() saying why.
int SaveReference(const char* path, const Reference* r);
int LoadReference(const char* path, Reference* r);
const char* ReferenceError(void);
// 1 when the reference lies where the video's pictures lie now (line length
// `pixels`, sample 0 at `firstPixel`, samples `pixelStep` apart); else 0 and
// `why` says what differs, in the operator's words.
int ReferenceFits(const Reference* r, int pixels, int firstPixel, int pixelStep, char* why, int size);
// live - reference for each sample, into `difference`.
void ReferenceDifference(const Reference* r, const uint16_t* live, int* difference);

// ---- The reference in use -----------------------------------------------------------------------
// The reference the window shows (or kvormx-cli found remembered for the
// sensor), for the support file. null: none.
void SetCurrentReference(const Reference* r);
const Reference* CurrentReference(void);
// The settings key under which the reference of the sensor on the port in
// use is remembered: its device and line length ("reference/dev_ttyUSB0_1024").
void ReferenceSettingKey(char* key, int size);
// The remembered reference of the sensor on the port in use into *r, if
// there is one and it lies where the pictures lie now: 1, else 0 with `why`
// ("" when none is remembered). `path` receives its file.
int LoadRememberedReference(Reference* r, char* path, int pathSize, char* why, int size);
