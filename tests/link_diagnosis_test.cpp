// The pieces of diagnosis at the line that the window and kvormx-cli share:
// the moving average and envelope of video pictures, and the reference
// file with its round trip and its refusals.
#include <gtest/gtest.h>

#include "link/average.h"
#include "link/reference.h"
#include "link/state.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A picture whose sample i is base + i.
void Ramp(uint16_t* samples, int base)
{
    for (int i = 0; i < PICTURE_SAMPLES; i++) samples[i] = static_cast<uint16_t>(base + i);
}

Reference SomeReference()
{
    Reference r{};
    PictureRecord& p = r.picture;
    std::snprintf(p.m.time, RECORD_TIME_LEN, "2026-12-07T20:00:00.125Z");
    p.m.seconds = 1.5;
    p.m.seq = 7;
    p.m.value = 512;
    p.m.left_edge = 300;
    p.m.right_edge = 724;
    p.m.edges = 2;
    p.m.teach = 500;
    p.m.tolerance = 20;
    p.m.maximum = 530;
    p.m.minimum = 1023;
    std::snprintf(p.m.port, RECORD_PORT_LEN, "/dev/serial/by-id/usb-a,b\"c");  // a comma and a quote
    p.complete = 1;
    p.first_pixel = 0;
    p.pixel_step = 4;
    for (int i = 0; i < PICTURE_SAMPLES; i++) p.samples[i] = static_cast<uint16_t>((i * 37) % 1024);
    r.averaged = 8;
    std::snprintf(r.identity.description, IDENTITY_TEXT_LEN, "CCD-SENSOR: 1024 pixels, 14 \xB5m");
    r.identity.ccd_type = 2;
    r.identity.pixels = 1024;
    r.identity.resolution = 250;
    r.identity.board_type = 0;
    std::snprintf(r.identity.firmware, STATUS_LEN, "FW 1.0, \"test\"");
    for (int i = 0; i < PNUM; i++) r.params[i] = static_cast<uint16_t>(100 + i);
    return r;
}

