// The synthetic CCD line and the sensor's edge evaluation.
#include "sim/scene.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

// The object is 30 % of the line wide and swings 20 % of the line either way
// of the centre at N/200 pixels a second (5 pixels a second on 1024 pixels),
// so a demo shows movement without the edges jumping between two requests.
const double kWidthShare = 0.30;
const double kSwingShare = 0.20;
const double kSpeedShare = 1.0 / 200.0;
const double kNoiseHz = 50.0;  // the noise pattern changes 50 times a second

uint32_t Mix(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

}  // namespace

Scene::Scene(int pixels, uint32_t seed) : pixels_(pixels), seed_(seed) {}

void Scene::Object(double t, double* left, double* right) const
{
    double n = pixels_;
    double swing = kSwingShare * n;
    double travel = kSpeedShare * n * t + swing;  // starts centred, moving right
    double phase = std::fmod(travel, 4 * swing);
    if (phase < 0) phase += 4 * swing;
    double offset = phase < 2 * swing ? phase - swing : 3 * swing - phase;
    double centre = n / 2 + offset;
    *left = centre - kWidthShare * n / 2;
    *right = centre + kWidthShare * n / 2;
}

std::vector<uint16_t> Scene::Line(double t) const
{
    double left, right;
    Object(t, &left, &right);
    // The shadow's border is a ramp a few pixels wide, as an optic blurs it.
    double ramp = std::max(2, pixels_ / 256);
    uint32_t tick = static_cast<uint32_t>(static_cast<int64_t>(std::floor(t * kNoiseHz)));
    std::vector<uint16_t> line(pixels_);
    for (int p = 0; p < pixels_; ++p) {
        double depth = std::min(p - left, right - p);
        double cover = std::clamp(depth / ramp + 0.5, 0.0, 1.0);
        uint32_t h = Mix(seed_ * 0x9e3779b9U ^ Mix(static_cast<uint32_t>(p) ^ Mix(tick)));
        int noise = static_cast<int>(h % (2 * kNoise + 1)) - kNoise;
        long v = std::lround(kBackground - (kBackground - kObject) * cover) + noise;
        line[p] = static_cast<uint16_t>(std::clamp<long>(v, 0, kSampleMax));
    }
    return line;
}

int WindowStart(int pixels, int pstart)
{
    return std::clamp(pstart, 0, std::max(0, pixels - kVideoSamples));
}

Evaluation Evaluate(const std::vector<uint16_t>& line, const Words& params)
{
    Evaluation ev;
    int n = static_cast<int>(line.size());
    ev.pix1 = static_cast<uint16_t>(WindowStart(n, params[P_PSTART]));
    int lo = 0, hi = n - 1;
    if (params[P_CCDMODE] == 1) {
        lo = ev.pix1;
        hi = std::min(n - 1, lo + kVideoSamples - 1);
    }
    int a = std::max<int>(params[P_EBEG], lo);
    int b = std::min<int>(params[P_EEND], hi);
    if (a > b) return ev;

    // Polarity 1: a dark object on a bright background, so "covered" is below
    // the threshold; polarity 0 looks for bright parts on a dark background.
    int thd = params[P_VTHD];
    bool dark = params[P_POLARITY] != 0;
    auto covered = [&](int p) { return dark ? line[p] < thd : line[p] > thd; };

    int count = 0, first = 0, last = 0;
    for (int p = a + 1; p <= b; ++p) {
        if (covered(p) != covered(p - 1)) {
            if (count == 0) first = p;
            last = p;
            ++count;
        }
    }
    ev.edcnt = static_cast<uint16_t>(std::min(count, 0xFFFF));
    ev.ledge = static_cast<uint16_t>(first);
    ev.redge = static_cast<uint16_t>(last);

    switch (params[P_EMODE]) {
        case 0: ev.mvalue = ev.ledge; break;
        case 1: ev.mvalue = ev.redge; break;
        default: ev.mvalue = count ? static_cast<uint16_t>((first + last) / 2) : 0; break;
    }
    if (count >= 2) ev.pixdelta = static_cast<uint16_t>(last - first);

    // Which side of a single edge lies in the shadow is told by where the
    // covered pixels are: before the first edge or after the last.
    int before = 0, after = 0;
    int split_lo = count ? first : b + 1;
    int split_hi = count ? last : a;
    for (int p = a; p < split_lo; ++p) before += covered(p);
    for (int p = split_hi; p <= b; ++p) after += covered(p);
    ev.mvstart = static_cast<uint16_t>(before);
    ev.mvend = static_cast<uint16_t>(after);
    return ev;
}

std::array<uint16_t, kVideoSamples> VideoLine(const std::vector<uint16_t>& line, const Words& params)
{
    std::array<uint16_t, kVideoSamples> video{};
    int n = static_cast<int>(line.size());
    if (params[P_CCDMODE] == 1) {
        int start = WindowStart(n, params[P_PSTART]);
        for (int i = 0; i < kVideoSamples && start + i < n; ++i) video[i] = line[start + i];
    } else {
        int step = std::max(1, n / kVideoSamples);
        for (int i = 0; i < kVideoSamples && i * step < n; ++i) video[i] = line[i * step];
    }
    return video;
}

}  // namespace sim
