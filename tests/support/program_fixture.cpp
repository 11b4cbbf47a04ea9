#include "support/program_fixture.h"

#include <cstring>
#include <memory>
#include <string>

#include <stdlib.h>
#include <unistd.h>

#include "link/link.h"
#include "runtime/rs232.h"
#include "runtime/settings.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "support/inspect.h"

void ProgramTest::SetUp()
{
    static bool runtimeUp = false;
    if (!runtimeUp) {
        static int argc = 1;
        static char name[] = "program_tests";
        static char* argv[] = {name, nullptr};
        ASSERT_EQ(1, InitRuntime(&argc, argv)) << GetRuntimeError();
        runtimeUp = true;
    }
    // Whatever the program remembers stays in a file of this test's own.
    settingsFile = "/tmp/kvormx-settings-" + std::to_string(getpid()) + ".conf";
    SetSettingsFile(settingsFile.c_str());
    ASSERT_EQ(0, LoadPanels()) << GetRuntimeError();
    GetProjectDir(proj_dir);
    InitVars();
}

void ProgramTest::TearDown()
{
    CloseCom(com);
    sensor.Stop();
    ClearFileSelectAnswers();
    DiscardPanel(panelPopUp);
    DiscardPanel(panelHandle);
    if (!eepromFile.empty()) unlink(eepromFile.c_str());
    unlink(settingsFile.c_str());
}

SensorOptions ProgramTest::Holding(const Words& words, SensorOptions o)
{
    char path[] = "/tmp/kvormx-eeprom-XXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    std::string text;
    for (uint16_t w : words) text += std::to_string(w) + "\n";
    EXPECT_EQ(static_cast<ssize_t>(text.size()), write(fd, text.data(), text.size()));
    close(fd);
    if (!eepromFile.empty()) unlink(eepromFile.c_str());
    eepromFile = path;
    o.eeprom_file = eepromFile;
    return o;
}

SensorOptions ProgramTest::Fast()
{
    SensorOptions o;
    o.pacing = false;
    return o;
}

void ProgramTest::StartSensor(const SensorOptions& options)
{
    ASSERT_TRUE(sensor.Start(options));
    SetComDevice(1, sensor.SlavePath());
}

void ProgramTest::StartSilentSensor()
{
    SensorOptions o = Fast();
    o.faults.no_reply_every = 1;
    StartSensor(o);
}

void ProgramTest::StartUp()
{
    InitRS232(com);
}

void ProgramTest::OpenComOn(const PtyPeer& peer, bool receiveCallback)
{
    ASSERT_TRUE(peer.Ok());
    SetComDevice(1, peer.Path().c_str());
    ASSERT_EQ(0, OpenComConfig(1, "", 19200, 0, 8, 1, 4096, 4096));
    SetComTime(1, 2.0);
    if (receiveCallback) InstallComCallback(1, eventMask, FRAME_BYTES, sync_word, RX_Receive_Function, 0);
}

std::vector<int> ProgramTest::Commands() const
{
    std::vector<int> out;
    for (const auto& f : sensor.Frames()) out.push_back(f.command);
    return out;
}

ReceivedFrame ProgramTest::LastFrame() const
{
    auto frames = sensor.Frames();
    EXPECT_FALSE(frames.empty());
    return frames.empty() ? ReceivedFrame{} : frames.back();
}

void ProgramTest::Click(int panel, int control)
{
    OperatorClick(panel, control);
}

void ProgramTest::Enter(int panel, int control, int value)
{
    OperatorType(panel, control, std::to_string(value).c_str());
    OperatorEnter(panel, control);
}

void ProgramTest::Choose(int panel, int control, int index)
{
    OperatorSelectRing(panel, control, index);
}

namespace {
void RunAction(void* data)
{
    std::unique_ptr<std::function<void()>> action(static_cast<std::function<void()>*>(data));
    (*action)();
}
}  // namespace

void ProgramTest::AfterSeconds(double seconds, std::function<void()> action)
{
    AfterDelay(seconds, RunAction, new std::function<void()>(std::move(action)));
}

void ProgramTest::PumpFor(double seconds)
{
    double start = Timer();
    while (Timer() - start < seconds) ProcessSystemEvents();
}

std::string ProgramTest::Status() const
{
    char text[256] = "";
    GetCtrlVal(panelHandle, PANEL_STATUS, text, sizeof text);
    return text;
}

int ProgramTest::Value(int panel, int control) const
{
    int type = VALTYPE_NONE;
    GetCtrlAttribute(panel, control, ATTR_DATA_TYPE, &type);
    if (type == VALTYPE_U16) {
        uint16_t v = 0;
        GetCtrlVal(panel, control, &v);
        return v;
    }
    if (type == VALTYPE_INT) {
        int v = 0;
        GetCtrlVal(panel, control, &v);
        return v;
    }
    // Indicators deliver no value to the program; tests read what they show.
    return ShownValue(panel, control);
}

bool ProgramTest::Dimmed(int panel, int control) const
{
    int v = 0;
    GetCtrlAttribute(panel, control, ATTR_DIMMED, &v);
    return v != 0;
}

bool ProgramTest::Visible(int panel, int control) const
{
    int v = 0;
    GetCtrlAttribute(panel, control, ATTR_VISIBLE, &v);
    return v != 0;
}

std::string ProgramTest::InfoLine0() const
{
    char text[256] = "";
    GetTextBoxLine(panelPopUp, POPUP_SENSOR_INFO, 0, text, sizeof text);
    return text;
}

std::array<uint16_t, 16> ProgramTest::Vars() const
{
    return {power, rs232Mode, vThd,  bVal,  polarity, eMode,  eBeg,    eEnd,
            tVal,  tTol,      iGain, ePoti, ccdMode,  pStart, anaMode, para15};
}

void ProgramTest::SetVars(const std::array<uint16_t, 16>& words)
{
    for (int i = 0; i < 16; i++) pp[i] = words[i];
    CopyPPtoVars();
}

Bytes ProgramTest::FrameBytes(const Words& payload, uint16_t command, uint16_t sync)
{
    char raw[FRAME_BYTES];
    PutWord(raw, sync);
    PutWord(raw + 2, command);
    for (int i = 0; i < PNUM; i++) PutWord(raw + 4 + 2 * i, payload[i]);
    return Bytes(raw, raw + FRAME_BYTES);
}

Frame ProgramTest::Decode(const Bytes& bytes)
{
    Frame f;
    f.whole = bytes.size() == static_cast<size_t>(FRAME_BYTES);
    if (!f.whole) return f;
    const char* raw = reinterpret_cast<const char*>(bytes.data());
    f.sync = GetWord(raw);
    f.command = GetWord(raw + 2);
    for (int i = 0; i < PNUM; i++) f.payload[i] = GetWord(raw + 4 + 2 * i);
    return f;
}

Bytes ProgramTest::BlockBytes(int samples, int first)
{
    Bytes b(2 * samples);
    for (int k = 0; k < samples; k++) PutWord(reinterpret_cast<char*>(&b[2 * k]), first + k);
    return b;
}
