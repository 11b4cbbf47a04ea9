// The form: the two panels the program is drawn on (their control numbers
// are in panels.h), the folder the program runs from, and the drawings that
// both the parameter binding (params/) and the loops (display/) make on the
// form's graphs. It sits below both and above the link: it knows the link's
// state and nothing of the folders that use it.
#pragma once

#include <cstdint>

#include "form/panels.h"
#include "link/state.h"

// ---- Panels and files (form.cpp) ----------------------------------------------------------------
extern int panelHandle;          // main panel
extern int panelPopUp;           // pop-up panel of further parameters
extern char proj_dir[PATH_LEN];  // directory of the program; file dialogs start here

// ---- The video graph's arrays (form.cpp) --------------------------------------------------------
extern uint16_t xArray[256];    // pixel number of each sample
extern uint16_t thdArray[256];  // threshold line: every element vThd

// The arrays back to their values before start-up; the handles and the
// folder stay as whoever loaded the panels set them.
void ResetFormState(void);

// ---- Drawings (graphs.cpp) ----------------------------------------------------------------------
void SetVideoAxis(int windowed, int first);    // x axis of the video graph and xArray
void PlotVIDEOCurve(const uint16_t* samples);  // video curve and threshold line, from an empty graph
void PlotToleranceBand(void);                  // tVal +- tTol on the bar graph, as a parameter set shows it
const int BAND_COLOR = 0x00FF00;               // tolerance bands on the bar graph
const double TOL_BAND_HEIGHT = 0.25;           // height of the band of a parameter set
