// `ports` and `identify`: which lines there are, and what sensor is on one.
#include "cli/cli.h"

#include "link/link.h"

#include <cstdio>
#include <cstring>

static void PrintPort(int port, const char* device)
{
    std::printf("COM%d  %s\n", port, device);
}

int CmdPorts(int argc, char** argv)
{
    if (argc > 0) return UsageError("ports", "unexpected argument '%s'", argv[0]);
    ListPorts(PrintPort);
    return EXIT_DONE;
}

static void PrintPlain(void)
{
    std::printf("description: ");
    PrintLatin1(Description());
    std::printf("\nccd_type: %u\npixels: %u\nresolution: %u\nboard: %u\nfirmware: ", unsigned(ccdtype),
                unsigned(ccdmaxpixel), unsigned(ccdresolution), unsigned(pcbtype));
    PrintLatin1(szVersion);
    std::printf("\n");
}

static void PrintJson(void)
{
    std::printf("{\"description\": ");
    PrintJsonText(Description());
    std::printf(", \"ccd_type\": %u, \"pixels\": %u, \"resolution\": %u, \"board\": %u, \"firmware\": ",
                unsigned(ccdtype), unsigned(ccdmaxpixel), unsigned(ccdresolution), unsigned(pcbtype));
    PrintJsonText(szVersion);
    std::printf("}\n");
}

int CmdIdentify(int argc, char** argv)
{
    int json = 0;
    for (int i = 0; i < argc; i++) {
        if (std::strcmp(argv[i], "--json") == 0) json = 1;
        else return UsageError("identify", "unexpected argument '%s'", argv[i]);
    }
    int status = OpenLine();
    if (status != EXIT_DONE) return status;
    status = Identify();
    if (status != EXIT_DONE) return status;
    // The board type decides how the firmware text is coded, so it comes second.
    status = ReadFirmware();
    if (status != EXIT_DONE) return status;
    if (json) PrintJson();
    else PrintPlain();
    return EXIT_DONE;
}
