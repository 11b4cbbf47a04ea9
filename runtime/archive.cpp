// A POSIX ustar writer: 512-byte headers, contents padded to 512 bytes, two
// empty blocks at the end. Members are plain files, mode 0644, owned by
// nobody in particular, dated now.
#include "runtime/archive.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Member {
    std::string name;
    std::string data;
};

bool g_open = false;
std::string g_path;
std::vector<Member> g_members;
std::string g_error;

void Octal(char* field, int size, unsigned long long value)
{
    std::snprintf(field, static_cast<size_t>(size), "%0*llo", size - 1, value);
}

std::string Header(const Member& m, time_t now)
{
    char h[512];
    std::memset(h, 0, sizeof h);
    std::memcpy(h, m.name.data(), m.name.size());
    Octal(h + 100, 8, 0644);
    Octal(h + 108, 8, 0);
    Octal(h + 116, 8, 0);
    Octal(h + 124, 12, m.data.size());
    Octal(h + 136, 12, static_cast<unsigned long long>(now));
    std::memset(h + 148, ' ', 8);  // the checksum counts its own field as blanks
    h[156] = '0';
    std::memcpy(h + 257, "ustar", 6);
    std::memcpy(h + 263, "00", 2);
    unsigned sum = 0;
    for (unsigned char c : h) sum += c;
    std::snprintf(h + 148, 8, "%06o", sum);
    h[155] = ' ';
    return std::string(h, sizeof h);
}

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;  // interrupted before any byte went out
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

int ArchiveBegin(const char* path)
{
    if (g_open || !path || !*path) return -1;
    g_open = true;
    g_path = path;
    g_members.clear();
    g_error.clear();
    return 0;
}

int ArchiveMember(const char* name)
{
    if (!g_open || !name || std::strlen(name) >= 100 || !*name) return -1;
    g_members.push_back(Member{name, ""});
    return 0;
}

int ArchiveAppend(const char* data, int length)
{
    if (!g_open || g_members.empty() || length < 0) return -1;
    g_members.back().data.append(data, static_cast<size_t>(length));
    return 0;
}

void ArchiveCancel(void)
{
    g_open = false;
    g_members.clear();
}

int ArchiveEnd(void)
{
    if (!g_open) return -1;
    const time_t now = time(nullptr);
    std::string bytes;
    for (const Member& m : g_members) {
        bytes += Header(m, now);
        bytes += m.data;
        bytes.append((512 - m.data.size() % 512) % 512, '\0');
    }
    bytes.append(1024, '\0');
    ArchiveCancel();

    std::string tmp = g_path + ".tmp-XXXXXX";
    int fd = mkstemp(&tmp[0]);
    if (fd < 0) {
        g_error = g_path + ": " + std::strerror(errno);
        return -1;
    }
    // As any new file of the user's: what the umask allows of 0666.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
    int err = errno;
    ok = close(fd) == 0 && ok;
    if (ok && std::rename(tmp.c_str(), g_path.c_str()) == 0) return 0;
    err = errno ? errno : err;
    unlink(tmp.c_str());
    g_error = g_path + ": " + std::strerror(err);
    return -1;
}

const char* ArchiveError(void)
{
    return g_error.c_str();
}
