// The virtual sensor's serial side: the pseudo-terminal, the framing of the
// incoming bytes, the pacing of the replies and the faults.
//
// Index:
//   [SECTION] Clock and pty helpers
//   [SECTION] The line thread: framing
//   [SECTION] The line thread: one exchange, paced
//   [SECTION] Life cycle
//   [SECTION] Settings and the record
#include "sim/sensor.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <deque>
#include <mutex>
#include <thread>

#include "sim/responder.h"
#include "sim/wire.h"

using sim::ByteTimesNs;
using sim::kFrameBytes;

namespace {

// ---- [SECTION] Clock and pty helpers ------------------------------------------------------------

// Bytes that do not complete a frame are dropped after the line has been
// quiet this long: 5 byte times, longer than any gap inside a frame that a
// UART sends back to back, far shorter than the pause between two requests.
const int64_t kQuietNs = ByteTimesNs(5);
// Paced replies are written 2 bytes (about 1 ms) at a time, as they fall due.
const int64_t kChunkBytes = 2;
// Long sleeps are cut into slices so that Stop is never kept waiting.
const int64_t kSliceNs = 5 * 1000000LL;
// A PC that reads nothing fills the pty; after this long the rest of a reply
// is dropped, as bytes a real line sends into a full buffer are lost.
const int64_t kStuckNs = 250 * 1000000LL;
// Stray bytes of the garbage fault; free of 0x00 0xAA and of 0x00 0x55.
const uint8_t kGarbage[] = {0x13, 0xFF, 0x7E, 0x00, 0x42};
const uint8_t kLongTail = 0xEE;
const size_t kLongExtra = 4;

int64_t NowNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

// steady_clock is CLOCK_MONOTONIC on Linux, so the two time bases agree.
std::chrono::steady_clock::time_point ToTimePoint(int64_t ns)
{
    return std::chrono::steady_clock::time_point(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::nanoseconds(ns)));
}

struct Pty {
    int master = -1;
    int slave = -1;
    char path[128] = "";
};

bool OpenPty(Pty* p)
{
    int m, s;
    if (openpty(&m, &s, nullptr, nullptr, nullptr) != 0) return false;
    // The slave is made raw here and stays open in the sim: a PC that opens,
    // closes and re-opens the port (a port change) then finds the line as it
    // left it, and the master never sees the hang-up of the last close.
    termios tio;
    if (tcgetattr(s, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B19200);
        cfsetospeed(&tio, B19200);
        tcsetattr(s, TCSANOW, &tio);
    }
    fcntl(m, F_SETFL, fcntl(m, F_GETFL) | O_NONBLOCK);
    fcntl(m, F_SETFD, FD_CLOEXEC);
    fcntl(s, F_SETFD, FD_CLOEXEC);
    if (ptsname_r(m, p->path, sizeof p->path) != 0) {
        close(m);
        close(s);
        return false;
    }
    p->master = m;
    p->slave = s;
    return true;
}

void ClosePty(Pty* p)
{
    if (p->master >= 0) close(p->master);
    if (p->slave >= 0) close(p->slave);
    *p = Pty();
}

}  // namespace

struct VirtualSensor::Impl {
    std::string error;  // why the last Start failed
    // Guarded by mu: everything the line thread and the setters share.
    mutable std::mutex mu;
    std::unique_ptr<sim::Responder> responder;
    SensorFaults faults;
    uint64_t requests_since_faults = 0;
    bool pacing = true;
    bool frozen = false;
    double frozen_t = 0;
    int64_t epoch_ns = 0;  // scene time 0
    struct Entry {
        uint64_t seq;
        ReceivedFrame frame;
    };
    std::deque<Entry> frames;
    uint64_t next_seq = 0;

    // Owned by the caller of Start/Stop/Vanish/Reappear (serialised by life_mu).
    std::mutex life_mu;
    std::thread thread;
    std::atomic<bool> stop{false};
    int wake[2] = {-1, -1};
    Pty pty;
    std::string link;
    std::string link_target;           // the slave path the link was last pointed at
    bool started = false;              // Start succeeded, Stop not yet called
    std::atomic<bool> running{false};  // the line thread is up

