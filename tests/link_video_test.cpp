// Video block reads, byte for byte, against a device the test plays on a
// pseudo-terminal: the request frames, where each block lands in adcbuf, and
// what a short, long or missing block leaves behind.
#include "support/program_fixture.h"

#include "link/link.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "support/pty_peer.h"

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// COM 1 on a pty; the receive callback is off, as the video loop has it
// while blocks are read.
class VideoBlockTest : public ProgramTest {
 protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        OpenComOn(peer, false);
        for (auto& s : adcbuf) s = 0xEEEE;
    }
    void TearDown() override
    {
        if (device.joinable()) device.join();
        ProgramTest::TearDown();
    }
    // The device answers the next request with `reply` (written in one go).
    void DeviceAnswers(Bytes reply)
    {
        device = std::thread([this, reply] {
            request = peer.Read(FRAME_BYTES, 3.0);
            if (request.size() == static_cast<size_t>(FRAME_BYTES)) peer.Write(reply);
        });
    }
    void DeviceDone()
    {
        if (device.joinable()) device.join();
    }
    static Bytes Block(int words, int base) { return BlockBytes(words, base); }
    static Bytes Request(int command, int word0, int word1)
    {
        Words w{};
        w[0] = static_cast<uint16_t>(word0);
        w[1] = static_cast<uint16_t>(word1);
        return FrameBytes(w, static_cast<uint16_t>(command), 0x0055);
    }
    std::thread device;
    Bytes request;
};

}  // namespace

TEST_F(VideoBlockTest, SixtyFourSampleBlockFillsOnlyItsQuarter)
{
    DeviceAnswers(Block(64, 300));
    EXPECT_EQ(1, ReadData64(64, 0));
    DeviceDone();
    EXPECT_EQ(Request(9, 0x40, 0), request);
    EXPECT_EQ(9, order);
    EXPECT_EQ("Data[64] block received!", Status());
    EXPECT_EQ(0xEEEE, adcbuf[63]);
    for (int k = 0; k < 64; k++) ASSERT_EQ(300 + k, adcbuf[64 + k]) << "sample " << 64 + k;
    EXPECT_EQ(0xEEEE, adcbuf[128]);

    DeviceAnswers(Block(64, 0x1000));
    ReadData64(192, 1);
    DeviceDone();
    EXPECT_EQ(Request(9, 0xC0, 1), request);
    EXPECT_EQ(0x1000, adcbuf[192]);
    EXPECT_EQ(0x1000 + 63, adcbuf[255]);
}

TEST_F(VideoBlockTest, WholeLineBlockFillsAllSamples)
{
    DeviceAnswers(Block(256, 500));
    EXPECT_EQ(1, ReadData256());
    DeviceDone();
    EXPECT_EQ(Request(11, 0, 0), request);
    EXPECT_EQ(11, order);
    EXPECT_EQ("Data[256] block received!", Status());
    for (int k = 0; k < 256; k++) ASSERT_EQ(500 + k, adcbuf[k]) << "sample " << k;
}

// A block cut short ends in the time-out; the samples that came are shown,
// the rest of the block comes from what the buffer held before.
TEST_F(VideoBlockTest, ShortBlockTimesOutAndKeepsWhatArrived)
{
    std::memset(szReadBuf, 0x01, SERIAL_BUF_LEN);
    Bytes part = Block(64, 700);
    part.resize(100);
    DeviceAnswers(part);
    double start = Timer();
    EXPECT_EQ(1, ReadData64(0, 0));
    EXPECT_GE(Timer() - start, TIMEOUT);
    DeviceDone();
    EXPECT_EQ("Timeout-RS-232 while reading 64 data-words!", Status());
    EXPECT_EQ(100, nBytesR);
    for (int k = 0; k < 50; k++) ASSERT_EQ(700 + k, adcbuf[k]) << "sample " << k;
    EXPECT_EQ(0x0101, adcbuf[50]);
    EXPECT_EQ(0x0101, adcbuf[63]);
    EXPECT_EQ(0xEEEE, adcbuf[64]);
}

TEST_F(VideoBlockTest, LongBlockIsDecodedFromItsStartWithoutTheReceivedText)
{
    CopyText(szStatus, STATUS_LEN, "before");
    Bytes more = Block(64, 40);
    more.push_back(0xAB);
    more.push_back(0xCD);
    DeviceAnswers(more);
    ReadData64(128, 0);
    DeviceDone();
    EXPECT_EQ(130, nBytesR);
    EXPECT_EQ("before", Status());
    EXPECT_EQ(40, adcbuf[128]);
    EXPECT_EQ(40 + 63, adcbuf[191]);
    EXPECT_EQ(0xEEEE, adcbuf[192]);
}

TEST_F(VideoBlockTest, BlockStartOutsideTheLineNeverWritesPastIt)
{
    DeviceAnswers(Block(64, 10));
    ReadData64(250, 1);
    DeviceDone();
    EXPECT_EQ(10, adcbuf[0]);  // taken as the first block
}
