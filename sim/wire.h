// The K-VOR-MX serial protocol as the sensor sees it: frame geometry, command
// codes, parameter word positions and the timing of a 19200-baud line.
//
// Everything on the line is a big-endian 16-bit word. A request and a reply
// frame are both sync word, command word and PNUM payload words; raw replies
// (firmware text, video blocks) are bare words without a header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sim {

const int PNUM = 16;                      // payload words; a frame is PNUM*2 + 4 = 36 bytes
const size_t kFrameBytes = PNUM * 2 + 4;  // sync (2), command (2), payload (32)
const uint16_t kRequestSync = 0x0055;     // the PC opens every request with 0x00 0x55
const uint16_t kReplySync = 0x00AA;       // the sensor opens every reply frame with 0x00 0xAA
const size_t kFirmwareBytes = 72;         // firmware text reply: 72 raw bytes
const int kVideoSamples = 256;            // samples of one video line
const int kBlockSamples = 64;             // samples of one CMD_READ_VIDEO64 block
const int kSampleMax = 1023;              // the signal scale is 10 bits

// A byte is start bit, 8 data bits and stop bit: 10 bit times at 19200 baud.
const int64_t kBaud = 19200;
inline int64_t ByteTimesNs(int64_t bytes)
{
    return bytes * 10 * 1000000000LL / kBaud;
}

// Command codes: the command word of a request frame.
enum Command : uint16_t {
    CMD_WRITE_RAM = 1,
    CMD_READ_RAM = 2,
    CMD_WRITE_EEPROM = 3,
    CMD_READ_EEPROM = 4,
    CMD_ECHO = 5,
    CMD_TEACH = 6,
    CMD_VERSION = 7,
    CMD_MEASURE = 8,
    CMD_READ_VIDEO64 = 9,
    CMD_HARDWARE_INFO = 10,
    CMD_RESET_MAXMIN = 11,  // also CMD_READ_VIDEO256 (board not 0, all-zero payload)
};

using Words = std::array<uint16_t, PNUM>;

// Word positions of the parameter set, in packet order.
enum ParamWord {
    P_POWER,
    P_RS232MODE,
    P_VTHD,
    P_BVAL,
    P_POLARITY,
    P_EMODE,
    P_EBEG,
    P_EEND,
    P_TVAL,
    P_TTOL,
    P_IGAIN,
    P_EPOTI,
    P_CCDMODE,
    P_PSTART,
    P_ANAMODE,
    P_PARA15,
};

// Word positions of the CMD_MEASURE reply.
enum MeasureWord {
    M_LEDGE,
    M_REDGE,
    M_MVALUE,
    M_TVAL,
    M_TTOL,
    M_PIX1,
    M_EDCNT,
    M_MVSTART,
    M_MVEND,
    M_PIXDELTA,
    M_ANAMAX,
    M_ANAMIN,
    M_IN0,
};

// The parameter set a sensor leaves the factory with.
const Words kDefaultParams = {500, 0, 512, 64, 1, 1, 1, 1024, 512, 100, 1, 1, 0, 1, 0, 1000};

const uint16_t kNoMinimum = 1023;  // anaMin when nothing was measured since the reset

inline void PutWord(uint8_t* p, uint16_t w)
{
    p[0] = static_cast<uint8_t>(w >> 8);
    p[1] = static_cast<uint8_t>(w & 0xFF);
}
inline uint16_t GetWord(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

// A 36-byte frame: sync, command, payload.
inline std::array<uint8_t, kFrameBytes> EncodeFrame(uint16_t sync, uint16_t command, const Words& payload)
{
    std::array<uint8_t, kFrameBytes> f{};
    PutWord(&f[0], sync);
    PutWord(&f[2], command);
    for (int i = 0; i < PNUM; ++i) PutWord(&f[4 + 2 * i], payload[i]);
    return f;
}

inline Words DecodePayload(const uint8_t* frame)
{
    Words w{};
    for (int i = 0; i < PNUM; ++i) w[i] = GetWord(frame + 4 + 2 * i);
    return w;
}

}  // namespace sim
