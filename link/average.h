// Video pictures smoothed: a moving average over the last 1, 2, 4, 8 or 16
// pictures and the range each sample took over them (the envelope). The
// window's video curve and `kvormx-cli video --average N` both take it from
// here, so the two show the same numbers.
#pragma once

#include <cstdint>

#include "link/record.h"

const int AVERAGE_MAX = 16;  // pictures a moving average can span

struct PictureAverage {
    uint16_t pictures[AVERAGE_MAX][PICTURE_SAMPLES];  // the latest pictures, a ring
    int next;                                         // slot the next picture goes to
    int count;                                        // pictures held, up to AVERAGE_MAX
    int firstPixel, pixelStep;                        // where the pictures held lie on the line
};

// 1 for the counts an operator may choose: 1, 2, 4, 8, 16.
int AverageCountAllowed(int n);
void ClearAverage(PictureAverage* a);
// A whole picture into the ring. A picture that lies elsewhere on the line
// (another window, another line length) starts the ring afresh: samples of
// different pixels must never be averaged together.
void AddToAverage(PictureAverage* a, const uint16_t* samples, int firstPixel, int pixelStep);
// Over the newest `n` pictures held (fewer while the ring fills): the mean
// of each sample rounded to the nearest whole number (halves up), and its
// lowest and highest value. Any of the outputs may be null. Returns the
// pictures used, 0 when none is held (the outputs are then left alone).
int AverageOf(const PictureAverage* a, int n, uint16_t* mean, uint16_t* low, uint16_t* high);
