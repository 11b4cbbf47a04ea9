// Text files written by a thread of their own (filewriter.h).
//
// Each open file has a writer: a buffer the program appends to under a short
// lock, and a thread that takes the whole buffer and writes it with plain
// POSIX writes. The program's side never makes a system call for a line but
// the one that wakes the thread when the buffer stops being empty.
//
// [SECTION] Writer
// [SECTION] filewriter.h API
// [SECTION] Wall-clock texts

#include "runtime/filewriter.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

const int kSlots = 8;
// A disk that takes nothing for this long holds this much; beyond it the
// recording is lost anyway and the writer says so instead of eating memory.
const size_t kMaxPending = 64u << 20;
const double kCloseWait = 2.0;

// ---- [SECTION] Writer ---------------------------------------------------------------------------

struct Writer {
    std::string path;
    int fd = -1;
    dev_t dev = 0;
    ino_t ino = 0;

    std::mutex m;
    std::condition_variable wake;     // the thread: something to do
    std::condition_variable written;  // waiters of Flush and Close: the thread wrote
    std::string pending;              // handed over, not yet taken by the thread
    Clock::time_point pendingSince;
    unsigned long long handed = 0;  // bytes handed over in total
    unsigned long long done = 0;    // bytes the thread has dealt with (written or dropped)
    bool flushAsked = false;
    bool closing = false;
    bool finished = false;  // the thread has closed the file and ends
    bool failed = false;
    std::string reason;

    off_t fileSize = 0;  // bytes in the file
    off_t lineEnd = 0;   // end of its last complete line
    std::thread thread;

    void Fail(const std::string& why)
    {
        std::lock_guard<std::mutex> lock(m);
        if (!failed) reason = why;
        failed = true;
    }

    // Writes one taken buffer; false once the file has failed.
    bool WriteOut(const std::string& data)
    {
        size_t at = 0;
        while (at < data.size()) {
            ssize_t n = ::write(fd, data.data() + at, data.size() - at);
            if (n < 0 && errno == EINTR) continue;  // a signal is no reason to give up
            if (n <= 0) {
                int e = n < 0 ? errno : ENOSPC;
                // Whatever of a line got out is no row: the file ends on its last whole line.
                if (fileSize > lineEnd && ftruncate(fd, lineEnd) == 0) fileSize = lineEnd;
                Fail(std::strerror(e));
                return false;
            }
            const char* nl = static_cast<const char*>(memrchr(data.data() + at, '\n', size_t(n)));
            if (nl) lineEnd = fileSize + off_t(nl - (data.data() + at)) + 1;
            fileSize += n;
            at += size_t(n);
        }
        // A folder removed (or a stick pulled and its mount point emptied)
        // leaves writes going into a file nobody can find any more.
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) {
            int e = errno;
            Fail(e == ENOENT || e == ENOTDIR ? "the file or its folder is gone" : std::strerror(e));
            return false;
        }
        if (st.st_dev != dev || st.st_ino != ino) {
            Fail("the file was replaced by another");
            return false;
        }
        return true;
    }

    void Run()
    {
        std::unique_lock<std::mutex> lock(m);
        for (;;) {
            if (!pending.empty()) {
                bool due = flushAsked || closing ||
                           Clock::now() - pendingSince >= std::chrono::duration<double>(FILE_WRITE_DELAY);
                if (due) {
                    std::string data;
                    data.swap(pending);
                    flushAsked = false;
                    bool ok = !failed;
                    lock.unlock();
                    if (ok) WriteOut(data);
                    lock.lock();
                    done += data.size();
                    written.notify_all();
                    continue;
                }
                wake.wait_until(lock, pendingSince + std::chrono::duration_cast<Clock::duration>(
                                                         std::chrono::duration<double>(FILE_WRITE_DELAY)));
                continue;
            }
            flushAsked = false;
            if (closing) break;
            wake.wait(lock);
        }
        lock.unlock();
        if (::close(fd) != 0 && errno != EINTR) Fail(std::strerror(errno));
        lock.lock();
        fd = -1;
        finished = true;
        written.notify_all();
    }
};

