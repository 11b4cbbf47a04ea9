// The sensor's firmware, minus the serial line: it takes one complete request
// and produces the bytes of the reply. Holds the parameter memories (RAM and
// EEPROM), the max/min tracker and the scene.
//
// Not thread-safe by itself; VirtualSensor serialises every call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/scene.h"
#include "sim/sensor.h"
#include "sim/wire.h"

namespace sim {

class Responder {
 public:
    // RAM starts as a copy of the EEPROM, which is read from `eeprom_file`
    // when that names a readable file of 16 values, else the factory set.
    Responder(const SensorIdentity& identity, uint32_t seed, const std::string& eeprom_file);

    // The reply to one request at scene time t; empty when the sensor has no
    // answer (an unknown command). *is_frame tells a 36-byte reply frame from
    // a raw block.
    // `eeprom_stuck`: an EEPROM write changes RAM only (a worn-out EEPROM).
    std::vector<uint8_t> Answer(uint16_t command, const Words& payload, double t, bool* is_frame,
                                bool eeprom_stuck = false);

    // A tolerance read from a potentiometer: each measurement reply reports
    // the potentiometer's setting give or take up to `digits` (0: the set's own).
    void SetPotJitter(int digits);

    Words Ram() const { return ram_; }
    Words Eeprom() const { return eeprom_; }

 private:
    std::vector<uint8_t> Frame(uint16_t command, const Words& payload, bool* is_frame);
    std::vector<uint8_t> Firmware() const;
    std::vector<uint8_t> Block(const uint16_t* samples, int count) const;
    Words Measure(const Words& payload, double t);
    void SaveEeprom() const;

    SensorIdentity id_;
    Scene scene_;
    std::string eeprom_file_;
    Words eeprom_;
    Words ram_;             // the set the sensor works with
    uint16_t ana_max_ = 0;  // 0 until something was measured
    uint16_t ana_min_ = kNoMinimum;
    Words last_measure_{};  // the last CMD_MEASURE reply payload
    bool measured_ = false;
    std::vector<uint16_t> held_video_;  // the line being read in 64-sample blocks
    int pot_jitter_ = 0;
    int pot_setting_ = -1;  // the potentiometer's tolerance; -1 until jitter starts
    uint32_t pot_noise_;    // noise of its readings
};

// The EEPROM file: one decimal value per line. false when the file cannot be
// read or holds fewer than 16 values in 0..65535 (then *words is untouched).
bool ReadParamFile(const std::string& path, Words* words);
// Written to a temporary file and renamed, so a crash never leaves half a set.
bool WriteParamFile(const std::string& path, const Words& words);
// Why `path` cannot take the EEPROM's writes ("not a regular file", the
// system's reason), or "" when it can: tried by making a file beside it.
std::string ParamFileUnwritable(const std::string& path);

}  // namespace sim
