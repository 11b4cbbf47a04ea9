// Video data blocks: the 256 samples of a line, read as four raw blocks of 64
// samples (board type 0) or one of 256.
#include "link/link.h"

#include "link/state.h"

// Decoded whatever happened: after a short block the picture shows what the
// buffer holds, and the caller's status line says the block was short.
static int ReadBlock(int command, int first, int last, int samples, uint16_t* dest, int flags, ExchangeWritten written)
{
    // Word 0 the first sample, word 1 the last-block mark, the rest zero.
    uint16_t request[PNUM] = {static_cast<uint16_t>(first), static_cast<uint16_t>(last)};
    int r = Exchange(command, request, samples * 2, reply_limit, flags, written);
    if (r == EX_BUSY) return r;
    for (int k = 0; k < samples; k++) dest[k] = GetWord(szReadBuf + 2 * k);
    return r;
}

int ReadVideoBlock64(int first, int last, int flags, ExchangeWritten written)
{
    if (first < 0 || first > 192) first = 0;  // a block never writes past the end of adcbuf
    return ReadBlock(CMD_READ_VIDEO64, first, last, 64, adcbuf + first, flags, written);
}

int ReadVideoBlock256(int flags, ExchangeWritten written)
{
    return ReadBlock(CMD_READ_VIDEO256, 0, 0, 256, adcbuf, flags, written);
}
