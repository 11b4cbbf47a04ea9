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
#include "app/panels.h"
#include "app/state.h"
#include "sim/sensor.h"
#include "support/pty_peer.h"

class ProgramTest : public ::testing::Test {
 protected:
    void SetUp() override;
    void TearDown() override;

    // ---- The sensor ------------------------------------------------------------------
    static SensorOptions Fast();                      // default sensor, no pacing
    void StartSensor(const SensorOptions& options = Fast());  // and map COM 1 to it
    void StartSilentSensor();                         // a line where nobody answers
    void StartUp();                                   // the port set-up as start-up runs it
    // COM 1 opened on a pty the test plays the device on, with the receive
    // callback installed or (as during block reads) not.
    void OpenComOn(const PtyPeer& peer, bool receiveCallback = true);
    std::vector<ReceivedFrame> Frames() const { return sensor.Frames(); }
    std::vector<int> Commands() const;                // command words the sensor received, in order
    ReceivedFrame LastFrame() const;                  // the last one (fails the test when none)

    // ---- The operator ------------------------------------------------------------------
    void Press(int control) { Click(panelHandle, control); }
    void Click(int panel, int control);
    void Enter(int panel, int control, int value);   // type the value and press Enter
    void Choose(int panel, int control, int index);  // a ring item
    void AfterSeconds(double seconds, std::function<void()> action);  // runs inside event processing
    void PumpFor(double seconds);                     // event processing for that long

    // ---- What the operator sees --------------------------------------------------------------
    std::string Status() const;
    int Value(int panel, int control) const;          // any numeric control as int
    bool Dimmed(int panel, int control) const;
    bool Visible(int panel, int control) const;
    std::string InfoLine0() const;                    // line 0 of the sensor information

    std::array<uint16_t, 16> Vars() const;            // the sixteen parameter variables, packet order
    void SetVars(const std::array<uint16_t, 16>& words);

    VirtualSensor sensor;
};
