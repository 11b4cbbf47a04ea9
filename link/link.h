// The sensor link: the frame codec, the one exchange on the line, the port
// set-up, the reads that decode what the sensor sends, and the protocol's
// sequences that the window and kvormx-cli both run. It talks to the serial
// library and to nothing above it: status lines, dimming and axes are the
// callers' (params/, display/, app/, the command-line tool). Other folders
// call only what is declared here, in state.h, record.h and param_file.h.
#pragma once

#include <cstdint>

#include "link/state.h"

// ---- Command codes (the command word of a transmit frame) ---------------------------------------
enum {
    CMD_WRITE_RAM = 1,       // payload: parameter set from the panels; no reply awaited
    CMD_READ_RAM = 2,        // reply frame: the parameter set in RAM
    CMD_WRITE_EEPROM = 3,    // as CMD_WRITE_RAM, into EEPROM as well
    CMD_READ_EEPROM = 4,     // reply frame: the parameter set in EEPROM
    CMD_ECHO = 5,            // reply frame with sync word 0x00AA
    CMD_TEACH = 6,           // reply frame; the parameters are read back afterwards
    CMD_VERSION = 7,         // 72 raw bytes of firmware text
    CMD_MEASURE = 8,         // reply frame with the measurement words
    CMD_READ_VIDEO64 = 9,    // 128 raw bytes: 64 samples from payload word 0
    CMD_HARDWARE_INFO = 10,  // reply frame with command word 10 and the identity words
    CMD_RESET_MAXMIN = 11,   // reply frame; only its arrival counts
    CMD_READ_VIDEO256 = 11,  // same code, all-zero payload: 512 raw bytes, 256 samples
};

const int ECHO_SYNC = 0x00AA;         // sync word of a good echo reply
const int FIRMWARE_BYTES = 72;        // raw firmware text
const double FIRMWARE_TIMEOUT = 2.0;  // seconds; the firmware wait processes no events

// ---- Word codec (frame.cpp): every word on the line is big-endian -------------------------------
void PutWord(char* at, unsigned word);  // two bytes, most significant first
uint16_t GetWord(const char* at);       // the word whose bytes start at `at`

// ---- Frames (frame.cpp) -------------------------------------------------------------------------
void FillTxBuf(int order, const uint16_t* values);  // a complete transmit frame into szWriteBuf
void GetRxBuf(int count);                           // payload words 0..count-1 of szReadBuf into pp

// ---- The exchange (exchange.cpp) ----------------------------------------------------------------
// What an exchange waits for after its request: nothing, one reply frame
// (taken by the receive callback into pp), or a raw block of N > 0 bytes
// (read into szReadBuf with the receive callback off).
enum { REPLY_NONE = 0, REPLY_FRAME = -1 };

enum {
    EX_EVENTS = 1,     // process events while waiting (all waits but the firmware text's)
    EX_STOPPABLE = 2,  // the wait ends as soon as stop_flag is set (the loops)
};

enum {
    EX_REPLY = 1,          // the reply frame, or exactly the block size, arrived
    EX_TIMEOUT = 0,        // nothing, or fewer bytes than the block, within the limit
    EX_LONG = 2,           // a raw block with more bytes than asked (all read, first ones decoded)
    EX_WRITTEN = 3,        // REPLY_NONE: the request went out whole
    EX_BUSY = -1,          // another exchange is waiting on the line: nothing was sent
    EX_STOPPED = -2,       // stop_flag ended the wait (EX_STOPPABLE)
    EX_WRITE_FAILED = -3,  // REPLY_NONE: fewer than 36 bytes went out
    EX_LOST = -4,          // the port's device is gone (unplugged): nothing more can come
};

// Called once the request is written, before the wait: where a caller puts
// its waiting text. Gets the bytes written (nBytesW).
typedef void (*ExchangeWritten)(int bytesWritten);

