// The port set-up end to end against the virtual sensor on a pseudo-terminal:
// what goes over the line at start-up, what the status line says when a step
// fails, and the port ring running the set-up again.
#include "support/program_fixture.h"

#include "link/link.h"
#include "runtime/graph.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

using Words = std::array<uint16_t, 16>;

const Words kFormDefaults = {500, 0, 512, 64, 1, 1, 1, 1024, 512, 100, 1, 1, 0, 1, 0, 1000};
// A parameter set unlike the defaults in every word, for the sensor to hold.
const Words kSensorSet = {400, 1, 600, 70, 0, 2, 10, 1000, 300, 50, 0, 0, 0, 5, 2, 900};

using SetupTest = ProgramTest;

}  // namespace

// ---- The sequence on the line -------------------------------------------------------------------

TEST_F(SetupTest, EchoHardwareRamFirmwareEachCarryingWhatCameBefore)
{
    SensorOptions o = Holding(kSensorSet);
    o.identity.firmware = "KVOR-FW 2.7";
    StartSensor(o);
    StartUp();

    auto frames = Frames();
    ASSERT_EQ((std::vector<int>{CMD_ECHO, CMD_HARDWARE_INFO, CMD_READ_RAM, CMD_VERSION}), Commands());
    EXPECT_EQ(kFormDefaults, frames[0].payload);  // the variables
    Words echoed = kFormDefaults;
    echoed[0] = 0x00AA;  // the echo reply, its sync word in word 0
    EXPECT_EQ(echoed, frames[1].payload);
    EXPECT_EQ(kFormDefaults, frames[2].payload);  // the variables again
    EXPECT_EQ(kSensorSet, frames[3].payload);     // the RAM reply, unchanged

    EXPECT_EQ(kSensorSet, Vars());
    EXPECT_EQ(400, Value(panelHandle, PANEL_POWER));
    EXPECT_EQ(600, Value(panelHandle, PANEL_VIDEO_THRESHOLD));
    EXPECT_EQ(5, Value(panelPopUp, POPUP_PIXELSTART));
    EXPECT_EQ(260, Value(panelPopUp, POPUP_PIXELEND));
    EXPECT_EQ(RAM, target);
    // Board 0 codes the firmware text one character a word.
    EXPECT_EQ("KVOR-FW 2.7", Status());
    EXPECT_STREQ("KVOR-FW 2.7", szVersion);
    // The receive callback is back and the queues are clean for the next exchange.
    EXPECT_EQ(0, GetInQLen(com));
    EXPECT_EQ(0, rx_flag);
}

TEST_F(SetupTest, BoardFourHundredSendsItsFirmwareTextPlainAndLosesItsExtraControls)
{
    SensorOptions o = Fast();
    o.identity = {3, 512, 250, 400, "Plain firmware text of a board 400, longer than 36 characters"};
    StartSensor(o);
    StartUp();

    EXPECT_EQ((std::vector<int>{CMD_ECHO, CMD_HARDWARE_INFO, CMD_READ_RAM, CMD_VERSION}), Commands());
    EXPECT_EQ("Plain firmware text of a board 400, longer than 36 characters", Status());
    EXPECT_EQ(400, pcbtype);
    EXPECT_EQ(512, ccdmaxpixel);
    for (int c : {POPUP_GAIN, POPUP_CCDMODE, POPUP_POTI_ITEM, POPUP_ANAMODE}) EXPECT_TRUE(Dimmed(panelPopUp, c)) << c;
    for (int c : {PANEL_RS232MODE, PANEL_ANAMAX, PANEL_ANAMIN}) EXPECT_TRUE(Dimmed(panelHandle, c)) << c;
}

TEST_F(SetupTest, FirmwareTextOfSeventyTwoCharactersIsCutToTheStatusLength)
{
    SensorOptions o = Fast();
    o.identity.board = 1;
    o.identity.firmware = std::string(72, 'F');
    StartSensor(o);
    StartUp();
    EXPECT_EQ(std::string(71, 'F'), Status());
}

// ---- What the status line says when a step fails ------------------------------------------------

TEST_F(SetupTest, SilentSensorEndsTheSetUpAfterTheEchoWithATimeOut)
{
    StartSilentSensor();
    StartUp();
    EXPECT_EQ("Timeout-RS-232...", Status());
    EXPECT_EQ(std::vector<int>{CMD_ECHO}, Commands());
    EXPECT_EQ(kFormDefaults, Vars());
}

