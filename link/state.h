// What the sensor link owns: the parameter packet and its variables, the
// measurement variables, the sensor's identity, the state of the line and its
// buffers, each declared once and explained once, with its start value in
// state.cpp. The window and kvormx-cli share all of it; what only the panels
// need lives with them (form/, display/, params/, app/).
//
// The program is a single thread: callbacks, the receive callback and the
// loops all run on the user-interface thread, so these are plain globals
// without locks. 16-bit variables are uint16_t; every comparison or sum on
// them is done after widening to int.
#pragma once

#include <cstdint>

#include "runtime/rs232.h"
#include "runtime/util.h"

// ---- Constants ----------------------------------------------------------------------------------
const int PNUM = 16;                   // payload words; a frame is PNUM*2 + 4 = 36 bytes
const int FRAME_BYTES = PNUM * 2 + 4;  // sync word, command word, payload
const int RAM = 1;                     // transfer target: the sensor's working memory
const int EEPROM = 2;                  // transfer target: the sensor's non-volatile memory
const int DATFILE = 3;                 // transfer target: a parameter file on the PC
const double TIMEOUT = 1.5;            // seconds to wait for a reply frame
// Receive-callback events: 36 bytes waiting, event character, output empty.
const int eventMask = LWRS_RECEIVE | LWRS_RXFLAG | LWRS_TXEMPTY;
const int STATUS_LEN = 72;         // status, version and name texts
const int PATH_LEN = RT_PATH_LEN;  // paths
const int SERIAL_BUF_LEN = 1024;   // transmit and receive buffers

// The sync value of every transmitted frame, 0x55 (0x00 0x55 on the line).
// Not plain `sync`: that is the POSIX function in every file that sees <unistd.h>.
extern int sync_word;

// ---- Parameter set: the packet and its sixteen variables, in packet order -----------------------
extern uint16_t pp[PNUM];                    // parameter packet; also where every reply frame lands
extern uint16_t power;                       // word 0: sensor power, 0..1000
extern uint16_t rs232Mode;                   // word 1: serial output mode of the sensor, 0 or 1
extern uint16_t vThd;                        // word 2: video threshold, 50..950 on the 0..1023 signal scale
extern uint16_t bVal;                        // word 3: sensor setting 0..1023, stored and transferred only
extern uint16_t polarity;                    // word 4: edge polarity, 0 or 1
extern uint16_t eMode;                       // word 5: edge evaluation mode (0 left, 1 right, 2 pair, else centre)
extern uint16_t eBeg;                        // word 6: first pixel of the evaluation window (bar cursor 2)
extern uint16_t eEnd;                        // word 7: last pixel of the evaluation window (bar cursor 3)
extern uint16_t tVal;                        // word 8: teach value (setpoint), pixel position
extern uint16_t tTol;                        // word 9: tolerance in pixels either side of tVal
extern uint16_t iGain;                       // word 10: video gain switch, 0 or 1
extern uint16_t ePoti;                       // word 11: tolerance from the sensor's potentiometer, 0 or 1
extern uint16_t ccdMode;                     // word 12: 0 whole line, 1 a 256-pixel window from pStart
extern uint16_t pStart;                      // word 13: first pixel of the 256-pixel video window
extern uint16_t anaMode;                     // word 14: analog output mode 0..4 (strip chart trace 5)
extern uint16_t para15;                      // word 15: reserved, kept within 1..1023, no control
extern const char* const kParamNames[PNUM];  // the variables' names, in packet order
extern uint16_t* const kParamVars[PNUM];     // the variables themselves, in packet order