// One request on the line and its reply, on the port `com`: flushes both
// queues, clears rx_flag, writes the 36-byte frame of `command` with the 16
// words of `payload` (nullptr: all zero), then waits until the reply is there
// or more than `limit` seconds have passed since tstart. A reply taken in the
// pass that also ran past the limit counts. Keeps order, nBytesW, nBytesR,
// tstart and tdiff as their last values. Never nests: called while another
// exchange waits (from a callback run inside its event processing), it sends
// nothing and returns EX_BUSY. On a port whose device is gone it sends
// nothing, or stops waiting, and returns EX_LOST.
int Exchange(int command, const uint16_t* payload, int reply, double limit, int flags,
             ExchangeWritten written = nullptr);
int RawBytesWaiting(void);  // bytes that were waiting when the last raw wait ended (may be < 0)
// The doubt by length: 1 when more than a frame's 36 bytes had come by the
// time the last reply frame was decoded, or more come within `look` seconds
// after it (0: no wait at all). A sensor never sends more than a frame, so
// the surplus was on the line beside the reply, maybe glued to its front.
int ReplyLongerThanFrame(double look);
// The parameter reads' look for a surplus: five character times at 19200 baud.
const double QUIET_LOOK = 5 * 10.0 / 19200;
// Receive callback: while an exchange waits, a 36-byte reply into pp and
// rx_flag; a frame that comes while none waits is read and dropped.
void RX_Receive_Function(int port, int events, void* data);
void EndOfLoop(void);  // input flushed, rx_flag and graphrefresh cleared, callback on
// The next request first waits for a quiet line, as after a time-out: what
// the last reply was may still be arriving.
void SettleBeforeNextRequest(void);

// Exchanges never nest across a whole operation either: a callback that
// would start one while a loop or another operation holds the line does
// nothing. Returns 1 and sets exchange_busy when free.
int BeginExchange(void);
void EndExchange(void);

// ---- Port set-up (port.cpp) ---------------------------------------------------------------------
// Opens `port` with the line's fixed settings and installs the receive
// callback: 0, or the negative error code of the serial library.
int OpenSensorPort(int port);
int CheckComLine(int port);           // 1 when the echo reply carries 0x00AA; its text in szStatus
const char* PortErrorText(int code);  // status text for an OpenComConfig error code
const char* PortLostText(int port);   // "Port lost: DEVICE", the port's device path

// ---- Identification (identify.cpp) --------------------------------------------------------------
// Hardware words of the sensor: 1 when a reply with command word 10 arrived
// and ccdtype, ccdmaxpixel, ccdresolution, pcbtype, pixB, pixE and eEnd took
// it over; 0 otherwise ("Timeout-RS-232..." in szStatus after a time-out).
int ReadHardwareInfo(void);
// Firmware text into szVersion and szStatus when exactly 72 bytes came.
// Returns the bytes waiting when the wait ended (72 = good).
int ReadFirmwareText(ExchangeWritten written = nullptr);
// The description line of the identified sensor (ccdtype, ccdresolution),
// Latin-1, as line 0 of the sensor information shows it; nullptr for a CCD
// type 2 with a resolution code it has no line for, whose last description
// stays.
const char* SensorDescription(void);
// The working range of that line in millimetres (the length of the CCD line
// the optics map onto); 0 for a sensor the program has no line for.
double SensorWorkingRangeMm(void);

// ---- Millimetres (scale.cpp) --------------------------------------------------------------------
// The scale mm_per_pixel, mm_offset and mm_source (state.h). A sensor that is
// identified gets its working range / its line length (ReadHardwareInfo); an
// unknown type gets none, and everything stays in pixels. A calibration
// (a gauge of known width between two edges) replaces it, and is kept per
// sensor in the settings.
void SetScaleFromSensorType(void);
// mm per pixel = gaugeMm / pixels (the distance of the gauge's two edges);
// positions then get offsetMm added. 0, or -1 (nothing changed) unless both
// are positive and finite.
int CalibrateScale(double gaugeMm, double pixels, double offsetMm);
int ScaleKnown(void);              // 1 when mm_per_pixel > 0
double PositionMm(double pixels);  // a pixel position in mm (offset added)
double LengthMm(double pixels);    // a length in pixels (a tolerance, a width) in mm
// The settings key of the sensor on the port in use: its adapter's stable
// name (/dev/serial/by-id/...) where it has one, else its COM number.
void CalibrationKey(char* key, int size);
// The calibration stored for this sensor, when it was made on a sensor of
// the same type, resolution code and line length: 1 taken, 0 none (the scale
// stays as it is).
int LoadCalibration(void);
int SaveCalibration(void);     // the calibration in use, for this sensor: 0, or -1 (not written)
void ForgetCalibration(void);  // this sensor's calibration removed; the sensor type's scale again
// A decimal number as a person types it: digits with a dot or a comma, an
// optional sign, nothing else but blanks around it. 1 and *value, or 0.
int ParseDecimal(const char* text, double* value);

