// Command-line parsing of `kvormx-sim`. Every option takes its value either
// as the next argument or after '=' (--pixels 512, --pixels=512).
#include "sim/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace sim {

namespace {

bool ToLong(const std::string& text, long lo, long hi, long* out)
{
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    // Decimal, or hexadecimal with 0x (sync words read better that way).
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    long v = std::strtol(text.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
    *out = v;
    return true;
}

bool ToDouble(const std::string& text, double* out)
{
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0') return false;
    *out = v;
    return true;
}

}  // namespace

const char* ToolUsage()
{
    return "usage: kvormx-sim [options]\n"
           "A virtual K-VOR-MX sensor on a pseudo-terminal. Prints the device to connect to on its\n"
           "first line and runs until interrupted. SIGUSR1 makes it vanish, or come back on a new\n"
           "device (printed again).\n"
           "\n"
           "identity:\n"
           "  --ccd-type N        CCD type code (default 2)\n"
           "  --pixels N          pixels of the line: 256, 512 or 1024 (default 1024)\n"
           "  --resolution N      resolution code (default 250)\n"
           "  --board N           board type (default 0: word-coded firmware text, 64-sample blocks)\n"
           "  --firmware TEXT     firmware text\n"
           "  --reply-sync N      sync word of every reply frame but the echo's (default 0x00AA)\n"
           "line:\n"
           "  --no-pacing         reply at once instead of at 19200 baud\n"
           "  --eeprom FILE       keep the EEPROM in FILE\n"
           "  --link PATH         make PATH a symlink to the device\n"
           "  --seed N            noise pattern of the scene (default 1)\n"
           "  --piece BYTES       hand every reply over in pieces of BYTES bytes, as USB adapters\n"
           "                      and serial device servers do\n"
           "  --piece-gap MS      with a pause of MS milliseconds between two pieces\n"
           "  --pot-jitter N      the tolerance in measurement replies moves by up to N digits from\n"
           "                      reply to reply, as one read from a potentiometer does\n"
           "  --freeze SECONDS    hold the scene still at that time\n"
           "faults:\n"
           "  --no-reply          answer nothing\n"
           "  --no-reply-every N  leave every Nth request unanswered\n"
           "  --short             cut every reply to half its length\n"
           "  --long              4 extra bytes after every reply\n"
           "  --garbage           5 stray bytes before every reply\n"
           "  --bad-sync          reply frames open with 0xAA 0x00\n"
           "  --bad-hwcmd         hardware reply with a wrong command word\n"
           "  --delay MS          no reply earlier than MS milliseconds after the request\n"
           "  --stray-pause MS    5 stray bytes, a pause of MS milliseconds, then the reply\n"
           "  --eeprom-keeps-old  EEPROM writes are answered but change nothing\n"
           "  -h, --help          this text\n"
           "  --version           the program version\n";
}

int ParseToolArgs(int argc, const char* const* argv, ToolOptions* out, std::string* error)
{
    ToolOptions o;
    SensorIdentity& id = o.sensor.identity;
    SensorFaults& f = o.sensor.faults;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool has_value = false;
        size_t eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            has_value = true;
        }
        auto take = [&](std::string* v) {
            if (has_value) {
                *v = value;
                return true;
            }
            if (i + 1 >= argc) return false;
            *v = argv[++i];
            return true;
        };
        auto word = [&](uint16_t* dst, long lo, long hi) {
            std::string v;
            long n;
            if (!take(&v) || !ToLong(v, lo, hi, &n)) {
                *error = arg + " needs a number from " + std::to_string(lo) + " to " + std::to_string(hi);
                return false;
            }
            *dst = static_cast<uint16_t>(n);
            return true;
        };
        auto flag = [&](bool* dst) {
            if (has_value) {
                *error = arg + " takes no value";
                return false;
            }
            *dst = true;
            return true;
        };
        uint16_t n16;
        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            ok = flag(&o.help);
        } else if (arg == "--version") {
            ok = flag(&o.version);
        } else if (arg == "--ccd-type") {
            ok = word(&id.ccd_type, 0, 65535);
        } else if (arg == "--pixels") {
            ok = word(&id.pixels, 256, 1024);
            if (ok && id.pixels != 256 && id.pixels != 512 && id.pixels != 1024) {
                *error = "--pixels must be 256, 512 or 1024";
                ok = false;
            }
        } else if (arg == "--resolution") {
            ok = word(&id.resolution, 0, 65535);
        } else if (arg == "--board") {
            ok = word(&id.board, 0, 65535);
        } else if (arg == "--reply-sync") {
            ok = word(&id.reply_sync, 0, 65535);
        } else if (arg == "--firmware") {
            ok = take(&id.firmware);
            if (!ok) *error = "--firmware needs a text";
        } else if (arg == "--no-pacing") {
            bool b = false;
            ok = flag(&b);
            o.sensor.pacing = !b;
        } else if (arg == "--eeprom" || arg == "--link") {
            std::string v;
            ok = take(&v) && !v.empty();
            if (!ok) *error = arg + " needs a path";
            (arg == "--eeprom" ? o.sensor.eeprom_file : o.sensor.link) = v;
        } else if (arg == "--seed") {
            std::string v;
            long n;
            ok = take(&v) && ToLong(v, 0, 0x7FFFFFFF, &n);
            if (ok)
                o.sensor.seed = static_cast<uint32_t>(n);
            else
                *error = "--seed needs a number";
        } else if (arg == "--freeze") {
            std::string v;
            ok = take(&v) && ToDouble(v, &o.freeze_at);
            o.frozen = ok;
            if (!ok) *error = "--freeze needs a time in seconds";
        } else if (arg == "--no-reply") {
            bool b = false;
            ok = flag(&b);
            f.no_reply_every = 1;
        } else if (arg == "--no-reply-every") {
            ok = word(&n16, 1, 65535);
            f.no_reply_every = n16;
        } else if (arg == "--short") {
            ok = flag(&f.short_reply);
        } else if (arg == "--long") {
            ok = flag(&f.long_reply);
        } else if (arg == "--garbage") {
            ok = flag(&f.garbage);
        } else if (arg == "--bad-sync") {
            ok = flag(&f.bad_sync);
        } else if (arg == "--bad-hwcmd") {
            ok = flag(&f.bad_hwcmd);
        } else if (arg == "--stray-pause") {
            ok = word(&n16, 1, 60000);
            f.stray_pause_ms = n16;
        } else if (arg == "--eeprom-keeps-old") {
            ok = flag(&f.eeprom_keeps_old);
        } else if (arg == "--piece") {
            ok = word(&n16, 1, 4096);
            f.piece_bytes = n16;
        } else if (arg == "--piece-gap") {
            ok = word(&n16, 0, 60000);
            f.piece_gap_ms = n16;
        } else if (arg == "--pot-jitter") {
            ok = word(&n16, 0, 512);
            f.pot_jitter = n16;
        } else if (arg == "--delay") {
            ok = word(&n16, 0, 60000);
            f.delay_ms = n16;
        } else {
            *error = "unknown option " + std::string(argv[i]);
            ok = false;
        }
        if (!ok) return 2;
    }
    if (f.piece_gap_ms > 0 && f.piece_bytes == 0) {
        *error = "--piece-gap needs --piece";
        return 2;
    }
    *out = o;
    return 0;
}

}  // namespace sim