    bool Launch();  // pty, link and thread
    void Halt();    // thread down, pty closed
    void Run(int master);

    void SleepUntil(int64_t deadline);
    bool WriteAll(int master, const uint8_t* data, size_t n);
    int64_t Send(int master, const std::vector<uint8_t>& reply, size_t tail, int64_t start, bool pacing);
    int64_t SendInPieces(int master, const std::vector<uint8_t>& reply, int64_t start, bool pacing, size_t piece,
                         int64_t gap_ns);
    void Exchange(int master, const uint8_t* frame, int64_t first_ns, int64_t* rx_free, int64_t* tx_free);
};

// ---- [SECTION] The line thread: framing ---------------------------------------------------------

namespace {

// A request opens with 0x00 0x55; anything before that is not part of a
// frame. Returns true when bytes were dropped.
bool HuntSync(std::vector<uint8_t>* buf)
{
    size_t i = 0;
    while (i < buf->size()) {
        if ((*buf)[i] == 0x00 && (i + 1 == buf->size() || (*buf)[i + 1] == 0x55)) break;
        ++i;
    }
    buf->erase(buf->begin(), buf->begin() + i);
    return i > 0;
}

}  // namespace

void VirtualSensor::Impl::Run(int master)
{
    std::vector<uint8_t> buf;
    int64_t first_ns = 0;              // the first byte of the pending bytes came in
    int64_t last_ns = 0;               // the last byte came in
    int64_t rx_free = 0, tx_free = 0;  // both directions of the line are busy until then
    pollfd fds[2] = {{master, POLLIN, 0}, {wake[0], POLLIN, 0}};
    uint8_t chunk[4096];

    while (!stop.load()) {
        timespec ts{};
        timespec* timeout = nullptr;
        if (!buf.empty()) {
            int64_t left = std::max<int64_t>(0, last_ns + kQuietNs - NowNs());
            ts.tv_sec = left / 1000000000LL;
            ts.tv_nsec = left % 1000000000LL;
            timeout = &ts;
        }
        int r = ppoll(fds, 2, timeout, nullptr);
        if (r < 0) {
            if (errno == EINTR) continue;  // a signal to the process, not to us
            break;
        }
        if (fds[1].revents) break;
        if (r == 0) {
            buf.clear();  // the line went quiet inside a frame
            continue;
        }
        if (fds[0].revents & POLLIN) {
            ssize_t n;
            while ((n = read(master, chunk, sizeof chunk)) > 0) {
                int64_t now = NowNs();
                if (buf.empty()) first_ns = now;
                last_ns = now;
                buf.insert(buf.end(), chunk, chunk + n);
            }
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
                timespec pause{0, 5000000};  // a broken master: never spin on it
                nanosleep(&pause, nullptr);
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            // Cannot happen while the sim holds the slave open; never spin if it does.
            timespec pause{0, 5000000};
            nanosleep(&pause, nullptr);
            continue;
        }
        // A request that follows dropped bytes began with the latest read.
        if (HuntSync(&buf)) first_ns = last_ns;
        while (buf.size() >= kFrameBytes && !stop.load()) {
            uint8_t frame[kFrameBytes];
            std::copy_n(buf.begin(), kFrameBytes, frame);
            buf.erase(buf.begin(), buf.begin() + kFrameBytes);
            Exchange(master, frame, first_ns, &rx_free, &tx_free);
            first_ns = last_ns;
            HuntSync(&buf);
        }
    }
}

// ---- [SECTION] The line thread: one exchange, paced ---------------------------------------------

void VirtualSensor::Impl::SleepUntil(int64_t deadline)
{
    for (int64_t now = NowNs(); now < deadline && !stop.load(); now = NowNs()) {
        int64_t until = std::min(deadline, now + kSliceNs);
        timespec ts{static_cast<time_t>(until / 1000000000LL), static_cast<long>(until % 1000000000LL)};
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);  // EINTR: the loop re-checks
    }
}

