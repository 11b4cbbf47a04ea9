// RS-232 library of the runtime: the termios line under the port table,
// input queue and receive dispatch of com_queue.cpp (their seam is com_port.h).
//
// Every open port owns its file descriptor (non-blocking). A QSocketNotifier
// takes arriving bytes into the port's queue while the event loop waits, so
// an arriving byte ends the loop's idle wait at once. Reads, writes and waits
// use poll(), never longer than the deadline the queue gives.
//
// The terminal's minimum byte count (VMIN) follows what the owner of the port
// waits for: a non-canonical terminal reports itself readable to poll() only
// once that many bytes are there, so the program wakes once per reply instead
// of once per byte, and every wait still has its own time-out.
//
// A paced line needs its time to carry a reply: after a request the notifier
// sleeps until the awaited bytes can have crossed the line at its baud rate,
// so that bytes arriving a few at a time do not each wake the waiting loop
// (the terminal's count does not stop the kernel from waking a poll()
// whenever bytes come in). Only a line seen to keep that pace gets the
// sleep: a pseudo-terminal or a peer that answers at once has its reply
// taken as soon as it is there.
//
// This is the only file of the runtime that includes <termios.h>.
//
// Index:
//   [SECTION] The line of each port
//   [SECTION] Open and close
//   [SECTION] Read, write, flushes
//   [SECTION] Waking and watching
//   [SECTION] The event loop's wait

#include "runtime/rs232.h"
#include "runtime/com_port.h"
#include "runtime/events.h"
#include "runtime/port_events.h"
#include "runtime/util.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#include <fstream>

// ---- [SECTION] The line of each port ------------------------------------------------------------
namespace {

// What the termios port keeps beside the port table (g_comPorts).
struct Line {
    int fd = -1;
    QSocketNotifier* notifier = nullptr;  // null until a QCoreApplication exists
    termios tio{};                        // the settings in force, VMIN included
    int vmin = 1;                         // the terminal's minimum byte count now
    double byteTime = 0;                  // seconds a character takes on the line
    bool paced = false;                   // replies were seen to take their line time
    double expectAt = -1;                 // the last request's reply can be complete, -1 none
    double quietUntil = 0;                // the notifier sleeps until then
    QTimer* wake = nullptr;               // ends the sleep
    unsigned quiets = 0;                  // requests on a paced line
};

Line g_lines[COM_MAX_PORTS + 1];  // index 0 unused: ports count from 1

}  // namespace

static void QuietWhileOnTheLine(int port, int count);
static void NoteArrival(int port);
static void QuietEnds(int port);

namespace {

// Milliseconds left until `deadline`, rounded up so a wait never ends a hair
// early and then spins on a zero time-out.
int MsUntil(double deadline)
{
    double left = (deadline - Timer()) * 1000.0;
    if (left <= 0.0) return 0;
    if (left >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(std::ceil(left));
}

// Waits for `events` on the descriptor, at most until `deadline`. Returns the
// revents (0 on time-out).
short WaitFor(int fd, short events, double deadline)
{
    for (;;) {
        pollfd pfd{fd, events, 0};
        int n = poll(&pfd, 1, MsUntil(deadline));
        if (n > 0) return pfd.revents;
        if (n == 0) return 0;
        if (errno == EINTR) continue;  // a signal is no reason to end the wait early
        return POLLERR;
    }
}

speed_t BaudConstant(long baud)
{
    switch (baud) {
        case 50: return B50;
        case 75: return B75;
        case 110: return B110;
        case 134: return B134;
        case 150: return B150;
        case 200: return B200;
        case 300: return B300;
        case 600: return B600;
        case 1200: return B1200;
        case 1800: return B1800;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        case 230400: return B230400;
        case 460800: return B460800;
        case 500000: return B500000;
        case 576000: return B576000;
        case 921600: return B921600;
        case 1000000: return B1000000;
        case 1152000: return B1152000;
        case 1500000: return B1500000;
        case 2000000: return B2000000;
        default: return B0;  // not a rate the driver interface can express
    }
}

}  // namespace

// ---- [SECTION] Open and close -------------------------------------------------------------------
// The program holding a flock() lock on the file `st` names, from
// /proc/locks: "name (pid N)", or "" when there is none or it cannot be known.
// Only such a lock keeps this program out; a record lock (fcntl, lockf) does not.
static std::string LockHolder(const struct stat& st)
{
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        // 1: FLOCK  ADVISORY  WRITE 4711 00:1a:12345 0 EOF
        char kind[16], mode[16], access[16];
        unsigned major_ = 0, minor_ = 0;
        unsigned long inode = 0;
        int pid = 0;
        if (std::sscanf(line.c_str(), "%*d: %15s %15s %15s %d %x:%x:%lu", kind, mode, access, &pid, &major_, &minor_,
                        &inode) != 7)
            continue;
        if (std::strcmp(kind, "FLOCK") != 0 || inode != st.st_ino || makedev(major_, minor_) != st.st_dev) continue;
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::string name;
        std::getline(comm, name);
        return (name.empty() ? std::string("a program") : name) + " (pid " + std::to_string(pid) + ")";
    }
    return "";
}

