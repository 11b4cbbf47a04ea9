// Transfer target and the Send and Get buttons against the virtual sensor.
#include "support/program_fixture.h"

#include "link/link.h"
#include "params/params.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "support/inspect.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <unistd.h>

namespace {

class Transfer : public ProgramTest {
 protected:
    void Connect(const SensorOptions& options = Fast())
    {
        StartSensor(options);
        StartUp();
        ASSERT_EQ(CMD_VERSION, LastFrame().command);  // the start-up ran to its end
        sensor.ClearFrames();
    }
    // Send does not wait for the sensor; the test does, bounded.
    bool SensorHasTaken(size_t frames, double limit = 2.0)
    {
        double start = Timer();
        while (Timer() - start < limit) {
            if (sensor.Frames().size() >= frames) return true;
            ProcessSystemEvents();
        }
        return false;
    }
    std::array<int, 3> Radios() const
    {
        return {Value(panelHandle, PANEL_RBT_RAM), Value(panelHandle, PANEL_RBT_EEPROM),
                Value(panelHandle, PANEL_RBT_FILE)};
    }
};

const std::array<int, 3> kRam = {1, 0, 0}, kEeprom = {0, 1, 0}, kFile = {0, 0, 1};

}  // namespace

TEST_F(Transfer, ExactlyOneTargetIsChosenAndSwitchingOffFallsBackToRam)
{
    EXPECT_EQ(kRam, Radios());
    Click(panelHandle, PANEL_RBT_RAM);  // already on: stays on
    EXPECT_EQ(kRam, Radios());
    EXPECT_EQ(RAM, target);

    Click(panelHandle, PANEL_RBT_EEPROM);
    EXPECT_EQ(kEeprom, Radios());
    EXPECT_EQ(EEPROM, target);
    Click(panelHandle, PANEL_RBT_FILE);
    EXPECT_EQ(kFile, Radios());
    EXPECT_EQ(DATFILE, target);

    Click(panelHandle, PANEL_RBT_FILE);  // off: RAM, never nothing
    EXPECT_EQ(kRam, Radios());
    EXPECT_EQ(RAM, target);

    Click(panelHandle, PANEL_RBT_EEPROM);
    Click(panelHandle, PANEL_RBT_EEPROM);
    EXPECT_EQ(kRam, Radios());
    EXPECT_EQ(RAM, target);
}

TEST_F(Transfer, SendWritesThePanelValuesAndConfirmsThemByReadingBack)
{
    Connect();
    Enter(panelHandle, PANEL_POWER, 2000);  // no range rule on the way out
    Enter(panelHandle, PANEL_TEACH, 333);
    Press(PANEL_SEND);
    EXPECT_EQ("Line Ok!", Status());
    ASSERT_EQ((std::vector<int>{CMD_WRITE_RAM, CMD_READ_RAM}), Commands());
    ReceivedFrame f = Frames()[0];
    EXPECT_EQ(Vars(), f.payload);  // the panels, collected into the variables
    EXPECT_EQ(2000, f.payload[0]);
    EXPECT_EQ(333, f.payload[8]);
    EXPECT_EQ(f.payload, sensor.Ram());
    EXPECT_EQ(Vars(), LastFrame().payload);  // the read-back carries the set too

    sensor.ClearFrames();
    Click(panelHandle, PANEL_RBT_EEPROM);
    Enter(panelPopUp, POPUP_BVAL, 77);  // the pop-up's values go too
    Press(PANEL_SEND);
    EXPECT_EQ("Line Ok!", Status());
    ASSERT_EQ((std::vector<int>{CMD_WRITE_EEPROM, CMD_READ_EEPROM}), Commands());
    EXPECT_EQ(77, Frames()[0].payload[3]);
    EXPECT_EQ(Frames()[0].payload, sensor.Eeprom());
    EXPECT_EQ(0x0055, GetWord(szWriteBuf));
}

