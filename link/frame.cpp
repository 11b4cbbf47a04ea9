// Frame codec.
//
// Every frame on the line is 36 bytes: sync_word word, command word and 16 payload
// words, all big-endian.
#include "link/link.h"

#include "link/state.h"

void PutWord(char* at, unsigned word)
{
    at[0] = static_cast<char>((word >> 8) & 0xFF);
    at[1] = static_cast<char>(word & 0xFF);
}

uint16_t GetWord(const char* at)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(at[0]) * 256u + static_cast<unsigned char>(at[1]));
}

void FillTxBuf(int ord, const uint16_t* values)
{
    PutWord(szWriteBuf, static_cast<unsigned>(sync_word));
    PutWord(szWriteBuf + 2, static_cast<unsigned>(ord));
    for (int i = 0; i < PNUM; i++) PutWord(szWriteBuf + 4 + 2 * i, values[i]);
}

void GetRxBuf(int count)
{
    if (count > PNUM) count = PNUM;
    for (int i = 0; i < count; i++) pp[i] = GetWord(szReadBuf + 4 + 2 * i);
}
