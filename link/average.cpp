// The moving average and envelope of the video pictures.
#include "link/average.h"

#include <cstring>

int AverageCountAllowed(int n)
{
    return n == 1 || n == 2 || n == 4 || n == 8 || n == 16;
}

void ClearAverage(PictureAverage* a)
{
    a->next = 0;
    a->count = 0;
    a->firstPixel = -1;
    a->pixelStep = 0;
}

void AddToAverage(PictureAverage* a, const uint16_t* samples, int firstPixel, int pixelStep)
{
    if (a->count > 0 && (a->firstPixel != firstPixel || a->pixelStep != pixelStep)) ClearAverage(a);
    a->firstPixel = firstPixel;
    a->pixelStep = pixelStep;
    std::memcpy(a->pictures[a->next], samples, sizeof a->pictures[0]);
    a->next = (a->next + 1) % AVERAGE_MAX;
    if (a->count < AVERAGE_MAX) a->count++;
}

int AverageOf(const PictureAverage* a, int n, uint16_t* mean, uint16_t* low, uint16_t* high)
{
    if (n > a->count) n = a->count;
    if (n < 1) return 0;
    for (int i = 0; i < PICTURE_SAMPLES; i++) {
        int sum = 0, lo = 0xFFFF, hi = 0;
        for (int k = 1; k <= n; k++) {
            const int v = a->pictures[(a->next - k + AVERAGE_MAX) % AVERAGE_MAX][i];
            sum += v;
            if (v < lo) lo = v;
            if (v > hi) hi = v;
        }
        if (mean) mean[i] = static_cast<uint16_t>((2 * sum + n) / (2 * n));
        if (low) low[i] = static_cast<uint16_t>(lo);
        if (high) high[i] = static_cast<uint16_t>(hi);
    }
    return n;
}
