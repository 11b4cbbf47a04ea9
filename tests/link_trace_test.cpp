// The frame trace: every command named, its words decoded as what they mean
// and matching the bytes on the line; time-outs and dropped bytes shown as
// such; the pop-up's toggle.
#include "support/program_fixture.h"

#include "link/link.h"
#include "runtime/ui.h"
#include "support/inspect.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

struct TraceLine {
    std::string time, seconds, direction, command, words, hex;
};

class TraceTest : public ProgramTest {
 protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        char tmpl[] = "/tmp/kvormx-trace-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        dir = tmpl;
        file = dir + "/line.txt";
    }
    void TearDown() override
    {
        TraceClose();
        ProgramTest::TearDown();
        (void)system(("rm -rf '" + dir + "'").c_str());
    }
    // The trace's lines, each checked for its six fields.
    std::vector<TraceLine> Read()
    {
        std::ifstream in(file);
        std::vector<TraceLine> out;
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#') continue;
            std::vector<std::string> f;
            std::stringstream s(line);
            for (std::string field; std::getline(s, field, '\t');) f.push_back(field);
            if (line.back() == '\t') f.push_back("");
            EXPECT_EQ(6u, f.size()) << line;
            if (f.size() != 6) continue;
            out.push_back({f[0], f[1], f[2], f[3], f[4], f[5]});
        }
        return out;
    }
    static std::vector<const TraceLine*> Find(const std::vector<TraceLine>& lines, const std::string& direction,
                                              const std::string& command)
    {
        std::vector<const TraceLine*> out;
        for (const TraceLine& l : lines)
            if (l.direction == direction && l.command == command) out.push_back(&l);
        return out;
    }
    static std::vector<unsigned> Bytes(const std::string& hex)
    {
        std::vector<unsigned> out;
        std::stringstream s(hex);
        for (std::string b; s >> b;) out.push_back(unsigned(std::stoul(b, nullptr, 16)));
        return out;
    }
    static std::map<std::string, unsigned> Words(const std::string& text)
    {
        std::map<std::string, unsigned> out;
        std::regex pair(R"((\w+)=(0x[0-9A-F]+|\d+))");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), pair); it != std::sregex_iterator(); ++it)
            out[(*it)[1]] = unsigned(std::stoul((*it)[2], nullptr, 0));
        return out;
    }
    // The decoded words of a frame line say what its bytes say.
    static void ExpectDecodingMatchesBytes(const TraceLine& l, const char* const* names)
    {
        std::vector<unsigned> b = Bytes(l.hex);
        ASSERT_EQ(36u, b.size()) << l.words;
        std::map<std::string, unsigned> w = Words(l.words);
        EXPECT_EQ(b[0] * 256 + b[1], w["sync"]);
        EXPECT_EQ(b[2] * 256 + b[3], w["cmd"]);
        for (int i = 0; i < 16; i++) EXPECT_EQ(b[4 + 2 * i] * 256 + b[5 + 2 * i], w[names[i]]) << names[i];
    }
    std::string dir, file;
};

// A measurement reply's words by the record's names where a word is a field.
const char* const kMeasure[] = {"left_edge", "right_edge", "value", "teach",    "tolerance", "pix1",
                                "edges",     "mvstart",    "mvend", "pixdelta", "maximum",   "minimum",
                                "in0",       "w13",        "w14",   "w15"};
const char* const kHardware[] = {"ccdtype", "ccdmaxpixel", "ccdresolution", "pcbtype", "w4",  "w5",  "w6",  "w7",
                                 "w8",      "w9",          "w10",           "w11",     "w12", "w13", "w14", "w15"};
const char* const kBlockRequest[] = {"first", "last", "w2",  "w3",  "w4",  "w5",  "w6",  "w7",
                                     "w8",    "w9",   "w10", "w11", "w12", "w13", "w14", "w15"};

}  // namespace