class ReferenceFile : public ::testing::Test {
 protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("kvormx-reference-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

}  // namespace

TEST(PictureAverage, MeanRoundsHalvesUpAndEnvelopeSpansThePicturesAveraged)
{
    PictureAverage a;
    ClearAverage(&a);
    uint16_t mean[PICTURE_SAMPLES], low[PICTURE_SAMPLES], high[PICTURE_SAMPLES];
    EXPECT_EQ(0, AverageOf(&a, 4, mean, low, high));  // nothing held yet

    uint16_t p[PICTURE_SAMPLES];
    for (int base : {10, 20, 31, 40}) {
        Ramp(p, base);
        AddToAverage(&a, p, 0, 4);
    }
    ASSERT_EQ(4, AverageOf(&a, 4, mean, low, high));
    for (int i = 0; i < PICTURE_SAMPLES; i++) {
        ASSERT_EQ(25 + i, mean[i]) << i;  // 101 / 4 = 25.25
        ASSERT_EQ(10 + i, low[i]);
        ASSERT_EQ(40 + i, high[i]);
    }
    // The newest two only: (31 + 40) / 2 = 35.5 becomes 36.
    ASSERT_EQ(2, AverageOf(&a, 2, mean, low, high));
    EXPECT_EQ(36, mean[0]);
    EXPECT_EQ(31, low[0]);
    // Sixteen asked, four held: the four.
    EXPECT_EQ(4, AverageOf(&a, 16, mean, nullptr, nullptr));
    EXPECT_EQ(25, mean[0]);
}

TEST(PictureAverage, MovesOnAndStartsAfreshWhereThePicturesLieElsewhere)
{
    PictureAverage a;
    ClearAverage(&a);
    uint16_t p[PICTURE_SAMPLES], mean[PICTURE_SAMPLES];
    for (int k = 0; k < 20; k++) {  // past the ring's 16
        Ramp(p, 100 * k);
        AddToAverage(&a, p, 0, 4);
    }
    // The latest 16 are 400 .. 1900: their mean is 1150.
    ASSERT_EQ(16, AverageOf(&a, 16, mean, nullptr, nullptr));
    EXPECT_EQ(1150, mean[0]);
    ASSERT_EQ(1, AverageOf(&a, 1, mean, nullptr, nullptr));
    EXPECT_EQ(1900, mean[0]);
    // Another window: samples of other pixels are never mixed in.
    Ramp(p, 7);
    AddToAverage(&a, p, 300, 1);
    ASSERT_EQ(1, AverageOf(&a, 16, mean, nullptr, nullptr));
    EXPECT_EQ(7, mean[0]);
    EXPECT_TRUE(AverageCountAllowed(8));
    EXPECT_FALSE(AverageCountAllowed(3));
    EXPECT_FALSE(AverageCountAllowed(32));
}

TEST_F(ReferenceFile, RoundTripKeepsThePictureIdentityAndParameters)
{
    const Reference r = SomeReference();
    const std::string file = Path("ref.csv");
    ASSERT_EQ(0, SaveReference(file.c_str(), &r)) << ReferenceError();
    std::ifstream in(file);
    std::string header, row, extra;
    std::getline(in, header);
    std::getline(in, row);
    EXPECT_FALSE(std::getline(in, extra));
    // The recording's video columns first, in their order.
    char recording[RECORD_LINE_LEN];
    FormatCsvHeader(recording, sizeof recording, 1);
    EXPECT_EQ(0u, header.find(std::string(recording) + ",averaged,description,ccd_type,pixels,"));
    EXPECT_NE(std::string::npos, header.find(",power,rs232Mode,vThd,"));

    Reference back{};
    ASSERT_EQ(0, LoadReference(file.c_str(), &back)) << ReferenceError();
    EXPECT_EQ(0, std::memcmp(r.picture.samples, back.picture.samples, sizeof r.picture.samples));
    EXPECT_STREQ(r.picture.m.time, back.picture.m.time);
    EXPECT_STREQ(r.picture.m.port, back.picture.m.port);
    EXPECT_EQ(r.picture.m.seq, back.picture.m.seq);
    EXPECT_EQ(r.picture.m.left_edge, back.picture.m.left_edge);
    EXPECT_EQ(r.picture.m.minimum, back.picture.m.minimum);
    EXPECT_EQ(r.picture.first_pixel, back.picture.first_pixel);
    EXPECT_EQ(r.picture.pixel_step, back.picture.pixel_step);
    EXPECT_EQ(8, back.averaged);
    EXPECT_STREQ(r.identity.description, back.identity.description);
    EXPECT_STREQ(r.identity.firmware, back.identity.firmware);
    EXPECT_EQ(1024, back.identity.pixels);
    EXPECT_EQ(250, back.identity.resolution);
    EXPECT_EQ(0, std::memcmp(r.params, back.params, sizeof r.params));
    char why[200];
    EXPECT_EQ(1, ReferenceFits(&back, 1024, 0, 4, why, sizeof why)) << why;
}

TEST_F(ReferenceFile, ReferenceOfAnotherLineOrWindowIsRefusedWithItsReason)
{
    Reference r = SomeReference();
    char why[200];
    EXPECT_EQ(0, ReferenceFits(&r, 512, 0, 2, why, sizeof why));
    EXPECT_STREQ("The reference was taken on a line of 1024 pixels, this sensor has 512.", why);
    r.picture.first_pixel = 300;
    r.picture.pixel_step = 1;
    EXPECT_EQ(0, ReferenceFits(&r, 1024, 0, 4, why, sizeof why));
    EXPECT_STREQ("The reference starts at pixel 300, the video at pixel 0.", why);
    EXPECT_EQ(1, ReferenceFits(&r, 1024, 300, 1, why, sizeof why));
}

TEST_F(ReferenceFile, FilesThatAreNoReferenceAreRefusedAndNothingChanges)
{
    Reference kept = SomeReference();
    const std::string csv = Path("not.csv");
    std::ofstream(csv) << "a,b,c\n1,2,3\n";
    EXPECT_EQ(-1, LoadReference(csv.c_str(), &kept));
    EXPECT_NE(std::string::npos, std::string(ReferenceError()).find("not a reference file")) << ReferenceError();
    EXPECT_EQ(1024, kept.identity.pixels);

    // A sample out of the 0..1023 range, and a row cut short.
    Reference r = SomeReference();
    r.picture.m.minimum = 1;
    r.picture.samples[5] = 1023;
    char text[REFERENCE_TEXT_LEN];
    FormatReference(text, sizeof text, &r);
    std::string bad = text;
    const size_t at = bad.find(",1023,", bad.find('\n'));
    ASSERT_NE(std::string::npos, at);
    bad.replace(at, 6, ",5000,");
    Reference out{};
    char why[200];
    EXPECT_EQ(-1, ParseReference(bad.c_str(), &out, why, sizeof why));
    std::string cut = std::string(text).substr(0, std::string(text).find('\n') + 400);
    EXPECT_EQ(-1, ParseReference(cut.c_str(), &out, why, sizeof why));
    EXPECT_NE(std::string::npos, std::string(why).find("no valid column")) << why;

    // A FIFO is refused at once, never waited on.
    const std::string fifo = Path("fifo");
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    EXPECT_EQ(-1, LoadReference(fifo.c_str(), &out));
    EXPECT_NE(std::string::npos, std::string(ReferenceError()).find("not a regular file")) << ReferenceError();
}

TEST(ReferenceDifference, IsLiveMinusReferenceSampleBySample)
{
    Reference r = SomeReference();
    uint16_t live[PICTURE_SAMPLES];
    Ramp(live, 0);
    int d[PICTURE_SAMPLES];
    ReferenceDifference(&r, live, d);
    for (int i = 0; i < PICTURE_SAMPLES; i++) ASSERT_EQ(i - (i * 37) % 1024, d[i]);
}