// A Send says "Line Ok!" only when the sensor holds what was sent.
TEST_F(Transfer, SendSaysWhyTheSetWasNotConfirmed)
{
    Connect();
    sensor.SetFaults([] {
        SensorFaults s;
        s.no_reply_every = 1;
        return s;
    }());
    Press(PANEL_SEND);
    EXPECT_EQ("Timeout-RS-232... - the sent set was not confirmed", Status());

    // An EEPROM that answers and keeps its old set.
    sensor.SetFaults([] {
        SensorFaults s;
        s.eeprom_keeps_old = true;
        return s;
    }());
    Click(panelHandle, PANEL_RBT_EEPROM);
    Enter(panelHandle, PANEL_TEACH, 444);
    Press(PANEL_SEND);
    EXPECT_EQ("Verify error: tVal is 512 in the sensor, 444 sent!", Status());
    EXPECT_EQ(444, tVal);  // the operator's set stays on the panels
    // The first and the last word are compared as well.
    Enter(panelHandle, PANEL_TEACH, 512);
    Enter(panelHandle, PANEL_POWER, 600);
    Press(PANEL_SEND);
    EXPECT_EQ("Verify error: power is 500 in the sensor, 600 sent!", Status());
    Enter(panelHandle, PANEL_POWER, 500);
    para15 = 500;  // a word without a control
    Press(PANEL_SEND);
    EXPECT_EQ("Verify error: para15 is 1000 in the sensor, 500 sent!", Status());

    CloseCom(com);
    Press(PANEL_SEND);
    EXPECT_EQ("Transmit error: Port is not open", Status());
}

TEST_F(Transfer, GetReadsRamEepromOrFileOntoThePanels)
{
    char eeprom[] = "/tmp/kvormx-eeprom-XXXXXX";
    int fd = mkstemp(eeprom);
    ASSERT_GE(fd, 0);
    close(fd);
    const std::array<uint16_t, 16> stored = {300, 0, 200, 60, 0, 3, 5, 700, 400, 50, 0, 0, 0, 1, 2, 9};
    {
        std::ofstream out(eeprom);
        for (uint16_t w : stored) out << w << "\n";
    }
    SensorOptions o = Fast();
    o.eeprom_file = eeprom;
    Connect(o);

    Click(panelHandle, PANEL_RBT_EEPROM);
    Press(PANEL_GET);
    EXPECT_EQ(std::vector<int>{CMD_READ_EEPROM}, Commands());
    EXPECT_EQ(stored, Vars());
    EXPECT_EQ(400, Value(panelHandle, PANEL_TEACH));
    EXPECT_EQ("Parameter-frame received! - Line Ok!", Status());

    Click(panelHandle, PANEL_RBT_RAM);
    sensor.ClearFrames();
    Press(PANEL_GET);
    EXPECT_EQ(std::vector<int>{CMD_READ_RAM}, Commands());
    EXPECT_EQ(sensor.Ram()[8], tVal);

    // The file target talks to nobody.
    std::string file = std::string(eeprom) + ".dat";
    {
        std::ofstream out(file);
        for (uint16_t w : stored) out << (w == 400 ? 123 : w) << "\n";
    }
    Click(panelHandle, PANEL_RBT_FILE);
    sensor.ClearFrames();
    QueueFileSelectAnswer(1, file.c_str());
    Press(PANEL_GET);
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(123, Value(panelHandle, PANEL_TEACH));
    EXPECT_EQ("Parameter-frame received! - Line Ok!", Status());  // szStatus, as it stands
    unlink(file.c_str());
    unlink(eeprom);
}

TEST_F(Transfer, NothingStartsWhileAnExchangeWaits)
{
    Connect();
    sensor.SetFaults([] {
        SensorFaults s;
        s.no_reply_every = 1;
        return s;
    }());
    AfterSeconds(0.2, [this] {
        Press(PANEL_SEND);
        Press(PANEL_GET);
        Press(PANEL_BUTTON_TEACH);
        Press(PANEL_BUTTON_RESET);
        EXPECT_EQ("Waiting for parameter-frame ...", Status());
    });
    Press(PANEL_GET);  // waits out the 1.5 s
    EXPECT_EQ(std::vector<int>{CMD_READ_RAM}, Commands());
    EXPECT_EQ("Timeout-RS-232...", Status());
    EXPECT_EQ(0, exchange_busy);

    sensor.SetFaults(SensorFaults{});
    Press(PANEL_SEND);  // free again afterwards
    EXPECT_EQ("Line Ok!", Status());
}
