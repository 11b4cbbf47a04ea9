// RS-232 library of the runtime, on POSIX termios.
//
// Every open port owns its file descriptor (non-blocking) and an input queue
// of its own. Bytes move from the descriptor into the queue as soon as they
// arrive: a QSocketNotifier does it while the event loop waits, so an arriving
// byte ends the loop's idle wait at once, and GetInQLen, ComRd and the receive
// dispatch do it themselves, because the program also polls the queue length
// in loops that never process events. ComRd and ComWrt wait with poll(), never
// longer than the port time-out.
//
// A reply is taken by its byte count, never by timing: bytes that arrive in
// pieces with pauses between them (a USB adapter's latency timer, a serial
// device server, a Bluetooth link) simply add up in the queue. So that the
// program does not wake for every byte as they trickle in, the terminal's
// minimum byte count (VMIN) follows what the owner of the port waits for:
// a non-canonical terminal reports itself readable to poll() only once that
// many bytes are there, and every wait still has its own time-out.
//
// Only LWRS_RECEIVE is delivered to receive callbacks; the event-character and
// output-empty bits are accepted in the mask and never raised, since the
// program acts on the receive notification alone.
//
// This is the only file of the project that includes <termios.h>.
//
// Index:
//   [SECTION] Port table and helpers
//   [SECTION] Device map
//   [SECTION] Open and close
//   [SECTION] Settings and flushes
//   [SECTION] Read, write, queue length
//   [SECTION] Receive callbacks

#include "runtime/rs232.h"
#include "runtime/port_events.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

// ============================================================================
// [SECTION] Port table and helpers
// ============================================================================

