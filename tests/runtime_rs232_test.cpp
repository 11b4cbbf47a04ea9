// RS-232 library against a real pseudo-terminal: the test holds the master
// side and plays the device, the library opens the slave as COM 1.
//
// Bytes written to a pseudo-terminal master reach the slave through a kernel
// work queue, not at once, so every check of arrived bytes waits (bounded) for
// them instead of assuming they are there after write() returns.

#include "runtime/port_events.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class Rs232Test : public ::testing::Test {
 protected:
    void SetUp() override
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(0, grantpt(master_));
        ASSERT_EQ(0, unlockpt(master_));
        slave_ = ptsname(master_);
        ASSERT_EQ(0, SetComDevice(1, slave_.c_str()));
    }
    void TearDown() override
    {
        ComCloseAll();
        if (master_ >= 0) close(master_);
        SetComDevice(1, nullptr);
    }

    int Open(int port = 1) { return OpenComConfig(port, "", 19200, 0, 8, 1, 4096, 4096); }

    void DeviceSays(const std::string& bytes)
    {
        ASSERT_EQ(static_cast<ssize_t>(bytes.size()), write(master_, bytes.data(), bytes.size()));
    }
    // Up to n bytes the library sent, waiting at most `seconds` for them.
    std::string DeviceHears(size_t n, double seconds = 2.0)
    {
        std::string got;
        double end = Timer() + seconds;
        while (got.size() < n) {
            int ms = static_cast<int>((end - Timer()) * 1000);
            if (ms <= 0) break;
            pollfd pfd{master_, POLLIN, 0};
            if (poll(&pfd, 1, ms) <= 0) break;
            char buf[1024];
            ssize_t r = read(master_, buf, std::min(sizeof buf, n - got.size()));
            if (r <= 0) break;
            got.append(buf, static_cast<size_t>(r));
        }
        return got;
    }
    // Waits (bounded) until the library sees at least n bytes waiting.
    int WaitInQ(int n, int port = 1)
    {
        int len = GetInQLen(port);
        for (double end = Timer() + 2.0; len >= 0 && len < n && Timer() < end;) {
            poll(nullptr, 0, 1);
            len = GetInQLen(port);
        }
        return len;
    }
    // The slave's settings as the system's own tool reports them.
    std::string Stty()
    {
        std::string cmd = "stty -a -F " + slave_ + " 2>&1";
        std::string out;
        if (FILE* p = popen(cmd.c_str(), "r")) {
            char buf[512];
            while (fgets(buf, sizeof buf, p)) out += buf;
            pclose(p);
        }
        for (char& c : out)
            if (c == ';' || c == '\n') c = ' ';
        return " " + out + " ";
    }

    int master_ = -1;
    std::string slave_;
};

// ---- Settings -----------------------------------------------------------------------------------

TEST_F(Rs232Test, OpenAppliesRequestedLineSettingsWithoutFlowControl)
{
    ASSERT_EQ(0, Open());
    std::string s = Stty();
    EXPECT_NE(std::string::npos, s.find("speed 19200 baud")) << s;
    for (const char* flag : {"cs8", "-parenb", "-cstopb", "-crtscts", "-ixon", "-ixoff", "clocal", "cread", "-icanon",
                             "-echo", "-isig", "-icrnl", "-opost"})
        EXPECT_NE(std::string::npos, s.find(std::string(" ") + flag + " ")) << flag << " in" << s;

    // A pseudo-terminal forces cs8 and no parity enable whatever is asked,
    // so only the odd-parity choice and the stop bits can be seen here.
    ASSERT_EQ(0, OpenComConfig(1, "", 9600, 1, 7, 2, 512, 512));
    s = Stty();
    EXPECT_NE(std::string::npos, s.find("speed 9600 baud")) << s;
    for (const char* flag : {"parodd", "cstopb"})
        EXPECT_NE(std::string::npos, s.find(std::string(" ") + flag + " ")) << flag << " in" << s;
}

