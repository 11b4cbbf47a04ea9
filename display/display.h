// Measurement display: the curve, the bar graph, the strip chart and the two loops.
#pragma once

#include <cstdint>

void PlotVIDEOCurve(const uint16_t* samples);   // video curve and threshold line, from an empty graph
void PlotVIDEOBarGraph(void);                   // indicators and bar graph of one measurement reply
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
