// Measurement display: the run and video loops of the window, the strip
// chart and the bar graph. Below the application shell, beside the parameter
// binding: it uses the form, the link and the runtime only.
#pragma once

#include <cstdint>

#include "link/statistics.h"

// ---- Strip chart (strip_chart.cpp) --------------------------------------------------------------
const int HISTORY_SAMPLES = 100;  // strip chart history: samples kept
const int TRACES = 5;             // traces of the strip chart
const int HISTORY_LEN = HISTORY_SAMPLES * TRACES;
extern double arrayNORM[HISTORY_LEN];  // strip chart history: the samples of the 5 traces, interleaved
// The five traces as the chart and the history draw them: colour, line,
// name in the legend, column in the data exports.
extern const int kChartTraceColors[TRACES];
extern const int kChartTraceStyles[TRACES];
extern const char* const kChartTraceNames[TRACES];
extern const char* const kChartTraceColumns[TRACES];
void ResetDisplayState(void);                         // an empty history, run history and statistics
void PlotRAWGraph(void);                              // one sample onto the five-trace strip chart
int Copy1D(const double* x, int n, double* y);        // 0, or -20003 when n < 1
int Shift(const double* x, int n, int m, double* y);  // 0, -20003 (n < 1), -20102 (|m| >= n)
// Zoom range of the strip chart around the teach value, in signed pixels.
void StripZoomRange(int* low, int* high);
// When the reply the next PlotRAWGraph draws was taken: its record's time
// and seconds go with the sample, for the chart's data export. A sample
// drawn without one has an empty time.
void NoteChartSampleTime(const char* utc, double seconds);
// The five traces' names, styles and the legend, the chart's data export.
void InitStripChart(void);
// The samples of the history that came from replies (at most HISTORY_SAMPLES).
int MeasuredChartSamples(void);

// ---- The run's history (history.cpp) ------------------------------------------------------------
// Every run-mode reply since Run, the strip chart's five values over its time,
// in bounded memory: HISTORY_BUCKETS buckets of the least and greatest value
// of each trace. While one reply fills a bucket, each is a reply; once all are
// full, neighbours merge and every bucket holds twice the replies it held, so
// eight hours at the line's pace (770 000 replies) take 128 replies (under 5 s)
// a bucket, and no run ever takes more memory.
const int HISTORY_BUCKETS = 8192;
struct HistoryBucket {
    double from, to;  // seconds since Run of its first and last reply
    long replies;
    float least[TRACES], most[TRACES];
};
void ClearRunHistory(void);
void AddToRunHistory(double seconds, const double* sample);  // TRACES values in the strip chart's order
long RunHistoryReplies(void);
int RunHistoryBucketCount(void);
long RunHistoryRepliesPerBucket(void);  // what a full bucket holds now: 1, 2, 4, ...
const HistoryBucket* RunHistoryBucket(int index);
// The history in place of the live chart (1), or the live display back (0):
// the toggle, the Live button and the graphs follow.
void ShowRunHistory(int on);
int RunHistoryShown(void);
void InitRunHistory(void);  // the history graph's legend, zoom and data export

// ---- Statistics of the run (statistics.cpp) ----------------------------------------------------
// The measured value over the replies since Run (or the Reset button): the
// numbers, the histogram with the band; and the distance of the two edges,
// which a calibration takes. A sink of the records; the panel shows them a
// few times a second and exactly when a loop ends.
void AddStatisticsSink(void);
void ClearRunStatistics(void);  // none taken yet; the panel as it was
void ResetRunStatistics(void);  // none taken yet, and the panel says so
void ShowRunStatistics(void);
const ValueStatistics* RunStatistics(void);
const ValueStatistics* RunEdgeDistance(void);  // right - left edge of the replies that had both
// 1 once after the statistics took a reply since the last call: a summary
// is due.
int RunStatisticsFresh(void);
// A statistics' numbers as the panel shows them, in pixels or millimetres.
void StatisticNumber(char* out, int size, double value, int isLength, int decimals);

// ---- Pixels or millimetres (units.cpp) ---------------------------------------------------------
// 1 while the switch asks for millimetres and a scale is known.
int ShowingMillimetres(void);
// Every display to the unit the switch and the scale say: the numbers, the
// axes, the bar graph, the statistics, the note on the scale in use.
void ApplyUnits(void);
// The measured value in millimetres, or why there is none.
void ShowValueMm(void);

// ---- The mode at a glance (run_loop.cpp) --------------------------------------------------------
enum { MODE_STOPPED = 0, MODE_RUN = 1, MODE_VIDEO = 2 };
void ShowMode(int mode);  // "Run", "Video", "Stopped"; Stop operable in a loop only
int LoopModeShown(void);

// ---- Bar graph and indicators (bar_graph.cpp) ---------------------------------------------------
void PlotVIDEOBarGraph(void);            // indicators and bar graph of one measurement reply
const int OUT_OF_BAND_COLOR = 0xE00000;  // value displays while Mvalue is outside its band

// ---- Video blocks with their status texts (video_loop.cpp) --------------------------------------
int ReadData64(int first, int last);  // 64 samples into adcbuf[first..]; status line; returns 1
int ReadData256(void);                // 256 samples into adcbuf; status line; returns 1

// ---- Video mode's views (video_view.cpp) --------------------------------------------------------
struct PictureRecord;
void ResetVideoView(void);                      // no average, no reference, every switch off
void ShowVideoPicture(const PictureRecord* p);  // a picture into the average, the video graph drawn
void RedrawVideo(void);                         // the video graph again from what it holds
void AddVideoViewSink(void);                    // the remembered reference of each sensor set up

// ---- The displays as a sink of the records (display_sink.cpp) -----------------------------------
// Registered at start-up, before the outputs' sinks: the status line a
// loop ends with is there when they look at it.
void AddDisplaySink(void);

// ---- Shared by the run and video loops (run_loop.cpp) -------------------------------------------
void DimLoopLocked(int dimmed);   // the three loop-locked controls, dimmed (1) or operable (0)
void EnterLoopMode(void);         // dims the loop-locked controls, forces the target to RAM
void HidePopUp(void);             // hides the pop-up panel and switches its toggle off
void TakeVideoMeasurement(void);  // measurement words 0..11 of pp into their variables
// For an exchange result of EX_LOST: "Port lost: DEVICE" on the status line,
// stop_flag set, 1. Otherwise 0 and nothing done.
int EndIfPortLost(int exchangeResult);
