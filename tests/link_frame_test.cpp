// Frame codec and receive callback, byte for byte, on a pseudo-terminal the
// test plays the sensor on.
#include "support/program_fixture.h"

#include "link/link.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "support/pty_peer.h"

#include <chrono>
#include <thread>

namespace {

// COM 1 on a pty whose master side the test holds.
class FrameTest : public ProgramTest {
 protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        OpenComOn(peer);
    }
    void SensorWrites(const std::vector<unsigned char>& bytes) { peer.Write(bytes); }
    std::vector<unsigned char> SensorReads(size_t n) { return peer.Read(n, 2.0); }
    static Bytes Reply(uint16_t first)
    {
        Words w{};
        w[0] = first;
        for (int i = 1; i < PNUM; i++) w[i] = static_cast<uint16_t>(i);
        return FrameBytes(w);
    }
    // A read whose reply the test sends while the program waits for it.
    int ReadAnsweredWith(const Bytes& reply)
    {
        AfterSeconds(0.01, [this, reply] { peer.Write(reply); });
        return Exchange(CMD_READ_RAM, pp, REPLY_FRAME, 2.0, EX_EVENTS);
    }
    void PumpUntilFlag(double limit = 1.0)
    {
        double start = Timer();
        while (!rx_flag && Timer() - start < limit) ProcessSystemEvents();
    }
};

}  // namespace

TEST_F(FrameTest, EchoFrameIsSyncCommandAndBigEndianPayload)
{
    for (int i = 0; i < PNUM; i++) pp[i] = static_cast<uint16_t>(0x0100 * i + i);
    pp[0] = 0x1234;
    FillTxBuf(CMD_ECHO, pp);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(szWriteBuf);
    EXPECT_EQ(0x00, b[0]);
    EXPECT_EQ(0x55, b[1]);
    EXPECT_EQ(0x00, b[2]);
    EXPECT_EQ(0x05, b[3]);
    EXPECT_EQ(0x12, b[4]);
    EXPECT_EQ(0x34, b[5]);
    for (int i = 1; i < PNUM; i++) {
        EXPECT_EQ(i, b[4 + 2 * i]);
        EXPECT_EQ(i, b[5 + 2 * i]);
    }
    ASSERT_EQ(EX_WRITTEN, Exchange(CMD_ECHO, pp, REPLY_NONE, 0.0, 0));
    auto sent = SensorReads(FRAME_BYTES);
    EXPECT_EQ(std::vector<unsigned char>(b, b + FRAME_BYTES), sent);
}

TEST_F(FrameTest, ReplyWordsAreDecodedUnsigned)
{
    std::vector<unsigned char> f = Reply(0x03FF);
    f[6] = 0xFF;
    f[7] = 0xFE;
    ASSERT_EQ(EX_REPLY, ReadAnsweredWith(f));
    ASSERT_EQ(1, rx_flag);
    EXPECT_EQ(1, graphrefresh);
    EXPECT_EQ(1023, pp[0]);
    EXPECT_EQ(0xFFFE, pp[1]);
    EXPECT_EQ(15, pp[15]);
}

TEST_F(FrameTest, CallbackWithoutTheReceiveBitReadsNothing)
{
    InstallComCallback(1, 0, FRAME_BYTES, sync_word, nullptr, 0);
    SensorWrites(Reply(7));
    PumpFor(0.05);  // the bytes wait in the queue; no callback takes them
    rx_flag = 0;
    pp[0] = 99;
    RX_Receive_Function(1, 0x0002, nullptr);
    EXPECT_EQ(0, rx_flag);
    EXPECT_EQ(99, pp[0]);
}

TEST_F(FrameTest, FortyBytesAtOnceGiveOneFrameAndTheRestIsDropped)
{
    std::vector<unsigned char> f = Reply(0x0101);
    f.insert(f.end(), {0xEE, 0xEE, 0xEE, 0xEE});
    ASSERT_EQ(EX_REPLY, ReadAnsweredWith(f));
    EXPECT_EQ(0x0101, pp[0]);
    EXPECT_EQ(1, ReplyLongerThanFrame(0.0));
    PumpFor(0.05);
    EXPECT_EQ(0, GetInQLen(1));
}

TEST_F(FrameTest, ShortReplyNeverRaisesTheFlag)
{
    std::vector<unsigned char> f = Reply(1);
    f.resize(30);
    SensorWrites(f);
    PumpFor(0.1);
    EXPECT_EQ(0, rx_flag);
}

// A reply after its time-out, or a frame nobody asked for, answers no
// request: it never reaches pp, and the next request does not take it.
TEST_F(FrameTest, FramesWhileNobodyWaitsNeverReachPp)
{
    for (int i = 0; i < PNUM; i++) pp[i] = 0;
    EXPECT_EQ(EX_TIMEOUT, Exchange(CMD_READ_RAM, pp, REPLY_FRAME, 0.05, EX_EVENTS));  // nobody answered in time
    SensorWrites(Reply(0x0042));
    PumpFor(0.2);
    EXPECT_EQ(0, rx_flag);
    EXPECT_EQ(0, pp[0]);

    // Late by less than the settle time: the next request waits it out.
    EXPECT_EQ(EX_TIMEOUT, Exchange(CMD_READ_RAM, pp, REPLY_FRAME, 0.05, EX_EVENTS));
    std::thread late([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        SensorWrites(Reply(0x0043));
    });
    EXPECT_EQ(EX_TIMEOUT, Exchange(CMD_READ_RAM, pp, REPLY_FRAME, 0.5, EX_EVENTS));
    late.join();
    EXPECT_EQ(0, pp[0]);
}

TEST_F(FrameTest, DeviceVanishingBeforeTheFrameIsReadRaisesNoFlag)
{
    std::vector<unsigned char> f = Reply(0x0077);
    f.resize(20);
    SensorWrites(f);
    PumpFor(0.05);
    peer.Hangup();
    pp[0] = 99;
    // As the runtime would call it had it counted 36 bytes just before.
    RX_Receive_Function(1, 0x8000, nullptr);
    EXPECT_EQ(0, rx_flag);
    EXPECT_EQ(0, graphrefresh);
    EXPECT_EQ(99, pp[0]);
}
