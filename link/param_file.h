// The parameter file's format: the 16 packet words, one decimal value per
// line, right-aligned in 4 places, in packet order. Shared by the panels'
// Send/Get and by kvormx-cli, so a file either writes the other reads.
#pragma once

// The sixteen parameter variables into `path`: 0, or the negative result of
// ArrayToFile (nothing written, or an overwritten file left as it was).
int WriteParamFile(const char* path);
// The file's sixteen values into pp and the variables: 0, or the negative
// result of FileToArray when it holds fewer than 16 values (pp and the
// variables unchanged).
int ReadParamFile(const char* path);