TEST_F(Rs232Test, EveryByteValuePassesBothWaysUnaltered)
{
    ASSERT_EQ(0, Open());
    std::string all;  // includes CR, XON/XOFF, ^C and NUL
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    EXPECT_EQ(256, ComWrt(1, all.data(), 256));
    EXPECT_EQ(all, DeviceHears(256));

    DeviceSays(all);
    std::vector<char> buf(256);
    ASSERT_EQ(256, ComRd(1, buf.data(), 256));
    EXPECT_EQ(all, std::string(buf.data(), 256));
}

// ---- Queue --------------------------------------------------------------------------------------

TEST_F(Rs232Test, QueueLengthSeesArrivalsWithoutEventProcessingAndFlushesWork)
{
    ASSERT_EQ(0, Open());
    EXPECT_EQ(0, GetInQLen(1));
    DeviceSays(std::string(72, 'v'));
    EXPECT_EQ(72, WaitInQ(72));
    EXPECT_EQ(0, FlushInQ(1));
    EXPECT_EQ(0, GetInQLen(1));

    DeviceSays("abc");
    ASSERT_EQ(3, WaitInQ(3));
    char buf[8];
    EXPECT_EQ(3, ComRd(1, buf, 3));
    EXPECT_EQ("abc", std::string(buf, 3));
    // What an output flush discards on a pseudo-terminal depends on a kernel
    // work queue, so only its success and an intact line after it are checked.
    EXPECT_EQ(0, FlushOutQ(1));
    ASSERT_EQ(5, ComWrt(1, "fresh", 5));
    EXPECT_EQ("fresh", DeviceHears(5));
}

TEST_F(Rs232Test, FullQueueKeepsTheRestInTheDriverInOrder)
{
    ASSERT_EQ(0, OpenComConfig(1, "", 19200, 0, 8, 1, 64, 64));
    std::string data;
    for (int i = 0; i < 100; ++i) data += static_cast<char>('A' + i % 26);
    DeviceSays(data);
    EXPECT_EQ(100, WaitInQ(100));
    std::vector<char> buf(100);
    ASSERT_EQ(100, ComRd(1, buf.data(), 100));
    EXPECT_EQ(data, std::string(buf.data(), 100));
}

// ---- Reads and writes ---------------------------------------------------------------------------

TEST_F(Rs232Test, ReadReturnsPartialCountWhenTheTimeOutPasses)
{
    ASSERT_EQ(0, Open());
    ASSERT_EQ(0, SetComTime(1, 0.2));
    DeviceSays("0123456789");
    char buf[36];
    double t0 = Timer();
    EXPECT_EQ(10, ComRd(1, buf, 36));
    double took = Timer() - t0;
    EXPECT_GE(took, 0.19);
    EXPECT_LT(took, 1.5);  // bounded by the time-out, with room for a loaded machine
}

TEST_F(Rs232Test, ReadReturnsAsSoonAsTheCountHasArrived)
{
    ASSERT_EQ(0, Open());
    ASSERT_EQ(0, SetComTime(1, 10.0));
    std::thread device([this] {
        poll(nullptr, 0, 50);
        DeviceSays(std::string(20, 'a'));
        poll(nullptr, 0, 50);
        DeviceSays(std::string(16, 'b'));
    });
    char buf[36];
    double t0 = Timer();
    int got = ComRd(1, buf, 36);
    double took = Timer() - t0;
    device.join();
    EXPECT_EQ(36, got);
    EXPECT_LT(took, 5.0);  // far below the 10 s time-out: it did not wait it out
}

// ---- Receive callbacks --------------------------------------------------------------------------

struct CallbackLog {
    int calls = 0;
    int lastPort = 0;
    int lastEvents = 0;
    int nestedDispatches = 0;
    bool dispatchInside = false;
    std::string frame;
};