static int InUse(const std::string& device, const std::string& holder)
{
    return ComOpenFailed(RS_PORT_IN_USE, device, holder.empty() ? "in use by another program" : "in use by " + holder);
}

bool LineRateKnown(long baudRate)
{
    return BaudConstant(baudRate) != B0;
}

int LineOpen(int port, const std::string& device, long baudRate, int parity, int dataBits, int stopBits)
{
    speed_t speed = BaudConstant(baudRate);
    // The lock is looked at before the open: the holder's exclusive mode
    // refuses every open but root's with a bare EBUSY, which names nobody.
    struct stat node;
    bool known = stat(device.c_str(), &node) == 0 && S_ISCHR(node.st_mode);
    if (known) {
        std::string holder = LockHolder(node);
        if (!holder.empty()) return InUse(device, holder);
    }

    int fd;
    do {
        fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);  // an interrupted open is simply tried again
    if (fd < 0) {
        int err = errno;
        // A serial device node without a UART behind it (/dev/ttyS3 on most
        // PCs) fails with EIO: as good as no port at all.
        if (err == ENOENT || err == ENODEV || err == ENXIO || err == EIO)
            return ComOpenFailed(RS_NO_PORT_FOUND, device, std::strerror(err));
        if (err == EACCES || err == EPERM)
            return ComOpenFailed(RS_CANNOT_OPEN_PORT, device,
                                 std::string(std::strerror(err)) + " (the user needs to be in the dialout group)");
        if (err == EBUSY) return InUse(device, known ? LockHolder(node) : "");  // locked meanwhile?
        return ComOpenFailed(RS_CANNOT_OPEN_PORT, device, std::strerror(err));
    }

    termios tio;
    if (!isatty(fd) || tcgetattr(fd, &tio) != 0) {
        struct stat st;
        std::string what = "not a serial device";
        if (fstat(fd, &st) == 0) {
            if (S_ISREG(st.st_mode)) what = "a regular file, not a serial device";
            if (S_ISFIFO(st.st_mode)) what = "a FIFO, not a serial device";
            if (S_ISCHR(st.st_mode)) what = "a character device, not a serial device";
        }
        close(fd);
        return ComOpenFailed(RS_CANNOT_OPEN_PORT, device, what);
    }
    // One program per port, as serial tools on Linux agree: an advisory
    // lock that every well-behaved program asks for, and exclusive mode,
    // which keeps out other opens (except root's) at the driver.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        struct stat st;
        std::string holder = errno == EWOULDBLOCK && fstat(fd, &st) == 0 ? LockHolder(st) : "";
        close(fd);
        return InUse(device, holder);
    }
    ioctl(fd, TIOCEXCL);
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= kSizes[dataBits - 5];
    if (parity == 1) tio.c_cflag |= PARENB | PARODD;
    if (parity == 2) tio.c_cflag |= PARENB;
    if (stopBits == 2) tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (parity != 0) tio.c_iflag |= INPCK;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    int rc;
    do {
        rc = tcsetattr(fd, TCSANOW, &tio);
    } while (rc != 0 && errno == EINTR);  // interrupted set-up is repeated, it is idempotent
    if (rc != 0) {
        int err = errno;
        ioctl(fd, TIOCNXCL);
        close(fd);
        return ComOpenFailed(err == EINVAL ? RS_INVALID_PARAMETER : RS_CANNOT_OPEN_PORT, device,
                             std::string("the line settings were refused: ") + std::strerror(err));
    }
    // Whatever the driver held from before this open belongs to nobody.
    tcflush(fd, TCIOFLUSH);

    Line& l = g_lines[port];
    l.fd = fd;
    l.tio = tio;
    l.vmin = 1;
    l.byteTime = (1.0 + dataBits + (parity != 0 ? 1 : 0) + stopBits) / static_cast<double>(baudRate);
    l.paced = false;
    l.expectAt = -1;
    l.quietUntil = 0;
    return 0;
}

