// The fault matrix: every exchange with the sensor against every way the line
// can fail it. For each meaningful pair the program must come back within its
// time-outs, say in the status line what happened, keep the operator's
// parameter set (variables, panels and the set in the sensor) when the
// exchange failed, and succeed at the same exchange once the fault is gone.
//
// COM 1 and COM 2 both lead to the sensor through a symlink that the sensor
// re-points when it comes back: choosing the item already shown in the port
// ring raises no event, so "the port chosen again" is the other item.
#include "support/program_fixture.h"

#include "link/link.h"
#include "params/params.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <unistd.h>

#include <memory>
#include <ostream>

namespace {

enum class Exchange { StartUp, PortChange, GetRam, GetEeprom, Send, Teach, Reset, Run, Video0, Video400 };
enum class Fault {
    NoReply,
    Short,
    Long,
    Garbage,
    BadSync,
    BadHwCmd,
    Late,
    Vanish,
    Reappear,
    OtherSync,
    StrayPause,
    Pieces,
    Pause600,
    PotJitter,
};

// What the faulted exchange leaves in the parameter variables and panels.
enum class Params {
    Kept,   // the operator's set, untouched
    Taken,  // the sensor's set: the exchange succeeded in spite of the fault
    Pot,    // the operator's set with the tolerance the sensor's potentiometer reports
};

const char* const kFirmware = "K-VOR-MX virtual sensor FW 1.0";
const char* const kTimeout = "Timeout-RS-232...";
const char* const kOutOfStep = "read error - not sync byte 0xAA!";
const char* const kGot = "Parameter-frame received! - Line Ok!";
const char* const kTooLong = "read error - reply longer than a frame!";
const char* const kNotRead = "Parameters not read: read error - reply longer than a frame!";
const char* const kNotConfirmed = "Timeout-RS-232... - the sent set was not confirmed";
const char* const kLineOk = "Line Ok!";
const char* const kLoopTimeout = "Timeout RS232-Line!";
const char* const kBlock256 = "Data[256] block received!";
const char* const kLost = "Port lost: ";  // followed by the device

struct Case {
    Exchange exchange;
    Fault fault;
    const char* status;  // the status line after the faulted exchange
    Params params;
    double seconds;  // the time-outs it may wait out; more is a hang
};

const char* Name(Exchange e)
{
    static const char* const names[] = {"StartUp", "PortChange", "GetRam", "GetEeprom", "Send",
                                        "Teach",   "Reset",      "Run",    "Video0",    "Video400"};
    return names[static_cast<int>(e)];
}

const char* Name(Fault f)
{
    static const char* const names[] = {"NoReply",    "Short",  "Long",     "Garbage",  "BadSync",
                                        "BadHwCmd",   "Late",   "Vanish",   "Reappear", "OtherSync",
                                        "StrayPause", "Pieces", "Pause600", "PotJitter"};
    return names[static_cast<int>(f)];
}

void PrintTo(const Case& c, std::ostream* os)
{
    *os << Name(c.exchange) << "/" << Name(c.fault);
}

using E = Exchange;
using F = Fault;
using P = Params;

// Pairs left out: a wrong hardware command word matters only where the
// hardware is asked for; the video rows keep to faults whose time-outs
// differ. Stray bytes before a reply, with or without a pause, can be told
// from it only by length: a reply is the first bytes after the request,
// whatever pauses it has. A parameter read refuses a reply longer than a
// frame; run mode shows the shifted frame but keeps its teach value and
// tolerance from the sensor. Another reply sync word, replies in pieces
// with pauses (an adapter's latency timer, a device server), pauses of
// 600 ms inside a frame, a firmware text and a 512-byte block, and a
// tolerance that moves with every reply are no faults at all: the exchange
// must simply succeed, within its time-out.
const Case kCases[] = {
    {E::StartUp, F::NoReply, kTimeout, P::Kept, 1.5},
    {E::StartUp, F::Short, kTimeout, P::Kept, 1.5},
    {E::StartUp, F::Long, kNotRead, P::Kept, 0},
    {E::StartUp, F::Garbage, kOutOfStep, P::Kept, 0},  // the echo alone is checked by content
    {E::StartUp, F::BadSync, kOutOfStep, P::Kept, 0},
    {E::StartUp, F::BadHwCmd, kFirmware, P::Taken, 0},
    {E::StartUp, F::Late, kTimeout, P::Kept, 1.5},
    {E::StartUp, F::Vanish, kLost, P::Kept, 0},
    {E::StartUp, F::Reappear, kFirmware, P::Taken, 0},
    {E::StartUp, F::OtherSync, kFirmware, P::Taken, 0},
    {E::StartUp, F::StrayPause, kOutOfStep, P::Kept, 0},
    {E::StartUp, F::Pieces, kFirmware, P::Taken, 0},
    {E::StartUp, F::Pause600, kFirmware, P::Taken, 4.0},  // three pauses in the firmware text alone

    {E::PortChange, F::NoReply, kTimeout, P::Kept, 1.5},
    {E::PortChange, F::Garbage, kOutOfStep, P::Kept, 0},
    {E::PortChange, F::Vanish, kLost, P::Kept, 0},
    {E::PortChange, F::Reappear, kFirmware, P::Taken, 0},

    {E::GetRam, F::NoReply, kTimeout, P::Kept, 1.5},
    {E::GetRam, F::Short, kTimeout, P::Kept, 1.5},
    {E::GetRam, F::Long, kTooLong, P::Kept, 0},
    {E::GetRam, F::Garbage, kTooLong, P::Kept, 0},
    {E::GetRam, F::BadSync, kGot, P::Taken, 0},
    {E::GetRam, F::Late, kTimeout, P::Kept, 1.5},
    {E::GetRam, F::Vanish, kLost, P::Kept, 0},
    {E::GetRam, F::OtherSync, kGot, P::Taken, 0},
    {E::GetRam, F::StrayPause, kTooLong, P::Kept, 0},
    {E::GetRam, F::Pieces, kGot, P::Taken, 0},
    {E::GetRam, F::Pause600, kGot, P::Taken, 0.6},

    {E::GetEeprom, F::NoReply, kTimeout, P::Kept, 1.5},
    {E::GetEeprom, F::Garbage, kTooLong, P::Kept, 0},
    {E::GetEeprom, F::Late, kTimeout, P::Kept, 1.5},
    {E::GetEeprom, F::OtherSync, kGot, P::Taken, 0},

    // The write goes out; the read-back that confirms it fails.
    {E::Send, F::NoReply, kNotConfirmed, P::Kept, 1.5},
    {E::Send, F::Garbage, kTooLong, P::Kept, 0},
    {E::Send, F::Vanish, kLost, P::Kept, 0},
    {E::Send, F::OtherSync, kLineOk, P::Taken, 0},
    {E::Send, F::StrayPause, kTooLong, P::Kept, 0},
    {E::Send, F::Pieces, kLineOk, P::Taken, 0},
    {E::Send, F::Pause600, kLineOk, P::Taken, 0.6},

    // Without a reply the teach says so; the read-back that follows a reply
    // refuses a burst longer than a frame.
    {E::Teach, F::NoReply, kTimeout, P::Kept, 1.5},
    {E::Teach, F::Long, kTooLong, P::Kept, 0},
    {E::Teach, F::Garbage, kTooLong, P::Kept, 0},
    {E::Teach, F::Late, kTimeout, P::Kept, 1.5},
    {E::Teach, F::Vanish, kLost, P::Kept, 0},
    {E::Teach, F::OtherSync, kGot, P::Taken, 0},
    {E::Teach, F::Pieces, kGot, P::Taken, 0},

    {E::Reset, F::NoReply, kTimeout, P::Kept, 1.5},
    {E::Reset, F::Short, kTimeout, P::Kept, 1.5},
    {E::Reset, F::Garbage, "Reset Max/Min OK!", P::Kept, 0},  // the sensor did answer
    {E::Reset, F::Late, kTimeout, P::Kept, 1.5},
    {E::Reset, F::Vanish, kLost, P::Kept, 0},
    {E::Reset, F::Pause600, "Reset Max/Min OK!", P::Kept, 0.6},

    {E::Run, F::NoReply, kLoopTimeout, P::Kept, 1.5},
    {E::Run, F::Short, kLoopTimeout, P::Kept, 1.5},
    {E::Run, F::Long, kLineOk, P::Kept, 0},
    {E::Run, F::BadSync, kLineOk, P::Kept, 0},
    // Stray bytes glued to the front shift the frame: shown as it came, but
    // its teach value and tolerance never go back to the sensor.
    {E::Run, F::Garbage, kLineOk, P::Kept, 0},
    {E::Run, F::Late, kLoopTimeout, P::Kept, 1.5},
    {E::Run, F::Vanish, kLost, P::Kept, 0},
    {E::Run, F::OtherSync, kLineOk, P::Kept, 0},
    {E::Run, F::StrayPause, kLineOk, P::Kept, 0},
    {E::Run, F::Pieces, kLineOk, P::Kept, 0},
    {E::Run, F::Pause600, kLineOk, P::Kept, 0},
    // The tolerance the potentiometer reports is the one sent back.
    {E::Run, F::PotJitter, kLineOk, P::Pot, 0},

    // A missing reply or block ends video mode within its one time-out.
    {E::Video0, F::NoReply, kLoopTimeout, P::Kept, 1.5},
    {E::Video0, F::Vanish, kLost, P::Kept, 0},
    // A block shifted by stray bytes is shown as it came (or, longer than a
    // block, not said to be received); the loop goes on.
    {E::Video0, F::StrayPause, nullptr, P::Kept, 0},
    {E::Video0, F::Pieces, "Data[64] block received!", P::Kept, 0},
    {E::Video0, F::PotJitter, "Data[64] block received!", P::Pot, 0},

    {E::Video400, F::NoReply, kLoopTimeout, P::Kept, 1.5},
    {E::Video400, F::Short, kLoopTimeout, P::Kept, 1.5},
    {E::Video400, F::Long, nullptr, P::Kept, 0},
    {E::Video400, F::BadSync, kBlock256, P::Kept, 0},
    {E::Video400, F::Late, kLoopTimeout, P::Kept, 1.5},
    {E::Video400, F::Vanish, kLost, P::Kept, 0},
    {E::Video400, F::OtherSync, kBlock256, P::Kept, 0},
    {E::Video400, F::StrayPause, nullptr, P::Kept, 0},
    {E::Video400, F::Pieces, kBlock256, P::Kept, 0},
    {E::Video400, F::Pause600, kBlock256, P::Kept, 0},
};

bool IsLoop(Exchange e)
{
    return e == E::Run || e == E::Video0 || e == E::Video400;
}

class FaultMatrix : public ProgramTest, public ::testing::WithParamInterface<Case> {
 protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        link_ = "/tmp/proof-link-" + std::to_string(getpid());
        SensorOptions o = Fast();
        o.link = link_;
        if (GetParam().exchange == E::Video400) o.identity.board = 400;
        if (GetParam().fault == F::OtherSync) o.identity.reply_sync = 0x0055;
        StartSensor(o);
        SetComDevice(1, link_.c_str());
        SetComDevice(2, link_.c_str());
        ramBefore_ = sensor.Ram();
    }

