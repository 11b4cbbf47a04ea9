// The range rules of a parameter set: the one place that decides which
// values a set may hold before it is shown or sent. The panels apply them
// to every set they show (from the sensor or a file); kvormx-cli applies
// them to a file before it writes the file to the sensor.
#include "link/link.h"

#include "link/state.h"

#include <cstdio>

namespace {

const int LINE_END = -1;  // replacement: the last pixel of the identified line (ccdmaxpixel)

// In this order. A word that breaks a rule takes the rule's fixed value and
// is not tested again (vThd 2000 becomes 950, and 950 stands).
const struct Rule {
    int word;  // packet index
    int limit;
    bool below;       // the rule is broken below `limit`, else above it
    int replacement;  // or LINE_END
} kRules[] = {
    {0, 1000, false, 500},                         // power
    {1, 1, false, 0},                              // rs232Mode
    {2, 950, false, 950},                          // vThd
    {2, 50, true, 50},          {4, 1, false, 1},  // polarity
    {5, 3, false, 4},                              // eMode: 4, not 3, so that modes 0 to 4 all survive
    {6, 1024, false, 1},                           // eBeg
    {7, 1024, false, LINE_END},                    // eEnd
    {8, 1024, false, 512},                         // tVal
    {9, 512, false, 128},                          // tTol
    {3, 1023, false, 60},                          // bVal
    {10, 1, false, 0},                             // iGain
    {11, 1, false, 1},                             // ePoti
    {13, 1023, false, 1},                          // pStart
    {15, 1023, false, 1023},                       // para15
    {15, 1, true, 1},
};

}  // namespace

int ApplyRangeRules(RangeChange* changes, int max)
{
    bool replaced[PNUM] = {};
    int count = 0;
    for (const Rule& r : kRules) {
        if (replaced[r.word]) continue;
        uint16_t& var = *kParamVars[r.word];
        const int value = var;
        if (r.below ? value >= r.limit : value <= r.limit) continue;
        var = static_cast<uint16_t>(r.replacement == LINE_END ? ccdmaxpixel : r.replacement);
        replaced[r.word] = true;
        if (changes && count < max) {
            RangeChange& c = changes[count];
            c.word = r.word;
            c.before = value;
            c.after = var;
            std::snprintf(c.why, sizeof c.why, "%s %d", r.below ? "below" : "above", r.limit);
        }
        count++;
    }
    return count;
}
