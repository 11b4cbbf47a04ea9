// Timer, program directory, array files and the one text conversion the program needs.
#pragma once

// Bytes of a path buffer of the program, the terminator included: any path
// the system takes fits.
const int RT_PATH_LEN = 4096;

double Timer(void);
// The system the program runs on, one line: "Linux 6.1.0-13-amd64 x86_64 (Debian GNU/Linux 12 (bookworm))".
void PlatformText(char* out, int size);  // monotonic seconds, microsecond resolution
const char* QtVersion(void);             // paths.cpp: the Qt library's version, "6.4.2"
int GetProjectDir(char* dir);            // directory of the executable into dir (RT_PATH_LEN bytes); 0 or -1
// paths.cpp: the installed data folder (share/kvormx beside the bin folder of
// the executable) into dir (RT_PATH_LEN bytes); 0, or -1 when the executable has none.
int GetDataDir(char* dir);
// paths.cpp: the folder the file dialogs start in: the program's directory
// when it runs from a writable build folder, else (an installed or read-only
// copy) the user's documents folder, or the home folder when there is none.
// 0 or -1.
int GetDefaultFileDir(char* dir);

// Array files: plain text, one decimal value per line, right-aligned in the
// field width. dataType is a VAL_ code of graph.h (4 double, 6 unsigned 16-bit,
// 7 unsigned 32-bit). Only one group, data order 0 and file layout 0 are
// supported; fileType 1 (text) is the only file type.
// ArrayToFile: 0, or a negative code when the file cannot be written in full;
// an overwritten file is replaced whole or left as it was.
int ArrayToFile(const char* file, const void* array, int dataType, int numElements, int numGroups, int dataOrder,
                int fileLayout, int columnSeparation, int fieldWidth, int fileType, int fileAction);
// FileToArray: 0, or a negative code when fewer than numElements values can be
// read (the array is then left unchanged).
// Only regular files (or links to one) are read or written: a FIFO, a device
// or a directory is refused at once, never waited on.
int FileToArray(const char* file, void* array, int dataType, int numElements, int numGroups, int dataOrder,
                int fileLayout, int fileType);
// Why the last ArrayToFile or FileToArray failed: the path and the reason.
const char* ArrayFileError(void);

// Formats `source` into `target`. Only the form "%<n>c<%<m>i" is supported: m
// integers, each taken as the character in its low byte, n at most; the text
// is terminated (target holds n + 1 bytes). Returns the characters written, or
// -1 for any other format.
int Fmt(char* target, const char* format, const int* source);