std::shared_ptr<Writer> g_slots[kSlots];
std::mutex g_slotsMutex;
std::string g_openError;

std::shared_ptr<Writer> Find(int handle)
{
    if (handle < 1 || handle > kSlots) return nullptr;
    std::lock_guard<std::mutex> lock(g_slotsMutex);
    return g_slots[handle - 1];
}

// A per-process file-size limit ends the process with SIGXFSZ on the write
// that crosses it, unless the signal is ignored: then the write fails with
// EFBIG like a full disk, and the recording stops with its rows intact.
void IgnoreFileSizeSignal()
{
    static bool done = false;
    if (done) return;
    std::signal(SIGXFSZ, SIG_IGN);
    done = true;
}

}  // namespace

// ---- [SECTION] filewriter.h API -----------------------------------------------------------------

int FileWriterOpen(const char* path)
{
    g_openError.clear();
    if (!path || !*path) {
        g_openError = "no file name";
        return FW_OPEN_FAILED;
    }
    int slot = -1;
    {
        std::lock_guard<std::mutex> lock(g_slotsMutex);
        for (int i = 0; i < kSlots && slot < 0; i++)
            if (!g_slots[i]) slot = i;
    }
    if (slot < 0) {
        g_openError = "too many files open for writing";
        return FW_TOO_MANY;
    }
    IgnoreFileSizeSignal();
    // Opened without waiting and emptied only once it proves to be a regular
    // file: a FIFO would hold the program until somebody reads it, and a
    // device named by mistake is left as it is.
    struct stat st;
    if (stat(path, &st) == 0 && !S_ISREG(st.st_mode)) {
        g_openError = "not a regular file";
        return FW_OPEN_FAILED;
    }
    int fd;
    do {
        fd = ::open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ftruncate(fd, 0) != 0 ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        g_openError = fd < 0 ? std::strerror(errno) : S_ISREG(st.st_mode) ? std::strerror(errno) : "not a regular file";
        if (fd >= 0) ::close(fd);
        return FW_OPEN_FAILED;
    }
    auto w = std::make_shared<Writer>();
    w->path = path;
    w->fd = fd;
    w->dev = st.st_dev;
    w->ino = st.st_ino;
    // The thread holds its own reference: a writer given up on at Close (a
    // disk that hangs) finishes on its own time.
    w->thread = std::thread([w] { w->Run(); });
    std::lock_guard<std::mutex> lock(g_slotsMutex);
    g_slots[slot] = w;
    return slot + 1;
}

int FileWriterPut(int handle, const char* text, int length)
{
    std::shared_ptr<Writer> w = Find(handle);
    if (!w) return FW_BAD_HANDLE;
    if (length <= 0) return 0;
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(w->m);
        if (w->failed) return FW_FAILED;
        if (w->pending.size() + size_t(length) > kMaxPending) {
            w->failed = true;
            w->reason = "the disk does not keep up";
            return FW_FAILED;
        }
        if (w->pending.empty()) {
            w->pendingSince = Clock::now();
            wake = true;
        }
        w->pending.append(text, size_t(length));
        w->handed += unsigned(length);
    }
    if (wake) w->wake.notify_one();
    return 0;
}

int FileWriterFlush(int handle, double wait)
{
    std::shared_ptr<Writer> w = Find(handle);
    if (!w) return FW_BAD_HANDLE;
    std::unique_lock<std::mutex> lock(w->m);
    const unsigned long long target = w->handed;
    w->flushAsked = true;
    w->wake.notify_one();
    auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(wait));
    w->written.wait_until(lock, until, [&] { return w->done >= target || w->finished; });
    if (w->failed) return FW_FAILED;
    return w->done >= target ? 0 : 1;
}