namespace {

const double kDefaultTimeout = 2.0;        // seconds, until SetComTime says otherwise

// Fixed-capacity byte ring: the port's input queue.
class ByteQueue {
public:
    void reset(int capacity) {
        buf_.assign(static_cast<size_t>(capacity), 0);
        head_ = size_ = 0;
    }
    void clear() { head_ = size_ = 0; }
    int size() const { return size_; }
    int capacity() const { return static_cast<int>(buf_.size()); }
    int space() const { return capacity() - size_; }
    void push(const char* data, int n) {
        for (int i = 0; i < n; ++i)
            buf_[static_cast<size_t>((head_ + size_ + i) % capacity())] = data[i];
        size_ += n;
    }
    int pop(char* out, int n) {
        if (n > size_) n = size_;
        for (int i = 0; i < n; ++i)
            out[i] = buf_[static_cast<size_t>((head_ + i) % capacity())];
        head_ = (head_ + n) % (capacity() > 0 ? capacity() : 1);
        size_ -= n;
        return n;
    }

private:
    std::vector<char> buf_;
    int head_ = 0;
    int size_ = 0;
};

struct Port {
    int fd = -1;
    bool dead = false;                    // device vanished: every transfer reports RS_IO_ERROR
    double timeout = kDefaultTimeout;
    ByteQueue queue;
    QSocketNotifier* notifier = nullptr;  // null until a QCoreApplication exists
    // Receive callback.
    int eventMask = 0;
    int notifyCount = 0;
    ComCallbackPtr callback = nullptr;
    void* callbackData = nullptr;
    bool inCallback = false;              // guards against a nested call for this port
    int wakeCount = 1;                    // SetComWakeCount: queue length that wakes an event wait
    termios tio{};                        // the settings in force, VMIN included
    int vmin = 1;                         // the terminal's minimum byte count now
    unsigned generation = 0;              // changes on every open and close
};

Port g_ports[COM_MAX_PORTS + 1];          // index 0 unused: ports count from 1

bool ValidPort(int port) { return port >= 1 && port <= COM_MAX_PORTS; }

// Common entry check of every per-port call: 0 when the port is open.
int CheckOpen(int port) {
    if (!ValidPort(port)) return RS_INVALID_PORT;
    if (g_ports[port].fd < 0) return RS_PORT_NOT_OPEN;
    return 0;
}

double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

// Milliseconds left until `deadline`, rounded up so a wait never ends a hair
// early and then spins on a zero time-out.
int MsUntil(double deadline) {
    double left = (deadline - Now()) * 1000.0;
    if (left <= 0.0) return 0;
    if (left >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(std::ceil(left));
}

// Waits for `events` on the port, at most until `deadline`. Returns the
// revents (0 on time-out).
short WaitFor(const Port& p, short events, double deadline) {
    for (;;) {
        pollfd pfd{p.fd, events, 0};
        int n = poll(&pfd, 1, MsUntil(deadline));
        if (n > 0) return pfd.revents;
        if (n == 0) return 0;
        if (errno == EINTR) continue;   // a signal is no reason to end the wait early
        return POLLERR;
    }
}

void MarkDead(Port& p) {
    if (p.dead) return;
    p.dead = true;
    // A hung-up descriptor stays readable for ever; a notifier left enabled
    // would wake the event loop on every pass.
    if (p.notifier) p.notifier->setEnabled(false);
    PortsNoteDeadPort(static_cast<int>(&p - g_ports));
}

// The notifier reads only while the queue has room; it sleeps while the queue
// is full and wakes again once something has been taken out.
void UpdateNotifier(Port& p) {
    if (p.notifier) p.notifier->setEnabled(!p.dead && p.queue.space() > 0);
}

// The terminal wakes poll() once `need` more bytes are there. Set only when
// it changes: on most ports a change is a driver call, and in a steady run
// the count never changes. At most 64: Linux hands a non-canonical terminal
// whose minimum count is above 64 to a non-blocking read 64 bytes at a time,
// and Drain takes a short read for an empty descriptor. A larger block then
// wakes the wait once per 64 bytes, still not once per byte.
const int kMaxWake = 64;

void WakeAt(Port& p, int need) {
    if (need < 1) need = 1;
    if (need > kMaxWake) need = kMaxWake;
    if (need == p.vmin || p.fd < 0 || p.dead) return;
    p.tio.c_cc[VMIN] = static_cast<cc_t>(need);
    // Only the minimum count differs from the settings in force, and TCSANOW
    // waits for nothing; an interrupted call is simply made again.
    int rc;
    do {
        rc = tcsetattr(p.fd, TCSANOW, &p.tio);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) p.vmin = need;
}

// What the port's owner waits for when no read of its own is under way: the
// receive callback's notification count, else the wake count. When the queue
// holds that much already, the event is due anyway and the count is left.
void UpdateWake(Port& p) {
    bool frameMode = p.callback && (p.eventMask & LWRS_RECEIVE);
    int need = (frameMode ? p.notifyCount : p.wakeCount) - p.queue.size();
    if (need > 0) WakeAt(p, need);
}

// Moves whatever the descriptor holds right now into the queue, as far as the
// queue has room. Returns false when the device is gone.
bool Drain(Port& p) {
    if (p.dead) return false;
    char chunk[4096];
    while (p.queue.space() > 0) {
        int want = p.queue.space() < static_cast<int>(sizeof chunk) ? p.queue.space()
                                                                     : static_cast<int>(sizeof chunk);
        ssize_t n = read(p.fd, chunk, static_cast<size_t>(want));
        if (n > 0) {
            p.queue.push(chunk, static_cast<int>(n));
            // Fewer bytes than asked: the descriptor is empty for now, and
            // another read would only say so (a system call on every byte
            // that wakes the loop).
            if (n < want) break;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;  // interrupted before any byte: just read again
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        // Read 0 on a non-blocking raw tty means hang-up (a pseudo-terminal
        // whose master was closed reads 0; a pulled USB adapter gives EIO).
        MarkDead(p);
        return false;
    }
    UpdateNotifier(p);
    UpdateWake(p);
    return true;
}

// The notifier is made lazily: a port may be opened before the application
// object exists, and QSocketNotifier needs one.
void EnsureNotifier(int port) {
    Port& p = g_ports[port];
    if (p.notifier || p.fd < 0 || !QCoreApplication::instance()) return;
    p.notifier = new QSocketNotifier(p.fd, QSocketNotifier::Read);
    QObject::connect(p.notifier, &QSocketNotifier::activated, [port]() {
        Drain(g_ports[port]);
    });
    UpdateNotifier(p);
}

void ReleasePort(Port& p) {
    // The notifier's slot only drains the queue, so deleting it here can never
    // pull it out from under its own signal.
    delete p.notifier;
    p.notifier = nullptr;
    if (p.fd >= 0) {
        // Exclusive mode is a flag of the terminal, not of this descriptor: a
        // pseudo-terminal (whose master lives on) keeps it after the close,
        // and every later open but root's would fail with EBUSY.
        ioctl(p.fd, TIOCNXCL);
        // On Linux the descriptor is released even when close() is interrupted;
        // retrying could close a descriptor opened meanwhile, so it is not retried.
        // No flow control is ever set, so the driver's drain on close is bounded
        // by the line time of what is still queued.
        close(p.fd);
    }
    p.fd = -1;
    p.dead = false;
    p.timeout = kDefaultTimeout;
    p.queue.reset(0);
    p.eventMask = 0;
    p.notifyCount = 0;
    p.callback = nullptr;
    p.callbackData = nullptr;
    p.inCallback = false;
    p.wakeCount = 1;
    p.tio = termios{};
    p.vmin = 1;
    ++p.generation;
}

speed_t BaudConstant(long baud) {
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
    default: return B0;           // not a rate the driver interface can express
    }
}

}  // namespace

// ============================================================================
// [SECTION] Open and close
// ============================================================================

static std::string g_openCause;

const char* ComOpenCause(void) { return g_openCause.c_str(); }

static int OpenFailed(int code, const std::string& device, const std::string& reason) {
    g_openCause = device + ": " + reason;
    return code;
}

// The program holding a flock() lock on the file `st` names, from
// /proc/locks: "name (pid N)", or "" when there is none or it cannot be known.
// Only such a lock keeps this program out; a record lock (fcntl, lockf) does not.
static std::string LockHolder(const struct stat& st) {
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        // 1: FLOCK  ADVISORY  WRITE 4711 00:1a:12345 0 EOF
        char kind[16], mode[16], access[16];
        unsigned major_ = 0, minor_ = 0;
        unsigned long inode = 0;
        int pid = 0;
        if (std::sscanf(line.c_str(), "%*d: %15s %15s %15s %d %x:%x:%lu", kind, mode, access, &pid, &major_,
                        &minor_, &inode) != 7)
            continue;
        if (std::strcmp(kind, "FLOCK") != 0 || inode != st.st_ino || makedev(major_, minor_) != st.st_dev) continue;
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::string name;
        std::getline(comm, name);
        return (name.empty() ? std::string("a program") : name) + " (pid " + std::to_string(pid) + ")";
    }
    return "";
}

