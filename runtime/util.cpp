// Timer, program directory, array files and the one text conversion of the runtime.
//
// Array files are plain text, one decimal value per line, right-aligned in the
// field width, so an operator can read and edit them. Reading is strict: a
// file must yield every value asked for, each a clean number of the element
// type, or the caller's array is not touched at all.

#include "runtime/util.h"
#include "runtime/graph.h"
#ifdef KVORMX_VIRTUAL_CLOCK
#include "runtime/port_events.h"
#endif

#include <sys/utsname.h>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const int kPathSize = RT_PATH_LEN;  // the program's path buffers
std::string g_fileError;            // cause of the last failed array file call

int FileFailed(int code, const std::string& path, const std::string& reason)
{
    g_fileError = path + ": " + reason;
    return code;
}

int FileFailedErrno(int code, const std::string& path)
{
    return FileFailed(code, path, strerror(errno));
}

// Opens without ever blocking (a FIFO with no writer or reader would block
// for good), then makes sure it is a regular file. -1 with the cause noted.
int OpenRegular(const std::string& path, int flags, mode_t mode)
{
    int fd;
    do {
        fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        FileFailedErrno(-1, path);
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        FileFailed(-1, path, "not a regular file");
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// A regular file opened for reading as a stream; null with the cause noted.
static FILE* OpenRegularToRead(const char* file)
{
    int fd = OpenRegular(file, O_RDONLY, 0);
    if (fd < 0) return nullptr;
    FILE* f = fdopen(fd, "rb");
    if (!f) {
        FileFailedErrno(-1, file);
        close(fd);
    }
    return f;
}

// A renamed file survives a power cut only once its folder is on disk too.
void SyncFolder(const std::string& dir)
{
    int fd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)fsync(fd);
    close(fd);
}
const long kMaxArrayFileSize = 1L << 20;  // no array file of ours comes near this
const int kMaxFieldWidth = 255;

// Negative results of the array-file functions.
enum {
    AF_BAD_ARGUMENT = -1,
    AF_CANNOT_OPEN = -2,
    AF_WRITE_FAILED = -3,
    AF_READ_FAILED = -4,
    AF_TOO_LARGE = -5,
    AF_TOO_FEW_VALUES = -6,
};

bool SupportedType(int dataType)
{
    return dataType == VAL_DOUBLE || dataType == VAL_UNSIGNED_SHORT_INTEGER || dataType == VAL_UNSIGNED_INTEGER;
}

size_t ElementSize(int dataType)
{
    switch (dataType) {
        case VAL_DOUBLE: return sizeof(double);
        case VAL_UNSIGNED_SHORT_INTEGER: return sizeof(uint16_t);
        default: return sizeof(uint32_t);
    }
}

// Shortest text that reads back as the same double.
void FormatDouble(char* out, size_t size, int width, double v)
{
    for (int precision = 15; precision <= 17; ++precision) {
        snprintf(out, size, "%*.*g", width, precision, v);
        if (std::isnan(v) || strtod(out, nullptr) == v) return;
    }
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Unsigned decimal digits only: no sign, no hex, no trailing junk.
bool ParseUnsigned(const std::string& token, uint64_t limit, uint64_t* value)
{
    if (token.empty()) return false;
    uint64_t v = 0;
    for (char c : token) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
        if (v > limit) return false;
    }
    *value = v;
    return true;
}

bool ParseDouble(const std::string& token, double* value)
{
    if (token.empty()) return false;
    char* end = nullptr;
    errno = 0;
    double v = strtod(token.c_str(), &end);
    if (end != token.c_str() + token.size() || errno == ERANGE) return false;
    *value = v;
    return true;
}

}  // namespace

// ---- Timer and program directory ----------------------------------------------------------------