int FileWriterFailed(int handle)
{
    std::shared_ptr<Writer> w = Find(handle);
    if (!w) return 0;
    std::lock_guard<std::mutex> lock(w->m);
    return w->failed ? 1 : 0;
}

const char* FileWriterError(int handle)
{
    if (handle == 0) return g_openError.c_str();
    std::shared_ptr<Writer> w = Find(handle);
    if (!w) return "";
    std::lock_guard<std::mutex> lock(w->m);
    // The text is set once, before `failed`, and never changes after.
    return w->failed ? w->reason.c_str() : "";
}

const char* FileWriterPath(int handle)
{
    std::shared_ptr<Writer> w = Find(handle);
    return w ? w->path.c_str() : "";
}

int FileWriterClose(int handle)
{
    std::shared_ptr<Writer> w = Find(handle);
    if (!w) return FW_BAD_HANDLE;
    bool ok;
    {
        std::unique_lock<std::mutex> lock(w->m);
        w->closing = true;
        w->wake.notify_one();
        auto until =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(kCloseWait));
        w->written.wait_until(lock, until, [&] { return w->finished; });
        if (!w->finished) {
            w->failed = true;
            if (w->reason.empty()) w->reason = "the disk did not take the last lines in time";
        }
        ok = !w->failed;
        g_openError = ok ? "" : w->reason;
    }
    if (w->thread.joinable()) {
        bool finished;
        {
            std::lock_guard<std::mutex> lock(w->m);
            finished = w->finished;
        }
        if (finished)
            w->thread.join();
        else
            w->thread.detach();
    }
    std::lock_guard<std::mutex> lock(g_slotsMutex);
    g_slots[handle - 1].reset();
    return ok ? 0 : FW_FAILED;
}

// ---- [SECTION] Wall-clock texts -----------------------------------------------------------------

double WallClockSeconds(void)
{
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

int WallClockText(char* out, int size, int digits, double secondsSinceEpoch)
{
    if (!out || size < 40) return 0;
    if (digits < 0) digits = 0;
    if (digits > 6) digits = 6;
    timespec ts;
    if (secondsSinceEpoch < 0) {
        clock_gettime(CLOCK_REALTIME, &ts);
    } else {
        ts.tv_sec = time_t(secondsSinceEpoch);
        ts.tv_nsec = long((secondsSinceEpoch - double(ts.tv_sec)) * 1e9);
    }
    long micro = ts.tv_nsec / 1000;
    tm local;
    localtime_r(&ts.tv_sec, &local);
    // Integers only: the fraction never meets the locale's decimal comma.
    int n = int(strftime(out, size_t(size), "%Y-%m-%dT%H:%M:%S", &local));
    if (digits > 0) {
        long div = 1;
        for (int i = digits; i < 6; i++) div *= 10;
        n += std::snprintf(out + n, size_t(size - n), ".%0*ld", digits, micro / div);
    }
    long off = local.tm_gmtoff;
    char sign = off < 0 ? '-' : '+';
    if (off < 0) off = -off;
    n += std::snprintf(out + n, size_t(size - n), "%c%02ld:%02ld", sign, off / 3600, (off % 3600) / 60);
    return n;
}

int UtcTimeText(char* out, int size)
{
    if (!out || size < 32) return 0;
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    tm utc;
    gmtime_r(&ts.tv_sec, &utc);
    int n = int(strftime(out, size_t(size), "%Y-%m-%dT%H:%M:%S", &utc));
    return n + std::snprintf(out + n, size_t(size - n), ".%03ldZ", ts.tv_nsec / 1000000L);
}

int WallClockStamp(char* out, int size)
{
    if (!out || size < 16) return 0;
    time_t now = time(nullptr);
    tm local;
    localtime_r(&now, &local);
    return int(strftime(out, size_t(size), "%Y%m%d-%H%M%S", &local));
}
