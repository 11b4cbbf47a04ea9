// Parameter files through the Send and Get buttons: what reaches the disk,
// what comes back, and what a bad file or a failed write leaves behind.
#include "support/program_fixture.h"

#include "params/params.h"
#include "runtime/ui.h"
#include "support/inspect.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ParamFile : public ProgramTest {
 protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        char tmpl[] = "/tmp/kvormx-params-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        dir = tmpl;
        Click(panelHandle, PANEL_RBT_FILE);
        ASSERT_EQ(DATFILE, target);
    }
    void TearDown() override
    {
        ProgramTest::TearDown();
        chmod(dir.c_str(), 0700);
        std::string cmd = "rm -rf '" + dir + "'";
        (void)system(cmd.c_str());
    }
    std::string PathOf(const char* name) const { return dir + "/" + name; }
    void SaveAs(const std::string& path, int answer = 2)
    {
        QueueFileSelectAnswer(answer, path.c_str());
        Press(PANEL_SEND);
    }
    void LoadFrom(const std::string& path, int answer = 1)
    {
        QueueFileSelectAnswer(answer, path.c_str());
        Press(PANEL_GET);
    }
    static void WriteText(const std::string& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string ReadText(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    static std::string Lines(const std::array<uint32_t, 16>& words)
    {
        std::string out;
        for (uint32_t w : words) out += std::to_string(w) + "\n";
        return out;
    }
    int EntriesInDir() const
    {
        int n = 0;
        DIR* d = opendir(dir.c_str());
        if (!d) return -1;
        while (dirent* e = readdir(d))
            if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) n++;  // temporaries count
        closedir(d);
        return n;
    }
    std::string dir;
};

const std::array<uint16_t, 16> kKnownSet = {500, 1, 400, 60, 1, 2, 10, 900, 512, 100, 1, 0, 0, 1, 3, 7};

}  // namespace

TEST_F(ParamFile, EveryWordRoundTripsThroughTheFileIncludingTheExtremes)
{
    // The operator's values go out as the controls hold them, out of range or not.
    Enter(panelHandle, PANEL_POWER, 65535);
    Enter(panelHandle, PANEL_EDGE_LEFT, 0);
    SetCtrlVal(panelHandle, PANEL_EDGE_RIGHT, 65535);  // typed, the entry would limit it
    Enter(panelHandle, PANEL_TEACH, 0);
    SetCtrlVal(panelPopUp, POPUP_BVAL, 65535);  // the hidden pop-up's values are written too
    SetCtrlVal(panelPopUp, POPUP_PIXELSTART, 1024);
    para15 = 65535;
    std::string file = PathOf("KVORpara.dat");
    SaveAs(file);
    EXPECT_EQ("Transmit...", Status());

    std::array<uint16_t, 16> expected = {65535, rs232Mode, vThd,  65535, polarity, eMode, 0,       65535,
                                         0,     tTol,      iGain, ePoti, ccdMode,  1024,  anaMode, 65535};
    std::string text = ReadText(file);
    EXPECT_EQ(0u, text.find("65535\n"));  // one right-aligned value a line,
    EXPECT_NE(std::string::npos, text.find("\n   0\n"));
    std::istringstream in(text);
    for (int i = 0; i < 16; i++) {
        unsigned v = 0;
        ASSERT_TRUE(in >> v) << "line " << i + 1;
        EXPECT_EQ(expected[i], v) << "line " << i + 1;
    }
    unsigned extra;
    EXPECT_FALSE(in >> extra);  // and nothing else

    SetVars({});
    QueueFileSelectAnswer(1, file.c_str());
    ASSERT_EQ(1, ReadParaFromFile());
    EXPECT_EQ(expected, Vars());  // exact before the range rules
    for (int i = 0; i < 16; i++) EXPECT_EQ(expected[i], pp[i]);
}

TEST_F(ParamFile, LoadingShowsTheValuesAfterTheRangeRulesAndWrapsAbove16Bits)
{
    std::array<uint32_t, 16> words;
    for (int i = 0; i < 16; i++) words[i] = kKnownSet[i];
    words[0] = 2000;         // above the power limit
    words[8] = 65536 + 300;  // teach value: only the low 16 bits count
    words[9] = 4294967295u;  // tolerance 65535 after narrowing, then the range rule
    std::string file = PathOf("set.dat");
    WriteText(file, Lines(words));
    LoadFrom(file);

    EXPECT_EQ(500, Value(panelHandle, PANEL_POWER));
    EXPECT_EQ(300, Value(panelHandle, PANEL_TEACH));
    EXPECT_EQ(300, Value(panelHandle, PANEL_TEACH_SHOW));
    EXPECT_EQ(128, Value(panelHandle, PANEL_TOLERANCE));
    EXPECT_EQ(900, Value(panelHandle, PANEL_EDGE_RIGHT));
    EXPECT_EQ(3, Value(panelPopUp, POPUP_ANAMODE));
    EXPECT_EQ(500, power);  // and held so from then on
    EXPECT_EQ(7, para15);
    EXPECT_EQ(file, std::string(file_name));
}

