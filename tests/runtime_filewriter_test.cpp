// The file writer: lines reach the file in order and on time, and a disk that
// fails leaves a file of whole lines and a writer that says why.
#include "runtime/filewriter.h"
#include "runtime/util.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace {

class FileWriterTest : public ::testing::Test {
 protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/kvormx-writer-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        dir_ = tmpl;
        file_ = dir_ + "/lines.txt";
    }
    void TearDown() override { (void)system(("rm -rf '" + dir_ + "'").c_str()); }
    std::string Text() const
    {
        std::ifstream in(file_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    int Put(int w, const std::string& line) { return FileWriterPut(w, line.data(), int(line.size())); }

    std::string dir_, file_;
};

TEST_F(FileWriterTest, LinesArriveInOrderOnFlushAndByThemselvesSoonAfter)
{
    int w = FileWriterOpen(file_.c_str());
    ASSERT_GT(w, 0) << FileWriterError(0);
    std::string expected;
    for (int i = 0; i < 1000; i++) {
        std::string line = "line " + std::to_string(i) + "\n";
        ASSERT_EQ(0, Put(w, line));
        expected += line;
    }
    EXPECT_EQ(0, FileWriterFlush(w, 2.0));
    EXPECT_EQ(expected, Text());

    // Without a flush the thread writes a line within its delay.
    ASSERT_EQ(0, Put(w, "late\n"));
    double start = Timer();
    while (Text().size() == expected.size() && Timer() - start < 3.0) usleep(10000);
    EXPECT_EQ(expected + "late\n", Text());

    EXPECT_EQ(0, FileWriterClose(w));
    EXPECT_EQ(FW_BAD_HANDLE, Put(w, "after\n"));
}

TEST_F(FileWriterTest, AFileThatCannotBeCreatedSaysWhy)
{
    std::string missing = dir_ + "/no-such-folder/lines.txt";
    EXPECT_EQ(FW_OPEN_FAILED, FileWriterOpen(missing.c_str()));
    EXPECT_STREQ("No such file or directory", FileWriterError(0));
    EXPECT_EQ(FW_OPEN_FAILED, FileWriterOpen(dir_.c_str()));  // a folder is no file
}

// A file-size limit fails a write exactly as a full disk does, in the middle
// of a line: the file keeps its whole lines and nothing more.
TEST_F(FileWriterTest, AFullDiskCutsTheFileBackToItsLastWholeLine)
{
    struct rlimit saved;
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &saved));
    struct rlimit tight = saved;
    tight.rlim_cur = 1000;
    int w = FileWriterOpen(file_.c_str());
    ASSERT_GT(w, 0);
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &tight));
    const std::string line = "0123456789012345678901234567890123456789012345678901234567890123456789\n";  // 71 bytes
    for (int i = 0; i < 30; i++) Put(w, line);
    int flushed = FileWriterFlush(w, 2.0);
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(FW_FAILED, flushed);
    EXPECT_EQ(1, FileWriterFailed(w));
    EXPECT_STREQ("File too large", FileWriterError(w));
    EXPECT_EQ(FW_FAILED, Put(w, line));
    EXPECT_EQ(FW_FAILED, FileWriterClose(w));
    std::string text = Text();
    EXPECT_EQ(14u * line.size(), text.size());  // 14 whole lines fit in 1000 bytes
    EXPECT_EQ('\n', text.back());
}

TEST_F(FileWriterTest, AFolderThatVanishesStopsTheWriter)
{
    int w = FileWriterOpen(file_.c_str());
    ASSERT_GT(w, 0);
    ASSERT_EQ(0, Put(w, "first\n"));
    ASSERT_EQ(0, FileWriterFlush(w, 2.0));
    ASSERT_EQ(0, system(("rm -rf '" + dir_ + "'").c_str()));
    Put(w, "second\n");
    EXPECT_EQ(FW_FAILED, FileWriterFlush(w, 2.0));
    EXPECT_STREQ("the file or its folder is gone", FileWriterError(w));
    EXPECT_EQ(FW_FAILED, FileWriterClose(w));
    EXPECT_STREQ("the file or its folder is gone", FileWriterError(0));
}

TEST(WallClock, IsoTimeWithFractionAndOffsetAndAFileNameStamp)
{
    char text[48];
    // 2001-09-09T01:46:40.123456 UTC; the zone's offset follows whatever it is.
    int n = WallClockText(text, sizeof text, 6, 1000000000.123456);
    EXPECT_EQ(int(std::strlen(text)), n);
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.12345[67][+-]\d\d:\d\d)")))
        << text;
    WallClockText(text, sizeof text, 3, 1000000000.5);
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(.*:40\.500[+-]\d\d:\d\d)"))) << text;
    WallClockText(text, sizeof text, 0);
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)"))) << text;
    char stamp[32];
    WallClockStamp(stamp, sizeof stamp);
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{8}-\d{6})"))) << stamp;
}

}  // namespace