void ReadFrame(int port, int events, void* data)
{
    auto* log = static_cast<CallbackLog*>(data);
    ++log->calls;
    log->lastPort = port;
    log->lastEvents = events;
    if (log->dispatchInside) log->nestedDispatches += ComDispatchPending();
    char buf[36];
    int n = ComRd(port, buf, 36);
    if (n > 0) log->frame.assign(buf, static_cast<size_t>(n));
}

TEST_F(Rs232Test, ReceiveCallbackRunsAtExactlyItsNotificationCountUntilRemoved)
{
    ASSERT_EQ(0, Open());
    CallbackLog log;
    ASSERT_EQ(0, InstallComCallback(1, 0x8006, 36, 0x55, ReadFrame, &log));

    DeviceSays(std::string(35, 'x'));
    ASSERT_EQ(35, WaitInQ(35));
    EXPECT_EQ(0, ComDispatchPending());
    EXPECT_EQ(0, log.calls);

    DeviceSays("y");
    ASSERT_EQ(36, WaitInQ(36));
    EXPECT_EQ(1, ComDispatchPending());
    EXPECT_EQ(1, log.calls);
    EXPECT_EQ(1, log.lastPort);
    EXPECT_EQ(LWRS_RECEIVE, log.lastEvents);
    EXPECT_EQ(std::string(35, 'x') + "y", log.frame);
    EXPECT_EQ(0, ComDispatchPending());  // the callback took the frame

    ASSERT_EQ(0, InstallComCallback(1, 0, 36, 0x55, nullptr, nullptr));
    DeviceSays(std::string(72, 'z'));
    ASSERT_EQ(72, WaitInQ(72));
    EXPECT_EQ(0, ComDispatchPending());
    EXPECT_EQ(1, log.calls);
    EXPECT_EQ(72, GetInQLen(1));  // a raw read finds the block untouched
}

TEST_F(Rs232Test, CallbackThatProcessesEventsGetsNoNestedCallForItsPort)
{
    ASSERT_EQ(0, Open());
    CallbackLog log;
    log.dispatchInside = true;
    ASSERT_EQ(0, InstallComCallback(1, LWRS_RECEIVE, 36, 0, ReadFrame, &log));
    DeviceSays(std::string(72, 'q'));
    ASSERT_EQ(72, WaitInQ(72));
    EXPECT_EQ(1, ComDispatchPending());
    EXPECT_EQ(1, log.calls);
    EXPECT_EQ(0, log.nestedDispatches);
    EXPECT_EQ(1, ComDispatchPending());  // the second frame, on the next pass
}

void CloseOwnPort(int port, int, void* data)
{
    ++*static_cast<int*>(data);
    CloseCom(port);
}

TEST_F(Rs232Test, CallbackMayCloseItsOwnPort)
{
    ASSERT_EQ(0, Open());
    int calls = 0;
    ASSERT_EQ(0, InstallComCallback(1, LWRS_RECEIVE, 1, 0, CloseOwnPort, &calls));
    DeviceSays("!");
    ASSERT_EQ(1, WaitInQ(1));
    EXPECT_EQ(1, ComDispatchPending());
    EXPECT_EQ(RS_PORT_NOT_OPEN, GetInQLen(1));
    EXPECT_EQ(0, ComDispatchPending());
    EXPECT_EQ(0, Open());  // and it can be opened again
}

// Through the event loop the program waits in: the byte that completes the
// frame has to reach the callback without any explicit queue polling.
TEST_F(Rs232Test, ReceiveCallbackRunsInsideProcessSystemEvents)
{
    if (!InitRuntime(nullptr, nullptr)) GTEST_SKIP() << "no window system";
    ASSERT_EQ(0, Open());
    CallbackLog log;
    log.dispatchInside = true;
    ASSERT_EQ(0, InstallComCallback(1, 0x8006, 36, 0x55, ReadFrame, &log));

    // A frame in two pieces with a pause between them, as a device server or
    // an adapter with a long latency timer hands it over: one frame, whole.
    DeviceSays(std::string(20, 'x'));
    for (double end = Timer() + 0.1; Timer() < end;) ProcessSystemEvents();
    EXPECT_EQ(0, log.calls);
    DeviceSays(std::string(15, 'm'));
    DeviceSays("n");
    for (double end = Timer() + 2.0; log.calls == 0 && Timer() < end;) ProcessSystemEvents();
    EXPECT_EQ(1, log.calls);
    EXPECT_EQ(0, log.nestedDispatches);
    EXPECT_EQ(std::string(20, 'x') + std::string(15, 'm') + "n", log.frame);
    CloseRuntime();
    EXPECT_EQ(RS_PORT_NOT_OPEN, GetInQLen(1));  // the runtime's end closes its ports
}

