// What the program keeps of the sensor's work and where else it goes: the
// CSV recording of run and video mode, and the MQTT broker. Both are sinks
// of the records (link/record.h), registered by the window's start-up or by
// kvormx-cli; they touch no panel. Files are written through the runtime's
// file writer, so a row never waits for the disk.
#pragma once

#include "link/record.h"
#include "link/statistics.h"

// ---- Recording (recording.cpp) ------------------------------------------------------------------
// Starts a recording into `path` (created or emptied) with its header row:
// 0, or -1 with the cause in RecordError(). A recording already running is
// ended first.
int RecordStart(const char* path);
// Ends the recording: the rest written, the file closed. 0, or -1 when rows
// were lost (RecordError() says why).
int RecordStop(void);
int RecordActive(void);  // 1 while a recording runs
// One row per run-mode reply. Does nothing without a recording.
void RecordMeasurement(const MeasurementRecord* r);
// One row per video picture. A picture whose blocks did not all come is left
// out: its samples would be partly the previous picture's.
void RecordPicture(const PictureRecord* r);
// The recording as a sink of the records: rows while a recording runs, the
// rest onto the disk when a loop ends.
void AddRecordingSink(void);
// One row per `every` replies or pictures, and every `interval` seconds (0:
// never) a summary row of the measured value, whose first field is the word
// "summary" (link/rate.h); the partial interval's at the end of a loop.
void RecordSetRate(long every, double interval);
// The rows so far onto the disk now (a loop ended); waits a little for it.
void RecordFlush(void);
// A stretch's statistics (a run's, when it ended) as one row of the summary
// beside the recording: "<recording>-summary.csv", made with its header row
// and added to after each run. 0, or -1 with the cause in RecordError().
// Nothing without a recording.
int RecordSummary(const ValueStatistics* s);
const char* RecordSummaryPath(void);  // the summary file of the running (or last) recording
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

// ---- Publishing to an MQTT broker (mqtt.cpp) ----------------------------------------------------
// Plain C-style calls for the single-threaded program (the GUI's loops and
// kvormx-cli). Nothing here blocks an exchange: a call formats a message
// from a record and puts it on a bounded queue; the client's own threads
// talk to the broker. Every call is a no-op until MqttStart has succeeded.

// Starts publishing to `url` ("mqtt://host[:port]/prefix" or
// "mqtts://host[:port]/prefix", prefix without wildcards; default ports 1883
// and 8883, default prefix "kvormx"). `authFile` (may be null) holds the
// user name on its first line and the password on its second. `clientId`
// (may be null: one made up) is the name the broker knows us by. Returns 0,
// or -1 with MqttError() saying why (bad URL, unreadable file, no client).
// The connection itself is made in the background and retried with
// back-off. Measurements and pictures go out one each until MqttSetRate.
int MqttStart(const char* url, const char* authFile, const char* clientId = nullptr);
const int MQTT_CLIENT_ID_LEN = 256;
// The client id of a line: "kvormx-HOST-PORTNAME", PORTNAME the device under
// /dev (its by-id folder left out), in plain characters, so a broker's
// access rules and logs name the line.
void MqttClientIdFor(char* id, int size, const char* device);
// What is queued first (at most 2 s while connected or making the first
// connection), then "offline" retained and acknowledged, then disconnect.
void MqttStop(void);
const char* MqttError(void);  // why MqttStart failed

// One message per `every` replies or pictures, and every `interval` seconds
// (0: never) a summary of the measured value on PREFIX/summary (link/rate.h).
// Kept for every later MqttStart.
void MqttSetRate(long every, double interval);
// One measurement reply (run mode) on PREFIX/measurement.
void MqttPublishMeasurement(const MeasurementRecord* r);
// One whole picture (video mode) on PREFIX/video; one with a missing block is
// not sent.
void MqttPublishVideo(const PictureRecord* r);
// The sixteen parameter words with their names (retained).
void MqttPublishParameters(void);
// The sensor's identity (retained).
void MqttPublishIdentity(const IdentityRecord* r);
// All of the above as a sink of the records, registered once; `afterEach`
// (may be null) runs after every record the sink took, to look at what the
// broker did meanwhile.
void AddMqttSink(void (*afterEach)(void));
// The status line's text (retained, beside "online"); repeats are not sent.
// It goes out after every message queued before it.
void MqttPublishStatus(const char* text);
// The summary of the interval under way, cut short (a loop ended); nothing
// without --interval or a record in it. The sink does this at a loop's end.
void MqttPublishSummaryRest(void);
// The service's counters (retained, PREFIX/counters): replies, missed
// replies, set-ups, and the messages dropped so far.
void MqttPublishCounters(long replies, long missed, long setups);
// The link's health counters (link/health.h), retained on PREFIX/health: at
// most once every HEALTH_PERIOD seconds unless `now`. The sink sends it
// after its records; a caller whose loop is idle calls it on its own.
const double HEALTH_PERIOD = 1.0;
void MqttPublishHealth(int now);

// The broker's state as a status-line text, e.g. "MQTT: connected to host:1883".
const char* MqttState(void);
// 1 once after every change of the broker's state (connected, lost,
// refused), else 0. Read from the program's own thread between exchanges.
int MqttStateChanged(void);
int MqttActive(void);         // 1 from a successful MqttStart to MqttStop
int MqttConnected(void);      // 1 while the broker has accepted us
int MqttEverConnected(void);  // 1 once the broker has accepted us since MqttStart
// Measurements dropped so far because the queue was full, the connection
// went down with them unsent or MqttStop could not flush them; after
// MqttStop, the whole run's.
unsigned long MqttDropped(void);