// ---- Parameter read (params_read.cpp) -----------------------------------------------------------
// The set in RAM or EEPROM: EX_REPLY with the set in pp; EX_LONG when the
// reply's burst was longer than a frame twice; or the exchange's failure.
// After any failure pp holds the staged variables.
int ReadParameterSet(int from, ExchangeWritten written = nullptr);

// The parameter variables into RAM or EEPROM (`to`), then read back from
// the same place and compared: VERIFY_OK, VERIFY_DIFFERS (*word is the first
// word that differs, *readValue what the sensor holds there), or the failure
// of the write (EX_WRITE_FAILED, nBytesW says why; EX_LOST) or of the
// read-back (EX_TIMEOUT, EX_LONG, EX_BUSY, EX_LOST). Only reads are added to
// the line.
enum { VERIFY_OK = 10, VERIFY_DIFFERS = 11 };
int SendParameterSet(int to, int* word, uint16_t* readValue);

// ---- Video blocks (video_blocks.cpp) ------------------------------------------------------------
// One raw block of 64 samples (command 9, `first` 0/64/128/192, `last` mark)
// into adcbuf[first..first+63], or of 256 (command 11) into adcbuf. Decoded
// whatever happened; the result says what did (EX_REPLY, EX_TIMEOUT, EX_LONG,
// EX_BUSY, EX_STOPPED).
int ReadVideoBlock64(int first, int last, int flags, ExchangeWritten written = nullptr);
int ReadVideoBlock256(int flags, ExchangeWritten written = nullptr);

// ---- Range rules (range_rules.cpp) --------------------------------------------------------------
// What a parameter set may hold before it is shown or sent: a value out of
// its range is replaced by a fixed value (eEnd by ccdmaxpixel, the line's
// last pixel), rule after rule in a fixed order; a replaced word is not
// tested again. Applied to the sixteen parameter variables. Returns how many
// words changed; the first `max` of them go to `changes` (may be nullptr).
struct RangeChange {
    int word;  // packet index (kParamNames)
    int before, after;
    char why[16];  // the rule broken: "above 1000", "below 50"
};
int ApplyRangeRules(RangeChange* changes, int max);

// ---- Frame trace (trace.cpp) --------------------------------------------------------------------
// Every frame and raw block sent and received on the line, the bytes flushed
// or dropped as stray, and the time-outs, one line each: wall-clock time with
// microseconds, seconds since the trace began, direction, the command's name,
// the words decoded, the raw bytes in hex. Written by the runtime's file
// writer: the line never waits for the disk.
int TraceOpen(const char* path);  // 0, or a negative error with the cause in TraceError()
void TraceClose(void);            // the rest written, the file closed
int TraceActive(void);            // 1 while a trace is written
const char* TraceError(void);     // "<file>: <reason>" of the last failure, "" if none
// Called (once) when a write fails and the trace stops by itself.
typedef void (*TraceStoppedHandler)(const char* why);
void SetTraceStoppedHandler(TraceStoppedHandler handler);
// The last 500 events on the line are kept whether a trace file is written
// or not (a copy of the bytes each, no formatting until asked): each as a
// trace line, oldest first, its seconds counted from the first, to `sink`.
typedef void (*TraceLineSink)(const char* line, int length, void* data);
void TraceRingLines(TraceLineSink sink, void* data);
int TraceRingEvents(void);  // events the ring holds now (at most 500)
// ---- Measurement replies (measurement.cpp) ------------------------------------------------------
// Words 0..count-1 of the reply in pp into Ledge, Redge, Mvalue, tVal, tTol,
// pix1, edcnt, mvstart, mvend, pixdelta, anaMax, anaMin, in0, in this order:
// 13 in run mode, 12 in video mode (in0 is a run-mode word).
// tVal and tTol go back to the sensor with the next request. When they differ
// from the values held so far, they are taken only when they pass the range
// rules (a teach value inside the line, a tolerance of at most 512) and no
// more than a frame had come with the reply: a frame shifted by stray bytes
// glued to its front must not set the sensor. Otherwise the held values stay,
// link_health counts it (refusedRange or refusedLength), and the function returns 1 (else 0). It
// never waits.
const int MEASURE_WORDS_RUN = 13;
const int MEASURE_WORDS_VIDEO = 12;
int TakeMeasurementWords(int count);
// 1 when a reported teach value and tolerance may go back to the sensor.
int TeachPairInRange(int teach, int tolerance);