TEST_F(SetupTest, EchoWithTheSyncBytesSwappedFailsTheLineCheck)
{
    SensorOptions o = Fast();
    o.faults.bad_sync = true;
    StartSensor(o);
    StartUp();
    EXPECT_EQ("read error - not sync byte 0xAA!", Status());
    EXPECT_EQ(0xAA00, pp[0]);
    // Asked once more, in case the first bytes were a reply left on the line.
    EXPECT_EQ((std::vector<int>{CMD_ECHO, CMD_ECHO}), Commands());
}

TEST_F(SetupTest, MissingDeviceShowsThePortErrorAndOpensNothing)
{
    SetComDevice(1, "/nonexistent");
    StartUp();
    EXPECT_EQ(0u, Status().rfind("No serial port found - /nonexistent", 0)) << Status();
    EXPECT_EQ(-3, GetInQLen(1));  // not open
}

// The texts of the codes the runtime gives are seen in the scenarios above;
// a code without a text of its own falls back to the general one.
TEST_F(SetupTest, AnOpenErrorWithoutATextOfItsOwnGetsTheGeneralOne)
{
    EXPECT_STREQ("Port in use", PortErrorText(RS_PORT_IN_USE));
    for (int code : {-5, -8, -20, -98}) EXPECT_STREQ("RS-232 error!", PortErrorText(code)) << code;
}

TEST_F(SetupTest, NoFirmwareReplyIsReportedAfterTheParameterRead)
{
    SensorOptions o = Holding(kSensorSet);
    o.faults.no_reply_every = 4;  // the fourth request, the firmware text, goes unanswered
    StartSensor(o);
    StartUp();
    EXPECT_EQ("Error reading firmware-info!", Status());
    EXPECT_EQ(kSensorSet, Vars());  // the parameter read before it stands
    EXPECT_EQ(0, GetInQLen(com));
}

// A parameter reply longer than a frame may be shifted: it is read once
// more, then refused, and the start-up does not end looking successful.
TEST_F(SetupTest, LongRepliesLeaveTheParametersUnreadAndTheStatusSaysSo)
{
    SensorOptions o = Holding(kSensorSet);
    o.faults.long_reply = true;  // 4 more bytes after every reply
    StartSensor(o);
    const Words before = Vars();
    StartUp();
    EXPECT_EQ("Parameters not read: read error - reply longer than a frame!", Status());
    EXPECT_EQ(before, Vars());
    EXPECT_EQ((std::vector<int>{CMD_ECHO, CMD_HARDWARE_INFO, CMD_READ_RAM, CMD_READ_RAM, CMD_VERSION}), Commands());
    // The firmware request carries the staged variables, not the refused bytes.
    EXPECT_EQ(before, LastFrame().payload);
    EXPECT_EQ(0, GetInQLen(com));
}

TEST_F(SetupTest, WrongHardwareReplyIsShownInTheSensorInformationAndTheSetUpGoesOn)
{
    SensorOptions o = Holding(kSensorSet);
    o.identity = {3, 512, 250, 0, "FW"};
    o.faults.bad_hwcmd = true;
    StartSensor(o);
    StartUp();
    EXPECT_EQ("Error reading HARDWARE-info!", InfoLine0());
    // The frame was no hardware reply: the line length it would carry is not taken.
    EXPECT_EQ(1024, ccdmaxpixel);
    EXPECT_EQ(0, pcbtype);
    EXPECT_EQ((std::vector<int>{CMD_ECHO, CMD_HARDWARE_INFO, CMD_READ_RAM, CMD_VERSION}), Commands());
    EXPECT_EQ(kSensorSet, Vars());
    EXPECT_EQ("FW", Status());
}

// ---- The port ring ------------------------------------------------------------------------------