TEST_F(TraceTest, EveryCommandOfABoardZeroSensorIsNamedAndDecoded)
{
    StartSensor();
    ASSERT_EQ(0, TraceOpen(file.c_str())) << TraceError();
    StartUp();  // echo, hardware, RAM, firmware text
    int word = 0;
    uint16_t held = 0;
    ASSERT_EQ(VERIFY_OK, SendParameterSet(RAM, &word, &held));
    ASSERT_EQ(VERIFY_OK, SendParameterSet(EEPROM, &word, &held));
    Press(PANEL_BUTTON_TEACH);
    Press(PANEL_BUTTON_RESET);
    AfterSeconds(0.2, [this] { Press(PANEL_STOP); });
    Press(PANEL_RUN);
    AfterSeconds(0.2, [this] { Press(PANEL_STOP); });
    Press(PANEL_VIDEO);
    TraceClose();
    std::vector<TraceLine> lines = Read();

    const std::regex time(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{6}[+-]\d\d:\d\d)");
    const std::regex seconds(R"(\d+\.\d{6})");
    for (const TraceLine& l : lines) {
        ASSERT_TRUE(std::regex_match(l.time, time)) << l.time;
        ASSERT_TRUE(std::regex_match(l.seconds, seconds)) << l.seconds;
    }
    // Each request, in the order of the sensor's record, with the words it carried.
    std::vector<const TraceLine*> sent;
    for (const TraceLine& l : lines)
        if (l.direction == "TX") sent.push_back(&l);
    std::vector<ReceivedFrame> frames = Frames();
    ASSERT_EQ(frames.size(), sent.size());
    for (size_t i = 0; i < frames.size(); i++) {
        std::vector<unsigned> b = Bytes(sent[i]->hex);
        ASSERT_EQ(36u, b.size());
        EXPECT_EQ(frames[i].command, b[2] * 256 + b[3]);
        for (int k = 0; k < 16; k++) EXPECT_EQ(frames[i].payload[k], b[4 + 2 * k] * 256 + b[5 + 2 * k]);
    }

    const char* const commands[] = {"ECHO",         "HARDWARE_INFO", "READ_RAM",    "VERSION",
                                    "WRITE_RAM",    "WRITE_EEPROM",  "READ_EEPROM", "TEACH",
                                    "RESET_MAXMIN", "MEASURE",       "READ_VIDEO64"};
    for (const char* c : commands) {
        SCOPED_TRACE(c);
        std::vector<const TraceLine*> tx = Find(lines, "TX", c);
        ASSERT_FALSE(tx.empty());
        if (std::string(c) == "READ_VIDEO64")
            ExpectDecodingMatchesBytes(*tx[0], kBlockRequest);
        else
            ExpectDecodingMatchesBytes(*tx[0], kParamNames);
        // A write's answer is waited for by nobody: it shows as dropped or flushed bytes.
        if (std::string(c).find("WRITE") == std::string::npos) EXPECT_FALSE(Find(lines, "RX", c).empty());
    }
    ExpectDecodingMatchesBytes(*Find(lines, "RX", "MEASURE").back(), kMeasure);
    ExpectDecodingMatchesBytes(*Find(lines, "RX", "READ_RAM").back(), kParamNames);
    const TraceLine& hw = *Find(lines, "RX", "HARDWARE_INFO")[0];
    ExpectDecodingMatchesBytes(hw, kHardware);
    EXPECT_NE(std::string::npos, hw.words.find("ccdtype=2 ccdmaxpixel=1024 ccdresolution=250 pcbtype=0"));
    EXPECT_NE(std::string::npos, Find(lines, "TX", "ECHO")[0]->words.find("sync=0x0055 cmd=5 power=500 rs232Mode=0"));
    EXPECT_NE(std::string::npos,
              Find(lines, "RX", "VERSION")[0]->words.find("72 of 72 bytes text=\"K-VOR-MX virtual sensor FW 1.0\""));

    // The four blocks of a picture, their samples as the program took them.
    std::vector<const TraceLine*> blocks = Find(lines, "RX", "READ_VIDEO64");
    ASSERT_GE(blocks.size(), 4u);
    const TraceLine& last = *blocks.back();
    EXPECT_EQ(0u, last.words.find("128 of 128 bytes samples 192..255: " + std::to_string(adcbuf[192]) + " "));
    EXPECT_EQ(128u, Bytes(last.hex).size());
    EXPECT_NE(std::string::npos, Find(lines, "TX", "READ_VIDEO64").back()->words.find("first=192 last=1 "));
}

