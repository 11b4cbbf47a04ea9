// Replies as real links hand them over: a USB adapter with a long latency
// timer, a serial device server, a Bluetooth link. They come in pieces with
// pauses between them; a reply is its byte count within the time-out, and
// the flush before each request keeps stale bytes out of it.
#include "support/program_fixture.h"

#include "link/link.h"
#include "runtime/rs232.h"
#include "runtime/util.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

class PausesTest : public ProgramTest {
 protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        PlaySensor();
    }
    void TearDown() override
    {
        if (device.joinable()) device.join();
        ProgramTest::TearDown();
    }
    // After the next request: the reply in pieces of `piece` bytes, `gap`
    // seconds apart.
    void AnswerInPieces(const Bytes& reply, size_t piece, double gap)
    {
        if (device.joinable()) device.join();
        device = std::thread([this, reply, piece, gap] {
            peer.Read(FRAME_BYTES, 3.0);
            for (size_t from = 0; from < reply.size(); from += piece) {
                if (from > 0) std::this_thread::sleep_for(std::chrono::duration<double>(gap));
                peer.Write(Bytes(reply.begin() + from, reply.begin() + std::min(reply.size(), from + piece)));
            }
        });
    }
    static Words Set(uint16_t first)
    {
        Words w{};
        for (int i = 0; i < PNUM; i++) w[i] = static_cast<uint16_t>(first + i);
        return w;
    }
    Words PpWords() const
    {
        Words w{};
        std::copy(pp, pp + PNUM, w.begin());
        return w;
    }
    std::thread device;
};

}  // namespace

TEST_F(PausesTest, AFrameInTwoHalvesWithALongPauseIsOneReply)
{
    AnswerInPieces(FrameBytes(Set(0), CMD_ECHO), 18, 0.6);
    EXPECT_EQ(1, CheckComLine(1));
    EXPECT_STREQ("Echo Check - Line Ok!", szStatus);

    AnswerInPieces(FrameBytes(Set(100), CMD_READ_RAM), 18, 0.15);
    ASSERT_EQ(EX_REPLY, ReadParameterSet(RAM));
    EXPECT_EQ(Set(100), PpWords());
}

TEST_F(PausesTest, SmallPiecesMakeUpFramesTextsAndBlocks)
{
    AnswerInPieces(FrameBytes(Set(7), CMD_READ_EEPROM), 12, 0.032);
    ASSERT_EQ(EX_REPLY, ReadParameterSet(EEPROM));
    EXPECT_EQ(Set(7), PpWords());

    // The firmware text of a board-0 sensor, one character a word, with a
    // pause in the middle.
    Bytes text(FIRMWARE_BYTES, 0);
    const char* firmware = "FW pieces";
    for (size_t i = 0; i < std::strlen(firmware); i++) text[2 * i + 1] = static_cast<unsigned char>(firmware[i]);
    AnswerInPieces(text, 36, 0.06);
    EXPECT_EQ(FIRMWARE_BYTES, ReadFirmwareText());
    EXPECT_EQ(0, std::strncmp(szVersion, firmware, std::strlen(firmware)));

    OpenComOn(peer, false);  // as the video loop reads its blocks
    AnswerInPieces(BlockBytes(256, 3), 62, 0.032);
    ASSERT_EQ(EX_REPLY, ReadVideoBlock256(EX_EVENTS));
    for (int k = 0; k < 256; k++) ASSERT_EQ(3 + k, adcbuf[k]) << "sample " << k;
    AnswerInPieces(BlockBytes(64, 500), 12, 0.032);
    ASSERT_EQ(EX_REPLY, ReadVideoBlock64(64, 0, EX_EVENTS));
    EXPECT_EQ(500, adcbuf[64]);
    EXPECT_EQ(563, adcbuf[127]);
}

// The time-out bounds the whole reply, not the pauses inside it: the rest
// coming just before it is a reply, coming after it is none, and its late
// bytes never reach the next exchange.
TEST_F(PausesTest, APauseJustShortOfTheTimeOutStillCounts)
{
    AnswerInPieces(FrameBytes(Set(20), CMD_READ_RAM), 18, TIMEOUT - 0.25);
    ASSERT_EQ(EX_REPLY, ReadParameterSet(RAM));
    EXPECT_EQ(Set(20), PpWords());

    AnswerInPieces(FrameBytes(Set(30), CMD_READ_RAM), 18, TIMEOUT + 0.2);
    EXPECT_EQ(EX_TIMEOUT, ReadParameterSet(RAM));
    device.join();
    AnswerInPieces(FrameBytes(Set(40), CMD_READ_RAM), 36, 0);
    ASSERT_EQ(EX_REPLY, ReadParameterSet(RAM));
    EXPECT_EQ(Set(40), PpWords());
}

// Bytes that reached the input before a request (noise, the tail of an
// answer nobody waited for) are flushed: the reply's words are its own.
TEST_F(PausesTest, StaleBytesBeforeARequestNeverShiftTheReply)
{
    peer.Write({0x13, 0x00, 0x55, 0x00, 0x02, 0x7E, 0x42});
    for (double end = Timer() + 2.0; GetInQLen(1) < 7 && Timer() < end;) PumpFor(0.01);
    ASSERT_EQ(7, GetInQLen(1));
    AnswerInPieces(FrameBytes(Set(200), CMD_READ_RAM), 36, 0);
    ASSERT_EQ(EX_REPLY, ReadParameterSet(RAM));
    EXPECT_EQ(Set(200), PpWords());
}

// The first bytes after an open may be the rest of a reply to the port's last
// owner, a program that ended with its request out: the echo's sync word
// shows it, and the echo is asked for again once the line has settled.
TEST_F(PausesTest, AReplyLeftFromTheLastOwnerIsSettledBeforeTheEchoIsAskedAgain)
{
    device = std::thread([this] {
        peer.Read(FRAME_BYTES, 3.0);
        Bytes tail(20, 0x00);  // the end of a measurement reply nobody waits for any more
        Bytes echo = FrameBytes(Set(0), CMD_ECHO);
        tail.insert(tail.end(), echo.begin(), echo.end());
        peer.Write(tail);
        peer.Read(FRAME_BYTES, 3.0);
        peer.Write(FrameBytes(Set(0), CMD_ECHO));
    });
    EXPECT_EQ(1, CheckComLine(1));
    EXPECT_STREQ("Echo Check - Line Ok!", szStatus);
}
