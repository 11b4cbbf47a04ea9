// The sensor link: frames, the port set-up, identification and every read
// from the sensor. Other folders call only what is declared here.
#pragma once

#include <cstdint>

// ---- Command codes (the command word of a transmit frame) -------------------------------
enum {
    CMD_WRITE_RAM = 1,        // payload: parameter set from the panels; no reply awaited
    CMD_READ_RAM = 2,         // reply frame: the parameter set in RAM
    CMD_WRITE_EEPROM = 3,     // as CMD_WRITE_RAM, into EEPROM as well
    CMD_READ_EEPROM = 4,      // reply frame: the parameter set in EEPROM
    CMD_ECHO = 5,             // reply frame with sync word 0x00AA
    CMD_TEACH = 6,            // reply frame; the parameters are read back afterwards
    CMD_VERSION = 7,          // 72 raw bytes of firmware text
    CMD_MEASURE = 8,          // reply frame with the measurement words
    CMD_READ_VIDEO64 = 9,     // 128 raw bytes: 64 samples from payload word 0
    CMD_HARDWARE_INFO = 10,   // reply frame with command word 10 and the identity words
    CMD_RESET_MAXMIN = 11,    // reply frame; only its arrival counts
    CMD_READ_VIDEO256 = 11,   // same code, all-zero payload: 512 raw bytes, 256 samples
};

const int ECHO_SYNC = 0x00AA;             // sync word of a good echo reply
const int FIRMWARE_BYTES = 72;            // raw firmware text
const double FIRMWARE_TIMEOUT = 2.0;      // seconds; the firmware wait processes no events

// ---- Frames (frame.cpp) -------------------------------------------------------------------
void FillTxBuf(int order, const uint16_t* values);  // a complete transmit frame into szWriteBuf
void GetRxBuf(int count);                           // payload words 0..count-1 of szReadBuf into pp
void RX_Receive_Function(int port, int events, void* data);  // receive callback: a 36-byte reply into pp
// Flushes both queues, clears rx_flag and writes the frame in szWriteBuf;
// returns the bytes written (nBytesW). The common start of every exchange.
int SendFrame(void);
// Waits for rx_flag with event processing until it is set (1) or more than
// `limit` seconds have passed since tstart (0). A frame taken in the last
// pass counts.
int WaitForFrame(double limit);
// 1 when the frame in szReadBuf opens with the reply sync word 0x00 0xAA.
// Stray bytes before a reply shift it, and the 36 bytes read are then no
// frame: such a read must never become parameters or measured values.
int ReplyInStep(void);

// ---- Port set-up (port.cpp) ------------------------------------------------------------------
void InitRS232(int port);             // open, line check, identify, read RAM, firmware text
int CheckComLine(int port);           // 1 when the echo reply carries 0x00AA
const char* PortErrorText(int code);  // status text for an OpenComConfig error code

// ---- Identification (identify.cpp) -----------------------------------------------------------
int GetHARDWAREInfo(void);            // 1 when a reply with command word 10 arrived
int GetVERSIONInfo(void);             // bytes waiting when the firmware wait ended (72 = good)
void SetVideoAxis(int windowed, int first);  // x axis of the video graph and xArray

// ---- Parameter read (params_read.cpp) --------------------------------------------------------
void PushGET(int target);             // RAM or EEPROM from the sensor, DATFILE only refreshes panels

// ---- Video blocks (video_blocks.cpp) ----------------------------------------------------------
int ReadData64(int first, int last);  // 64 samples into adcbuf[first..first+63]; returns 1
int ReadData256(void);                // 256 samples into adcbuf; returns 1

// ---- Exchange guard ----------------------------------------------------------------------------
// Exchanges never nest: a callback that would start one while another waits
// on the line does nothing. Returns 1 and sets exchange_busy when free.
int BeginExchange(void);
void EndExchange(void);
