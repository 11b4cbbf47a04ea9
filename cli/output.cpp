// Output helpers: the program's Latin-1 texts on a UTF-8 terminal or in
// JSON, the time stamp of a row, and the check that standard output took
// everything.
#include "cli/cli.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

// One Latin-1 character as UTF-8; control characters become '?' so a
// sensor's text cannot move the cursor or ring the bell.
static void PutLatin1(unsigned char c)
{
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
        std::putchar('?');
    } else if (c < 0x80) {
        std::putchar(c);
    } else {
        std::putchar(0xC0 | (c >> 6));
        std::putchar(0x80 | (c & 0x3F));
    }
}

void PrintLatin1(const char* text)
{
    for (const char* p = text; *p; p++) PutLatin1(static_cast<unsigned char>(*p));
}

void PrintJsonText(const char* text)
{
    std::putchar('"');
    for (const char* p = text; *p; p++) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            std::putchar('\\');
            std::putchar(c);
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            std::printf("\\u%04x", c);
        } else {
            PutLatin1(c);
        }
    }
    std::putchar('"');
}

void FormatUtcNow(char* text, int size)
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    tm utc;
    gmtime_r(&now.tv_sec, &utc);
    char seconds[32];
    std::strftime(seconds, sizeof seconds, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text, static_cast<size_t>(size), "%s.%03ldZ", seconds, now.tv_nsec / 1000000L);
}

int FinishOutput(void)
{
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        int cause = errno;
        Message("standard output could not be written: %s", cause ? std::strerror(cause) : "write error");
        return EXIT_USAGE;
    }
    return EXIT_DONE;
}