    // An operator's set that differs from the sensor's in most words.
    void OperatorEdits()
    {
        auto x = Vars();
        x[0] = 600;  // power
        x[2] = 400;  // threshold
        x[6] = 20;   // window start (its end stays at the line's end, where identification puts it)
        x[8] = 300;  // teach value
        x[9] = 40;   // tolerance
        SetVars(x);
        SetPanelValues();
        operatorSet_ = Vars();
        ASSERT_NE(operatorSet_, sensor.Ram());
    }

    void ChoosePortAgain() { Choose(panelHandle, PANEL_COMPORT, com == 1 ? 1 : 0); }

    void Do(Exchange e)
    {
        switch (e) {
            case E::StartUp: InitRS232(com); break;
            case E::PortChange: ChoosePortAgain(); break;
            case E::GetRam:
                Press(PANEL_RBT_RAM);
                Press(PANEL_GET);
                break;
            case E::GetEeprom:
                Press(PANEL_RBT_EEPROM);
                Press(PANEL_GET);
                break;
            case E::Send: Press(PANEL_SEND); break;
            case E::Teach: Press(PANEL_BUTTON_TEACH); break;
            case E::Reset: Press(PANEL_BUTTON_RESET); break;
            case E::Run: Press(PANEL_RUN); break;
            case E::Video0:
            case E::Video400: Press(PANEL_VIDEO); break;
        }
    }

