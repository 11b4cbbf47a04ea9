// What the virtual sensor's CCD line sees, and how the sensor evaluates it.
//
// The scene is a bright background with a little noise and one dark object
// that drifts slowly back and forth along the line. It is a pure function of
// the time and a seed, so a test that freezes the time gets the same line
// every time it asks.
//
// Pixels are numbered from 0. An edge is reported as the first pixel past a
// threshold crossing, so an edge is never at pixel 0 and 0 can mean "missing".
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sim/wire.h"

namespace sim {

const int kBackground = 800;  // bright, unobstructed pixels
const int kObject = 150;      // pixels in the object's shadow
const int kNoise = 6;         // noise amplitude either way; small against any sane threshold

class Scene {
 public:
    Scene(int pixels, uint32_t seed);

    int Pixels() const { return pixels_; }
    // The object covers the line from *left to *right (pixel coordinates) at time t.
    void Object(double t, double* left, double* right) const;
    // One sample 0..1023 per pixel at time t.
    std::vector<uint16_t> Line(double t) const;

 private:
    int pixels_;
    uint32_t seed_;
};

// The sensor's own result for one line, evaluated with a parameter set.
struct Evaluation {
    uint16_t ledge = 0;     // first edge in the evaluation window, 0 when none
    uint16_t redge = 0;     // last edge; equals ledge when there is a single edge
    uint16_t mvalue = 0;    // by edge mode: left, right or centre; 0 when not measurable
    uint16_t pix1 = 0;      // first pixel of the 256-pixel window
    uint16_t edcnt = 0;     // threshold crossings inside the evaluation window
    uint16_t mvstart = 0;   // covered pixels from the window start up to the first edge
    uint16_t mvend = 0;     // covered pixels from the last edge to the window end
    uint16_t pixdelta = 0;  // redge - ledge when there are two edges or more
};

// First pixel of the 256-pixel window for a pixel start, kept inside the line.
int WindowStart(int pixels, int pstart);

Evaluation Evaluate(const std::vector<uint16_t>& line, const Words& params);

// The 256 samples the sensor sends: the whole line thinned out (every 4th
// pixel of 1024, every 2nd of 512) or, in CCD mode 1, the window.
std::array<uint16_t, kVideoSamples> VideoLine(const std::vector<uint16_t>& line, const Words& params);

}  // namespace sim
