// The virtual K-VOR-MX sensor: a thread that owns the master side of a
// pseudo-terminal and answers the 36-byte request frames on it as a sensor
// on a 19200-baud line would. The PC side opens SlavePath() like a serial port.
//
// Used by `kvormx --simulate` (in-process), by the end-to-end tests, by the
// benchmarks and by the stand-alone tool `kvormx-sim`.
//
// Pacing: a reply byte k (1-based) of a reply of L bytes leaves no earlier
// than (36 + k) byte times after the request's first byte came in, a byte time
// being 10 bits at 19200 baud (0.5208 ms). On a pseudo-terminal the request
// arrives at once, so its own 36 byte times are spent before the reply starts,
// and a run-mode exchange (36 out, 36 back) takes 72 byte times = 37.5 ms, a
// 64-sample video exchange 164 byte times. Requests and replies also queue
// behind each other as on a real line: a request that came in while the last
// one was still "on the wire" starts when that one ends, and a reply never
// starts before the previous reply has ended.
//
// Every method is thread-safe.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SensorIdentity {
    uint16_t ccd_type = 2;      // word 0 of the hardware reply
    uint16_t pixels = 1024;     // word 1: pixels of the CCD line, 256, 512 or 1024
    uint16_t resolution = 250;  // word 2: resolution code
    uint16_t board = 0;         // word 3: board type; 0 sends the firmware text word-coded
                                // and the video in 64-sample blocks
    std::string firmware = "K-VOR-MX virtual sensor FW 1.0";  // at most 36 characters reach a
                                                              // board-0 PC, 72 any other
    uint16_t reply_sync = 0x00AA;                             // sync word of every reply frame but the echo's (always
                                                              // 0x00AA): the protocol leaves it to the sensor
};

// Misbehaviour on demand; the default is a well-behaved sensor.
struct SensorFaults {
    int no_reply_every = 0;         // 0 answers all, 1 answers none, N leaves every Nth request unanswered
    bool short_reply = false;       // every reply cut to half its length (a frame to 18 bytes)
    bool long_reply = false;        // 4 bytes 0xEE after every reply (a 40-byte frame)
    bool garbage = false;           // 5 stray bytes before every reply
    bool bad_sync = false;          // reply frames open with 0xAA 0x00 instead of 0x00 0xAA
    bool bad_hwcmd = false;         // the hardware reply carries command word 0x0A00 instead of 10
    int stray_pause_ms = 0;         // 5 stray bytes, then a pause this long, then the reply
    bool eeprom_keeps_old = false;  // an EEPROM write is answered as usual but changes nothing
    int delay_ms = 0;               // a reply starts no earlier than this long after its request
    // Not faults but links and sensors as plants have them: the PC must take both.
    int piece_bytes = 0;   // every reply handed over in pieces of this many bytes (0: byte by byte)
    int piece_gap_ms = 0;  // with a pause this long between two pieces: a USB adapter's
                           // latency timer, a serial device server, a Bluetooth link
    int pot_jitter = 0;    // the tolerance in measurement replies moves by up to this many
                           // digits from reply to reply, as one read from a potentiometer does
};

struct SensorOptions {
    SensorIdentity identity;
    bool pacing = true;       // false: replies leave at once, as fast as the pty takes them
    std::string eeprom_file;  // EEPROM kept in this file (plain text); empty: in memory only
    std::string link;         // a symlink made to point at the slave (and re-pointed on Reappear)
    uint32_t seed = 1;        // the scene's noise pattern
    SensorFaults faults;
};

// One request frame as the sensor took it in.
struct ReceivedFrame {
    uint16_t command = 0;
    std::array<uint16_t, 16> payload{};
    std::chrono::steady_clock::time_point received;  // the request was complete
    std::chrono::steady_clock::time_point replied;   // the reply's last byte was written; epoch when
                                                     // there was no reply (or not yet)
    size_t reply_bytes = 0;                          // bytes written in reply, faults included
    std::vector<uint8_t> reply;                      // those bytes
};

class VirtualSensor {
 public:
    static const size_t kMaxFrames = 10000;  // the record keeps the most recent frames

    VirtualSensor();
    ~VirtualSensor();  // stops
    VirtualSensor(const VirtualSensor&) = delete;
    VirtualSensor& operator=(const VirtualSensor&) = delete;

    bool Start(const SensorOptions& options);  // false: already running, bad pixel count, an EEPROM
                                               // file it cannot write, or no pty (see Error)
    void Stop();                               // joins the thread (within a few ms) and closes the pty
    bool Running() const;
    const char* Error() const;      // why the last Start failed, "" after a good one
    const char* SlavePath() const;  // device to open; "" when not running. Valid until the
                                    // next Start, Reappear or Stop

    // Vanish closes the line as an unplugged adapter would; the memories, the
    // faults and the record stay. Reappear comes back on a new pty (a new
    // SlavePath) and re-points the link, if one was asked for.
    void Vanish();
    bool Reappear();  // false when not vanished or no pty

    void SetFaults(const SensorFaults& faults);  // takes effect with the next request
    SensorFaults Faults() const;
    void SetPacing(bool on);

    // The scene runs on the time since Start unless frozen at a given time.
    void FreezeScene(double seconds);
    void ThawScene();  // back to the time since Start

    std::array<uint16_t, 16> Ram() const;
    std::array<uint16_t, 16> Eeprom() const;

    std::vector<ReceivedFrame> Frames() const;  // oldest first
    void ClearFrames();

 private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