// ---- Sequences (sequences.cpp) ------------------------------------------------------------------
// The protocol's operations, one function each, as the window and kvormx-cli
// both run them; the callers keep only what they show or print.

// What a loop tells its caller on the way. Every member may be null.
struct LoopHooks {
    ExchangeWritten firstWritten;                // the loop's first request is out (the window's "Line Ok!")
    int (*more)(long records);                   // asked before each further request: 0 ends the loop there
    ExchangeWritten block64Written;              // video: a 64-sample block's request is out
    ExchangeWritten block256Written;             // video: the 256-sample block's request is out
    void (*blockRead)(int samples, int result);  // video: a block read came to `result`
    // 1: the loop goes on from the one before, which a reply that did not
    // come ended: seq and seconds go on, that reply a gap in seq.
    int resume;
};

// How a loop ended.
struct LoopEnd {
    int result;        // EX_STOPPED: Stop (stop_flag) or the program ends; EX_REPLY: `more`
                       // said so; else the failed exchange's (EX_TIMEOUT, EX_LOST, EX_BUSY, ...)
    int blockSamples;  // 0: a measurement request failed; else the block's size (64, 256)
    int firstSample;   // of that block
    long records;      // replies or pictures taken
};

// Run mode: a measurement request carrying the parameter set, and for every
// reply the next request at once with the teach value and tolerance the
// sensor reported (TakeMeasurementWords); the reply's record goes to the
// sinks while the sensor answers. Until stop_flag, a missing reply, or `more`.
void RunMode(const LoopHooks* hooks, LoopEnd* end);
// Video mode: picture after picture, a measurement request (the first with
// the parameter set, each later one with the reply before it as payload),
// then the video line by board type (ReadPicture); each picture's record to
// the sinks, complete or not. Stop is looked at after a picture; a missing
// reply or block ends the loop there.
void VideoMode(const LoopHooks* hooks, LoopEnd* end);
// The video line by board type into adcbuf: four blocks of 64 samples on
// board type 0, one of 256 on any other. Ends at the first block that does
// not come whole; EX_REPLY when all did (a longer one counts: its first
// bytes are the block), else that block's result, its first sample in
// *failedAt.
int ReadPicture(const LoopHooks* hooks, int* failedAt);
// Teach: the command carrying the parameter set; when the sensor answers,
// RAM is read back for the teach value it chose (the set in pp, for the
// caller to take). The teach's own failure, or the read-back's result;
// *readBack says whether the read-back ran.
int TeachAndReadBack(ExchangeWritten teachWritten, ExchangeWritten readWritten, int* readBack);
// The max/min reset, carrying the parameter set: EX_REPLY once the sensor answered.
int ResetMaxMin(ExchangeWritten written);

// ---- Status texts (status.cpp) ------------------------------------------------------------------
// What an exchange's result says, in one table for the window's status line
// (the program's own texts) and kvormx-cli's messages (which add `detail`).
enum {
    OP_LINE_CHECK,
    OP_HARDWARE,
    OP_FIRMWARE,
    OP_PARAMETERS,
    OP_SEND,
    OP_TEACH,
    OP_RESET,
    OP_LOOP,
    OP_BLOCK64,
    OP_BLOCK256,
    OPERATIONS
};
// The status line's text for `result` of `operation`; "" where the status
// line keeps its text (a longer block, a reply whose content decides).
const char* ResultText(int operation, int result);
// A sentence for a person reading a message: what happened on the line
// ("no reply within 1.5 s", "40 bytes came where 36 belong").
const char* ResultDetail(int operation, int result);
