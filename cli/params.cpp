// `get`, `send`, `teach`, `reset`: the parameter set and the two commands,
// with the exchanges of the panels' Get, Send, Teach and Reset buttons.
#include "cli/cli.h"

#include "link/link.h"
#include "link/param_file.h"

#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// A scratch file for the parameter file format on standard input or output:
// the runtime's array files write and read paths, and a pipe has none.
static int ScratchFile(char* path, int size)
{
    std::snprintf(path, static_cast<size_t>(size), "/tmp/kvormx-cli-XXXXXX");
    int fd = mkstemp(path);
    if (fd < 0) return 0;
    close(fd);
    return 1;
}

static int CopyStream(FILE* from, FILE* to)
{
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, from)) > 0)
        if (std::fwrite(chunk, 1, n, to) != n) return 0;
    return !std::ferror(from);
}

// The parameter variables as a parameter file on standard output.
static int PrintParamFile(void)
{
    char path[64];
    if (!ScratchFile(path, sizeof path)) {
        Message("get: no scratch file in /tmp for the parameter file");
        return EXIT_USAGE;
    }
    int ok = WriteParamFile(path) == 0;
    FILE* f = ok ? std::fopen(path, "rb") : nullptr;
    ok = f && CopyStream(f, stdout);
    if (f) std::fclose(f);
    std::remove(path);
    if (!ok) {
        Message("get: the parameter file could not be put together in /tmp");
        return EXIT_USAGE;
    }
    return EXIT_DONE;
}

static void PrintParamJson(void)
{
    CopyVarsToPP();
    std::printf("{");
    for (int i = 0; i < PNUM; i++) std::printf("%s\"%s\": %u", i ? ", " : "", kParamNames[i], unsigned(pp[i]));
    std::printf("}\n");
}

int CmdGet(int argc, char** argv)
{
    int from = RAM, json = 0;
    const char* output = nullptr;
    for (int i = 0; i < argc; i++) {
        const char* a = argv[i];
        if (std::strcmp(a, "--eeprom") == 0) {
            from = EEPROM;
        } else if (std::strcmp(a, "--json") == 0) {
            json = 1;
        } else if (std::strcmp(a, "-o") == 0 || IsOption(a, "--output")) {
            output = OptionValue(argc, argv, &i, a[1] == 'o' ? "-o" : "--output");
            if (!output) return EXIT_USAGE;
            if (!output[0]) return UsageError("get", "-o wants a file name");
        } else {
            return UsageError("get", "unexpected argument '%s'", a);
        }
    }
    int status = OpenLine();
    if (status != EXIT_DONE) return status;
    int r = ReadParameterSet(from);
    if (r != EX_REPLY)
        return ExchangeFailed(from == EEPROM ? "parameter read from EEPROM" : "parameter read from RAM", OP_PARAMETERS,
                              r);
    CopyPPtoVars();

    const int toStdout = !output || std::strcmp(output, "-") == 0;
    errno = 0;
    if (!toStdout && WriteParamFile(output) < 0) {
        // The file is left as it was; the read set goes nowhere else.
        int cause = errno;
        Message("get: cannot write the parameter file %s%s%s", output, cause ? ": " : "",
                cause ? std::strerror(cause) : "");
        return EXIT_USAGE;
    }
    if (json)
        PrintParamJson();
    else if (toStdout)
        return PrintParamFile();
    return EXIT_DONE;
}

// The parameter file `name` ("-": standard input) into the variables.
static int LoadParamFile(const char* name)
{
    char scratch[64] = "";
    const char* path = name;
    if (std::strcmp(name, "-") == 0) {
        FILE* f = ScratchFile(scratch, sizeof scratch) ? std::fopen(scratch, "wb") : nullptr;
        int ok = f && CopyStream(stdin, f);
        if (f && std::fclose(f) != 0) ok = 0;
        if (!ok) {
            if (scratch[0]) std::remove(scratch);
            Message("send: standard input could not be read into a scratch file in /tmp");
            return EXIT_USAGE;
        }
        path = scratch;
    }
    int r = ReadParamFile(path);
    if (scratch[0]) std::remove(scratch);
    if (r < 0) {
        Message("send: %s is no parameter file: it cannot be read, or holds fewer than %d values from 0 to 65535",
                std::strcmp(name, "-") == 0 ? "standard input" : name, PNUM);
        return EXIT_USAGE;
    }
    return EXIT_DONE;
}

// The words of the file the range rules would change: how many, and each
// in `changes`. The variables keep the file's words.
static int RulesBroken(RangeChange* changes)
{
    uint16_t file[PNUM];
    for (int i = 0; i < PNUM; i++) file[i] = *kParamVars[i];
    int n = ApplyRangeRules(changes, PNUM);
    for (int i = 0; i < PNUM; i++) *kParamVars[i] = file[i];
    return n;
}