// The port wakes a waiting event loop when the bytes its owner waits for are
// there, not at every byte: a frame's first pieces wake nothing, its last
// byte does. The same for a raw block's wake count.
TEST_F(Rs232Test, APortWakesTheWaitOnlyWhenItsCountIsThere)
{
    ASSERT_EQ(0, Open());
    CallbackLog log;
    ASSERT_EQ(0, InstallComCallback(1, LWRS_RECEIVE, 36, 0, ReadFrame, &log));
    DeviceSays(std::string(20, 'a'));
    usleep(20000);
    EXPECT_EQ(0, ComWaitReadable(0.05));
    EXPECT_EQ(20, GetInQLen(1));  // taken into the queue: the rest is 16
    DeviceSays(std::string(15, 'b'));
    usleep(20000);
    EXPECT_EQ(0, ComWaitReadable(0.05));
    DeviceSays("c");
    EXPECT_GT(ComWaitReadable(2.0), 0);
    EXPECT_EQ(1, ComDispatchPending());
    EXPECT_EQ(std::string(20, 'a') + std::string(15, 'b') + "c", log.frame);

    ASSERT_EQ(0, InstallComCallback(1, 0, 36, 0, nullptr, nullptr));
    ASSERT_EQ(0, SetComWakeCount(1, 48));
    DeviceSays(std::string(40, 'v'));
    usleep(20000);
    EXPECT_EQ(0, ComWaitReadable(0.05));
    DeviceSays(std::string(8, 'w'));
    EXPECT_GT(ComWaitReadable(2.0), 0);
    EXPECT_EQ(48, GetInQLen(1));
    EXPECT_EQ(RS_INVALID_PARAMETER, SetComWakeCount(1, 0));
}

// A line that keeps its pace lets the window's wait sleep while a reply
// crosses it, and still hands over every reply; a peer that turns fast is
// noticed at its next reply and is no longer waited for. Every reply arrives
// whichever way the line is judged.
TEST_F(Rs232Test, APacedLineIsWaitedForInItsLineTimeAndAFastOneNot)
{
    if (!InitRuntime(nullptr, nullptr)) GTEST_SKIP() << "no window system";
    ASSERT_EQ(0, Open());
    CallbackLog log;
    ASSERT_EQ(0, InstallComCallback(1, LWRS_RECEIVE, 36, 0, ReadFrame, &log));
    const double lineTime = 72 * 10 / 19200.0;  // 36 bytes out, 36 back
    auto exchange = [&](double answerAfter, char fill) {
        const int before = log.calls;
        const double sent = Timer();
        ASSERT_EQ(36, ComWrt(1, std::string(36, 'q').data(), 36));
        ASSERT_EQ(36u, DeviceHears(36).size());
        while (Timer() < sent + answerAfter) usleep(1000);
        DeviceSays(std::string(36, fill));
        for (double end = Timer() + 2.0; log.calls == before && Timer() < end;) ProcessSystemEvents();
        ASSERT_EQ(before + 1, log.calls);
        EXPECT_EQ(std::string(36, fill), log.frame);
    };
    exchange(0.0, 'a');  // answered at once
    EXPECT_EQ(0, ComLinePaced(1));
    exchange(lineTime + 0.02, 'b');
    EXPECT_EQ(1, ComLinePaced(1));
    exchange(lineTime + 0.02, 'c');  // taken after the sleep
    EXPECT_EQ(1, ComLinePaced(1));
    // The peer answers at once again: seen at the end of a sleep, or at the
    // latest in the reply watched from its request.
    for (int i = 0; i < 20 && ComLinePaced(1); i++) exchange(0.0, 'd');
    EXPECT_EQ(0, ComLinePaced(1));
    exchange(0.0, 'e');
    EXPECT_EQ(0, ComLinePaced(1));
    CloseRuntime();
}

