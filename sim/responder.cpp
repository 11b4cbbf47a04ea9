// Command handling of the virtual sensor: one request in, one reply out.
//
// Rules that the sensor chooses for itself (the PC relies on none of them
// beyond the reply layouts):
//  * RAM is the parameter set the sensor works with. Writes (1, 3) replace it;
//    a measurement request (8) replaces it too when its payload is a plausible
//    parameter set, so the sensor follows the operator's threshold, window and
//    teach values while run mode is going.
//  * A measurement payload that is not a plausible set is ignored and RAM is
//    used: the PC's video loop sends the previous reply back as its payload,
//    and a sensor that took measured values for parameters would evaluate
//    with nonsense (an edge count as window start, a tolerance as polarity).
//  * Teach (6) makes the measured value the teach value (word 8) when
//    something is measured, and keeps the old one otherwise.
//  * Acknowledgements (1, 3, 6, reset 11) carry the RAM set, so a PC that
//    takes any frame into its packet still holds a sensible parameter set.
#include "sim/responder.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

// ---- EEPROM file --------------------------------------------------------------------------------

bool ReadParamFile(const std::string& path, Words* words)
{
    // Never blocks: a FIFO without a writer would hold the sensor (and the
    // tool, whose signals are masked by then) for good.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    close(fd);
    if (!regular) return false;
    std::ifstream in(path);
    if (!in) return false;
    Words w{};
    for (int i = 0; i < PNUM; ++i) {
        long v;
        if (!(in >> v) || v < 0 || v > 0xFFFF) return false;
        w[i] = static_cast<uint16_t>(v);
    }
    *words = w;
    return true;
}

// A new file beside `path`, made exclusively (a link placed under its name
// is never followed) with mode 0666, which the umask cuts as it would for any
// file the user makes: its descriptor and name, or -1.
static int CreateBeside(const std::string& path, std::string* name)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
        int fd = open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Replaces the file whole: a temporary file made beside it, with the old
// file's mode (a new file gets what the umask allows), on disk before the
// rename, and the folder on disk after it.
bool WriteParamFile(const std::string& path, const Words& words)
{
    std::string tmp;
    int fd = CreateBeside(path, &tmp);
    if (fd < 0) return false;
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) (void)fchmod(fd, st.st_mode & 07777);
    std::string text;
    for (uint16_t w : words) text += std::to_string(w) + "\n";
    bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        (void)fsync(dfd);
        close(dfd);
    }
    return true;
}

std::string ParamFileUnwritable(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return "not a regular file";
        // The rename would replace a write-protected file all the same; the
        // protection says the user wants it kept.
        if (access(path.c_str(), W_OK) != 0) return std::strerror(errno);
    }
    // What a write does first: a file made beside it.
    std::string tmp;
    int fd = CreateBeside(path, &tmp);
    if (fd < 0) return std::strerror(errno);
    close(fd);
    unlink(tmp.c_str());
    return "";
}

// ---- Responder ----------------------------------------------------------------------------------

Responder::Responder(const SensorIdentity& identity, uint32_t seed, const std::string& eeprom_file)
    : id_(identity),
      scene_(identity.pixels, seed),
      eeprom_file_(eeprom_file),
      eeprom_(kDefaultParams),
      pot_noise_(seed * 2654435761u + 1u)
{
    if (!eeprom_file_.empty()) ReadParamFile(eeprom_file_, &eeprom_);
    ram_ = eeprom_;
}

void Responder::SaveEeprom() const
{
    // A write that fails keeps the set in memory; the sensor has no way to say so.
    if (!eeprom_file_.empty()) WriteParamFile(eeprom_file_, eeprom_);
}

std::vector<uint8_t> Responder::Frame(uint16_t command, const Words& payload, bool* is_frame)
{
    auto f = EncodeFrame(command == CMD_ECHO ? kReplySync : id_.reply_sync, command, payload);
    *is_frame = true;
    return std::vector<uint8_t>(f.begin(), f.end());
}

std::vector<uint8_t> Responder::Firmware() const
{
    std::vector<uint8_t> out(kFirmwareBytes, 0);
    const std::string& text = id_.firmware;
    if (id_.board == 0) {
        // Board 0 sends one character in the low byte of each of 36 words.
        for (size_t i = 0; i < kFirmwareBytes / 2 && i < text.size(); ++i)
            out[2 * i + 1] = static_cast<uint8_t>(text[i]);
    } else {
        std::copy_n(text.begin(), std::min(text.size(), kFirmwareBytes), out.begin());
    }
    return out;
}

