// Program-wide state with its start values. InitVars assigns the parameter
// defaults again at start-up; the values here hold before it runs.
#include "app/state.h"

#include <cstring>

int sync_word = 0x55;

uint16_t pp[PNUM];
uint16_t power = 500, rs232Mode = 0, vThd = 512, bVal = 64, polarity = 1, eMode = 1;
uint16_t eBeg = 1, eEnd = 1024, tVal = 512, tTol = 100, iGain = 1, ePoti = 1;
uint16_t ccdMode = 0, pStart = 1, anaMode = 0, para15 = 1000;

uint16_t Ledge, Redge, Mvalue, pix1, edcnt, mvstart, mvend, pixdelta, anaMax, anaMin, in0;

uint16_t ccdtype, ccdmaxpixel = 1024, ccdresolution, pcbtype = 0;
uint16_t pixB = 1, pixE = 1024;
char szVersion[STATUS_LEN];

int com = 1, order = 1, target = RAM, rx_flag = 0, graphrefresh = 0, stop_flag = 1;
int exchange_busy = 0, ref_flag = 0;
double tstart = 0.0, tdiff = 0.0;
int nBytesW, nBytesR, ret;
char szWriteBuf[SERIAL_BUF_LEN], szReadBuf[SERIAL_BUF_LEN];
char szStatus[STATUS_LEN] = "InitVars";

int panelHandle, panelPopUp;
char proj_dir[PATH_LEN], file_name[PATH_LEN];

uint16_t adcbuf[256], xArray[256], thdArray[256];
double arrayNORM[500];

char szSoftName[STATUS_LEN] = "K-VOR-MX-Zidad";
char szSoftVersion[STATUS_LEN] = "Version 1.5";

// The variables in packet order; both copies walk this one table so they can
// never disagree about a word's place.
static uint16_t* const kParamVars[PNUM] = {
    &power, &rs232Mode, &vThd, &bVal, &polarity, &eMode, &eBeg, &eEnd,
    &tVal, &tTol, &iGain, &ePoti, &ccdMode, &pStart, &anaMode, &para15,
};

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
