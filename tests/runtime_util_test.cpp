// Timer, program directory, array files and Fmt.

#include "runtime/graph.h"
#include "runtime/settings.h"
#include "runtime/translate.h"
#include "runtime/util.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ArrayFileTest : public ::testing::Test {
 protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/kvormx-util-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        dir_ = tmpl;
        file_ = dir_ + "/KVORpara.dat";
    }
    void TearDown() override
    {
        std::string cmd = "rm -rf '" + dir_ + "'";
        (void)system(cmd.c_str());
    }
    void WriteText(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }
    std::string ReadText()
    {
        std::ifstream in(file_, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    int Save(const void* array, int type, int n, int width = 4)
    {
        return ArrayToFile(file_.c_str(), array, type, n, 1, 0, 0, 0, width, 1, 0);
    }
    int Entries() const
    {  // what the directory holds, temporaries included
        int n = 0;
        DIR* d = opendir(dir_.c_str());
        if (!d) return -1;
        while (dirent* e = readdir(d))
            if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) ++n;
        closedir(d);
        return n;
    }
    int Load(void* array, int type, int n) { return FileToArray(file_.c_str(), array, type, n, 1, 0, 0, 1); }

    std::string dir_, file_;
};

TEST_F(ArrayFileTest, EachTypeRoundTripsIncludingItsExtremes)
{
    const uint32_t u32[5] = {0, 1, 65535, 65536, 4294967295u};
    uint32_t u32back[5] = {};
    ASSERT_EQ(0, Save(u32, VAL_UNSIGNED_INTEGER, 5));
    ASSERT_EQ(0, Load(u32back, VAL_UNSIGNED_INTEGER, 5));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(u32[i], u32back[i]);

    const uint16_t u16[3] = {0, 1234, 65535};
    uint16_t u16back[3] = {};
    ASSERT_EQ(0, Save(u16, VAL_UNSIGNED_SHORT_INTEGER, 3));
    ASSERT_EQ(0, Load(u16back, VAL_UNSIGNED_SHORT_INTEGER, 3));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(u16[i], u16back[i]);

    const double d[5] = {0.0, -1.5, 0.1, 1e300, 3.141592653589793};
    double dback[5] = {};
    ASSERT_EQ(0, Save(d, VAL_DOUBLE, 5, 0));
    ASSERT_EQ(0, Load(dback, VAL_DOUBLE, 5));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(d[i], dback[i]);
}

TEST_F(ArrayFileTest, ValuesAreRightAlignedOnePerLine)
{
    const uint32_t v[3] = {7, 65535, 12};
    ASSERT_EQ(0, Save(v, VAL_UNSIGNED_INTEGER, 3, 4));
    EXPECT_EQ("   7\n65535\n  12\n", ReadText());
}

TEST_F(ArrayFileTest, ThirtyTwoBitReadAcceptsEveryValueAndIgnoresExtraValues)
{
    WriteText("65537\n4294967295\n3\n99\n");
    uint32_t v[3] = {};
    ASSERT_EQ(0, Load(v, VAL_UNSIGNED_INTEGER, 3));
    EXPECT_EQ(65537u, v[0]);  // the caller narrows to 16 bits itself
    EXPECT_EQ(4294967295u, v[1]);
    EXPECT_EQ(3u, v[2]);
}

TEST_F(ArrayFileTest, UnreadableContentLeavesTheArrayUnchanged)
{
    const std::string bad[] = {
        "",           // empty
        "1\n2\n3\n",  // too short
        std::string("\x7f"
                    "ELF\x01\x00\x00\xff",
                    8),           // binary
        "1\n2\nthree\n4\n",       // not a number
        "1\n-2\n3\n4\n",          // negative
        "1\n4294967296\n3\n4\n",  // beyond 32 bits
        "1\n2\n3\n4x\n",          // trailing junk
    };
    for (const std::string& text : bad) {
        WriteText(text);
        uint32_t v[4] = {11, 22, 33, 44};
        EXPECT_LT(Load(v, VAL_UNSIGNED_INTEGER, 4), 0) << text;
        EXPECT_EQ(11u, v[0]);
        EXPECT_EQ(44u, v[3]);
    }
    WriteText("1\n65536\n");
    uint16_t w[2] = {5, 6};
    EXPECT_LT(Load(w, VAL_UNSIGNED_SHORT_INTEGER, 2), 0);  // does not fit 16 bits
    EXPECT_EQ(5, w[0]);
}

TEST_F(ArrayFileTest, OversizedAndMissingFilesAreRefused)
{
    WriteText(std::string(2 << 20, '1'));
    uint32_t v[1] = {9};
    EXPECT_LT(Load(v, VAL_UNSIGNED_INTEGER, 1), 0);
    EXPECT_EQ(9u, v[0]);
    EXPECT_LT(FileToArray((dir_ + "/none.dat").c_str(), v, VAL_UNSIGNED_INTEGER, 1, 1, 0, 0, 1), 0);
}

