// Tar archives (POSIX ustar), as Debian's tar, file-roller and every
// archive tool open them: the support file. Members are collected in memory
// and the archive is written whole at the end, through a temporary file and
// a rename, so a failed write never leaves half an archive under the name.
#pragma once

int ArchiveBegin(const char* path);               // 0, or -1 when one is already being made
int ArchiveMember(const char* name);              // starts the next member: 0, or -1 for a name of 100 bytes or more
int ArchiveAppend(const char* data, int length);  // to the member begun last: 0, or -1 without one
int ArchiveEnd(void);                             // the archive written: 0, or -1 with ArchiveError() saying why
void ArchiveCancel(void);                         // nothing written, everything collected dropped
const char* ArchiveError(void);                   // "<file>: <reason>" of the last failure