static int InUse(const std::string& device, const std::string& holder) {
    return OpenFailed(RS_PORT_IN_USE, device, holder.empty() ? "in use by another program" : "in use by " + holder);
}

int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize) {
    // Every parameter is checked before anything is touched.
    int invalid = ComCheckSettings(port, parity, dataBits, stopBits, inputQueueSize, outputQueueSize);
    if (invalid < 0) return invalid;
    speed_t speed = BaudConstant(baudRate);
    if (speed == B0) return RS_INVALID_PARAMETER;

    Port& p = g_ports[port];
    if (p.fd >= 0) ReleasePort(p);

    g_openCause.clear();
    std::string device = (deviceName && deviceName[0]) ? deviceName : GetComDevice(port);
    if (device.empty()) return OpenFailed(RS_NO_PORT_FOUND, "(none)", "no device for this port");

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
            return OpenFailed(RS_NO_PORT_FOUND, device, std::strerror(err));
        if (err == EACCES || err == EPERM)
            return OpenFailed(RS_CANNOT_OPEN_PORT, device,
                              std::string(std::strerror(err)) + " (the user needs to be in the dialout group)");
        if (err == EBUSY) return InUse(device, known ? LockHolder(node) : "");  // locked meanwhile?
        return OpenFailed(RS_CANNOT_OPEN_PORT, device, std::strerror(err));
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
        return OpenFailed(RS_CANNOT_OPEN_PORT, device, what);
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
        return OpenFailed(err == EINVAL ? RS_INVALID_PARAMETER : RS_CANNOT_OPEN_PORT, device,
                          std::string("the line settings were refused: ") + std::strerror(err));
    }
    // Whatever the driver held from before this open belongs to nobody.
    tcflush(fd, TCIOFLUSH);

    p.fd = fd;
    p.dead = false;
    p.tio = tio;
    p.vmin = 1;
    p.wakeCount = 1;
    p.timeout = kDefaultTimeout;
    p.queue.reset(inputQueueSize);
    ++p.generation;
    EnsureNotifier(port);
    return 0;
}

int CloseCom(int port) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    ReleasePort(g_ports[port]);
    return 0;
}

void ComCloseAll(void) {
    for (int n = 1; n <= COM_MAX_PORTS; ++n)
        if (g_ports[n].fd >= 0) ReleasePort(g_ports[n]);
}

