// Measurement replies: the words of a CMD_MEASURE reply into the measurement
// variables. The run and video loops and the command-line tool take them the
// same way, so a word means the same in every display and every row.
#include "link/link.h"

#include "app/state.h"

void TakeMeasurementWords(int count)
{
    uint16_t* const words[] = {&Ledge, &Redge, &Mvalue,   &tVal,   &tTol,   &pix1,  &edcnt,
                               &mvstart, &mvend, &pixdelta, &anaMax, &anaMin, &in0};
    const int known = static_cast<int>(sizeof words / sizeof words[0]);
    if (count > known) count = known;
    for (int i = 0; i < count; i++) *words[i] = pp[i];
}