TEST_F(SetupTest, ChoosingAnotherPortRunsTheWholeSetUpOnceOnTheNewSensor)
{
    StartSensor();
    StartUp();
    VirtualSensor second;
    SensorOptions o = Holding(kSensorSet);
    o.identity = {3, 512, 250, 400, "Second sensor"};
    ASSERT_TRUE(second.Start(o));
    SetComDevice(2, second.SlavePath());
    sensor.ClearFrames();

    Choose(panelHandle, PANEL_COMPORT, 1);

    EXPECT_EQ(2, com);
    std::vector<int> seen;
    for (const auto& f : second.Frames()) seen.push_back(f.command);
    EXPECT_EQ((std::vector<int>{CMD_ECHO, CMD_HARDWARE_INFO, CMD_READ_RAM, CMD_VERSION}), seen);
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(-3, GetInQLen(1));  // the old port is closed
    EXPECT_EQ("Second sensor", Status());
    EXPECT_EQ(kSensorSet, Vars());
    EXPECT_EQ(512, ccdmaxpixel);
    CloseCom(2);
    second.Stop();
}

TEST_F(SetupTest, ChoosingThePortInUseAgainReconnectsToWhatIsThereNow)
{
    StartSilentSensor();
    StartUp();
    ASSERT_EQ("Timeout-RS-232...", Status());
    // The operator attaches a working sensor and picks the same port again.
    sensor.Stop();
    SensorOptions o = Fast();
    o.identity.firmware = "Attached later";
    StartSensor(o);
    sensor.ClearFrames();
    Choose(panelHandle, PANEL_COMPORT, 0);
    EXPECT_EQ((std::vector<int>{CMD_ECHO, CMD_HARDWARE_INFO, CMD_READ_RAM, CMD_VERSION}), Commands());
    EXPECT_EQ("Attached later", Status());
}

TEST_F(SetupTest, PortChangeLeavesRamAsTheTargetAndTheRadioButtonsSayIt)
{
    StartSensor();
    StartUp();
    Click(panelHandle, PANEL_RBT_EEPROM);
    ASSERT_EQ(EEPROM, target);
    Choose(panelHandle, PANEL_COMPORT, 0);
    EXPECT_EQ(RAM, target);
    EXPECT_EQ(1, Value(panelHandle, PANEL_RBT_RAM));
    EXPECT_EQ(0, Value(panelHandle, PANEL_RBT_EEPROM));
    EXPECT_EQ(0, Value(panelHandle, PANEL_RBT_FILE));
    sensor.ClearFrames();
    Press(PANEL_SEND);
    EXPECT_EQ((std::vector<int>{CMD_WRITE_RAM, CMD_READ_RAM}), Commands());
}

TEST_F(SetupTest, ChoosingAPortWithoutADeviceShowsItsErrorAndAnotherChoiceRecovers)
{
    StartSensor();
    StartUp();
    SetComDevice(3, "/nonexistent");
    Choose(panelHandle, PANEL_COMPORT, 2);
    EXPECT_EQ(3, com);
    EXPECT_EQ(0u, Status().rfind("No serial port found - /nonexistent", 0)) << Status();
    EXPECT_EQ(-3, GetInQLen(1));

    sensor.ClearFrames();
    Choose(panelHandle, PANEL_COMPORT, 0);
    EXPECT_EQ(1, com);
    EXPECT_EQ((std::vector<int>{CMD_ECHO, CMD_HARDWARE_INFO, CMD_READ_RAM, CMD_VERSION}), Commands());
}

TEST_F(SetupTest, PortChoiceDuringAReplyWaitIsRefusedAndTheRingGoesBack)
{
    StartSensor();
    StartUp();
    VirtualSensor second;
    ASSERT_TRUE(second.Start(Fast()));
    SetComDevice(2, second.SlavePath());
    SensorFaults silent;
    silent.no_reply_every = 1;
    sensor.SetFaults(silent);

    int ringDuringWait = -1, comDuringWait = -1;
    AfterSeconds(0.2, [&] {
        Choose(panelHandle, PANEL_COMPORT, 1);
        ringDuringWait = Value(panelHandle, PANEL_COMPORT);
        comDuringWait = com;
    });
    Press(PANEL_GET);  // waits 1.5 s on the silent sensor

    EXPECT_EQ(1, ringDuringWait);
    EXPECT_EQ(1, comDuringWait);
    EXPECT_TRUE(second.Frames().empty());
    EXPECT_EQ(1, com);
    EXPECT_EQ("Timeout-RS-232...", Status());
    EXPECT_EQ(0, exchange_busy);
    second.Stop();
}