    // A loop that should end by itself gets a late Stop as a guard only, so
    // a loop that never ends fails the case instead of hanging it.
    void DoLoop(Exchange e, double stopAfter)
    {
        auto armed = std::make_shared<bool>(true);
        AfterSeconds(stopAfter, [this, armed] {
            if (*armed) Press(PANEL_STOP);
        });
        Do(e);
        *armed = false;
    }

    SensorFaults FaultFor(Fault f) const
    {
        SensorFaults s;
        switch (f) {
            case F::NoReply: s.no_reply_every = 1; break;
            case F::Short: s.short_reply = true; break;
            case F::Long: s.long_reply = true; break;
            case F::Garbage: s.garbage = true; break;
            case F::BadSync: s.bad_sync = true; break;
            case F::BadHwCmd: s.bad_hwcmd = true; break;
            case F::Late: s.delay_ms = 1700; break;
            case F::Vanish: s.delay_ms = 400; break;  // the line goes while the reply is awaited
            case F::Reappear: break;
            case F::OtherSync: break;  // an identity: set when the sensor starts
            case F::StrayPause: s.stray_pause_ms = 150; break;
            case F::Pieces:
                // 12 bytes every 32 ms; a 512-byte block in 62-byte pieces, so it
                // still comes within its time-out.
                s.piece_bytes = GetParam().exchange == E::Video400 ? 62 : 12;
                s.piece_gap_ms = 32;
                break;
            case F::Pause600:
                // One pause in a frame, three in a firmware text; one in the
                // middle of a 512-byte block (its frames come whole).
                s.piece_bytes = GetParam().exchange == E::Video400 ? 256 : 20;
                s.piece_gap_ms = 600;
                break;
            case F::PotJitter: s.pot_jitter = 3; break;
        }
        return s;
    }

