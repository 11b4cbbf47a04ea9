// `ports` and `identify`: which lines there are, and what sensor is on one.
#include "cli/cli.h"

#include "link/link.h"
#include "link/record.h"

#include <cstdio>
#include <cstring>

// The line kvormx --list-ports prints for the port.
static void PrintPort(int port, const char* device, const char* description)
{
    std::printf("COM%d  %s  %s\n", port, device, description);
}

int CmdPorts(int argc, char** argv)
{
    if (argc > 0) return UsageError("ports", "unexpected argument '%s'", argv[0]);
    ListPorts(PrintPort);
    return EXIT_DONE;
}

// "key: value" lines with the identity's names, as the JSON and the MQTT
// identity have them.
static void PrintPlain(const IdentityRecord& r)
{
    const int numbers[] = {r.ccd_type, r.pixels, r.resolution, r.board_type};
    std::printf("%s: ", kIdentityFields[0]);
    PrintLatin1(r.description);
    for (int k = 0; k < 4; k++) std::printf("\n%s: %d", kIdentityFields[1 + k], numbers[k]);
    std::printf("\n%s: ", kIdentityFields[5]);
    PrintLatin1(r.firmware);
    std::printf("\n%s: ", kIdentityFields[6]);
    PrintLatin1(r.port);
    if (r.mm_per_pixel > 0.0) {
        char scale[48], offset[48];
        ShortFixedText(scale, sizeof scale, r.mm_per_pixel, 10);
        ShortFixedText(offset, sizeof offset, r.mm_offset, 10);
        std::printf("\n%s: %s\n%s: %s", kIdentityFields[7], scale, kIdentityFields[8], offset);
    }
    std::printf("\n");
}

int CmdIdentify(int argc, char** argv)
{
    int json = 0;
    for (int i = 0; i < argc; i++) {
        if (std::strcmp(argv[i], "--json") == 0)
            json = 1;
        else
            return UsageError("identify", "unexpected argument '%s'", argv[i]);
    }
    int status = OpenLine();
    if (status != EXIT_DONE) return status;
    status = Identify();
    if (status != EXIT_DONE) return status;
    // The board type decides how the firmware text is coded, so it comes second.
    status = ReadFirmware();
    if (status != EXIT_DONE) return status;
    IdentityRecord identity;
    FillIdentityRecord(&identity, nullptr);
    if (json) {
        char line[RECORD_LINE_LEN];
        FormatIdentityJson(line, sizeof line, &identity);
        std::printf("%s\n", line);
    } else {
        PrintPlain(identity);
    }
    return EXIT_DONE;
}