TEST_F(ArrayFileTest, FailedWritesAreReported)
{
    const uint32_t v[16] = {1, 2, 3};
    EXPECT_LT(ArrayToFile("/dev/full", v, VAL_UNSIGNED_INTEGER, 16, 1, 0, 0, 0, 4, 1, 0), 0);
    std::string noDir = dir_ + "/missing/KVORpara.dat";
    EXPECT_LT(ArrayToFile(noDir.c_str(), v, VAL_UNSIGNED_INTEGER, 16, 1, 0, 0, 0, 4, 1, 0), 0);
    // A read-only directory stops everyone but root.
    if (geteuid() != 0) {
        std::string ro = dir_ + "/ro";
        ASSERT_EQ(0, mkdir(ro.c_str(), 0555));
        std::string f = ro + "/KVORpara.dat";
        EXPECT_LT(ArrayToFile(f.c_str(), v, VAL_UNSIGNED_INTEGER, 16, 1, 0, 0, 0, 4, 1, 0), 0);
    }
}

// A write that fails part-way (here: the file-size limit standing in for a
// full disk) must leave the old file whole, and no temporary behind.
TEST_F(ArrayFileTest, AFailedOverwriteLeavesTheOldFileWhole)
{
    WriteText("old content\n");
    uint32_t v[16];
    for (int i = 0; i < 16; ++i) v[i] = 60000 + i;
    struct rlimit saved;
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &saved));
    struct rlimit tight = saved;
    tight.rlim_cur = 20;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &tight));
    int rc = Save(v, VAL_UNSIGNED_INTEGER, 16);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_LT(rc, 0);
    EXPECT_EQ("old content\n", ReadText());
    EXPECT_EQ(1, Entries());

    ASSERT_EQ(0, Save(v, VAL_UNSIGNED_INTEGER, 16));  // and a good one replaces it
    uint32_t back[16] = {};
    ASSERT_EQ(0, Load(back, VAL_UNSIGNED_INTEGER, 16));
    EXPECT_EQ(60015u, back[15]);
    EXPECT_EQ(1, Entries());
}

TEST_F(ArrayFileTest, OverwritingKeepsTheModeAndFollowsALink)
{
    WriteText("1\n");
    ASSERT_EQ(0, chmod(file_.c_str(), 0640));
    std::string link = dir_ + "/link.dat";
    ASSERT_EQ(0, symlink(file_.c_str(), link.c_str()));
    const uint32_t v[2] = {7, 8};
    ASSERT_EQ(0, ArrayToFile(link.c_str(), v, VAL_UNSIGNED_INTEGER, 2, 1, 0, 0, 0, 4, 1, 0));
    struct stat st;
    ASSERT_EQ(0, lstat(link.c_str(), &st));
    EXPECT_TRUE(S_ISLNK(st.st_mode));  // still a link,
    ASSERT_EQ(0, stat(file_.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 07777);  // to the same file, new content
    EXPECT_EQ("   7\n   8\n", ReadText());

    // A link to nowhere is not used to create a file somewhere else.
    std::string dangling = dir_ + "/dangling.dat";
    ASSERT_EQ(0, symlink((dir_ + "/nowhere/x.dat").c_str(), dangling.c_str()));
    EXPECT_LT(ArrayToFile(dangling.c_str(), v, VAL_UNSIGNED_INTEGER, 2, 1, 0, 0, 0, 4, 1, 0), 0);
    EXPECT_EQ(3, Entries());

    // Appending adds to what is there.
    ASSERT_EQ(0, ArrayToFile(file_.c_str(), v, VAL_UNSIGNED_INTEGER, 1, 1, 0, 0, 0, 4, 1, 1));
    EXPECT_EQ("   7\n   8\n   7\n", ReadText());

    if (geteuid() != 0) {  // a write-protected file stays protected
        ASSERT_EQ(0, chmod(file_.c_str(), 0444));
        EXPECT_LT(Save(v, VAL_UNSIGNED_INTEGER, 1), 0);
        EXPECT_EQ("   7\n   8\n   7\n", ReadText());
    }
}

TEST_F(ArrayFileTest, UnsupportedArgumentsAreRefused)
{
    uint32_t v[2] = {1, 2};
    EXPECT_LT(ArrayToFile(file_.c_str(), v, 3, 2, 1, 0, 0, 0, 4, 1, 0), 0);  // type
    EXPECT_LT(ArrayToFile(file_.c_str(), v, VAL_UNSIGNED_INTEGER, 2, 1, 0, 0, 0, -4, 1, 0), 0);
    EXPECT_LT(FileToArray(file_.c_str(), v, VAL_UNSIGNED_INTEGER, 2, 2, 0, 0, 1), 0);  // groups
}

// ---- Fmt ----------------------------------------------------------------------------------------

TEST(FmtTest, WordCodedTextBecomesAtMostNCharacters)
{
    int words[36] = {};
    const char* text = "V1.5 K-VOR-MX";
    for (int i = 0; text[i]; ++i) words[i] = 0x0000 | static_cast<unsigned char>(text[i]);
    words[0] |= 0x1200;  // only the low byte counts
    char out[73];
    memset(out, '#', sizeof out);
    EXPECT_EQ(13, Fmt(out, "%72c<%36i", words));
    EXPECT_STREQ(text, out);  // a zero character ends the text

    for (int& w : words) w = 'a';
    EXPECT_EQ(4, Fmt(out, "%4c<%36i", words));
    EXPECT_STREQ("aaaa", out);
}

TEST(FmtTest, OtherFormatsAreRefused)
{
    int words[4] = {'a', 'b', 'c', 'd'};
    char out[16] = "untouched";
    for (const char* f : {"%s", "%72c", "%c<%36i", "%72c<%i", "%72c<%36i ", "%72d<%36i", ""})
        EXPECT_EQ(-1, Fmt(out, f, words)) << f;
    EXPECT_STREQ("untouched", out);
}

// ---- Program directory --------------------------------------------------------------------------

TEST(UtilTest, ProjectDirHoldsTheRunningExecutable)
{
    char dir[260];
    ASSERT_EQ(0, GetProjectDir(dir));
    EXPECT_EQ('/', dir[0]);
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    exe[n] = '\0';
    std::string self = std::string(dir) + "/" + (strrchr(exe, '/') + 1);
    EXPECT_EQ(0, access(self.c_str(), X_OK)) << self;
}

}  // namespace