bool VirtualSensor::Impl::WriteAll(int master, const uint8_t* data, size_t n)
{
    int64_t give_up = NowNs() + kStuckNs;
    while (n > 0 && !stop.load()) {
        ssize_t w = write(master, data, n);
        if (w > 0) {
            data += w;
            n -= static_cast<size_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno != EAGAIN) return false;
        if (NowNs() > give_up) return false;
        pollfd p{master, POLLOUT, 0};
        poll(&p, 1, 10);
    }
    return n == 0;
}

// Writes the reply so that byte k leaves at start + k byte times (all at
// once at `start` without pacing); the last `tail` bytes go together with the
// byte before them. Returns the time the last byte was written, or 0 when the
// reply was cut short (Stop, or a PC that reads nothing).
int64_t VirtualSensor::Impl::Send(int master, const std::vector<uint8_t>& reply, size_t tail, int64_t start,
                                  bool pacing)
{
    size_t sent = 0, total = reply.size();
    size_t timeline = total - tail;
    if (!pacing) {
        SleepUntil(start);
        if (stop.load() || !WriteAll(master, reply.data(), total)) return 0;
        return NowNs();
    }
    while (sent < total) {
        if (stop.load()) return 0;
        int64_t now = NowNs();
        size_t due = now < start ? 0 : std::min<size_t>(timeline, static_cast<size_t>((now - start) / ByteTimesNs(1)));
        // (now - start) / one byte time can fall a few ns short of the exact
        // deadline of ByteTimesNs(k); compare with the deadlines themselves.
        while (due < timeline && now >= start + ByteTimesNs(due + 1)) ++due;
        if (due == timeline) due = total;
        if (due > sent) {
            if (!WriteAll(master, reply.data() + sent, due - sent)) return 0;
            sent = due;
            continue;
        }
        size_t next = std::min<size_t>(timeline, sent + kChunkBytes);
        SleepUntil(start + ByteTimesNs(next));
    }
    return NowNs();
}

// A link that hands the reply over in pieces: piece j leaves when its last
// byte is due on the line, plus j pauses. Returns as Send does.
int64_t VirtualSensor::Impl::SendInPieces(int master, const std::vector<uint8_t>& reply, int64_t start, bool pacing,
                                          size_t piece, int64_t gap_ns)
{
    for (size_t from = 0, j = 0; from < reply.size(); from += piece, ++j) {
        size_t to = std::min(reply.size(), from + piece);
        SleepUntil(start + (pacing ? ByteTimesNs(static_cast<int64_t>(to)) : 0) + static_cast<int64_t>(j) * gap_ns);
        if (stop.load() || !WriteAll(master, reply.data() + from, to - from)) return 0;
    }
    return NowNs();
}

