// The CSV recording through the Record toggle: the rows are the replies the
// sensor sent, in order and with their values; it carries on across Run, Stop,
// Video and a time-out; a full disk stops it and nothing else.
#include "support/program_fixture.h"

#include "display/display.h"
#include "link/record.h"
#include "outputs/outputs.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "support/inspect.h"

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using Row = std::vector<std::string>;

class RecordingTest : public ProgramTest {
 protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        char tmpl[] = "/tmp/kvormx-record-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        dir = tmpl;
        file = dir + "/shift.csv";
    }
    void TearDown() override
    {
        if (device.joinable()) device.join();
        RecordStop();
        ProgramTest::TearDown();
        (void)system(("rm -rf '" + dir + "'").c_str());
    }
    void RecordOn()
    {
        QueueFileSelectAnswer(2, file.c_str());
        Press(PANEL_RECORD);
        ASSERT_EQ(1, Value(panelHandle, PANEL_RECORD)) << Status();
    }
    void StopAfter(double seconds)
    {
        AfterSeconds(seconds, [this] { Press(PANEL_STOP); });
    }
    std::vector<std::string> Lines(const std::string& path = "") const
    {
        std::ifstream in(path.empty() ? file : path);
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }
    static Row Split(const std::string& line)
    {
        Row out;
        std::stringstream s(line);
        for (std::string field; std::getline(s, field, ',');) out.push_back(field);
        if (!line.empty() && line.back() == ',') out.push_back("");  // an empty last field is a field
        return out;
    }
    int CountSent(int command) const
    {
        int n = 0;
        for (int c : Commands()) n += c == command;
        return n;
    }
    std::string dir, file;
    std::thread device;
};

// Ledge Redge Mvalue tVal tTol pix1 edcnt mvstart mvend pixdelta anaMax anaMin in0
// The values walk through the band 412..612: reply 1 lies on its lower limit,
// reply 21 on its upper one.
Words Reply(int i)
{
    return {uint16_t(100 + i),
            uint16_t(600 + i),
            uint16_t(402 + 10 * i),
            512,
            100,
            1,
            2,
            10,
            20,
            0,
            uint16_t(700 + i),
            uint16_t(i == 0 ? 1023 : 200 + i),
            0,
            0,
            0,
            0};
}

}  // namespace

