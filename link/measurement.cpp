// Measurement replies: the words of a CMD_MEASURE reply into the measurement
// variables. The run and video loops and the command-line tool take them the
// same way, so a word means the same in every display and every row.
#include "link/health.h"
#include "link/link.h"

#include "link/state.h"

int TeachPairInRange(int teach, int tolerance)
{
    return teach >= 1 && teach <= static_cast<int>(ccdmaxpixel) && tolerance >= 0 && tolerance <= 512;
}

int TakeMeasurementWords(int count)
{
    uint16_t* const words[] = {&Ledge,   &Redge, &Mvalue,   &tVal,   &tTol,   &pix1, &edcnt,
                               &mvstart, &mvend, &pixdelta, &anaMax, &anaMin, &in0};
    const int known = static_cast<int>(sizeof words / sizeof words[0]);
    if (count > known) count = known;
    const uint16_t heldVal = tVal, heldTol = tTol;
    for (int i = 0; i < count; i++) *words[i] = pp[i];
    // The teach value and tolerance are the only reply words that reach the
    // sensor again. A sensor that taught itself, or whose tolerance comes from
    // its potentiometer, reports new ones with every reply; a frame shifted by
    // stray bytes right before the reply reports nonsense. What the protocol
    // fixes tells them apart without waiting: a reported pair lies within the
    // line and the tolerance range, and a reply is no longer than a frame.
    if (count > 4 && (tVal != heldVal || tTol != heldTol)) {
        const int outOfRange = !TeachPairInRange(tVal, tTol);
        if (outOfRange || ReplyLongerThanFrame(0.0)) {
            tVal = heldVal;
            tTol = heldTol;
            (outOfRange ? link_health.refusedRange : link_health.refusedLength)++;
            return 1;
        }
    }
    return 0;
}