void VirtualSensor::Impl::Exchange(int master, const uint8_t* frame, int64_t first_ns, int64_t* rx_free,
                                   int64_t* tx_free)
{
    int64_t complete = NowNs();
    uint16_t command = sim::GetWord(frame + 2);
    sim::Words payload = sim::DecodePayload(frame);
    // On a real line the request's own bytes take 36 byte times to come in.
    int64_t rx_start = std::max(first_ns, *rx_free);
    int64_t rx_end = rx_start + ByteTimesNs(kFrameBytes);
    *rx_free = rx_end;

    SensorFaults f;
    bool pace;
    bool is_frame = false;
    std::vector<uint8_t> reply;
    uint64_t seq;
    bool drop;
    {
        std::lock_guard<std::mutex> lock(mu);
        f = faults;
        pace = pacing;
        uint64_t n = ++requests_since_faults;
        responder->SetPotJitter(f.pot_jitter);
        drop = f.no_reply_every == 1 || (f.no_reply_every > 1 && n % static_cast<uint64_t>(f.no_reply_every) == 0);
        double t = frozen ? frozen_t : (complete - epoch_ns) / 1e9;
        reply = responder->Answer(command, payload, t, &is_frame, f.eeprom_keeps_old);
        seq = next_seq++;
        ReceivedFrame rec;
        rec.command = command;
        std::copy(payload.begin(), payload.end(), rec.payload.begin());
        rec.received = ToTimePoint(complete);
        frames.push_back({seq, rec});
        while (frames.size() > kMaxFrames) frames.pop_front();
    }
    if (drop || reply.empty()) return;

    if (is_frame && f.bad_sync) {
        reply[0] = 0xAA;
        reply[1] = 0x00;
    }
    if (is_frame && f.bad_hwcmd && command == sim::CMD_HARDWARE_INFO) {
        reply[2] = 0x0A;
        reply[3] = 0x00;
    }
    if (f.short_reply) reply.resize(reply.size() / 2);
    // The surplus of a long reply comes in with the frame's last byte, so the
    // PC finds 40 bytes waiting at once, not a frame and 4 late stragglers.
    size_t tail = 0;
    if (f.long_reply) {
        reply.insert(reply.end(), kLongExtra, kLongTail);
        tail = kLongExtra;
    }
    if (f.garbage) reply.insert(reply.begin(), std::begin(kGarbage), std::end(kGarbage));

    int64_t start = pace ? std::max(rx_end, *tx_free) : complete;
    if (f.delay_ms > 0) start = std::max<int64_t>(start, complete + f.delay_ms * int64_t{1000000});
    if (f.stray_pause_ms > 0) {
        // Noise on the line: a few bytes, then silence, then the real reply.
        std::vector<uint8_t> stray(std::begin(kGarbage), std::end(kGarbage));
        int64_t stray_done = Send(master, stray, 0, start, pace);
        if (stray_done == 0) return;
        start = std::max(start, stray_done) + f.stray_pause_ms * int64_t{1000000};
    }
    int64_t done;
    if (f.piece_bytes > 0) {
        const int64_t gap = f.piece_gap_ms * int64_t{1000000};
        const int64_t pieces = (static_cast<int64_t>(reply.size()) + f.piece_bytes - 1) / f.piece_bytes;
        done = SendInPieces(master, reply, start, pace, static_cast<size_t>(f.piece_bytes), gap);
        if (pace) *tx_free = start + ByteTimesNs(static_cast<int64_t>(reply.size())) + (pieces - 1) * gap;
    } else {
        done = Send(master, reply, tail, start, pace);
        if (pace) *tx_free = start + ByteTimesNs(static_cast<int64_t>(reply.size()));
    }
    if (done == 0) return;

    std::lock_guard<std::mutex> lock(mu);
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
        if (it->seq == seq) {
            it->frame.replied = ToTimePoint(done);
            it->frame.reply_bytes = reply.size();
            it->frame.reply = reply;
            break;
        }
        if (it->seq < seq) break;
    }
}

// ---- [SECTION] Life cycle -----------------------------------------------------------------------

bool VirtualSensor::Impl::Launch()
{
    if (!OpenPty(&pty)) {
        error = "no pseudo-terminal";
        return false;
    }
    if (!link.empty()) {
        // Only a link of ours, or one that points nowhere, is replaced:
        // whatever else stands at the path belongs to somebody.
        struct stat st;
        if (lstat(link.c_str(), &st) == 0) {
            char target[256];
            ssize_t n = S_ISLNK(st.st_mode) ? readlink(link.c_str(), target, sizeof target - 1) : -1;
            if (n >= 0) target[n] = '\0';
            struct stat to;
            bool ours = n >= 0 && !link_target.empty() && link_target == target;
            bool dangling = n >= 0 && stat(link.c_str(), &to) != 0;
            if (!ours && !dangling) {
                error = link + " exists and is not a link of this sensor; not replaced";
                ClosePty(&pty);
                return false;
            }
            unlink(link.c_str());
        }
        if (symlink(pty.path, link.c_str()) != 0) {
            error = link + ": " + strerror(errno);
            ClosePty(&pty);
            return false;
        }
        link_target = pty.path;
    }
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        ClosePty(&pty);
        return false;
    }
    stop.store(false);
    int master = pty.master;
    thread = std::thread([this, master] { Run(master); });
    running.store(true);
    return true;
}