int g_caughtSignal = 0;

// Without a window system: the same receive callbacks, and a
// signal's callback run on the program's thread, in event processing.
TEST_F(Rs232Test, HeadlessEventProcessingServesPortsAndSignals)
{
    InitRuntimeHeadless();
    ASSERT_EQ(0, Open());
    CallbackLog log;
    ASSERT_EQ(0, InstallComCallback(1, LWRS_RECEIVE, 36, 0, ReadFrame, &log));
    DeviceSays(std::string(20, 'x'));
    for (double end = Timer() + 0.1; Timer() < end;) ProcessSystemEvents();
    DeviceSays(std::string(16, 'm'));
    for (double end = Timer() + 2.0; log.calls == 0 && Timer() < end;) ProcessSystemEvents();
    EXPECT_EQ(1, log.calls);
    EXPECT_EQ(std::string(20, 'x') + std::string(16, 'm'), log.frame);

    ASSERT_EQ(0, InstallSignalCallback(SIGUSR1, [](int sig) { g_caughtSignal = sig; }));
    raise(SIGUSR1);
    EXPECT_EQ(0, g_caughtSignal);  // the handler only notes it
    ProcessSystemEvents();
    EXPECT_EQ(SIGUSR1, g_caughtSignal);
    EXPECT_EQ(0, InstallSignalCallback(SIGUSR1, nullptr));
    EXPECT_EQ(UIE_BAD_VALUE, InstallSignalCallback(SIGKILL, [](int) {}));
}

// ---- Errors -------------------------------------------------------------------------------------

TEST_F(Rs232Test, BadPortNumbersAreRefused)
{
    char buf[4];
    for (int port : {0, COM_MAX_PORTS + 1}) {
        EXPECT_EQ(RS_INVALID_PORT, Open(port));
        EXPECT_EQ(RS_INVALID_PORT, ComRd(port, buf, 1));
        EXPECT_EQ(RS_INVALID_PORT, GetInQLen(port));
        EXPECT_STREQ("", GetComDevice(port));
    }
    EXPECT_STREQ("/dev/ttyS4", GetComDevice(5));
}

TEST_F(Rs232Test, MissingOrUnusableDevicesAreTold)
{
    SetComDevice(2, "/nonexistent/ttyX");
    EXPECT_EQ(RS_NO_PORT_FOUND, Open(2));
    SetComDevice(2, "");
    EXPECT_EQ(RS_NO_PORT_FOUND, Open(2));
    SetComDevice(2, "/dev/null");  // opens, but is no serial line
    EXPECT_EQ(RS_CANNOT_OPEN_PORT, Open(2));
    SetComDevice(2, "/");
    EXPECT_EQ(RS_CANNOT_OPEN_PORT, Open(2));
    SetComDevice(2, nullptr);
}

