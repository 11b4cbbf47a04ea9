// Measurement replies: the words of a CMD_MEASURE reply into the measurement
// variables. The run and video loops and the command-line tool take them the
// same way, so a word means the same in every display and every row.
#include "link/link.h"

#include "app/state.h"

int TakeMeasurementWords(int count)
{
    uint16_t* const words[] = {&Ledge, &Redge, &Mvalue,   &tVal,   &tTol,   &pix1,  &edcnt,
                               &mvstart, &mvend, &pixdelta, &anaMax, &anaMin, &in0};
    const int known = static_cast<int>(sizeof words / sizeof words[0]);
    if (count > known) count = known;
    const uint16_t heldVal = tVal, heldTol = tTol;
    for (int i = 0; i < count; i++) *words[i] = pp[i];
    // The teach value and tolerance are the only reply words that reach the
    // sensor again. A sensor that taught itself reports new ones; so does a
    // frame shifted by stray bytes right before the reply, with nonsense. The
    // burst's length tells them apart without looking at the content: a
    // shifted frame leaves its tail behind it. Only a change costs the wait
    // for the end of the burst; a steady run never waits.
    if (count > 4 && (tVal != heldVal || tTol != heldTol) && ReplyBurstLonger()) {
        tVal = heldVal;
        tTol = heldTol;
        return 1;
    }
    return 0;
}