    // The panels' parameter set, read as Send would read it.
    std::array<uint16_t, 16> PanelSet()
    {
        auto vars = Vars();
        GetPanelValues();
        auto shown = Vars();
        SetVars(vars);
        return shown;
    }

    void ExpectSuccess(Exchange e)
    {
        switch (e) {
            case E::StartUp:
            case E::PortChange:
                EXPECT_EQ(kFirmware, Status());
                EXPECT_EQ(sensor.Ram(), Vars());
                break;
            case E::GetRam:
            case E::Teach:
                EXPECT_EQ(kGot, Status());
                EXPECT_EQ(sensor.Ram(), Vars());
                break;
            case E::GetEeprom:
                EXPECT_EQ(kGot, Status());
                EXPECT_EQ(sensor.Eeprom(), Vars());
                break;
            case E::Send: {
                EXPECT_EQ(kLineOk, Status());
                double start = Timer();
                while (sensor.Ram() != Vars() && Timer() - start < 1.0) PumpFor(0.01);
                EXPECT_EQ(Vars(), sensor.Ram());
                break;
            }
            case E::Reset: EXPECT_EQ("Reset Max/Min OK!", Status()); break;
            case E::Run: EXPECT_EQ(kLineOk, Status()); break;
            case E::Video0: EXPECT_EQ("Data[64] block received!", Status()); break;
            case E::Video400: EXPECT_EQ(kBlock256, Status()); break;
        }
    }

