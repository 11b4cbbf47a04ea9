// Reading the parameter set from the sensor's memories onto the panels.
#include "support/program_fixture.h"

#include "link/link.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

namespace {

using Words = std::array<uint16_t, 16>;
const Words kFormDefaults = {500, 0, 512, 64, 1, 1, 1, 1024, 512, 100, 1, 1, 0, 1, 0, 1000};

class ReadTest : public ProgramTest {
 protected:
    void Open(const SensorOptions& o = Fast())
    {
        StartSensor(o);
        ASSERT_EQ(0, OpenComConfig(com, "", 19200, 0, 8, 1, 4096, 4096));
        InstallComCallback(com, eventMask, FRAME_BYTES, sync_word, RX_Receive_Function, 0);
    }
    // Puts `words` into the sensor's RAM (its EEPROM keeps the defaults).
    void SensorRamHolds(const Words& words)
    {
        for (int i = 0; i < PNUM; i++) pp[i] = words[i];
        ASSERT_EQ(EX_REPLY, Exchange(CMD_WRITE_RAM, pp, REPLY_FRAME, 1.0, EX_EVENTS));
        ASSERT_EQ(words, sensor.Ram());
        sensor.ClearFrames();
    }
};

}  // namespace

TEST_F(ReadTest, RamAndEepromAreReadWithTheirOwnCommandCarryingTheVariables)
{
    Open();
    SensorRamHolds({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});

    PushGET(RAM);
    ASSERT_EQ(std::vector<int>{CMD_READ_RAM}, Commands());
    EXPECT_EQ(kFormDefaults, LastFrame().payload);
    // Taken over word by word, then held to the ranges when shown.
    EXPECT_EQ((Words{0, 1, 50, 3, 1, 4, 6, 7, 8, 9, 0, 1, 12, 13, 14, 15}), Vars());
    EXPECT_EQ("Parameter-frame received! - Line Ok!", Status());
    EXPECT_EQ(50, Value(panelHandle, PANEL_VIDEO_THRESHOLD));

    PushGET(EEPROM);
    EXPECT_EQ(CMD_READ_EEPROM, LastFrame().command);
    EXPECT_EQ((Words{0, 1, 50, 3, 1, 4, 6, 7, 8, 9, 0, 1, 12, 13, 14, 15}), LastFrame().payload);
    EXPECT_EQ(kFormDefaults, Vars());
    EXPECT_EQ(500, Value(panelHandle, PANEL_POWER));
}

TEST_F(ReadTest, FromTheFileTargetNothingIsSentAndThePanelsShowTheVariables)
{
    Open();
    CopyText(szStatus, STATUS_LEN, "File read.");
    power = 700;
    vThd = 20;
    PushGET(DATFILE);
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(700, Value(panelHandle, PANEL_POWER));
    EXPECT_EQ(50, Value(panelHandle, PANEL_VIDEO_THRESHOLD));
    EXPECT_EQ("File read.", Status());
}

TEST_F(ReadTest, NoReplyKeepsTheVariablesButStillShowsThem)
{
    SensorOptions o = Fast();
    o.faults.no_reply_every = 1;
    Open(o);
    power = 2000;
    PushGET(RAM);
    EXPECT_EQ("Timeout-RS-232...", Status());
    EXPECT_EQ(500, power);  // the shown value, corrected
    EXPECT_EQ(500, Value(panelHandle, PANEL_POWER));
    EXPECT_GT(tdiff, TIMEOUT);
}

TEST_F(ReadTest, AReplyJustBeforeTheTimeOutIsTaken)
{
    Open();
    SensorRamHolds({300, 0, 512, 64, 1, 1, 1, 1024, 512, 100, 1, 1, 0, 1, 0, 1000});
    SensorFaults late;
    late.delay_ms = 1400;
    sensor.SetFaults(late);
    double start = Timer();
    PushGET(RAM);
    EXPECT_GE(Timer() - start, 1.4);
    EXPECT_EQ("Parameter-frame received! - Line Ok!", Status());
    EXPECT_EQ(300, power);
}
