// The parameter file's format, through the runtime's array files.
#include "link/param_file.h"

#include "link/state.h"
#include "runtime/graph.h"
#include "runtime/util.h"

#include <cstdint>

const int FILE_FIELD_WIDTH = 4;

int WriteParamFile(const char* path)
{
    CopyVarsToPP();
    uint32_t words[PNUM];
    for (int i = 0; i < PNUM; i++) words[i] = pp[i];
    int r = ArrayToFile(path, words, VAL_UNSIGNED_INTEGER, PNUM, 1, 0, 0, 0, FILE_FIELD_WIDTH, 1, 0);
    return r < 0 ? r : 0;
}

int ReadParamFile(const char* path)
{
    uint32_t words[PNUM];
    // FileToArray fills nothing unless all 16 values are there, so a short or
    // foreign file cannot leave half a parameter set behind.
    int r = FileToArray(path, words, VAL_UNSIGNED_INTEGER, PNUM, 1, 0, 0, 1);
    if (r < 0) return r;
    for (int i = 0; i < PNUM; i++) pp[i] = static_cast<uint16_t>(words[i] & 0xFFFF);
    CopyPPtoVars();
    return 0;
}