    std::string link_;
    std::array<uint16_t, 16> ramBefore_{}, operatorSet_{};
};

}  // namespace

TEST_P(FaultMatrix, SurvivesSaysWhatHappenedKeepsTheParametersAndRecovers)
{
    const Case& c = GetParam();
    if (c.exchange != E::StartUp) {
        StartUp();
        ASSERT_EQ(kFirmware, Status());
    }
    OperatorEdits();

    // ---- the fault --------------------------------------------------------------------
    if (c.fault == F::Reappear) {
        sensor.Vanish();
        ASSERT_TRUE(sensor.Reappear());
    } else {
        sensor.SetFaults(FaultFor(c.fault));
    }
    if (c.fault == F::Vanish) {
        if (c.exchange == E::Send)
            sensor.Vanish();  // Send waits for nothing: the line is gone before it
        else
            AfterSeconds(0.1, [this] { sensor.Vanish(); });
    }

    double start = Timer();
    if (IsLoop(c.exchange))
        DoLoop(c.exchange, c.status && c.seconds > 0 ? c.seconds + 3.0 : 0.4);
    else
        Do(c.exchange);
    double took = Timer() - start;

    // Generous: this catches a wait that never ends, not a slow one.
    EXPECT_LT(took, c.seconds + 2.5) << "past its time-outs";
    if (c.status == kLost)
        EXPECT_EQ(kLost + link_, Status());  // at once: no time-out is waited out
    else if (c.status)
        EXPECT_EQ(c.status, Status());
    else
        EXPECT_EQ(std::string::npos, Status().find("Timeout")) << Status();
    EXPECT_EQ(0, exchange_busy);

    if (c.params == P::Kept || c.params == P::Pot) {
        auto vars = Vars();
        auto ram = sensor.Ram();
        if (c.params == P::Pot) {
            // Each reading within the jitter of the potentiometer's setting.
            EXPECT_NEAR(operatorSet_[9], vars[9], 3);
            EXPECT_NEAR(operatorSet_[9], ram[9], 3);
            vars[9] = ram[9] = operatorSet_[9];
        }
        EXPECT_EQ(operatorSet_, vars) << "parameter variables changed";
        auto shown = PanelSet();
        for (int i = 0; i < 15; i++)
            if (c.params == P::Kept || i != 9) EXPECT_EQ(operatorSet_[i], shown[i]) << "panel, word " << i;
        // The sensor holds its own set, or the one the operator's Send or loop
        // sent it; a teach the sensor took changes its teach value only.
        if (c.exchange == E::Teach) ram[8] = ramBefore_[8];
        EXPECT_TRUE(ram == ramBefore_ || ram == operatorSet_) << "the sensor's set was changed";
    } else {
        EXPECT_EQ(sensor.Ram(), Vars());
    }
    if (c.exchange == E::StartUp && c.fault == F::BadHwCmd) {
        EXPECT_EQ("Error reading HARDWARE-info!", InfoLine0());
    }

    // ---- the fault clears: the same exchange succeeds -----------------------------------
    sensor.SetFaults(SensorFaults{});
    if (c.fault == F::Late) PumpFor(0.4);  // the late reply lands first
    if (c.fault == F::Vanish) {
        ASSERT_TRUE(sensor.Reappear());
        ChoosePortAgain();
        ASSERT_EQ(kFirmware, Status());
    }
    if (IsLoop(c.exchange))
        DoLoop(c.exchange, 0.3);
    else
        Do(c.exchange);
    ExpectSuccess(c.exchange);
}

INSTANTIATE_TEST_SUITE_P(Lines, FaultMatrix, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(Name(info.param.exchange)) + "_" + Name(info.param.fault);
                         });