// ============================================================================
// [SECTION] Settings and flushes
// ============================================================================

int SetComTime(int port, double seconds) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    if (!(seconds >= 0.0) || !std::isfinite(seconds)) return RS_INVALID_PARAMETER;
    g_ports[port].timeout = seconds;
    return 0;
}

int SetCTSMode(int port, int mode) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    return mode == 0 ? 0 : RS_INVALID_PARAMETER;
}

int FlushInQ(int port) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    Port& p = g_ports[port];
    p.queue.clear();
    UpdateNotifier(p);
    if (p.dead) return RS_IO_ERROR;
    if (tcflush(p.fd, TCIFLUSH) != 0) return RS_IO_ERROR;
    UpdateWake(p);
    return 0;
}

int FlushOutQ(int port) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    Port& p = g_ports[port];
    if (p.dead) return RS_IO_ERROR;
    if (tcflush(p.fd, TCOFLUSH) != 0) return RS_IO_ERROR;
    return 0;
}

// ============================================================================
// [SECTION] Read, write, queue length
// ============================================================================

int ComWrt(int port, const char* buffer, int count) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    if (count < 0 || (count > 0 && !buffer)) return RS_INVALID_PARAMETER;
    Port& p = g_ports[port];
    if (p.dead) return RS_IO_ERROR;

    const double deadline = Now() + p.timeout;
    int done = 0;
    while (done < count) {
        ssize_t n = write(p.fd, buffer + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;  // interrupted before any byte went out
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            short ev = WaitFor(p, POLLOUT, deadline);
            if (ev == 0) break;                  // time-out: report what went out
            if (ev & (POLLERR | POLLHUP | POLLNVAL)) {
                MarkDead(p);
                return RS_IO_ERROR;
            }
            continue;
        }
        MarkDead(p);
        return RS_IO_ERROR;
    }
    return done;
}

int ComRd(int port, char* buffer, int count) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    if (count < 0 || (count > 0 && !buffer)) return RS_INVALID_PARAMETER;
    Port& p = g_ports[port];

    // The queue holds the oldest bytes; once it is empty the descriptor can be
    // read straight into the caller's buffer without reordering anything.
    int done = p.queue.pop(buffer, count);
    const double deadline = Now() + p.timeout;
    while (done < count && !p.dead) {
        ssize_t n = read(p.fd, buffer + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;  // interrupted before any byte arrived
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            WakeAt(p, count - done);
            short ev = WaitFor(p, POLLIN, deadline);
            if (ev == 0) break;                  // time-out: the caller gets the partial count
            if ((ev & (POLLERR | POLLHUP | POLLNVAL)) && !(ev & POLLIN)) MarkDead(p);
            continue;
        }
        MarkDead(p);
    }
    UpdateNotifier(p);
    UpdateWake(p);
    // Bytes that arrived before the device vanished are still delivered; the
    // error comes once there is nothing left to give.
    if (p.dead && done == 0 && count > 0) return RS_IO_ERROR;
    return done;
}

int GetInQLen(int port) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    Port& p = g_ports[port];
    // With a notifier the event loop takes the bytes in once the count its
    // owner waits for is there; taking pieces in here, pass after pass, would
    // only move the terminal's wake count back and forth. What the terminal
    // holds is waiting all the same, and so is what a full queue left there.
    if (!p.notifier) Drain(p);
    if (p.dead) return p.queue.size() > 0 ? p.queue.size() : RS_IO_ERROR;
    int len = p.queue.size();
    if (p.notifier || p.queue.space() == 0) {
        int more = 0;
        if (ioctl(p.fd, FIONREAD, &more) == 0 && more > 0) len += more;
    }
    return len;
}

int WaitInQLen(int port, int count, double seconds) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    if (!(seconds >= 0.0)) return RS_INVALID_PARAMETER;
    Port& p = g_ports[port];
    const double deadline = Now() + seconds;
    int result;
    for (;;) {
        Drain(p);
        if (p.dead) {
            result = p.queue.size() > 0 ? p.queue.size() : RS_IO_ERROR;
            break;
        }
        if (p.queue.size() >= count || p.queue.space() == 0) {
            result = p.queue.size();
            break;
        }
        // One wake-up when the rest is there, however it trickles in.
        WakeAt(p, count - p.queue.size());
        short ev = WaitFor(p, POLLIN, deadline);
        if (ev == 0) {
            Drain(p);
            result = p.dead && p.queue.size() == 0 ? RS_IO_ERROR : p.queue.size();
            break;
        }
        // A hang-up without data: the next Drain reads 0 and marks the port dead.
        if ((ev & (POLLERR | POLLNVAL)) && !(ev & POLLIN)) {
            MarkDead(p);
            result = p.queue.size() > 0 ? p.queue.size() : RS_IO_ERROR;
            break;
        }
    }
    UpdateWake(p);
    return result;
}