TEST_F(ParamFile, AFileThatIsNotAParameterSetChangesNothing)
{
    SetVars(kKnownSet);
    SetPanelValues();
    std::string big(2 << 20, '7');
    const std::string bad[] = {
        "",
        "500\n1\n400\n60\n1\n2\n10\n900\n512\n100\n1\n0\n0\n1\n3\n",  // fifteen values
        std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
        "power=500\nmode=1\n",
        big,
    };
    for (const std::string& text : bad) {
        std::string file = PathOf("bad.dat");
        WriteText(file, text);
        Enter(panelHandle, PANEL_POWER, 999);  // an unsaved edit
        LoadFrom(file);
        EXPECT_EQ(kKnownSet, Vars()) << text.substr(0, 40);
        EXPECT_EQ(500, Value(panelHandle, PANEL_POWER));  // the panels show the variables again
        EXPECT_EQ(0u, Status().rfind(TXT_FILE_READ_ERROR " - ", 0)) << Status();
    }
    LoadFrom(PathOf("missing.dat"));
    EXPECT_EQ(kKnownSet, Vars());
    EXPECT_EQ(0u, Status().rfind(TXT_FILE_READ_ERROR " - ", 0)) << Status();

    // The error is not left behind for the next good load to show.
    CopyText(szStatus, STATUS_LEN, "Reset Max/Min OK!");
    std::array<uint32_t, 16> words{};
    for (int i = 0; i < 16; i++) words[i] = kKnownSet[i];
    WriteText(PathOf("good.dat"), Lines(words));
    LoadFrom(PathOf("good.dat"));
    EXPECT_EQ("Reset Max/Min OK!", Status());
}

TEST_F(ParamFile, AFileThatCannotBeWrittenIsReportedAndTheOldOneStays)
{
    SaveAs(PathOf("missing/KVORpara.dat"));
    EXPECT_EQ(0u, Status().rfind(TXT_FILE_WRITE_ERROR " - ", 0)) << Status();
    EXPECT_EQ(0, EntriesInDir());

    std::string file = PathOf("KVORpara.dat");
    WriteText(file, "old\n");
    if (geteuid() != 0) {  // permissions stop everyone but root
        chmod(file.c_str(), 0444);
        SaveAs(file);
        EXPECT_EQ(0u, Status().rfind(TXT_FILE_WRITE_ERROR " - ", 0)) << Status();
        EXPECT_EQ("old\n", ReadText(file));
        chmod(file.c_str(), 0644);
        chmod(dir.c_str(), 0555);  // a writable file in a closed directory is still written
        SaveAs(file);
        EXPECT_EQ("Transmit...", Status());
        EXPECT_EQ(" 500\n", ReadText(file).substr(0, 5));
        chmod(dir.c_str(), 0700);
    }
    EXPECT_EQ(1, EntriesInDir());
    // The read-back outcome in szStatus is not replaced by a write error.
    EXPECT_NE(TXT_FILE_WRITE_ERROR, std::string(szStatus));
}

TEST_F(ParamFile, CancelledPopUpsWriteAndReadNothing)
{
    SetVars(kKnownSet);
    SetPanelValues();
    CopyText(szStatus, STATUS_LEN, "Parameter-frame received! - Line Ok!");

    SaveAs(PathOf("KVORpara.dat"), 0);
    EXPECT_EQ("Transmit...", Status());
    EXPECT_EQ(0, EntriesInDir());

    Enter(panelHandle, PANEL_TEACH, 77);  // edited, not sent or saved
    LoadFrom(PathOf("KVORpara.dat"), 0);
    EXPECT_EQ(kKnownSet, Vars());
    EXPECT_EQ(512, Value(panelHandle, PANEL_TEACH));
    EXPECT_EQ("Parameter-frame received! - Line Ok!", Status());

    const auto& calls = FileSelectCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("K-VOR-MX-Series Parameter File", calls[0].title);
    EXPECT_EQ(0, calls[0].buttonLabel);
    EXPECT_EQ("K-VOR-MX-Parameter-File", calls[1].title);
    EXPECT_EQ(3, calls[1].buttonLabel);
    for (const auto& c : calls) {
        EXPECT_EQ("KVORpara.dat", c.defaultName);
        EXPECT_EQ("*.dat", c.typeList);
        EXPECT_EQ(std::string(proj_dir), c.defaultDir);
    }
}

// A FIFO named as a parameter file would block the whole window in open():
// it is refused at once, with the file and the reason in the status line.
TEST_F(ParamFile, AFifoIsRefusedAtOnceAndTheStatusSaysWhy)
{
    const std::string fifo = PathOf("pipe.dat");
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    SetVars(kKnownSet);
    SetPanelValues();
    LoadFrom(fifo);
    EXPECT_EQ("Error reading parameter file! - " + fifo + ": not a regular file", Status());
    EXPECT_EQ(kKnownSet, Vars());
    SaveAs(fifo);
    EXPECT_EQ("Error writing parameter file! - " + fifo + ": not a regular file", Status());

    const std::string missing = PathOf("none/KVORpara.dat");
    SaveAs(missing);
    EXPECT_EQ("Error writing parameter file! - " + missing + ": No such file or directory", Status());
}

// Paths longer than the old 260-byte buffers load and save.
TEST_F(ParamFile, ALongPathLoadsAndSaves)
{
    std::string deep = dir;
    while (deep.size() < 300) {
        deep += "/a-rather-long-folder-name";
        ASSERT_EQ(0, mkdir(deep.c_str(), 0700));
    }
    const std::string path = deep + "/KVORpara.dat";
    SetVars(kKnownSet);
    SetPanelValues();
    SaveAs(path);
    EXPECT_FALSE(ReadText(path).empty());
    SetVars({});
    LoadFrom(path);
    EXPECT_EQ(kKnownSet, Vars());
}