void LineClose(int port)
{
    Line& l = g_lines[port];
    // The notifier's slot only takes bytes into the queue, so deleting it here
    // can never pull it out from under its own signal.
    delete l.notifier;
    l.notifier = nullptr;
    delete l.wake;
    l.wake = nullptr;
    if (l.fd >= 0) {
        // Exclusive mode is a flag of the terminal, not of this descriptor: a
        // pseudo-terminal (whose master lives on) keeps it after the close,
        // and every later open but root's would fail with EBUSY.
        ioctl(l.fd, TIOCNXCL);
        // On Linux the descriptor is released even when close() is interrupted;
        // retrying could close a descriptor opened meanwhile, so it is not retried.
        // No flow control is ever set, so the driver's drain on close is bounded
        // by the line time of what is still queued.
        close(l.fd);
    }
    l.fd = -1;
    l.tio = termios{};
    l.vmin = 1;
}

// ---- [SECTION] Read, write, flushes -------------------------------------------------------------
int LineRead(int port, char* buffer, int count)
{
    for (;;) {
        ssize_t n = read(g_lines[port].fd, buffer, static_cast<size_t>(count));
        if (n > 0) return static_cast<int>(n);
        if (n < 0 && errno == EINTR) continue;  // interrupted before any byte arrived: just read again
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
        // Read 0 on a non-blocking raw tty means hang-up (a pseudo-terminal
        // whose master was closed reads 0; a pulled USB adapter gives EIO).
        return -1;
    }
}

int LineWait(int port, int count, double deadline)
{
    LineWakeAt(port, count);
    short ev = WaitFor(g_lines[port].fd, POLLIN, deadline);
    if (ev == 0) return 0;
    // An error with nothing to read: the device is gone. A hang-up is left to
    // the read that follows, which takes what arrived before it and then
    // reports the device gone.
    if ((ev & (POLLERR | POLLNVAL)) && !(ev & POLLIN)) return -1;
    return 1;
}

int LineWrite(int port, const char* buffer, int count, double deadline)
{
    const int fd = g_lines[port].fd;
    int done = 0;
    while (done < count) {
        ssize_t n = write(fd, buffer + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;  // interrupted before any byte went out
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            short ev = WaitFor(fd, POLLOUT, deadline);
            if (ev == 0) break;  // time-out: report what went out
            if (ev & (POLLERR | POLLHUP | POLLNVAL)) return -1;
            continue;
        }
        return -1;
    }
    if (done > 0) QuietWhileOnTheLine(port, done);
    return done;
}

int LineFlush(int port, LineSide side)
{
    return tcflush(g_lines[port].fd, side == LINE_INPUT ? TCIFLUSH : TCOFLUSH) == 0 ? 0 : -1;
}

int LineHeld(int port)
{
    int more = 0;
    return ioctl(g_lines[port].fd, FIONREAD, &more) == 0 && more > 0 ? more : 0;
}

// ---- [SECTION] Waking and watching --------------------------------------------------------------
// The terminal wakes poll() once `count` more bytes are there. Set only when
// it changes: on most ports a change is a driver call, and in a steady run
// the count never changes. At most 64: Linux hands a non-canonical terminal
// whose minimum count is above 64 to a non-blocking read 64 bytes at a time,
// and the queue takes a short read for an empty descriptor. A larger block
// then wakes the wait once per 64 bytes, still not once per byte.
static const int kMaxWake = 64;

void LineWakeAt(int port, int count)
{
    Line& l = g_lines[port];
    if (count < 1) count = 1;
    if (count > kMaxWake) count = kMaxWake;
    if (count == l.vmin || l.fd < 0 || g_comPorts[port].dead) return;
    l.tio.c_cc[VMIN] = static_cast<cc_t>(count);
    // Only the minimum count differs from the settings in force, and TCSANOW
    // waits for nothing; an interrupted call is simply made again.
    int rc;
    do {
        rc = tcsetattr(l.fd, TCSANOW, &l.tio);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) l.vmin = count;
}

