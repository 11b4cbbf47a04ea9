// Fuzzes the array file reader with arbitrary file contents. Beyond "no
// crash", it holds the reader to its promises: on failure the caller's array
// is untouched, and whatever it accepted survives a write and a read back.
//
// First byte: the data type (double, unsigned 16-bit, unsigned 32-bit) and
// the element count; the rest is the file.
#include "runtime/graph.h"
#include "runtime/util.h"

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

static std::string g_file, g_copy;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_file = "/tmp/fuzz-array-" + std::to_string(getpid()) + ".dat";
    g_copy = g_file + ".copy";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    static const int kTypes[] = {VAL_DOUBLE, VAL_UNSIGNED_SHORT_INTEGER, VAL_UNSIGNED_INTEGER};
    const int type = kTypes[data[0] % 3];
    const int count = 1 + (data[0] >> 2) % 32;  // 16, the parameter file, is among them

    FILE* f = std::fopen(g_file.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);

    // A canary beyond the elements catches a reader that writes past them.
    unsigned char array[32 * 8 + 16], before[sizeof array];
    std::memset(array, 0xA5, sizeof array);
    std::memcpy(before, array, sizeof array);
    const size_t used = static_cast<size_t>(count) * (type == VAL_DOUBLE ? 8 : type == VAL_UNSIGNED_INTEGER ? 4 : 2);

    int r = FileToArray(g_file.c_str(), array, type, count, 1, 0, 0, 1);
    if (std::memcmp(array + used, before + used, sizeof array - used) != 0) __builtin_trap();
    if (r < 0) {
        if (std::memcmp(array, before, sizeof array) != 0) __builtin_trap();
        return 0;
    }
    if (type == VAL_DOUBLE) return 0;  // decimal text of a double need not round-trip exactly

    if (ArrayToFile(g_copy.c_str(), array, type, count, 1, 0, 0, 0, 4, 1, 0) < 0) return 0;
    unsigned char again[sizeof array];
    std::memset(again, 0, sizeof again);
    if (FileToArray(g_copy.c_str(), again, type, count, 1, 0, 0, 1) != 0) __builtin_trap();
    if (std::memcmp(array, again, used) != 0) __builtin_trap();
    return 0;
}
