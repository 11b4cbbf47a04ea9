// `support`: the support file of the sensor on the line, as the window's Help
// menu makes it: the line check, the identification, the firmware text and
// the RAM set, then the archive with what the tool saw.
#include "cli/cli.h"

#include "link/link.h"
#include "link/support.h"

#include <cstdio>
#include <cstring>

int CmdSupport(int argc, char** argv)
{
    const char* file = nullptr;
    for (int i = 0; i < argc; i++) {
        if (argv[i][0] != '-' && !file)
            file = argv[i];
        else
            return UsageError("support", "unexpected argument '%s'", argv[i]);
    }
    if (!file) return UsageError("support", "which file? (a tar archive)");
    // What the tool can tell even of a sensor that does not answer goes in:
    // the frames it sent and the counters say why.
    int status = OpenLine();
    if (status == EXIT_DONE) status = Identify();
    if (status == EXIT_DONE) status = ReadFirmware();
    if (status == EXIT_DONE) status = StageParameters();
    if (status == EXIT_PORT) return status;
    char options[PATH_LEN * 2];
    int n = std::snprintf(options, sizeof options, "port %s\ntimeout %g s\n", LineName(), reply_limit);
    const SupportExtra extras[] = {{"options.txt", options, n}};
    if (WriteSupportFile(file, "kvormx-cli " SOFT_VERSION, extras, 1) < 0) {
        Message("support: cannot write %s", SupportError());
        return EXIT_USAGE;
    }
    return status;
}