// The notifier is made lazily: a port may be opened before the application
// object exists, and QSocketNotifier needs one.
void LineWatch(int port)
{
    Line& l = g_lines[port];
    if (l.notifier || l.fd < 0 || !QCoreApplication::instance()) return;
    l.notifier = new QSocketNotifier(l.fd, QSocketNotifier::Read);
    QObject::connect(l.notifier, &QSocketNotifier::activated, [port]() {
        NoteArrival(port);
        ComTakeIn(port);
    });
    l.wake = new QTimer;
    l.wake->setSingleShot(true);
    l.wake->setTimerType(Qt::PreciseTimer);
    QObject::connect(l.wake, &QTimer::timeout, [port]() { QuietEnds(port); });
    LineRoomChanged(port);
}

bool LineWatched(int port)
{
    return g_lines[port].notifier != nullptr;
}

// The notifier reads only while the queue has room; it sleeps while the queue
// is full and wakes again once something has been taken out.
void LineRoomChanged(int port)
{
    const ComPort& p = g_comPorts[port];
    const Line& l = g_lines[port];
    if (l.notifier) l.notifier->setEnabled(!p.dead && p.queue.space() > 0 && !l.wake->isActive());
}

// A request of `count` bytes went out: its reply, `vmin` bytes awaited, can be
// complete no sooner than both have crossed the line.
static void QuietWhileOnTheLine(int port, int count)
{
    Line& l = g_lines[port];
    if (!l.notifier || l.byteTime <= 0) return;
    const double now = Timer();
    l.expectAt = now + (count + l.vmin) * l.byteTime;
    // The last two characters' time is left to the watch, so a reply is
    // never taken later than it would have been.
    l.quietUntil = l.expectAt - 2 * l.byteTime;
    // Every 16th reply is watched from its request on all the same: it tells
    // whether the line still keeps its pace.
    if (!l.paced || ++l.quiets % 16 == 0 || l.quietUntil <= now) return;
    l.wake->start(static_cast<int>((l.quietUntil - now) * 1000.0));
    LineRoomChanged(port);
}

int ComLinePaced(int port)
{
    return ComValidPort(port) && g_lines[port].paced ? 1 : 0;
}

// The awaited bytes are there: was it in their line time?
static void NoteArrival(int port)
{
    Line& l = g_lines[port];
    if (l.expectAt < 0) return;
    l.paced = Timer() >= l.expectAt - 3 * l.byteTime;
    l.expectAt = -1;
}

// A reply whole before it can have crossed the line came faster than the
// line's pace: the next one is watched from its request on, and tells. (A
// sleep that ends late, the loop busy elsewhere, tells nothing.)
static void QuietEnds(int port)
{
    Line& l = g_lines[port];
    if (l.expectAt >= 0 && Timer() < l.expectAt && LineHeld(port) >= l.vmin) {
        l.paced = false;
        l.expectAt = -1;
    }
    LineRoomChanged(port);
}

// A hang-up shows in the next read or wait, and the port list marks a port
// whose device name now leads elsewhere (ComMarkGone): nothing to ask here.
bool LineGone(int)
{
    return false;
}

// Real time moves on by itself while a loop asks a dead port again.
void LineDeadWait(int) {}

// ---- [SECTION] The event loop's wait ------------------------------------------------------------
int ComOpenFd(int port)
{
    return ComValidPort(port) ? g_lines[port].fd : -1;
}

int ComWaitReadable(double seconds)
{
    pollfd fds[COM_MAX_PORTS + 1];
    nfds_t count = 0;
    for (int n = 1; n <= COM_MAX_PORTS; ++n) {
        const ComPort& p = g_comPorts[n];
        // The same ports a notifier would watch: a dead or full one would
        // wake the wait at once, every time.
        if (p.open && !p.dead && p.queue.space() > 0) {
            fds[count++] = pollfd{g_lines[n].fd, POLLIN, 0};
        }
    }
    // Without a window system the port watch waits here too.
    const int source = HeadlessSourceFd();
    const nfds_t ports = count;
    if (source >= 0) fds[count++] = pollfd{source, POLLIN, 0};
    int ms = MsUntil(Timer() + seconds);
    if (count == 0) {
        // Nothing to watch: still a wait, so an idle loop does not spin.
        timespec ts{ms / 1000, (ms % 1000) * 1000000L};
        nanosleep(&ts, nullptr);  // a signal ends it early, which is what the caller wants
        return 0;
    }
    // A signal ends the wait early on purpose: its callback is due.
    int r = poll(fds, count, ms);
    if (r <= 0) return 0;
    if (source >= 0 && fds[ports].revents) {
        NoteHeadlessSourceReadable();
        r--;
    }
    return r;
}
