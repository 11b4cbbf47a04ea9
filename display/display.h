// Measurement display: the run and video loops of the window, the strip
// chart and the bar graph. Below the application shell, beside the parameter
// binding: it uses the form, the link and the runtime only.
#pragma once

#include <cstdint>

// ---- Strip chart (strip_chart.cpp) --------------------------------------------------------------
const int HISTORY_SAMPLES = 100;  // strip chart history: samples kept
const int TRACES = 5;             // traces of the strip chart
const int HISTORY_LEN = HISTORY_SAMPLES * TRACES;
extern double arrayNORM[HISTORY_LEN];                 // strip chart history: the samples of the 5 traces, interleaved
void ResetDisplayState(void);                         // an empty history
void PlotRAWGraph(void);                              // one sample onto the five-trace strip chart
int Copy1D(const double* x, int n, double* y);        // 0, or -20003 when n < 1
int Shift(const double* x, int n, int m, double* y);  // 0, -20003 (n < 1), -20102 (|m| >= n)
// Zoom range of the strip chart around the teach value, in signed pixels.
void StripZoomRange(int* low, int* high);

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