TEST_F(Rs232Test, PortNotOpenAndBadParametersAreTold)
{
    char buf[4];
    EXPECT_EQ(RS_PORT_NOT_OPEN, ComRd(1, buf, 1));
    EXPECT_EQ(RS_PORT_NOT_OPEN, ComWrt(1, buf, 1));
    EXPECT_EQ(RS_PORT_NOT_OPEN, InstallComCallback(1, LWRS_RECEIVE, 36, 0, ReadFrame, nullptr));

    EXPECT_EQ(RS_INVALID_PARAMETER, OpenComConfig(1, "", 12345, 0, 8, 1, 4096, 4096));
    EXPECT_EQ(RS_INVALID_PARAMETER, OpenComConfig(1, "", 19200, 3, 8, 1, 4096, 4096));
    EXPECT_EQ(RS_INVALID_PARAMETER, OpenComConfig(1, "", 19200, 0, 9, 1, 4096, 4096));
    EXPECT_EQ(RS_INVALID_PARAMETER, OpenComConfig(1, "", 19200, 0, 8, 1, 0, 4096));

    ASSERT_EQ(0, Open());
    EXPECT_EQ(RS_INVALID_PARAMETER, SetComTime(1, -1.0));
    EXPECT_EQ(RS_INVALID_PARAMETER, ComRd(1, buf, -4));  // e.g. an error code used as a count
    EXPECT_EQ(RS_INVALID_PARAMETER, InstallComCallback(1, LWRS_RECEIVE, 5000, 0, ReadFrame, nullptr));
    EXPECT_EQ(0, Open());  // reopening an open port is allowed
    EXPECT_EQ(0, CloseCom(1));
    EXPECT_EQ(RS_PORT_NOT_OPEN, CloseCom(1));
}

// ---- One program at a time, seen by a user without root -----------------------------------------

// A child process plays the second program. Root passes the driver's
// exclusive mode, so a child of root becomes nobody, on a slave made its own.
// It is made before the first program opens the port (it would inherit the
// descriptor, and with it the lock), reports one line per step on `report`
// and waits for the go-ahead on `go`; every wait is bounded.
namespace {

std::string ProgramName()
{
    char name[64] = "";
    FILE* f = std::fopen("/proc/self/comm", "r");
    if (f && std::fgets(name, sizeof name, f)) name[std::strcspn(name, "\n")] = '\0';
    if (f) std::fclose(f);
    return name;
}

[[noreturn]] void SecondProgram(const std::string& slave, pid_t first, int report, int go)
{
    auto say = [report](bool ok, const std::string& what, int rc) {
        std::string line =
            std::string(ok ? "ok " : "FAILED ") + what + ": " + std::to_string(rc) + " " + ComOpenCause() + "\n";
        (void)!write(report, line.data(), line.size());
    };
    auto open = [&slave](int port) { return OpenComConfig(port, slave.c_str(), 19200, 0, 8, 1, 4096, 4096); };
    auto names = [](pid_t pid) {
        std::string owner = "in use by " + ProgramName() + " (pid " + std::to_string(pid) + ")";
        return std::string(ComOpenCause()).find(owner) != std::string::npos;
    };
    if (getuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
        (void)!write(report, "skip: cannot become nobody\n", 27);
        _exit(0);
    }
    // Each step waits for the first program to be ready for it.
    auto await = [go] {
        pollfd pfd{go, POLLIN, 0};
        char c;
        if (poll(&pfd, 1, 10000) != 1 || read(go, &c, 1) != 1) _exit(1);
    };
    await();
    int rc = open(2);
    say(rc == RS_PORT_IN_USE && names(first), "held by the first program", rc);
    await();
    for (int i = 1; i <= 10; i++) {
        rc = open(2);
        say(rc == 0, "open " + std::to_string(i) + " after it let go", rc);
        CloseCom(2);
    }
    rc = open(2);
    int again = open(3);
    say(rc == 0 && again == RS_PORT_IN_USE && names(getpid()), "held by this program", again);
    _exit(0);
}

}  // namespace

