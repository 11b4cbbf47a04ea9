// The records of what the sensor reports: one measurement record per
// run-mode reply, one picture record per video picture, one identity record
// per set-up. Each is filled once, here, and every output takes it: the
// window's displays, the CSV recording, kvormx-cli's rows, MQTT. The field
// names are one list, so a name means the same in every file and message a
// plant keeps, and "in band" is one rule.
//
// Outputs register as sinks; the loops (sequences.cpp) hand each record to
// every sink and call none of them by name.
#pragma once

#include <cstdint>

#include "link/state.h"

// ---- The records --------------------------------------------------------------------------------
const int RECORD_TIME_LEN = 32;
const int RECORD_PORT_LEN = 256;  // a device path; a longer one is cut
const int PICTURE_SAMPLES = 256;

struct MeasurementRecord {
    char time[RECORD_TIME_LEN];  // when the reply was taken: ISO 8601 UTC with milliseconds
    double seconds;              // since the loop's first request
    unsigned long seq;           // replies (or pictures) of this loop, from 1
    int value;                   // measured value, pixels (Mvalue)
    int left_edge, right_edge;   // edges, pixels; 0 = none (Ledge, Redge)
    int edges;                   // edge count (edcnt)
    int teach, tolerance;        // teach value and tolerance either side (tVal, tTol)
    int maximum, minimum;        // since the last max/min reset (anaMax, anaMin; 1023: none yet)
    int in_band;                 // InBand(value, teach, tolerance)
    char port[RECORD_PORT_LEN];  // the device of the port in use
    // In millimetres, where a scale is known (link.h, "Millimetres"); NO_MM
    // where not: no scale, or an edge that is missing (0).
    double value_mm;                     // PositionMm(value)
    double left_edge_mm, right_edge_mm;  // PositionMm of each edge
    double width_mm;                     // right_edge_mm - left_edge_mm, both edges there
};
// A millimetre field without a value (not a number): empty in CSV, "-" in
// text, left out of JSON.
extern const double NO_MM;
int HasMm(double mm);  // 1 when the field holds a value

struct PictureRecord {
    MeasurementRecord m;                // the picture's measurement reply
    int complete;                       // 0: a block did not come whole; samples hold what there was
    int first_pixel;                    // pixel of sample 0
    int pixel_step;                     // pixels from one sample to the next
    uint16_t samples[PICTURE_SAMPLES];  // the video line, 0..1023
};

const int IDENTITY_TEXT_LEN = 128;

struct IdentityRecord {
    char description[IDENTITY_TEXT_LEN];  // the sensor's description line, without its indent (Latin-1)
    int ccd_type, pixels, resolution, board_type;
    char firmware[STATUS_LEN];   // firmware text, without its padding (Latin-1)
    char port[RECORD_PORT_LEN];  // the device of the port in use
    double mm_per_pixel;         // the millimetre scale; 0: none known
    double mm_offset;            // mm added to a position
};

// ---- The one rule for "in band" -----------------------------------------------------------------
// The band the strip chart draws: teach -+ tolerance, its limits kept within
// pixels 1 and 1023.
void BandLimits(int teach, int tolerance, int* lower, int* upper);
// 1 when the value lies within BandLimits, both limits included.
int InBand(int value, int teach, int tolerance);

// ---- Filling them -------------------------------------------------------------------------------
// A loop begins: seq from 1 again, seconds from now.
void BeginRecords(void);
// A reply that did not come: its seq is left out, so the gap shows it.
void SkipRecord(void);
// From the measurement variables, as the last TakeMeasurementWords left them.
void FillMeasurementRecord(MeasurementRecord* r);
// The measurement as above, adcbuf and where its samples lie on the line.
void FillPictureRecord(PictureRecord* r, int complete);
// Where the 256 samples of a picture lie: the whole line (from pixel 0,
// LineSampleStep apart) or, in window mode, 256 pixels from pStart.
void SampleGeometry(int* firstPixel, int* pixelStep);
// Pixels between two of the 256 samples of the whole line: every 4th pixel
// of 1024, every 2nd of 512, each of 256.
int LineSampleStep(void);
// From the identification variables; `description` null takes the sensor's own.
void FillIdentityRecord(IdentityRecord* r, const char* description);

// ---- Names and formats --------------------------------------------------------------------------
enum {
    FIELD_TIME,
    FIELD_SECONDS,
    FIELD_SEQ,
    FIELD_VALUE,
    FIELD_LEFT_EDGE,
    FIELD_RIGHT_EDGE,
    FIELD_EDGES,
    FIELD_TEACH,
    FIELD_TOLERANCE,
    FIELD_MAXIMUM,
    FIELD_MINIMUM,
    FIELD_IN_BAND,
    FIELD_PORT,
    FIELD_VALUE_MM,
    FIELD_LEFT_EDGE_MM,
    FIELD_RIGHT_EDGE_MM,
    FIELD_WIDTH_MM,
    MEASUREMENT_FIELDS
};
extern const char* const kMeasurementFields[MEASUREMENT_FIELDS];
extern const char* const kPictureFields[2];  // "first_pixel", "pixel_step"; then the samples
extern const char* const kIdentityFields[9];
// The words of a measurement reply by the names above where a word is a
// field, by the program's own names where it is not (the frame trace).
extern const char* const kMeasureWordNames[PNUM];

enum { FORMAT_TEXT, FORMAT_CSV, FORMAT_JSON };
// Each writes one line without its newline into `out` and returns its length
// (cut at size - 1). TEXT: values separated by a space; CSV: by commas, the
// port quoted where it must be; JSON: one object, in_band true or false.
// A picture's columns follow the measurement's: first_pixel, pixel_step and
// the samples (sample_0 .. sample_255 in CSV, "samples" in JSON).
const int RECORD_LINE_LEN = 8192;
int FormatCsvHeader(char* out, int size, int picture);
int FormatMeasurement(char* out, int size, const MeasurementRecord* r, int format);
int FormatPicture(char* out, int size, const PictureRecord* r, int format);
int FormatIdentityJson(char* out, int size, const IdentityRecord* r);
// A Latin-1 text as the contents of a JSON string (UTF-8, escaped); returns the length.
int JsonString(char* out, int size, const char* latin1);
// A number with `decimals` places after a dot, whatever the locale (a person's
// display and a file alike); "" for a value that is not finite. Returns the length.
int FixedText(char* out, int size, double value, int decimals);
// The same without the zeros that end the fraction (a scale: 0.0248046875, 0.025).
int ShortFixedText(char* out, int size, double value, int decimals);

// ---- Sinks --------------------------------------------------------------------------------------
// Each member may be null. The loops call them on the program's thread.
struct RecordSink {
    void (*measurement)(const MeasurementRecord* r);  // a run-mode reply
    void (*picture)(const PictureRecord* r);          // a video picture, complete or not
    void (*identity)(const IdentityRecord* r);        // a sensor set up
    void (*parameters)(void);                         // the variables hold the sensor's set anew
    // A run or video loop ended with `result`; `blockSamples` is the size of the
    // video block that failed (0: the measurement request did, or none).
    void (*loopEnded)(int result, int blockSamples);
};
const int MAX_SINKS = 8;
int AddRecordSink(const RecordSink* sink);  // 0, or -1 when MAX_SINKS are registered already
void RemoveRecordSink(const RecordSink* sink);
void ClearRecordSinks(void);
void DeliverMeasurement(const MeasurementRecord* r);
void DeliverPicture(const PictureRecord* r);
void DeliverIdentity(const IdentityRecord* r);
void DeliverParameters(void);
void DeliverLoopEnded(int result, int blockSamples);
