// Video data blocks: the 256 samples of a line, read as four raw blocks of 64
// samples (board type 0) or one of 256. The receive callback must be off
// while a block is read; the video loop takes care of that.
#include "link/link.h"

#include "app/panels.h"
#include "app/state.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <cstring>

struct BlockRead {
    int command;
    int samples;
    const char* waiting;
    const char* timedOut;
    const char* received;
};

static const BlockRead kBlock64 = {CMD_READ_VIDEO64, 64, "Waiting for Data[64] ...",
                                   "Timeout-RS-232 while reading 64 data-words!",
                                   "Data[64] block received!"};
static const BlockRead kBlock256 = {CMD_READ_VIDEO256, 256, "Waiting for Data[256] ...",
                                    "Timeout-RS-232 while reading 256 data-words!",
                                    "Data[256] block received!"};

// Request built without the packet: word 0 the first sample, word 1 the
// last-block mark, the rest zero.
static void ReadBlock(const BlockRead& b, int first, int last, uint16_t* dest)
{
    const int size = b.samples * 2;
    int count = 0;
    order = b.command;
    FlushOutQ(com);
    FlushInQ(com);
    std::memset(szWriteBuf, 0, FRAME_BYTES);
    szWriteBuf[0] = static_cast<char>((sync_word >> 8) & 0xFF);
    szWriteBuf[1] = static_cast<char>(sync_word & 0xFF);
    szWriteBuf[3] = static_cast<char>(b.command);
    szWriteBuf[4] = static_cast<char>((first >> 8) & 0xFF);
    szWriteBuf[5] = static_cast<char>(first & 0xFF);
    szWriteBuf[6] = static_cast<char>((last >> 8) & 0xFF);
    szWriteBuf[7] = static_cast<char>(last & 0xFF);
    nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
    SetCtrlVal(panelHandle, PANEL_STATUS, b.waiting);

    tstart = Timer();
    for (;;) {
        ProcessSystemEvents();
        count = GetInQLen(com);
        tdiff = Timer() - tstart;
        if (tdiff > TIMEOUT) {
            CopyText(szStatus, STATUS_LEN, b.timedOut);
            break;
        }
        if (count >= size) break;
    }

    int want = count < 0 ? 0 : (count > SERIAL_BUF_LEN ? SERIAL_BUF_LEN : count);
    nBytesR = want > 0 ? ComRd(com, szReadBuf, want) : 0;
    if (nBytesR == size) CopyText(szStatus, STATUS_LEN, b.received);
    // Decoded whatever happened: after a short block the picture shows what
    // the buffer holds, and the status line says the block was short.
    for (int k = 0; k < b.samples; k++)
        dest[k] = static_cast<uint16_t>(static_cast<unsigned char>(szReadBuf[2 * k]) * 256u +
                                        static_cast<unsigned char>(szReadBuf[2 * k + 1]));
    SetCtrlVal(panelHandle, PANEL_STATUS, szStatus);
}

int ReadData64(int first, int last)
{
    if (first < 0 || first > 192) first = 0;  // a block never writes past the end of adcbuf
    ReadBlock(kBlock64, first, last, adcbuf + first);
    return 1;
}

int ReadData256(void)
{
    ReadBlock(kBlock256, 0, 0, adcbuf);
    return 1;
}