// ---- Measurement variables (words 0..12 of a measurement reply) ---------------------------------
extern uint16_t Ledge;           // left edge, pixels; 0 = missing
extern uint16_t Redge;           // right edge, pixels; 0 = missing
extern uint16_t Mvalue;          // measured value (the evaluated position), pixels
extern uint16_t pix1;            // first pixel of the sensor's 256-pixel window as it reports it
extern uint16_t edcnt;           // edge count
extern uint16_t mvstart, mvend;  // compared to place the bar of a single edge
extern uint16_t pixdelta;        // stored only
extern uint16_t anaMax;          // maximum since the last max/min reset
extern uint16_t anaMin;          // minimum since the last reset; 1023 is shown as 1
extern uint16_t in0;             // copied in run mode only

// ---- Sensor identification ----------------------------------------------------------------------
extern uint16_t ccdtype;            // CCD type code (1, 2, 3, 101 known)
extern uint16_t ccdmaxpixel;        // pixels of the CCD line; the end of every pixel scale
extern uint16_t ccdresolution;      // resolution code (30, 250, 350, 750 known)
extern uint16_t pcbtype;            // board type: 0 64-sample video reads, word-coded firmware text
extern uint16_t pixB, pixE;         // first and last pixel of the bar graph's range
extern char szVersion[STATUS_LEN];  // firmware text of the sensor
// The millimetre scale of the line (scale.cpp): a position in mm is
// pixels * mm_per_pixel + mm_offset, a length pixels * mm_per_pixel.
extern double mm_per_pixel;  // 0: no scale known, everything in pixels only
extern double mm_offset;     // mm where pixel 0 lies (a calibration's offset; 0 from the sensor type)
extern int mm_source;        // MM_NONE, MM_SENSOR_TYPE, MM_CALIBRATED
enum { MM_NONE = 0, MM_SENSOR_TYPE = 1, MM_CALIBRATED = 2 };

// ---- Link state ---------------------------------------------------------------------------------
extern int com;                          // number of the COM port in use
extern int order;                        // command code of the frame last built
extern int target;                       // transfer target of Send/Get: RAM, EEPROM or DATFILE
extern int rx_flag;                      // 1 once the receive callback has decoded a frame into pp
extern int graphrefresh;                 // raised with rx_flag; the run loop redraws and clears it
extern int stop_flag;                    // 0 while a run or video loop is active
extern int quit_flag;                    // 1 once the main panel was closed: every wait ends at once
extern int exchange_busy;                // 1 while an exchange or loop is in progress: no other may start
extern int ref_flag;                     // 1 on the last 64-sample block of a video line
extern double tstart, tdiff;             // start of the current wait, and seconds since (Timer)
extern double reply_limit;               // seconds link/ waits for a reply: TIMEOUT unless kvormx-cli --timeout
extern int nBytesW, nBytesR;             // bytes of the last port write and of the last polled read
extern char szWriteBuf[SERIAL_BUF_LEN];  // transmit buffer; a frame uses the first 36 bytes
extern char szReadBuf[SERIAL_BUF_LEN];   // receive buffer; a frame or raw block from byte 0
extern char szStatus[STATUS_LEN];        // text last written to the status line

// ---- Video samples ------------------------------------------------------------------------------
extern uint16_t adcbuf[256];  // the last video line: samples 0..1023, filled block by block

// ---- Program texts ------------------------------------------------------------------------------
// The program's name and version as both programs show them.
#define SOFT_NAME    "K-VOR-MX-Zidad"
#define SOFT_VERSION "Version " KVORMX_PROJECT_VERSION  // project(kvormx VERSION ...)

// Every variable above back to its value before start-up: the parameter
// defaults, the identity of a 1024-pixel board-0 sensor, no exchange and no
// loop running, empty measurement and text buffers.
void ResetLinkState(void);
// The identity of the sensor back to what start-up assumes: a 1024-pixel
// line on board type 0, nothing known of its CCD.
void ResetSensorIdentity(void);

// ---- Packet copies ------------------------------------------------------------------------------
void CopyVarsToPP(void);  // the sixteen parameter variables into pp, word by word
void CopyPPtoVars(void);  // pp back into the variables, same order

// Copies text into a fixed buffer of `size` bytes, always terminated.
void CopyText(char* dst, int size, const char* src);
