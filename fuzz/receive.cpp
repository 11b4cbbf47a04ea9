// Fuzzes the receive path end to end: the input is what the sensor sends
// back, reply by reply, to the program's own exchanges: the port set-up (line
// check, identification, parameter read, firmware text), Get from RAM and
// EEPROM, Teach, Reset, run mode and one video cycle. A thread on the master
// side of a pseudo-terminal plays the sensor.
//
// Input layout, per request: one control byte, then the reply. The reply is
// as long as the request expects plus (control % 8) bytes, so frames may be
// long, misaligned or wrong in every field, but no wait runs into its 1.5 s
// time-out and an input takes milliseconds. When the input runs out the
// replies are in step (reply sync word, the request's command word) and
// zero otherwise, so the loops see replies and end at their Stop.
#include "app/app.h"
#include "app/panels.h"
#include "app/state.h"
#include "display/display.h"
#include "link/link.h"
#include "params/params.h"
#include "runtime/inspect.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

int g_master = -1;
uint16_t g_defaults[PNUM];

struct Replies {
    const uint8_t* data;
    size_t size, pos = 0;
    uint8_t Next() { return pos < size ? data[pos++] : 0; }
};

// Reply length by the request: raw blocks for the firmware text and the
// video reads, a frame for everything else.
size_t Expected(const unsigned char* req)
{
    int command = req[3];
    if (command == CMD_VERSION) return FIRMWARE_BYTES;
    if (command == CMD_READ_VIDEO64) return 128;
    if (command == CMD_READ_VIDEO256) {
        bool zero = true;
        for (int i = 4; i < FRAME_BYTES; i++) zero = zero && req[i] == 0;
        if (zero) return 512;   // the video read; with a payload it is the max/min reset
    }
    return FRAME_BYTES;
}

void Serve(Replies* in, std::atomic<bool>* done)
{
    unsigned char req[FRAME_BYTES];
    size_t have = 0;
    while (!done->load()) {
        pollfd p = {g_master, POLLIN, 0};
        if (poll(&p, 1, 2) <= 0) continue;
        ssize_t n = read(g_master, req + have, FRAME_BYTES - have);
        if (n <= 0) continue;
        have += static_cast<size_t>(n);
        if (have < FRAME_BYTES) continue;
        have = 0;
        const bool padding = in->pos >= in->size;
        size_t len = Expected(req) + in->Next() % 8;
        std::vector<unsigned char> reply(len);
        for (auto& b : reply) b = in->Next();
        if (padding && len == FRAME_BYTES) {
            reply[1] = 0xAA;
            reply[3] = req[3];
        }
        for (size_t off = 0; off < len;) {
            ssize_t w = write(g_master, reply.data() + off, len - off);
            if (w <= 0) break;
            off += static_cast<size_t>(w);
        }
    }
}

void Stop(void*)
{
    stop_flag = 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!InitRuntime(argc, *argv) || LoadPanels() < 0) std::abort();
    GetProjectDir(proj_dir);
    InitVars();
    CopyVarsToPP();
    std::memcpy(g_defaults, pp, sizeof g_defaults);

    int slave = -1;
    char path[128];
    if (openpty(&g_master, &slave, path, nullptr, nullptr) != 0) std::abort();
    termios t;
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    // The slave stays open here, so the line never hangs up between inputs.
    SetComDevice(1, path);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::memcpy(pp, g_defaults, sizeof pp);
    CopyPPtoVars();
    ccdmaxpixel = 1024;
    pcbtype = 0;
    pix1 = 0;
    com = 1;
    sync_word = 0x55;
    rx_flag = 0;
    stop_flag = 1;
    exchange_busy = 0;

    Replies in{data, size};
    std::atomic<bool> done{false};
    std::thread sensor(Serve, &in, &done);

    InitRS232(com);
    target = RAM;
    CC_BTNGet(panelHandle, PANEL_GET, EVENT_COMMIT, nullptr, 0, 0);
    target = EEPROM;
    CC_BTNGet(panelHandle, PANEL_GET, EVENT_COMMIT, nullptr, 0, 0);
    CC_ButtonTeach(panelHandle, PANEL_BUTTON_TEACH, EVENT_COMMIT, nullptr, 0, 0);
    CC_ButtonReset(panelHandle, PANEL_BUTTON_RESET, EVENT_COMMIT, nullptr, 0, 0);
    AfterDelay(0.005, Stop, nullptr);
    CC_BTNRun(panelHandle, PANEL_RUN, EVENT_COMMIT, nullptr, 0, 0);
    AfterDelay(0.0, Stop, nullptr);   // one cycle: Stop is looked at at its end
    CC_BTNVideo(panelHandle, PANEL_VIDEO, EVENT_COMMIT, nullptr, 0, 0);

    done = true;
    sensor.join();
    CloseCom(com);
    tcflush(g_master, TCIOFLUSH);
    return 0;
}
