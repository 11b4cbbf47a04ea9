// Prints the data folder and the file-dialog folder the runtime finds for this
// executable, one per line ("-" for none). runtime_dirs_test runs copies of it
// inside made-up install layouts.
#include "runtime/util.h"

#include <cstdio>

int main()
{
    char data[260], files[260];
    std::printf("data %s\n", GetDataDir(data) == 0 ? data : "-");
    std::printf("files %s\n", GetDefaultFileDir(files) == 0 ? files : "-");
    return 0;
}