int ComPortGone(int port) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    return g_ports[port].dead ? 1 : 0;
}

int ComOpenFd(int port) {
    return CheckOpen(port) == 0 ? g_ports[port].fd : -1;
}

void ComMarkGone(int port) {
    if (CheckOpen(port) == 0) MarkDead(g_ports[port]);
}

int SetComWakeCount(int port, int count) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    Port& p = g_ports[port];
    if (count < 1 || count > p.queue.capacity()) return RS_INVALID_PARAMETER;
    p.wakeCount = count;
    UpdateWake(p);
    return 0;
}

// ============================================================================
// [SECTION] Receive callbacks
// ============================================================================

int InstallComCallback(int port, int eventMask, int notifyCount, int eventCharacter,
                       ComCallbackPtr callback, void* callbackData) {
    int rc = CheckOpen(port);
    if (rc < 0) return rc;
    Port& p = g_ports[port];
    if (eventMask == 0 || !callback) {
        p.eventMask = 0;
        p.callback = nullptr;
        p.callbackData = nullptr;
        UpdateWake(p);
        return 0;
    }
    if ((eventMask & LWRS_RECEIVE) && (notifyCount < 1 || notifyCount > p.queue.capacity()))
        return RS_INVALID_PARAMETER;  // a count the queue can never hold would never fire
    if ((eventMask & LWRS_RXFLAG) && (eventCharacter < 0 || eventCharacter > 255))
        return RS_INVALID_PARAMETER;
    p.eventMask = eventMask;
    p.notifyCount = notifyCount;
    p.callback = callback;
    p.callbackData = callbackData;
    UpdateWake(p);
    return 0;
}

int ComDispatchPending(void) {
    int ran = 0;
    for (int n = 1; n <= COM_MAX_PORTS; ++n) {
        Port& p = g_ports[n];
        if (p.fd < 0 || !p.callback || !(p.eventMask & LWRS_RECEIVE) || p.inCallback) continue;
        EnsureNotifier(n);
        if (!p.notifier) Drain(p);   // a notifier takes the bytes in itself (GetInQLen)
        if (p.queue.size() < p.notifyCount) continue;

        ComCallbackPtr fn = p.callback;
        void* data = p.callbackData;
        unsigned generation = p.generation;
        p.inCallback = true;
        fn(n, LWRS_RECEIVE, data);
        // The callback may have closed (or closed and reopened) its own port.
        if (p.generation == generation) p.inCallback = false;
        ++ran;
    }
    return ran;
}

int ComCallbackDue(void) {
    for (int n = 1; n <= COM_MAX_PORTS; ++n) {
        const Port& p = g_ports[n];
        if (p.fd >= 0 && p.callback && (p.eventMask & LWRS_RECEIVE) && !p.inCallback &&
            p.queue.size() >= p.notifyCount)
            return 1;
    }
    return 0;
}

int ComWaitReadable(double seconds) {
    pollfd fds[COM_MAX_PORTS];
    nfds_t count = 0;
    for (int n = 1; n <= COM_MAX_PORTS; ++n) {
        const Port& p = g_ports[n];
        // The same ports a notifier would watch: a dead or full one would
        // wake the wait at once, every time.
        if (p.fd >= 0 && !p.dead && p.queue.space() > 0) {
            fds[count++] = pollfd{p.fd, POLLIN, 0};
        }
    }
    int ms = MsUntil(Now() + seconds);
    if (count == 0) {
        // Nothing to watch: still a wait, so an idle loop does not spin.
        timespec ts{ms / 1000, (ms % 1000) * 1000000L};
        nanosleep(&ts, nullptr);   // a signal ends it early, which is what the caller wants
        return 0;
    }
    // A signal ends the wait early on purpose: its callback is due.
    int r = poll(fds, count, ms);
    return r < 0 ? 0 : r;
}