TEST_F(RecordingTest, RowsAreTheSensorsRepliesInOrderAndOutliveATimeOut)
{
    PlaySensor();
    RecordOn();
    const int replies = 30;
    device = std::thread([&] {
        for (int i = 0; i < replies; i++) {
            if (!NextFrameSent().whole) return;
            SensorSays(Reply(i), CMD_MEASURE);
        }
    });
    Press(PANEL_RUN);  // ends when the replies stop: a time-out
    device.join();
    EXPECT_EQ("Timeout RS232-Line!", Status());
    EXPECT_EQ(1, RecordActive());
    EXPECT_EQ(1, Value(panelHandle, PANEL_RECORD));

    // Read while the recording still runs: the loop's end put every row on disk.
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(1u + replies, lines.size());
    Row header = Split(lines[0]);
    ASSERT_EQ(MEASUREMENT_FIELDS + 2u + 256u, header.size());
    for (int c = 0; c < MEASUREMENT_FIELDS; c++) EXPECT_EQ(kMeasurementFields[c], header[c]);
    EXPECT_EQ("first_pixel", header[MEASUREMENT_FIELDS]);
    EXPECT_EQ("sample_0", header[MEASUREMENT_FIELDS + 2]);
    EXPECT_EQ("sample_255", header.back());

    const std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)");
    const std::regex seconds(R"(\d+\.\d{3})");
    double last = -1;
    for (int i = 0; i < replies; i++) {
        SCOPED_TRACE(i);
        Row row = Split(lines[1 + i]);
        ASSERT_EQ(static_cast<size_t>(MEASUREMENT_FIELDS), row.size());
        Words w = Reply(i);
        EXPECT_TRUE(std::regex_match(row[FIELD_TIME], iso)) << row[FIELD_TIME];
        EXPECT_TRUE(std::regex_match(row[FIELD_SECONDS], seconds)) << row[FIELD_SECONDS];
        EXPECT_GE(std::stod(row[FIELD_SECONDS]), last);
        last = std::stod(row[FIELD_SECONDS]);
        EXPECT_EQ(std::to_string(i + 1), row[FIELD_SEQ]);
        EXPECT_EQ(std::to_string(w[2]), row[FIELD_VALUE]);
        EXPECT_EQ(std::to_string(w[0]), row[FIELD_LEFT_EDGE]);
        EXPECT_EQ(std::to_string(w[1]), row[FIELD_RIGHT_EDGE]);
        EXPECT_EQ("2", row[FIELD_EDGES]);
        EXPECT_EQ("512", row[FIELD_TEACH]);
        EXPECT_EQ("100", row[FIELD_TOLERANCE]);
        EXPECT_EQ(std::to_string(w[10]), row[FIELD_MAXIMUM]);
        EXPECT_EQ(std::to_string(w[11]), row[FIELD_MINIMUM]);          // as the sensor sent it (1023: none yet)
        EXPECT_EQ(i >= 1 && i <= 21 ? "1" : "0", row[FIELD_IN_BAND]);  // both limits inside
        EXPECT_EQ(peer.Path(), row[FIELD_PORT]);
    }
    // The last value lies outside its band: the value displays show it.
    int bg = 0;
    GetCtrlAttribute(panelHandle, PANEL_MVALUE, ATTR_TEXT_BGCOLOR, &bg);
    EXPECT_EQ(OUT_OF_BAND_COLOR, bg);
    GetCtrlAttribute(panelHandle, PANEL_MVALUE_2, ATTR_TEXT_BGCOLOR, &bg);
    EXPECT_EQ(OUT_OF_BAND_COLOR, bg);
    Mvalue = tVal;
    PlotVIDEOBarGraph();
    GetCtrlAttribute(panelHandle, PANEL_MVALUE, ATTR_TEXT_BGCOLOR, &bg);
    EXPECT_NE(OUT_OF_BAND_COLOR, bg);

    // Beside it, the run's statistics, written as run mode ended: 30 replies,
    // the first and the last eight out of the band.
    const std::string summary = file.substr(0, file.rfind('.')) + "-summary.csv";
    std::vector<std::string> rows = Lines(summary);
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(0u, rows[0].find("first,last,count,mean,sd,minimum,maximum,out_of_band,out_of_band_share,teach,"));
    Row stats = Split(rows[1]);
    ASSERT_EQ(Split(rows[0]).size(), stats.size());
    EXPECT_EQ(Split(lines[1])[FIELD_TIME], stats[0]);
    EXPECT_EQ(Split(lines.back())[FIELD_TIME], stats[1]);
    EXPECT_EQ("30", stats[2]);
    EXPECT_EQ("547.000", stats[3]);  // 402 + 10 * 14.5
    EXPECT_EQ("402", stats[5]);
    EXPECT_EQ("692", stats[6]);
    EXPECT_EQ("9", stats[7]);

    Press(PANEL_RECORD);
    EXPECT_EQ(0, RecordActive());
    EXPECT_EQ(0, Value(panelHandle, PANEL_RECORD));
    EXPECT_EQ("Recording ended: " + file + ", 30 rows", Status());
    EXPECT_EQ(2u, Lines(summary).size());  // nothing ran since

    // A new recording into the same file starts its summary afresh too.
    RecordOn();
    ASSERT_EQ(0, RecordSummary(RunStatistics()));
    EXPECT_EQ(2u, Lines(summary).size());
    RecordStop();
}