void VirtualSensor::Impl::Halt()
{
    if (running.load()) {
        stop.store(true);
        char c = 1;
        if (write(wake[1], &c, 1) < 0) {
            // The pipe is non-blocking and fresh; the stop flag is checked anyway.
        }
        thread.join();
        running.store(false);
        close(wake[0]);
        close(wake[1]);
        wake[0] = wake[1] = -1;
    }
    ClosePty(&pty);
}

VirtualSensor::VirtualSensor() : impl_(new Impl) {}

VirtualSensor::~VirtualSensor()
{
    Stop();
}

bool VirtualSensor::Start(const SensorOptions& options)
{
    std::lock_guard<std::mutex> life(impl_->life_mu);
    if (impl_->started) return false;
    int px = options.identity.pixels;
    impl_->error.clear();
    if (px != 256 && px != 512 && px != 1024) {
        impl_->error = "a line of 256, 512 or 1024 pixels";
        return false;
    }
    if (!options.eeprom_file.empty()) {
        // Refused now: a sensor cannot say that its EEPROM write failed, and
        // every write would be lost without a word.
        std::string why = sim::ParamFileUnwritable(options.eeprom_file);
        if (!why.empty()) {
            impl_->error = "the EEPROM file " + options.eeprom_file + " cannot be written: " + why;
            return false;
        }
    }
    {
        std::lock_guard<std::mutex> lock(impl_->mu);
        impl_->responder.reset(new sim::Responder(options.identity, options.seed, options.eeprom_file));
        impl_->faults = options.faults;
        impl_->requests_since_faults = 0;
        impl_->pacing = options.pacing;
        impl_->frozen = false;
        impl_->epoch_ns = NowNs();
    }
    impl_->link = options.link;
    if (!impl_->Launch()) return false;
    impl_->started = true;
    return true;
}

const char* VirtualSensor::Error() const
{
    return impl_->error.c_str();
}

void VirtualSensor::Stop()
{
    std::lock_guard<std::mutex> life(impl_->life_mu);
    if (!impl_->started) return;
    impl_->Halt();
    // The link goes with the sensor, unless someone re-pointed it meanwhile.
    if (!impl_->link.empty()) {
        char target[128];
        ssize_t n = readlink(impl_->link.c_str(), target, sizeof target - 1);
        if (n >= 0) {
            target[n] = '\0';
            if (impl_->link_target == target) unlink(impl_->link.c_str());
        }
    }
    impl_->started = false;
}

bool VirtualSensor::Running() const
{
    return impl_->running.load();
}

const char* VirtualSensor::SlavePath() const
{
    return impl_->pty.path;
}

void VirtualSensor::Vanish()
{
    std::lock_guard<std::mutex> life(impl_->life_mu);
    if (impl_->started) impl_->Halt();
}

bool VirtualSensor::Reappear()
{
    std::lock_guard<std::mutex> life(impl_->life_mu);
    if (!impl_->started || impl_->running.load()) return false;
    return impl_->Launch();
}

// ---- [SECTION] Settings and the record ----------------------------------------------------------

void VirtualSensor::SetFaults(const SensorFaults& faults)
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->faults = faults;
    impl_->requests_since_faults = 0;
}

SensorFaults VirtualSensor::Faults() const
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    return impl_->faults;
}

void VirtualSensor::SetPacing(bool on)
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->pacing = on;
}

void VirtualSensor::FreezeScene(double seconds)
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->frozen = true;
    impl_->frozen_t = seconds;
}

void VirtualSensor::ThawScene()
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->frozen = false;
}

std::array<uint16_t, 16> VirtualSensor::Ram() const
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    return impl_->responder ? impl_->responder->Ram() : sim::kDefaultParams;
}

std::array<uint16_t, 16> VirtualSensor::Eeprom() const
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    return impl_->responder ? impl_->responder->Eeprom() : sim::kDefaultParams;
}

std::vector<ReceivedFrame> VirtualSensor::Frames() const
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    std::vector<ReceivedFrame> out;
    out.reserve(impl_->frames.size());
    for (const auto& e : impl_->frames) out.push_back(e.frame);
    return out;
}

void VirtualSensor::ClearFrames()
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->frames.clear();
}
