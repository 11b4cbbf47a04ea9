// The link's program-wide state with its start values. ResetLinkState assigns
// them; the window's start-up and kvormx-cli run it first.
#include "link/state.h"

#include "link/health.h"

#include <cstring>

int sync_word;

uint16_t pp[PNUM];
uint16_t power, rs232Mode, vThd, bVal, polarity, eMode;
uint16_t eBeg, eEnd, tVal, tTol, iGain, ePoti;
uint16_t ccdMode, pStart, anaMode, para15;

uint16_t Ledge, Redge, Mvalue, pix1, edcnt, mvstart, mvend, pixdelta, anaMax, anaMin, in0;

uint16_t ccdtype, ccdmaxpixel, ccdresolution, pcbtype;
uint16_t pixB, pixE;
char szVersion[STATUS_LEN];
double mm_per_pixel, mm_offset;
int mm_source;

int com, order, target, rx_flag, graphrefresh, stop_flag;
int exchange_busy, ref_flag, quit_flag;
double tstart, tdiff, reply_limit;
int nBytesW, nBytesR;
char szWriteBuf[SERIAL_BUF_LEN], szReadBuf[SERIAL_BUF_LEN];
char szStatus[STATUS_LEN];

uint16_t adcbuf[256];

// The variables in packet order; both copies walk this one table so they can
// never disagree about a word's place.
uint16_t* const kParamVars[PNUM] = {
    &power, &rs232Mode, &vThd,  &bVal,  &polarity, &eMode,  &eBeg,    &eEnd,
    &tVal,  &tTol,      &iGain, &ePoti, &ccdMode,  &pStart, &anaMode, &para15,
};

const char* const kParamNames[PNUM] = {
    "power", "rs232Mode", "vThd",  "bVal",  "polarity", "eMode",  "eBeg",    "eEnd",
    "tVal",  "tTol",      "iGain", "ePoti", "ccdMode",  "pStart", "anaMode", "para15",
};

// The parameter defaults, in packet order.
static const uint16_t kParamDefaults[PNUM] = {
    500,   // power
    0,     // rs232Mode
    512,   // vThd
    64,    // bVal
    1,     // polarity
    1,     // eMode
    1,     // eBeg
    1024,  // eEnd
    512,   // tVal
    100,   // tTol
    1,     // iGain
    1,     // ePoti
    0,     // ccdMode
    1,     // pStart
    0,     // anaMode
    1000,  // para15
};

void ResetLinkState(void)
{
    sync_word = 0x55;
    for (int i = 0; i < PNUM; i++) *kParamVars[i] = kParamDefaults[i];
    std::memset(pp, 0, sizeof pp);
    Ledge = Redge = Mvalue = pix1 = edcnt = mvstart = mvend = pixdelta = anaMax = anaMin = in0 = 0;

    ResetSensorIdentity();

    com = 1;
    order = 1;
    target = RAM;
    rx_flag = graphrefresh = 0;
    stop_flag = 1;
    exchange_busy = ref_flag = quit_flag = 0;
    tstart = tdiff = 0.0;
    reply_limit = TIMEOUT;
    nBytesW = nBytesR = 0;
    ResetLinkHealth();
    std::memset(szWriteBuf, 0, sizeof szWriteBuf);
    std::memset(szReadBuf, 0, sizeof szReadBuf);
    CopyText(szStatus, STATUS_LEN, "InitVars");
    std::memset(adcbuf, 0, sizeof adcbuf);
}

void ResetSensorIdentity(void)
{
    ccdtype = ccdresolution = 0;
    ccdmaxpixel = 1024;
    pcbtype = 0;
    pixB = 1;
    pixE = 1024;
    szVersion[0] = '\0';
    // Nothing known of the CCD: no millimetres until a sensor says what it is.
    mm_per_pixel = mm_offset = 0.0;
    mm_source = MM_NONE;
}

void CopyVarsToPP(void)
{
    for (int i = 0; i < PNUM; i++) pp[i] = *kParamVars[i];
}

void CopyPPtoVars(void)
{
    for (int i = 0; i < PNUM; i++) *kParamVars[i] = pp[i];
}

void CopyText(char* dst, int size, const char* src)
{
    if (size <= 0) return;
    std::strncpy(dst, src, size - 1);
    dst[size - 1] = '\0';
}