TEST_F(RecordingTest, RunAndVideoRowsGoIntoOneFileWithTheSamplesOfEachPicture)
{
    StartSensor();
    StartUp();
    RecordOn();
    StopAfter(0.4);
    Press(PANEL_RUN);
    PumpFor(0.2);  // the sensor's thread records the last request a moment later
    const int runRequests = CountSent(CMD_MEASURE);
    sensor.ClearFrames();
    StopAfter(0.6);
    Press(PANEL_VIDEO);
    PumpFor(0.2);
    const int pictures = CountSent(CMD_MEASURE);
    Press(PANEL_RECORD);
    ASSERT_EQ(0, RecordActive());

    std::vector<std::string> lines = Lines();
    ASSERT_GT(runRequests, 1);
    ASSERT_GT(pictures, 0);  // a loaded machine may finish only one in the time
    // A reply to a request that was still out when Stop came is never shown,
    // nor recorded; whether one was out depends on when Stop came. A video
    // cycle always completes.
    const int runRows = int(lines.size()) - 1 - pictures;
    ASSERT_GE(runRows, runRequests - 1);
    ASSERT_LE(runRows, runRequests);
    for (int i = 1; i <= runRows; i++) ASSERT_EQ(size_t(MEASUREMENT_FIELDS), Split(lines[i]).size()) << i;
    for (size_t i = 1 + runRows; i < lines.size(); i++)
        ASSERT_EQ(MEASUREMENT_FIELDS + 2u + 256u, Split(lines[i]).size()) << i;

    Row lastPicture = Split(lines.back());
    EXPECT_EQ(std::to_string(Mvalue), lastPicture[FIELD_VALUE]);
    EXPECT_EQ(std::to_string(Ledge), lastPicture[FIELD_LEFT_EDGE]);
    EXPECT_EQ(std::to_string(Redge), lastPicture[FIELD_RIGHT_EDGE]);
    for (int k = 0; k < 256; k++) ASSERT_EQ(std::to_string(adcbuf[k]), lastPicture[MEASUREMENT_FIELDS + 2 + k]) << k;
}

// The operator takes longer over the file than a reply may take: the line
// waits for the dialog, and run mode goes on with the recording after it.
TEST_F(RecordingTest, ChoosingTheFileDuringRunModeHoldsTheLineButDoesNotEndIt)
{
    StartSensor();
    StartUp();
    AfterSeconds(0.3, [this] {
        QueueFileSelectAnswerAfter(2 * TIMEOUT, 2, file.c_str());
        Press(PANEL_RECORD);
    });
    AfterSeconds(0.3 + 2 * TIMEOUT + 0.5, [this] { Press(PANEL_STOP); });
    Press(PANEL_RUN);
    EXPECT_EQ("Recording to " + file, Status());
    EXPECT_EQ(1, RecordActive());
    EXPECT_GT(Lines().size(), 5u);
}

// A per-process file-size limit fails the writes as a full disk would.
TEST_F(RecordingTest, AFullDiskStopsTheRecordingButNotRunMode)
{
    StartSensor();
    StartUp();
    RecordOn();
    ASSERT_EQ(1, RecordActive());
    struct rlimit saved;
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &saved));
    struct rlimit tight = saved;
    tight.rlim_cur = 6000;  // the header and a few dozen rows
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &tight));
    StopAfter(1.5);
    Press(PANEL_RUN);
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ("Recording stopped: " + file + ": File too large", Status());
    EXPECT_EQ(0, RecordActive());
    EXPECT_EQ(0, Value(panelHandle, PANEL_RECORD));
    std::vector<std::string> lines = Lines();
    ASSERT_GT(lines.size(), 10u);
    for (size_t i = 1; i < lines.size(); i++) ASSERT_EQ(size_t(MEASUREMENT_FIELDS), Split(lines[i]).size()) << i;
    // Run mode went on to the operator's Stop, long after the disk was full.
    EXPECT_GT(CountSent(CMD_MEASURE), int(lines.size()) + 20);
    EXPECT_EQ(1, stop_flag);
}

TEST_F(RecordingTest, TheFileIsChosenOnceWithADatedDefaultAndAFailedOpenSaysWhy)
{
    QueueFileSelectAnswer(0, "");
    Press(PANEL_RECORD);
    EXPECT_EQ(0, Value(panelHandle, PANEL_RECORD));
    EXPECT_EQ(0, RecordActive());
    ASSERT_EQ(1u, FileSelectCalls().size());
    EXPECT_EQ(proj_dir, FileSelectCalls()[0].defaultDir);
    EXPECT_TRUE(std::regex_match(FileSelectCalls()[0].defaultName, std::regex(R"(kvormx-record-\d{8}-\d{6}\.csv)")))
        << FileSelectCalls()[0].defaultName;

    std::string missing = dir + "/gone/shift.csv";
    QueueFileSelectAnswer(2, missing.c_str());
    Press(PANEL_RECORD);
    EXPECT_EQ(0, Value(panelHandle, PANEL_RECORD));
    EXPECT_EQ("Cannot record: " + missing + ": No such file or directory", Status());

    // The folder of the last file chosen is the next default.
    RecordOn();
    Press(PANEL_RECORD);
    QueueFileSelectAnswer(0, "");
    Press(PANEL_RECORD);
    EXPECT_EQ(dir, FileSelectCalls().back().defaultDir);
}