double Timer(void)
{
#ifdef KVORMX_VIRTUAL_CLOCK
    return ComVirtualClock();
#endif
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

int GetProjectDir(char* dir)
{
    if (!dir) return -1;
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof path) - 1) return -1;
    path[n] = '\0';
    char* slash = strrchr(path, '/');
    if (!slash) return -1;
    if (slash == path)
        slash[1] = '\0';  // the executable sits in the root directory
    else
        *slash = '\0';
    if (strlen(path) + 1 > static_cast<size_t>(kPathSize)) return -1;
    strcpy(dir, path);
    return 0;
}

// ---- Array files --------------------------------------------------------------------------------

// Writes the values as text to an open stream; false when any write fails.
static bool WriteValues(FILE* f, const void* array, int dataType, int numElements, int fieldWidth)
{
    bool ok = true;
    char line[kMaxFieldWidth + 64];
    for (int i = 0; i < numElements && ok; ++i) {
        switch (dataType) {
            case VAL_DOUBLE: FormatDouble(line, sizeof line, fieldWidth, static_cast<const double*>(array)[i]); break;
            case VAL_UNSIGNED_SHORT_INTEGER:
                snprintf(line, sizeof line, "%*u", fieldWidth,
                         static_cast<unsigned>(static_cast<const uint16_t*>(array)[i]));
                break;
            default:
                snprintf(line, sizeof line, "%*u", fieldWidth,
                         static_cast<unsigned>(static_cast<const uint32_t*>(array)[i]));
                break;
        }
        ok = fputs(line, f) >= 0 && fputc('\n', f) != EOF;
    }
    // A full disk often shows only when the buffer is flushed.
    if (fflush(f) != 0) ok = false;
    if (ferror(f)) ok = false;
    return ok;
}

// Appending, and targets that are not plain files (a device, a pipe), are
// written where they are: there is nothing of the old content to lose.
typedef std::function<bool(FILE*)> WriteBody;  // true when every byte went to the stream

static int WriteInPlace(const char* path, bool append, const WriteBody& body)
{
    int fd = OpenRegular(path, O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC), 0666);
    if (fd < 0) return AF_CANNOT_OPEN;
    FILE* f = fdopen(fd, append ? "a" : "w");
    if (!f) {
        close(fd);
        return FileFailedErrno(AF_CANNOT_OPEN, path);
    }
    bool ok = body(f);
    if (!ok) FileFailedErrno(0, path);
    if (fclose(f) != 0 && ok) {
        ok = false;
        FileFailedErrno(0, path);
    }
    return ok ? 0 : AF_WRITE_FAILED;
}

// Overwriting goes through a temporary file beside the target that replaces it
// only once every byte is on disk, so a full disk or a vanished medium leaves
// the old file whole instead of cut short. A symbolic link is followed: the
// file it points to is replaced and the link stays; a link that points
// nowhere is refused rather than used to create a file somewhere else.
static int WriteReplacing(const char* file, const WriteBody& body)
{
    std::string target = file;
    struct stat st;
    bool exists = false;
    if (lstat(file, &st) == 0) {
        if (S_ISLNK(st.st_mode)) {
            char* real = realpath(file, nullptr);
            if (!real) return FileFailed(AF_CANNOT_OPEN, file, "a link that points nowhere");
            target = real;
            free(real);
            if (stat(target.c_str(), &st) != 0) return FileFailedErrno(AF_CANNOT_OPEN, target);
        }
        exists = true;
        if (!S_ISREG(st.st_mode)) return FileFailed(AF_CANNOT_OPEN, target, "not a regular file");
        // The rename would get past a write-protected file; an in-place write would not.
        if (access(target.c_str(), W_OK) != 0) return FileFailedErrno(AF_CANNOT_OPEN, target);
    }

    size_t slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        char suffix[48];
        snprintf(suffix, sizeof suffix, ".tmp-%ld-%d", static_cast<long>(getpid()), attempt);
        temp = dir + "." + base + suffix;
        // 0666 under the umask, as a plain fopen would have created it.
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        // A directory that takes no new files may still hold a writable file:
        // overwrite it where it is rather than refuse what used to work.
        if (fd < 0 && exists && (errno == EACCES || errno == EPERM)) return WriteInPlace(target.c_str(), false, body);
        if (fd < 0 && errno != EEXIST) return FileFailedErrno(AF_CANNOT_OPEN, target);
    }
    if (fd < 0) return FileFailed(AF_CANNOT_OPEN, target, "no temporary file could be made beside it");
    if (exists) (void)fchmod(fd, st.st_mode & 07777);  // the operator's file keeps its mode

    FILE* f = fdopen(fd, "w");
    if (!f) {
        close(fd);
        unlink(temp.c_str());
        return FileFailedErrno(AF_CANNOT_OPEN, target);
    }
    bool ok = body(f);
    if (ok && fsync(fileno(f)) != 0) ok = false;
    if (!ok) FileFailedErrno(0, target);
    if (fclose(f) != 0 && ok) {
        ok = false;
        FileFailedErrno(0, target);
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        FileFailedErrno(0, target);
    }
    if (!ok) unlink(temp.c_str());
    if (ok) SyncFolder(dir);
    return ok ? 0 : AF_WRITE_FAILED;
}

