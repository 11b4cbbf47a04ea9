// Test fixture for the program: the real panels loaded offscreen, the real
// program state, and a virtual sensor on a pseudo-terminal as COM 1.
// Each test case runs in its own process (CTest), so program-wide state
// starts fresh; SetUp assigns it as start-up does.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "display/display.h"
#include "form/form.h"
#include "link/link.h"
#include "link/state.h"
#include "params/params.h"
#include "sim/sensor.h"
#include "support/pty_peer.h"

using Bytes = std::vector<unsigned char>;
using Words = std::array<uint16_t, 16>;

// A frame as it is on the line, decoded.
struct Frame {
    uint16_t sync = 0;
    uint16_t command = 0;
    Words payload{};
    bool whole = false;  // all 36 bytes were there
};

class ProgramTest : public ::testing::Test {
 protected:
    void SetUp() override;
    void TearDown() override;

    // ---- The sensor ------------------------------------------------------------------
    static SensorOptions Fast();  // default sensor, no pacing
    // A sensor whose memories start with `words` (loaded from an EEPROM file
    // the fixture makes and removes).
    SensorOptions Holding(const Words& words, SensorOptions o = Fast());
    void StartSensor(const SensorOptions& options = Fast());  // and map COM 1 to it
    void StartSilentSensor();                                 // a line where nobody answers
    void StartUp();                                           // the port set-up as start-up runs it
    // COM 1 opened on a pty the test plays the device on, with the receive
    // callback installed or (as during block reads) not.
    void OpenComOn(const PtyPeer& peer, bool receiveCallback = true);
    std::vector<ReceivedFrame> Frames() const { return sensor.Frames(); }

    // ---- Frames on the line, for tests that play the sensor on `peer` ---------------
    static Bytes FrameBytes(const Words& payload, uint16_t command = 0, uint16_t sync = 0x00AA);
    static Frame Decode(const Bytes& bytes);
    static Bytes BlockBytes(int samples, int first);  // a raw video block, sample k = first + k
    void PlaySensor() { OpenComOn(peer); }            // COM 1 on `peer`
    void SensorSays(const Words& payload, uint16_t command = 0, uint16_t sync = 0x00AA)
    {
        peer.Write(FrameBytes(payload, command, sync));
    }
    Frame NextFrameSent(double timeout = 3.0) { return Decode(peer.Read(FRAME_BYTES, timeout)); }
    PtyPeer peer;
    std::vector<int> Commands() const;  // command words the sensor received, in order
    ReceivedFrame LastFrame() const;    // the last one (fails the test when none)

    // ---- The operator ------------------------------------------------------------------
    void Press(int control) { Click(panelHandle, control); }
    void Click(int panel, int control);
    void Enter(int panel, int control, int value);                    // type the value and press Enter
    void Choose(int panel, int control, int index);                   // a ring item
    void AfterSeconds(double seconds, std::function<void()> action);  // runs inside event processing
    void PumpFor(double seconds);                                     // event processing for that long

    // ---- What the operator sees --------------------------------------------------------------
    std::string Status() const;
    int Value(int panel, int control) const;  // any numeric control as int
    bool Dimmed(int panel, int control) const;
    bool Visible(int panel, int control) const;
    std::string InfoLine0() const;  // line 0 of the sensor information

    std::array<uint16_t, 16> Vars() const;  // the sixteen parameter variables, packet order
    void SetVars(const std::array<uint16_t, 16>& words);

    VirtualSensor sensor;
    std::string eepromFile;
    std::string settingsFile;  // the program's settings, removed after the test
};