// Texts found by what they say, composed texts through their format with the
// arguments kept (a text argument translated too), and a text without a
// translation shown as it is and noted.
TEST(TranslateTest, TextsAndComposedTextsInGermanEnglishUntouched)
{
    ASSERT_EQ(0, SetLanguage("en"));
    EXPECT_STREQ("Timeout-RS-232...", Translate("Timeout-RS-232..."));
    ASSERT_EQ(0, SetLanguage("de"));
    EXPECT_STREQ("de", CurrentLanguage());
    EXPECT_STREQ(
        "Zeit\xFC"
        "berschreitung RS-232...",
        Translate("Timeout-RS-232..."));
    EXPECT_STREQ(
        "Pr\xFC"
        "ffehler: power ist 500 im Sensor, 600 gesendet!",
        Translate("Verify error: power is 500 in the sensor, 600 sent!"));
    EXPECT_STREQ(
        "Parameter nicht gelesen: Zeit\xFC"
        "berschreitung RS-232...",
        Translate("Parameters not read: Timeout-RS-232..."));
    EXPECT_EQ(0, UntranslatedCount());
    EXPECT_STREQ("No such text", Translate("No such text"));
    Translate("No such text");
    ASSERT_EQ(1, UntranslatedCount());
    EXPECT_STREQ("No such text", UntranslatedText(0));
    // A text that only joins others is translated when all its parts are
    // (a path needs none), and is no translation when one part has none.
    EXPECT_STREQ("Keine serielle Schnittstelle gefunden - /dev/ttyUSB9: No such file",
                 Translate("No serial port found - /dev/ttyUSB9: No such file"));
    EXPECT_STREQ("No serial port found - No such text", Translate("No serial port found - No such text"));
    EXPECT_EQ(2, UntranslatedCount());
    // The sensor's own words stay as they are and are no text that slipped through.
    ShowAsIs("K-VOR-MX FW 2.1 special");
    EXPECT_STREQ("K-VOR-MX FW 2.1 special", Translate("K-VOR-MX FW 2.1 special"));
    EXPECT_EQ(2, UntranslatedCount());
    EXPECT_STREQ(
        "Zeit\xC3\xBC"
        "berschreitung RS-232...",
        TranslateUtf8("Timeout-RS-232..."));
    EXPECT_EQ(-1, SetLanguage("xx"));
    EXPECT_STREQ("en", CurrentLanguage());
}

// --language is remembered; without it the remembered choice holds.
TEST(TranslateTest, TheChosenLanguageIsRemembered)
{
    char dir[] = "/tmp/kvormx-language-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    const std::string file = std::string(dir) + "/kvormx.conf";
    ASSERT_EQ(0, SetSettingsFile(file.c_str()));
    EXPECT_EQ(-1, ChooseLanguage("fr"));
    ASSERT_EQ(0, ChooseLanguage("de"));
    SetLanguage("en");
    ASSERT_EQ(0, ChooseLanguage(nullptr));
    EXPECT_STREQ("de", CurrentLanguage());
    ASSERT_EQ(0, ChooseLanguage("en"));
    SetLanguage("de");
    ChooseLanguage(nullptr);
    EXPECT_STREQ("en", CurrentLanguage());
    SetSettingsFile(nullptr);
    std::remove(file.c_str());
    rmdir(dir);
}