int ArrayToFile(const char* file, const void* array, int dataType, int numElements, int numGroups, int dataOrder,
                int fileLayout, int columnSeparation, int fieldWidth, int fileType, int fileAction)
{
    (void)columnSeparation;  // one group means one column: there is nothing to separate
    if (!file || !file[0] || !array || numElements < 1 || !SupportedType(dataType)) return AF_BAD_ARGUMENT;
    if (numGroups != 1 || dataOrder != 0 || fileLayout != 0 || fileType != 1) return AF_BAD_ARGUMENT;
    // A negative width would turn right alignment into left alignment.
    if (fieldWidth < 0 || fieldWidth > kMaxFieldWidth) return AF_BAD_ARGUMENT;
    if (fileAction != 0 && fileAction != 1) return AF_BAD_ARGUMENT;
    g_fileError.clear();
    auto body = [&](FILE* f) { return WriteValues(f, array, dataType, numElements, fieldWidth); };
    if (fileAction == 1) return WriteInPlace(file, true, body);
    return WriteReplacing(file, body);
}

int TextToFile(const char* file, const char* text, int length)
{
    if (!file || !file[0] || !text || length < 0) return AF_BAD_ARGUMENT;
    g_fileError.clear();
    auto body = [&](FILE* f) { return fwrite(text, 1, static_cast<size_t>(length), f) == static_cast<size_t>(length); };
    return WriteReplacing(file, body);
}

int FileToText(const char* file, char* text, int size)
{
    if (!file || !file[0] || !text || size < 1) return AF_BAD_ARGUMENT;
    g_fileError.clear();
    text[0] = '\0';
    FILE* f = OpenRegularToRead(file);
    if (!f) return AF_CANNOT_OPEN;
    // One byte past the room tells a file that fits from one that does not.
    std::vector<char> buffer(static_cast<size_t>(size));
    size_t n = fread(buffer.data(), 1, buffer.size(), f);
    bool readError = ferror(f) != 0;
    fclose(f);
    if (readError) return FileFailed(AF_READ_FAILED, file, "read error");
    if (n >= static_cast<size_t>(size)) return FileFailed(AF_TOO_LARGE, file, "too large");
    memcpy(text, buffer.data(), n);
    text[n] = '\0';
    return static_cast<int>(n);
}

