// Export of the three displays from their right-click menus: pictures in
// each format, the clipboard, and the plotted data as CSV; the strip chart's
// x scale.
#include "support/program_fixture.h"

#include "display/display.h"
#include "runtime/graph.h"
#include "runtime/ui.h"
#include "support/inspect.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

class ExportTest : public ProgramTest {
 protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        char tmpl[] = "/tmp/kvormx-export-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        dir = tmpl;
        DisplayPanel(panelHandle);
    }
    void TearDown() override
    {
        ProgramTest::TearDown();
        (void)system(("rm -rf '" + dir + "'").c_str());
    }
    // Chooses the menu item and answers the file dialog with `name` in the test's folder.
    std::string Export(int control, const char* item, const std::string& name)
    {
        std::string path = dir + "/" + name;
        QueueFileSelectAnswer(2, path.c_str());
        EXPECT_TRUE(OperatorChooseExport(panelHandle, control, item));
        return path;
    }
    static std::string Text(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static std::vector<std::string> Lines(const std::string& path)
    {
        std::vector<std::string> out;
        std::stringstream s(Text(path));
        for (std::string line; std::getline(s, line);) out.push_back(line);
        return out;
    }
    std::string dir;
};

void ShowAPicture()
{
    SetVideoAxis(0, 0);
    for (int i = 0; i < 256; i++) adcbuf[i] = static_cast<uint16_t>(i < 100 || i > 150 ? 900 : 100 + i);
    PlotVIDEOCurve(adcbuf);
}

}  // namespace

TEST_F(ExportTest, PicturesInEachFormatWithADatedNameInTheProgramsFolder)
{
    ShowAPicture();
    PumpFor(0.05);
    std::string png = Export(PANEL_GRAPH_VIDEO, "exportPng", "video.png");
    EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), Text(png).substr(0, 8));
    EXPECT_EQ("Saved " + png, Status());
    ASSERT_EQ(1u, FileSelectCalls().size());
    EXPECT_EQ(proj_dir, FileSelectCalls()[0].defaultDir);
    EXPECT_TRUE(std::regex_match(FileSelectCalls()[0].defaultName, std::regex(R"(kvormx-video-\d{8}-\d{6}\.png)")))
        << FileSelectCalls()[0].defaultName;

    std::string pdf = Export(PANEL_GRAPH_BAR, "exportPdf", "bar.pdf");
    EXPECT_EQ("%PDF-", Text(pdf).substr(0, 5));
    std::string svg = Export(PANEL_GRAPH_RAW, "exportSvg", "chart.svg");
    EXPECT_TRUE(XmlFileHasRoot(svg.c_str(), "svg"));
    // The next dialog starts in the folder last chosen.
    EXPECT_EQ(dir, FileSelectCalls().back().defaultDir);
    EXPECT_TRUE(std::regex_match(FileSelectCalls().back().defaultName, std::regex(R"(kvormx-chart-\d{8}-\d{6}\.svg)")));

    ASSERT_TRUE(OperatorChooseExport(panelHandle, PANEL_GRAPH_BAR, "copyPicture"));
    int w = 0, h = 0;
    ClipboardImageSize(&w, &h);
    EXPECT_GT(w, 100);
    EXPECT_GT(h, 20);
    EXPECT_EQ("Picture copied to the clipboard", Status());

    std::string nowhere = dir + "/gone/video.png";
    QueueFileSelectAnswer(2, nowhere.c_str());
    ASSERT_TRUE(OperatorChooseExport(panelHandle, PANEL_GRAPH_VIDEO, "exportPng"));
    EXPECT_EQ("Export failed: cannot write " + nowhere, Status());
    QueueFileSelectAnswer(0, "");
    ASSERT_TRUE(OperatorChooseExport(panelHandle, PANEL_GRAPH_VIDEO, "exportCsv"));  // cancelled: nothing
    EXPECT_EQ("Export failed: cannot write " + nowhere, Status());
}

TEST_F(ExportTest, VideoDataAreTheSamplesWithTheirPixelPositionsAndTheThreshold)
{
    ShowAPicture();
    std::vector<std::string> lines = Lines(Export(PANEL_GRAPH_VIDEO, "exportCsv", "video.csv"));
    ASSERT_EQ(257u, lines.size());
    EXPECT_EQ("pixel,signal,threshold", lines[0]);
    for (int i = 0; i < 256; i++)
        ASSERT_EQ(std::to_string(xArray[i]) + "," + std::to_string(adcbuf[i]) + "," + std::to_string(thdArray[i]),
                  lines[1 + i]);
    EXPECT_EQ("4,900,512", lines[2]);
}

TEST_F(ExportTest, StripChartDataAreOnlyTheMeasuredRepliesOldestFirstWithTheirTime)
{
    EXPECT_EQ("Replies before the newest", GraphAxisLabel(panelHandle, PANEL_GRAPH_RAW, AXIS_X));
    auto reply = [](int k) {
        char utc[32];
        std::snprintf(utc, sizeof utc, "2026-01-02T03:04:%02d.000Z", k % 60);
        NoteChartSampleTime(utc, 0.5 * k);
        Mvalue = static_cast<uint16_t>(500 + k % 10);
        PlotRAWGraph();
    };
    for (int k = 0; k < 3; k++) reply(k);
    // The chart is drawn over a zeroed history, but its data are the three
    // replies and nothing the sensor never sent.
    std::vector<std::string> lines = Lines(Export(PANEL_GRAPH_RAW, "exportCsv", "chart.csv"));
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("time,seconds,reply,upper_limit,lower_limit,teach_value,measured_value,analog_value", lines[0]);
    EXPECT_EQ("2026-01-02T03:04:00.000Z,0.000,-2,612,412,512,500,500", lines[1]);
    EXPECT_EQ("2026-01-02T03:04:01.000Z,0.500,-1,612,412,512,501,501", lines[2]);
    EXPECT_EQ("2026-01-02T03:04:02.000Z,1.000,0,612,412,512,502,502", lines[3]);

    // A full history: its hundred replies, the oldest kept first.
    for (int k = 3; k < 130; k++) reply(k);
    lines = Lines(Export(PANEL_GRAPH_RAW, "exportCsv", "chart.csv"));
    ASSERT_EQ(1u + HISTORY_SAMPLES, lines.size());
    EXPECT_EQ("2026-01-02T03:04:30.000Z,15.000,-99,612,412,512,500,500", lines[1]);
    EXPECT_EQ("2026-01-02T03:04:09.000Z,64.500,0,612,412,512,509,509", lines.back());
    for (const std::string& line : lines) EXPECT_EQ(std::string::npos, line.find(",0,0,0,0,0")) << line;
}

TEST_F(ExportTest, BarGraphDataAreTheEdgesTheWindowAndTheBands)
{
    Ledge = 300;
    Redge = 700;
    eMode = 1;  // the right edge is evaluated
    eBeg = 50;
    eEnd = 1000;
    PlotVIDEOBarGraph();
    std::vector<std::string> lines = Lines(Export(PANEL_GRAPH_BAR, "exportCsv", "bar.csv"));
    std::vector<std::string> expected = {"item,from,to",          "evaluated_edge,700,700", "window_start,50,50",
                                         "window_end,1000,1000",  "outside_edges,1,300",    "outside_edges,700,1024",
                                         "tolerance_band,412,612"};
    EXPECT_EQ(expected, lines);
}