std::vector<uint8_t> Responder::Block(const uint16_t* samples, int count) const
{
    std::vector<uint8_t> out(2 * count);
    for (int i = 0; i < count; ++i) PutWord(&out[2 * i], samples[i]);
    return out;
}

void Responder::SetPotJitter(int digits)
{
    pot_jitter_ = digits > 0 ? digits : 0;
    if (pot_jitter_ == 0) pot_setting_ = -1;
}

Words Responder::Measure(const Words& payload, double t)
{
    bool plausible = payload[P_VTHD] >= 50 && payload[P_VTHD] <= 950 && payload[P_POLARITY] <= 1 &&
                     !(measured_ && payload == last_measure_);
    if (plausible) ram_ = payload;
    if (pot_jitter_ > 0) {
        // The potentiometer stays where it was set; what the PC sends back is
        // the last reading, and each new reading wanders around the setting.
        if (pot_setting_ < 0) pot_setting_ = ram_[P_TTOL];
        pot_noise_ = pot_noise_ * 1664525u + 1013904223u;
        int reading = pot_setting_ + static_cast<int>((pot_noise_ >> 8) % (2 * pot_jitter_ + 1)) - pot_jitter_;
        ram_[P_TTOL] = static_cast<uint16_t>(std::clamp(reading, 0, 512));
    }
    Evaluation ev = Evaluate(scene_.Line(t), ram_);
    if (ev.edcnt > 0) {
        ana_max_ = std::max(ana_max_, ev.mvalue);
        ana_min_ = std::min(ana_min_, ev.mvalue);
    }
    Words m{};
    m[M_LEDGE] = ev.ledge;
    m[M_REDGE] = ev.redge;
    m[M_MVALUE] = ev.mvalue;
    m[M_TVAL] = ram_[P_TVAL];
    m[M_TTOL] = ram_[P_TTOL];
    m[M_PIX1] = ev.pix1;
    m[M_EDCNT] = ev.edcnt;
    m[M_MVSTART] = ev.mvstart;
    m[M_MVEND] = ev.mvend;
    m[M_PIXDELTA] = ev.pixdelta;
    m[M_ANAMAX] = ana_max_;
    m[M_ANAMIN] = ana_min_;
    m[M_IN0] = 0;  // no input wired to the virtual sensor
    last_measure_ = m;
    measured_ = true;
    return m;
}

std::vector<uint8_t> Responder::Answer(uint16_t command, const Words& payload, double t, bool* is_frame,
                                       bool eeprom_stuck)
{
    *is_frame = false;
    switch (command) {
        case CMD_WRITE_RAM: ram_ = payload; return Frame(command, ram_, is_frame);
        case CMD_WRITE_EEPROM:
            ram_ = payload;
            if (!eeprom_stuck) {
                eeprom_ = payload;
                SaveEeprom();
            }
            return Frame(command, ram_, is_frame);
        case CMD_READ_RAM: return Frame(command, ram_, is_frame);
        case CMD_READ_EEPROM: return Frame(command, eeprom_, is_frame);
        case CMD_ECHO: return Frame(command, payload, is_frame);
        case CMD_TEACH: {
            Evaluation ev = Evaluate(scene_.Line(t), ram_);
            if (ev.edcnt > 0) ram_[P_TVAL] = ev.mvalue;
            return Frame(command, ram_, is_frame);
        }
        case CMD_VERSION: return Firmware();
        case CMD_MEASURE: return Frame(command, Measure(payload, t), is_frame);
        case CMD_READ_VIDEO64: {
            // The four blocks of a line come from one exposure: the line is
            // held from the first block until the block marked last.
            int first = std::min<int>(payload[0], kVideoSamples - kBlockSamples);
            if (first == 0 || held_video_.empty()) {
                auto v = VideoLine(scene_.Line(t), ram_);
                held_video_.assign(v.begin(), v.end());
            }
            std::vector<uint8_t> out = Block(&held_video_[first], kBlockSamples);
            if (payload[1] == 1) held_video_.clear();
            return out;
        }
        case CMD_HARDWARE_INFO: {
            Words hw{};
            hw[0] = id_.ccd_type;
            hw[1] = id_.pixels;
            hw[2] = id_.resolution;
            hw[3] = id_.board;
            return Frame(command, hw, is_frame);
        }
        case CMD_RESET_MAXMIN: {
            bool zero = std::all_of(payload.begin(), payload.end(), [](uint16_t w) { return w == 0; });
            if (id_.board != 0 && zero) {
                auto v = VideoLine(scene_.Line(t), ram_);
                return Block(v.data(), kVideoSamples);
            }
            ana_max_ = 0;
            ana_min_ = kNoMinimum;
            return Frame(command, ram_, is_frame);
        }
        default: return {};
    }
}

}  // namespace sim