int FileToArray(const char* file, void* array, int dataType, int numElements, int numGroups, int dataOrder,
                int fileLayout, int fileType)
{
    if (!file || !file[0] || !array || numElements < 1 || !SupportedType(dataType)) return AF_BAD_ARGUMENT;
    if (numGroups != 1 || dataOrder != 0 || fileLayout != 0 || fileType != 1) return AF_BAD_ARGUMENT;

    g_fileError.clear();
    FILE* f = OpenRegularToRead(file);
    if (!f) return AF_CANNOT_OPEN;
    // Read one byte past the limit to tell "exactly at the limit" from "larger";
    // this also bounds devices and pipes that never end.
    std::string text;
    char chunk[8192];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) {
        text.append(chunk, n);
        if (static_cast<long>(text.size()) > kMaxArrayFileSize) break;
    }
    bool readError = ferror(f) != 0;
    fclose(f);
    if (readError) return FileFailed(AF_READ_FAILED, file, "read error");
    if (static_cast<long>(text.size()) > kMaxArrayFileSize) return FileFailed(AF_TOO_LARGE, file, "too large");

    // Parse into a scratch array: the caller's array changes only on full success.
    std::vector<unsigned char> scratch(ElementSize(dataType) * static_cast<size_t>(numElements));
    size_t pos = 0;
    for (int i = 0; i < numElements; ++i) {
        while (pos < text.size() && IsSpace(text[pos])) ++pos;
        size_t start = pos;
        while (pos < text.size() && !IsSpace(text[pos])) ++pos;
        std::string token = text.substr(start, pos - start);  // empty at the end of the file
        uint64_t u = 0;
        double d = 0.0;
        switch (dataType) {
            case VAL_DOUBLE:
                if (!ParseDouble(token, &d))
                    return FileFailed(AF_TOO_FEW_VALUES, file, "not " + std::to_string(numElements) + " values");
                memcpy(&scratch[i * sizeof(double)], &d, sizeof d);
                break;
            case VAL_UNSIGNED_SHORT_INTEGER: {
                if (!ParseUnsigned(token, UINT16_MAX, &u))
                    return FileFailed(AF_TOO_FEW_VALUES, file, "not " + std::to_string(numElements) + " values");
                uint16_t v = static_cast<uint16_t>(u);
                memcpy(&scratch[i * sizeof v], &v, sizeof v);
                break;
            }
            default: {
                if (!ParseUnsigned(token, UINT32_MAX, &u))
                    return FileFailed(AF_TOO_FEW_VALUES, file, "not " + std::to_string(numElements) + " values");
                uint32_t v = static_cast<uint32_t>(u);
                memcpy(&scratch[i * sizeof v], &v, sizeof v);
                break;
            }
        }
    }
    memcpy(array, scratch.data(), scratch.size());
    return 0;
}

// ---- Fmt ----------------------------------------------------------------------------------------

// Reads a decimal count at *p; false when there is none or it is absurdly large.
static bool ReadCount(const char*& p, long* value)
{
    if (*p < '0' || *p > '9') return false;
    long v = 0;
    while (*p >= '0' && *p <= '9') {
        v = v * 10 + (*p - '0');
        if (v > (1L << 24)) return false;
        ++p;
    }
    *value = v;
    return true;
}

int Fmt(char* target, const char* format, const int* source)
{
    if (!target || !format || !source) return -1;
    // The only form the program uses: "%<n>c<%<m>i".
    const char* p = format;
    long n = 0, m = 0;
    if (*p++ != '%' || !ReadCount(p, &n) || *p++ != 'c' || *p++ != '<' || *p++ != '%' || !ReadCount(p, &m) ||
        *p++ != 'i' || *p != '\0')
        return -1;
    long count = n < m ? n : m;
    long written = 0;
    for (; written < count; ++written) {
        char c = static_cast<char>(source[written] & 0xFF);
        if (c == '\0') break;  // a zero character ends the text; the rest is padding
        target[written] = c;
    }
    target[written] = '\0';
    return static_cast<int>(written);
}

const char* ArrayFileError(void)
{
    return g_fileError.c_str();
}

void PlatformText(char* out, int size)
{
    if (!out || size <= 0) return;
    struct utsname u;
    std::string text = uname(&u) == 0 ? std::string(u.sysname) + " " + u.release + " " + u.machine : "unknown";
    // The distribution's name, from os-release, where there is one.
    std::ifstream os("/etc/os-release");
    for (std::string line; std::getline(os, line);) {
        if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
        std::string name = line.substr(12);
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
        text += " (" + name + ")";
        break;
    }
    std::snprintf(out, static_cast<size_t>(size), "%s", text.c_str());
}
