// Serial ports present on the machine: found in sysfs, /dev and the by-id
// folder, numbered, and watched with inotify.
//
// Index:
//   [SECTION] Port table and helpers
//   [SECTION] What sysfs says about a tty
//   [SECTION] Finding the ports
//   [SECTION] Numbering
//   [SECTION] Watching

#include "runtime/ports.h"
#include "runtime/events.h"
#include "runtime/port_events.h"
#include "runtime/rs232.h"
#include "runtime/util.h"

#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// ---- [SECTION] Port table and helpers -----------------------------------------------------------
namespace {

// What makes a port's device this device and not an earlier one: the stable
// name's own inode (udev makes a new link on every plug, the virtual sensor
// re-points its link) and the device node it leads to.
struct Identity {
    ino_t nameIno = 0;
    dev_t rdev = 0;
    ino_t nodeIno = 0;
    // When the name is a link: the time it was made. A link made afresh may
    // get the old one's inode number, and a pseudo-terminal the old number.
    timespec linkMade{};
    bool operator==(const Identity& o) const
    {
        return nameIno == o.nameIno && rdev == o.rdev && nodeIno == o.nodeIno && linkMade.tv_sec == o.linkMade.tv_sec &&
               linkMade.tv_nsec == o.linkMade.tv_nsec;
    }
    bool operator!=(const Identity& o) const { return !(*this == o); }
};

struct Entry {
    std::string name;    // stable name; empty: the number was never given out
    bool named = false;  // named on the command line: always listed
    bool present = false;
    Identity id;              // while present
    unsigned appearance = 0;  // 0 while away
    std::string description;
};

// A device found by one scan.
struct Found {
    std::string name;
    int rank;  // 0 named, 1 by-id, 2 kernel name: the lower is listed
    Identity id;
    std::string kernel;  // kernel name (ttyUSB0), "" when sysfs does not know the device
    int onboard = -1;    // k of ttyS<k>
    std::string description;
};

Entry g_table[COM_MAX_PORTS + 1];  // index 0 unused
bool g_scanned = false;
unsigned g_appearances = 0;  // last appearance number given out
std::string g_byIdDir = "/dev/serial/by-id";
std::string g_devDir = "/dev";
std::string g_sysDir = "/sys/class/tty";

const int kDefaultListed = 8;  // COM1..COM8 before anything was scanned

bool ValidNumber(int n)
{
    return n >= 1 && n <= COM_MAX_PORTS;
}

std::string ReadLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

std::string DirOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Canonical(const std::string& path)
{
    char buf[PATH_MAX];
    return realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

// Entries of a folder, sorted, without . and ..
std::vector<std::string> ListDir(const std::string& dir)
{
    std::vector<std::string> names;
    DIR* d = opendir(dir.c_str());
    if (!d) return names;
    while (dirent* e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        names.push_back(e->d_name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

// The identity of a character device behind `path`; false when there is none.
bool DeviceAt(const std::string& path, Identity* id)
{
    struct stat link, node;
    if (lstat(path.c_str(), &link) != 0 || stat(path.c_str(), &node) != 0) return false;
    if (!S_ISCHR(node.st_mode)) return false;
    id->nameIno = link.st_ino;
    id->rdev = node.st_rdev;
    id->nodeIno = node.st_ino;
    id->linkMade = S_ISLNK(link.st_mode) ? link.st_ctim : timespec{};
    return true;
}

bool IsPtySlave(dev_t rdev)
{
    // Unix98 pseudo-terminal slaves have majors 136..143.
    return major(rdev) >= 136 && major(rdev) <= 143;
}

}  // namespace

// ---- [SECTION] What sysfs says about a tty ------------------------------------------------------
namespace {

// Kernel names by device number, from the `dev` file of every tty in sysfs.
std::map<dev_t, std::string> SysfsTtys()
{
    std::map<dev_t, std::string> ttys;
    for (const std::string& name : ListDir(g_sysDir)) {
        unsigned maj = 0, min = 0;
        if (std::sscanf(ReadLine(g_sysDir + "/" + name + "/dev").c_str(), "%u:%u", &maj, &min) == 2)
            ttys[makedev(maj, min)] = name;
    }
    return ttys;
}

bool HasDevice(const std::string& kernel)
{
    struct stat st;
    return lstat((g_sysDir + "/" + kernel + "/device").c_str(), &st) == 0;
}

// The serial core makes a node for every port it might drive, and most PCs
// have chips for one or two of the 4 to 32 ttyS nodes: only a known port
// type says a UART is behind it. sysfs gives the type to anyone; the ioctl
// is the fallback for a kernel without the attribute.
bool UartHasHardware(const std::string& kernel)
{
    std::string type = ReadLine(g_sysDir + "/" + kernel + "/type");
    if (!type.empty()) return std::atoi(type.c_str()) != PORT_UNKNOWN;
    if (kernel.compare(0, 4, "ttyS") != 0) return true;  // no serial-core port: USB and the like
    int fd = open((g_devDir + "/" + kernel).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EACCES || errno == EBUSY;  // someone's port: it exists
    serial_struct info;
    std::memset(&info, 0, sizeof info);
    bool known = ioctl(fd, TIOCGSERIAL, &info) != 0 || info.type != PORT_UNKNOWN;
    close(fd);
    return known;
}

// Whether a tty the kernel knows is a serial port: one rule for kernel names
// and by-id links alike. A tty with a device behind it in sysfs is driven by
// hardware (a UART, a USB adapter); the console, /dev/tty, ptmx and the
// virtual consoles have none, and a UART node has one only when its port
// type is known. Nothing is opened for it (an open could block on a modem
// line or disturb a device in use) unless sysfs has no port type to read.
// Pseudo-terminal slaves are not in sysfs at all: a link to one (the virtual
// sensor, a device server's bridge) is taken by its device number instead.
bool IsSerialTty(const std::string& kernel)
{
    return HasDevice(kernel) && UartHasHardware(kernel);
}

// k of an on-board port's kernel name ttyS<k>, or -1.
int OnboardIndex(const std::string& kernel)
{
    if (kernel.compare(0, 4, "ttyS") != 0 || kernel.size() == 4) return -1;
    for (size_t i = 4; i < kernel.size(); i++)
        if (!std::isdigit(static_cast<unsigned char>(kernel[i]))) return -1;
    return std::atoi(kernel.c_str() + 4);
}

// Maker, product and serial number of the USB device above the tty: the
// first folder on the way up from the tty's device that names a product.
std::string UsbDescription(const std::string& kernel)
{
    std::string dir = Canonical(g_sysDir + "/" + kernel + "/device");
    for (int up = 0; up < 8 && dir.size() > 1; up++, dir = DirOf(dir)) {
        std::string product = ReadLine(dir + "/product");
        std::string maker = ReadLine(dir + "/manufacturer");
        if (product.empty() && maker.empty()) continue;
        std::string text = maker;
        if (!product.empty()) text += (text.empty() ? "" : " ") + product;
        std::string serial = ReadLine(dir + "/serial");
        if (!serial.empty()) text += ", serial " + serial;
        return text;
    }
    return "";
}

std::string Describe(const std::string& kernel, dev_t rdev)
{
    if (kernel.empty()) {
        if (IsPtySlave(rdev)) return "pseudo-terminal (pts/" + std::to_string(minor(rdev)) + ")";
        return "";
    }
    if (OnboardIndex(kernel) >= 0) return "on-board serial port (" + kernel + ")";
    std::string usb = UsbDescription(kernel);
    if (!usb.empty()) return usb + " (" + kernel + ")";
    return "serial port (" + kernel + ")";
}

}  // namespace

// ---- [SECTION] Finding the ports ----------------------------------------------------------------
namespace {

// Every device there is now, one entry per device: the names the program
// was given first (they are never merged away), then the by-id links, then
// the kernel names of real hardware.
std::vector<Found> FindPorts()
{
    std::map<dev_t, std::string> ttys = SysfsTtys();
    std::vector<Found> found;
    std::set<dev_t> taken;

    auto add = [&](const std::string& name, int rank, const Identity& id, int onboard) {
        if (rank > 0 && taken.count(id.rdev)) return;
        taken.insert(id.rdev);
        Found f;
        f.name = name;
        f.rank = rank;
        f.id = id;
        auto t = ttys.find(id.rdev);
        if (t != ttys.end()) f.kernel = t->second;
        f.onboard = onboard;
        f.description = Describe(f.kernel, id.rdev);
        found.push_back(f);
    };

    for (int n = 1; n <= COM_MAX_PORTS; n++) {
        const Entry& e = g_table[n];
        Identity id;
        if (e.named && DeviceAt(e.name, &id)) add(e.name, 0, id, -1);
    }
    for (const std::string& link : ListDir(g_byIdDir)) {
        Identity id;
        if (!DeviceAt(g_byIdDir + "/" + link, &id)) continue;
        auto t = ttys.find(id.rdev);
        if (t != ttys.end() ? IsSerialTty(t->second) : IsPtySlave(id.rdev)) add(g_byIdDir + "/" + link, 1, id, -1);
    }
    for (const auto& [rdev, kernel] : ttys) {
        (void)rdev;
        if (!IsSerialTty(kernel)) continue;
        Identity id;
        if (DeviceAt(g_devDir + "/" + kernel, &id)) add(g_devDir + "/" + kernel, 2, id, OnboardIndex(kernel));
    }
    return found;
}

}  // namespace

// ---- [SECTION] Numbering ------------------------------------------------------------------------
namespace {

int NumberOf(const std::string& name)
{
    for (int n = 1; n <= COM_MAX_PORTS; n++)
        if (!g_table[n].name.empty() && g_table[n].name == name) return n;
    return 0;
}

// The lowest number never given out; failing that, the number of a port
// that is away and not open (it would get a new number if it came back).
int FreeNumber()
{
    for (int n = 1; n <= COM_MAX_PORTS; n++)
        if (g_table[n].name.empty()) return n;
    for (int n = 1; n <= COM_MAX_PORTS; n++) {
        const Entry& e = g_table[n];
        if (!e.named && !e.present && ComPortGone(n) == RS_PORT_NOT_OPEN) {
            g_table[n] = Entry();
            return n;
        }
    }
    return 0;
}

void Give(int n, const std::string& name, bool named)
{
    Entry& e = g_table[n];
    e = Entry();
    e.name = name;
    e.named = named;
    SetComDevice(n, name.c_str());
}

// A number for a port seen for the first time.
int NumberFor(const Found& f)
{
    // udev makes the by-id link a moment after the kernel's node: a port
    // first seen under its kernel name keeps its number under the link.
    if (f.rank == 1 && !f.kernel.empty()) {
        int n = NumberOf(g_devDir + "/" + f.kernel);
        if (n && !g_table[n].named) {
            g_table[n].name = f.name;
            SetComDevice(n, f.name.c_str());
            return n;
        }
    }
    int n = 0;
    if (f.onboard >= 0 && f.onboard < COM_MAX_PORTS && g_table[f.onboard + 1].name.empty())
        n = f.onboard + 1;
    else
        n = FreeNumber();
    if (n) Give(n, f.name, false);
    return n;
}

}  // namespace

void SetPortsByIdDir(const char* dir)
{
    g_byIdDir = dir && *dir ? dir : "/dev/serial/by-id";
    while (g_byIdDir.size() > 1 && g_byIdDir.back() == '/') g_byIdDir.pop_back();
}

void SetPortsSystemDirs(const char* devDir, const char* sysTtyDir)
{
    g_devDir = devDir && *devDir ? devDir : "/dev";
    g_sysDir = sysTtyDir && *sysTtyDir ? sysTtyDir : "/sys/class/tty";
}

int AddComPort(int number, const char* device)
{
    if (!ValidNumber(number) || !device || !*device) return RS_INVALID_PORT;
    if (g_table[number].named) return PORTS_NUMBER_TAKEN;
    Give(number, device, true);
    return 0;
}

int ScanPorts(void)
{
    std::vector<Found> found = FindPorts();
    // On-board ports first, so each finds its own number free, then the rest
    // in name order: the same machine numbers its ports the same way each run.
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if ((a.onboard >= 0) != (b.onboard >= 0)) return a.onboard >= 0;
        if (a.onboard != b.onboard) return a.onboard < b.onboard;
        return a.name < b.name;
    });

    bool seen[COM_MAX_PORTS + 1] = {};
    for (const Found& f : found) {
        int n = NumberOf(f.name);
        if (!n) n = NumberFor(f);
        if (!n) continue;  // every number is in use
        Entry& e = g_table[n];
        seen[n] = true;
        if (!e.present || e.id != f.id) e.appearance = ++g_appearances;
        e.present = true;
        e.id = f.id;
        e.description = f.description;
    }
    for (int n = 1; n <= COM_MAX_PORTS; n++) {
        Entry& e = g_table[n];
        if (e.name.empty()) continue;
        if (!seen[n]) {
            e.present = false;
            e.appearance = 0;
            e.id = Identity();
            e.description = e.named ? "not present" : "";
        }
        // An open port whose device left, or whose name now leads to another
        // device, talks to nothing the operator can see any more.
        int fd = ComOpenFd(n);
        if (fd < 0) continue;
        struct stat st;
        bool same = e.present && fstat(fd, &st) == 0 && st.st_rdev == e.id.rdev && st.st_ino == e.id.nodeIno;
        if (!same) ComMarkGone(n);
    }
    g_scanned = true;
    int count = 0;
    for (int n = 1; n <= COM_MAX_PORTS; n++)
        if (!g_table[n].name.empty() && (g_table[n].present || g_table[n].named)) count++;
    return count;
}

int ListedPorts(int* numbers, int max)
{
    int count = 0;
    for (int n = 1; n <= COM_MAX_PORTS; n++) {
        bool listed =
            g_scanned ? !g_table[n].name.empty() && (g_table[n].present || g_table[n].named) : n <= kDefaultListed;
        if (!listed) continue;
        if (numbers && count < max) numbers[count] = n;
        count++;
    }
    return count;
}

int PortPresent(int number)
{
    if (!g_scanned) return -1;
    return ValidNumber(number) && g_table[number].present ? 1 : 0;
}

unsigned PortAppearance(int number)
{
    return ValidNumber(number) ? g_table[number].appearance : 0;
}

const char* PortDescription(int number)
{
    return ValidNumber(number) ? g_table[number].description.c_str() : "";
}

int PortNumber(const char* device)
{
    return device && *device ? NumberOf(device) : 0;
}

// ---- [SECTION] Watching -------------------------------------------------------------------------
namespace {

// What a watched folder is watched for: any entry, entries named tty*, or
// some names only.
struct Interest {
    bool all = false;
    bool tty = false;
    std::set<std::string> names;
};

const double kSettleSeconds = 0.15;     // a plug's burst of changes becomes one rescan
const double kBusyRetrySeconds = 0.25;  // the program was on the line: ask again after this

int g_inotify = -1;
QSocketNotifier* g_notifier = nullptr;
QTimer* g_settle = nullptr;
// Without a window system (kvormx-cli) the headless event pass serves the
// descriptor, and the settle time is a deadline it looks at.
bool g_headless = false;
double g_settleAt = 0;  // Timer() when the rescan is due; 0 none
PortsChangedPtr g_callback = nullptr;
void* g_callbackData = nullptr;
std::map<int, Interest> g_watches;  // by watch descriptor

bool IsDir(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// `dir` and what in it matters. A missing folder is waited for in the
// nearest folder above it that exists, for the name of the one on the way.
void Want(std::map<std::string, Interest>& want, std::string dir, std::string name, bool all, bool tty)
{
    while (!IsDir(dir)) {
        if (dir.empty() || dir == "/" || dir == ".") return;
        name = BaseOf(dir);
        dir = DirOf(dir);
        all = tty = false;
    }
    Interest& i = want[dir];
    i.all = i.all || all;
    i.tty = i.tty || tty;
    if (!name.empty()) i.names.insert(name);
}

void UpdateWatches()
{
    if (g_inotify < 0) return;
    std::map<std::string, Interest> want;
    Want(want, g_devDir, "", false, true);
    Want(want, g_byIdDir, "", true, false);
    for (int n = 1; n <= COM_MAX_PORTS; n++) {
        const Entry& e = g_table[n];
        if (e.name.empty()) continue;
        if (e.named) Want(want, DirOf(e.name), BaseOf(e.name), false, false);
        // The node a listed port leads to (a pseudo-terminal in /dev/pts).
        std::string real = e.present ? Canonical(e.name) : "";
        if (!real.empty()) Want(want, DirOf(real), BaseOf(real), false, false);
    }

    const uint32_t mask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;
    std::map<int, Interest> watches;
    for (const auto& [dir, interest] : want) {
        int wd = inotify_add_watch(g_inotify, dir.c_str(), mask);
        if (wd < 0) continue;
        // Two paths may lead to one folder: the same descriptor, interests merged.
        Interest& i = watches[wd];
        i.all = i.all || interest.all;
        i.tty = i.tty || interest.tty;
        i.names.insert(interest.names.begin(), interest.names.end());
    }
    for (const auto& [wd, interest] : g_watches)
        if (!watches.count(wd)) inotify_rm_watch(g_inotify, wd);
    g_watches = watches;
}

bool Matters(const inotify_event* ev)
{
    if (ev->mask & (IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) return true;
    auto w = g_watches.find(ev->wd);
    if (w == g_watches.end()) return false;
    if (w->second.all) return true;
    std::string name = ev->len ? ev->name : "";
    if (w->second.tty && name.compare(0, 3, "tty") == 0) return true;
    return w->second.names.count(name) > 0;
}

void Settle(double seconds)
{
    if (g_settle && !g_settle->isActive()) g_settle->start(static_cast<int>(seconds * 1000));
    if (g_headless && g_settleAt == 0) g_settleAt = Timer() + seconds;
}

void ReadEvents()
{
    alignas(inotify_event) char buf[8192];
    for (;;) {
        ssize_t n = read(g_inotify, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;  // interrupted before anything was read
        if (n <= 0) return;                     // drained (EAGAIN)
        for (char* p = buf; p < buf + n;) {
            auto* ev = reinterpret_cast<inotify_event*>(p);
            if (Matters(ev)) Settle(kSettleSeconds);
            p += sizeof(inotify_event) + ev->len;
        }
    }
}

void Rescan()
{
    // The program's answer to a change may process events (a set-up on the
    // line); a change it sees meanwhile is looked at once it is done.
    static bool inRescan = false;
    if (inRescan) {
        Settle(kBusyRetrySeconds);
        return;
    }
    inRescan = true;
    ScanPorts();
    UpdateWatches();
    bool again = g_callback && g_callback(g_callbackData) != 0;
    inRescan = false;
    if (again) Settle(kBusyRetrySeconds);
}

// The headless pass's call: events read when the descriptor woke it, the
// rescan when its settle time is up; the seconds until that time.
double ServeHeadless(int readable)
{
    if (readable) ReadEvents();
    if (g_settleAt == 0) return -1;
    double left = g_settleAt - Timer();
    if (left > 0) return left;
    g_settleAt = 0;
    Rescan();
    return g_settleAt == 0 ? -1 : g_settleAt - Timer();
}

}  // namespace

void PortsNoteDeadPort(int /*port*/)
{
    Settle(kSettleSeconds);
}

int WatchPorts(PortsChangedPtr callback, void* data)
{
    StopWatchingPorts();
    g_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (g_inotify < 0) return -1;
    g_callback = callback;
    g_callbackData = data;
    if (QCoreApplication::instance()) {
        g_notifier = new QSocketNotifier(g_inotify, QSocketNotifier::Read);
        QObject::connect(g_notifier, &QSocketNotifier::activated, [] { ReadEvents(); });
        g_settle = new QTimer;
        g_settle->setSingleShot(true);
        QObject::connect(g_settle, &QTimer::timeout, [] { Rescan(); });
    } else {
        g_headless = true;
        g_settleAt = 0;
        SetHeadlessSource(g_inotify, ServeHeadless);
    }
    if (!g_scanned) ScanPorts();
    UpdateWatches();
    return 0;
}

void StopWatchingPorts(void)
{
    delete g_notifier;
    g_notifier = nullptr;
    delete g_settle;
    g_settle = nullptr;
    if (g_headless) SetHeadlessSource(-1, nullptr);
    g_headless = false;
    g_settleAt = 0;
    if (g_inotify >= 0) close(g_inotify);  // removes every watch with it
    g_inotify = -1;
    g_watches.clear();
    g_callback = nullptr;
    g_callbackData = nullptr;
}
