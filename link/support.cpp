// The support file's members, put together from what the link holds.
#include "link/support.h"

#include "link/health.h"
#include "link/link.h"
#include "link/record.h"
#include "link/state.h"
#include "runtime/archive.h"
#include "runtime/filewriter.h"
#include "runtime/util.h"

#include <cstdio>
#include <cstring>

static const char kReadme[] =
    "Support file of the K-VOR-MX operating tool.\n"
    "\n"
    "version.txt      the program, its version, the platform and when this file was made\n"
    "identity.json    the sensor as the program identified it (the port's device included)\n"
    "parameters.json  the parameter set the program holds, with the words' names\n"
    "parameters.dat   the same set as a parameter file (kvormx and kvormx-cli load it)\n"
    "health.json      the line's counters: exchanges, replies, time-outs, replies refused, set-ups\n"
    "frames.txt       the last events on the line, oldest first: time, seconds, direction, command,\n"
    "                 the words decoded, the bytes in hex\n";

static int Member(const char* name, const char* text, int length)
{
    if (ArchiveMember(name) < 0) return -1;
    return ArchiveAppend(text, length < 0 ? static_cast<int>(std::strlen(text)) : length);
}

static void AppendLine(const char* line, int length, void*)
{
    ArchiveAppend(line, length);
}

int WriteSupportFile(const char* path, const char* program, const SupportExtra* extras, int count)
{
    if (ArchiveBegin(path) < 0) return -1;
    char text[RECORD_LINE_LEN];
    char platform[256], now[RECORD_TIME_LEN];
    PlatformText(platform, sizeof platform);
    UtcTimeText(now, sizeof now);
    int n =
        std::snprintf(text, sizeof text, "%s\n%s %s\n%s\nmade %s\n", program, SOFT_NAME, SOFT_VERSION, platform, now);
    int bad = Member("README.txt", kReadme, -1) < 0 || Member("version.txt", text, n) < 0;

    IdentityRecord identity;
    FillIdentityRecord(&identity, nullptr);
    n = FormatIdentityJson(text, sizeof text, &identity);
    text[n++] = '\n';
    bad |= Member("identity.json", text, n) < 0;

    CopyVarsToPP();
    n = std::snprintf(text, sizeof text, "{");
    for (int i = 0; i < PNUM; i++)
        n += std::snprintf(text + n, sizeof text - n, "%s\"%s\":%u", i ? "," : "", kParamNames[i], unsigned{pp[i]});
    n += std::snprintf(text + n, sizeof text - n, "}\n");
    bad |= Member("parameters.json", text, n) < 0;
    n = 0;
    for (int i = 0; i < PNUM; i++) n += std::snprintf(text + n, sizeof text - n, "%4u\n", unsigned{pp[i]});
    bad |= Member("parameters.dat", text, n) < 0;

    n = FormatHealthJson(text, sizeof text);
    text[n++] = '\n';
    bad |= Member("health.json", text, n) < 0;

    bad |= Member("frames.txt", "# time\tseconds\tdirection\tcommand\twords decoded\tbytes in hex\n", -1) < 0;
    TraceRingLines(AppendLine, nullptr);

    for (int i = 0; i < count; i++) bad |= Member(extras[i].name, extras[i].text, extras[i].length) < 0;
    if (bad) {
        ArchiveCancel();
        return -1;
    }
    return ArchiveEnd();
}

const char* SupportError(void)
{
    return ArchiveError();
}