TEST_F(Rs232Test, WithoutRootAPortLetGoOpensAgainAndAHeldOneNamesItsOwner)
{
    if (getuid() == 0) {
        ASSERT_EQ(0, chown(slave_.c_str(), 65534, 65534));
        ASSERT_EQ(0, chmod(slave_.c_str(), 0600));
    }
    int report[2], go[2];
    ASSERT_EQ(0, pipe2(report, O_CLOEXEC));
    ASSERT_EQ(0, pipe2(go, O_CLOEXEC));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) SecondProgram(slave_, getppid(), report[1], go[0]);
    close(report[1]);
    close(go[0]);

    // The report until it holds `lines` lines or ends (bounded).
    std::string text;
    auto readLines = [&](long lines) {
        for (double end = Timer() + 10.0; std::count(text.begin(), text.end(), '\n') < lines && Timer() < end;) {
            pollfd pfd{report[0], POLLIN, 0};
            if (poll(&pfd, 1, 100) <= 0) continue;
            char buf[512];
            ssize_t n = read(report[0], buf, sizeof buf);
            if (n <= 0) break;
            text.append(buf, static_cast<size_t>(n));
        }
    };
    EXPECT_EQ(0, Open());
    EXPECT_EQ(1, write(go[1], "g", 1));
    readLines(1);
    EXPECT_EQ(0, CloseCom(1));  // the first program lets go
    EXPECT_EQ(1, write(go[1], "g", 1));
    readLines(12);
    close(go[1]);
    close(report[0]);
    int status = -1;
    for (double end = Timer() + 10.0; waitpid(child, &status, WNOHANG) == 0; poll(nullptr, 0, 10)) {
        if (Timer() > end) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
        }
    }
    if (text.rfind("skip:", 0) == 0) GTEST_SKIP() << text;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text;
    EXPECT_EQ(12, std::count(text.begin(), text.end(), '\n')) << text;
    EXPECT_EQ(std::string::npos, text.find("FAILED")) << text;
}

// ---- A vanished device --------------------------------------------------------------------------

TEST_F(Rs232Test, VanishedDeviceGivesErrorsWithoutWaiting)
{
    ASSERT_EQ(0, Open());
    ASSERT_EQ(0, SetComTime(1, 10.0));
    CallbackLog log;
    ASSERT_EQ(0, InstallComCallback(1, LWRS_RECEIVE, 36, 0, ReadFrame, &log));
    DeviceSays("early");
    ASSERT_EQ(5, WaitInQ(5));
    close(master_);
    master_ = -1;

    double t0 = Timer();
    char buf[36];
    EXPECT_EQ(5, GetInQLen(1));  // what arrived before is not lost
    EXPECT_EQ(5, ComRd(1, buf, 36));
    EXPECT_EQ("early", std::string(buf, 5));
    EXPECT_EQ(RS_IO_ERROR, ComRd(1, buf, 36));
    EXPECT_EQ(RS_IO_ERROR, GetInQLen(1));
    EXPECT_EQ(RS_IO_ERROR, ComWrt(1, buf, 36));
    EXPECT_EQ(0, ComDispatchPending());
    EXPECT_EQ(0, log.calls);
    EXPECT_LT(Timer() - t0, 5.0);  // nothing waited for the 10 s time-out
    EXPECT_EQ(0, CloseCom(1));
}

TEST_F(Rs232Test, BlockingWaitEndsAtItsCountItsDeadlineOrWhenTheDeviceVanishes)
{
    ASSERT_EQ(0, Open());
    DeviceSays("0123");
    EXPECT_EQ(4, WaitInQLen(1, 4, 10.0));
    EXPECT_EQ(4, WaitInQLen(1, 36, 0.1));  // the deadline gives what is there

    std::thread device([this] {
        poll(nullptr, 0, 50);
        close(master_);
    });
    double t0 = Timer();
    int waited = WaitInQLen(1, 36, 10.0);  // under way when the device goes
    device.join();
    master_ = -1;
    EXPECT_EQ(4, waited);  // what came before the device went is kept
    EXPECT_EQ(1, ComPortGone(1));
    EXPECT_EQ(4, WaitInQLen(1, 36, 10.0));
    EXPECT_LT(Timer() - t0, 5.0);  // no wait sat out its 10 s
    char buf[8];
    EXPECT_EQ(4, ComRd(1, buf, 8));
    EXPECT_EQ(RS_IO_ERROR, WaitInQLen(1, 1, 10.0));
}

}  // namespace