int CmdSend(int argc, char** argv)
{
    int to = RAM, strict = 0;
    const char* file = nullptr;
    for (int i = 0; i < argc; i++) {
        const char* a = argv[i];
        if (std::strcmp(a, "--eeprom") == 0) {
            to = EEPROM;
        } else if (std::strcmp(a, "--strict") == 0) {
            strict = 1;
        } else if ((a[0] != '-' || a[1] == '\0') && !file) {
            file = a;
        } else {
            return UsageError("send", "unexpected argument '%s'", a);
        }
    }
    if (!file) return UsageError("send", "which parameter file? (\"-\" for standard input)");
    const char* shown = std::strcmp(file, "-") == 0 ? "standard input" : file;
    // The file first: a wrong one must not cost a line check, nor leave the
    // sensor half set.
    int status = LoadParamFile(file);
    if (status != EXIT_DONE) return status;
    uint16_t words[PNUM];
    for (int i = 0; i < PNUM; i++) words[i] = *kParamVars[i];
    // Whether a word breaks a rule does not depend on the sensor, so a
    // strict send refuses before the line is touched.
    RangeChange changes[PNUM];
    int broken = RulesBroken(changes);
    if (broken > 0 && strict) {
        for (int i = 0; i < broken; i++)
            Message("send: %s: %s %d is %s", shown, kParamNames[changes[i].word], changes[i].before, changes[i].why);
        Message("send: %s: not sent (--strict): %d word%s out of range", shown, broken, broken == 1 ? "" : "s");
        return EXIT_USAGE;
    }

    status = OpenLine();
    if (status != EXIT_DONE) return status;
    // eEnd's replacement is the last pixel of the sensor's line, as the
    // panels have it from the set-up: the sensor says its line length first.
    int eEndBroken = 0;
    for (int i = 0; i < broken; i++) eEndBroken |= changes[i].word == 7;
    if (eEndBroken) {
        status = Identify();
        if (status != EXIT_DONE) return status;
    }
    // The line check's echo and the identification leave the file's words in
    // the variables but for eEnd, which the identification may raise.
    for (int i = 0; i < PNUM; i++) *kParamVars[i] = words[i];
    broken = ApplyRangeRules(changes, PNUM);
    for (int i = 0; i < broken; i++)
        Message("send: %s: %s %d -> %d (%s)", shown, kParamNames[changes[i].word], changes[i].before, changes[i].after,
                changes[i].why);
    uint16_t sent[PNUM];
    CopyVarsToPP();
    std::memcpy(sent, pp, sizeof sent);

    const char* target = to == EEPROM ? "EEPROM" : "RAM";
    int word = 0;
    uint16_t held = 0;
    int r = SendParameterSet(to, &word, &held);
    if (r == VERIFY_OK) return EXIT_DONE;
    if (r == VERIFY_DIFFERS) {
        Message("%s: send to %s: the set read back differs: word %d (%s) is %u in the sensor, %u was sent", LineName(),
                target, word, kParamNames[word], unsigned(held), unsigned(sent[word]));
        return EXIT_SENSOR;
    }
    char what[64];
    std::snprintf(what, sizeof what, r == EX_WRITE_FAILED ? "send to %s" : "send to %s, read-back", target);
    return ExchangeFailed(what, OP_SEND, r);
}

int CmdTeach(int argc, char** argv)
{
    if (argc > 0) return UsageError("teach", "unexpected argument '%s'", argv[0]);
    int status = OpenLine();
    if (status == EXIT_DONE) status = StageParameters();
    if (status != EXIT_DONE) return status;
    // As the Teach button: the staged set goes with the command, and RAM is
    // read back for the teach value the sensor chose.
    int readBack = 0;
    int r = TeachAndReadBack(nullptr, nullptr, &readBack);
    if (r != EX_REPLY)
        return readBack ? ExchangeFailed("parameter read from RAM after the teach", OP_PARAMETERS, r)
                        : ExchangeFailed("teach", OP_TEACH, r);
    CopyPPtoVars();
    std::printf("%u\n", unsigned(tVal));
    return EXIT_DONE;
}

int CmdReset(int argc, char** argv)
{
    if (argc > 0) return UsageError("reset", "unexpected argument '%s'", argv[0]);
    int status = OpenLine();
    if (status == EXIT_DONE) status = StageParameters();
    if (status != EXIT_DONE) return status;
    int r = ResetMaxMin(nullptr);
    return r == EX_REPLY ? EXIT_DONE : ExchangeFailed("max/min reset", OP_RESET, r);
}