TEST_F(TraceTest, TheSameCodeElevenIsAVideoReadOrAResetAsTheExchangeWaitsForIt)
{
    SensorOptions o = Fast();
    o.identity.board = 3;
    StartSensor(o);
    StartUp();
    ASSERT_EQ(0, TraceOpen(file.c_str()));
    Press(PANEL_BUTTON_RESET);
    AfterSeconds(0.1, [this] { Press(PANEL_STOP); });
    Press(PANEL_VIDEO);
    TraceClose();
    std::vector<TraceLine> lines = Read();
    ASSERT_FALSE(Find(lines, "TX", "RESET_MAXMIN").empty());
    ASSERT_FALSE(Find(lines, "RX", "RESET_MAXMIN").empty());
    ASSERT_FALSE(Find(lines, "TX", "READ_VIDEO256").empty());
    const TraceLine& block = *Find(lines, "RX", "READ_VIDEO256").back();
    EXPECT_EQ(0u, block.words.find("512 of 512 bytes samples 0..255: "));
    EXPECT_EQ(512u, Bytes(block.hex).size());
}

TEST_F(TraceTest, TimeOutsAndBytesThatNeverBecameAReplyAreShownAsSuch)
{
    SensorOptions o = Fast();
    o.faults.long_reply = true;  // 4 bytes more than a frame behind every reply
    StartSensor(o);
    ASSERT_EQ(0, OpenSensorPort(1));
    ASSERT_EQ(0, TraceOpen(file.c_str()));
    ASSERT_EQ(1, CheckComLine(1));  // the frame is the first 36 bytes
    o.faults = SensorFaults{};
    o.faults.no_reply_every = 1;
    sensor.SetFaults(o.faults);
    EXPECT_EQ(0, CheckComLine(1));
    TraceClose();
    std::vector<TraceLine> lines = Read();

    std::vector<const TraceLine*> stray = Find(lines, "RX", "STRAY");
    ASSERT_FALSE(stray.empty());
    EXPECT_EQ("4 bytes after the frame, flushed", stray[0]->words);
    EXPECT_EQ(4u, Bytes(stray[0]->hex).size());
    ASSERT_FALSE(Find(lines, "--", "ECHO").empty());
    EXPECT_EQ("TIMEOUT: no reply within 1.500 s", Find(lines, "--", "ECHO").back()->words);
}

TEST_F(TraceTest, ThePopUpToggleStartsAndEndsTheTraceAndSaysWhyItCannot)
{
    DisplayPanel(panelPopUp);
    std::string missing = dir + "/gone/line.txt";
    QueueFileSelectAnswer(2, missing.c_str());
    Click(panelPopUp, POPUP_TRACE);
    EXPECT_EQ(0, Value(panelPopUp, POPUP_TRACE));
    EXPECT_EQ("Cannot trace: " + missing + ": No such file or directory", Status());
    EXPECT_TRUE(std::regex_match(FileSelectCalls()[0].defaultName, std::regex(R"(kvormx-trace-\d{8}-\d{6}\.txt)")));

    QueueFileSelectAnswer(2, file.c_str());
    Click(panelPopUp, POPUP_TRACE);
    EXPECT_EQ(1, Value(panelPopUp, POPUP_TRACE));
    EXPECT_EQ(1, TraceActive());
    EXPECT_EQ("Tracing the line to " + file, Status());
    StartSilentSensor();
    StartUp();
    Click(panelPopUp, POPUP_TRACE);
    EXPECT_EQ(0, TraceActive());
    EXPECT_FALSE(Find(Read(), "TX", "ECHO").empty());
}
