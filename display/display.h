// Measurement display: the curve, the bar graph, the strip chart and the two loops.
#pragma once

#include <cstdint>

void PlotVIDEOCurve(const uint16_t* samples);
void SetVideoAxis(int windowed, int first);     // x axis of the video graph and xArray
int ReadData64(int first, int last);            // 64 samples into adcbuf[first..]; status line; returns 1
int ReadData256(void);                          // 256 samples into adcbuf; status line; returns 1   // video curve and threshold line, from an empty graph
void PlotVIDEOBarGraph(void);                   // indicators and bar graph of one measurement reply
void PlotToleranceBand(void);                   // tVal +- tTol on the bar graph, as a parameter set shows it
const int BAND_COLOR = 0x00FF00;                // tolerance bands on the bar graph
const int OUT_OF_BAND_COLOR = 0xE00000;         // value displays while Mvalue is outside its band
const double TOL_BAND_HEIGHT = 0.25;            // height of the band of a parameter set
void PlotRAWGraph(void);                        // one sample onto the five-trace strip chart
int Copy1D(const double* x, int n, double* y);  // 0, or -20003 when n < 1
int Shift(const double* x, int n, int m, double* y);  // 0, -20003 (n < 1), -20102 (|m| >= n)
// Zoom range of the strip chart around the teach value, in signed pixels.
void StripZoomRange(int* low, int* high);

// Shared by the run and video loops (run_loop.cpp).
void DimLoopLocked(int dimmed);       // the three loop-locked controls, dimmed (1) or operable (0)
void EnterLoopMode(void);             // dims the loop-locked controls, forces the target to RAM
void HidePopUp(void);                 // hides the pop-up panel and switches its toggle off
void TakeVideoMeasurement(void);      // measurement words 0..11 of pp into their variables
// For an exchange result of EX_LOST: "Port lost: DEVICE" on the status line,
// stop_flag set, 1. Otherwise 0 and nothing done.
int EndIfPortLost(int exchangeResult);
