// Per-user settings of the program: a few texts kept between runs (the
// last port that passed the line check, the folder of the parameter files).
//
// Kept with QSettings in the user's configuration folder
// (~/.config/kvormx/kvormx.ini) unless SetSettingsFile names another file
// (the program's --settings FILE). Texts are bytes, like paths.
#pragma once

// null or "": the per-user file again. 0, or -1 (nothing changed) when
// `path` exists and is no regular file.
int SetSettingsFile(const char* path);
// 1 and the value (terminated) when the key is set and the value fits in
// `size` bytes; 0 and "" otherwise.
int GetSetting(const char* key, char* value, int size);
int PutSetting(const char* key, const char* value);  // 0 stored, -1 the file cannot be written

// The settings file in use (the per-user file's full path, or --settings').
const char* SettingsFileName(void);
// Starting from the defaults: the file in use is kept beside itself under a
// dated name ("kvormx.ini.20261207-145200") and no longer read. 1 with that
// name in `movedTo`, 0 when there was no file, -1 when it could not be moved
// (`movedTo` says why, the file stays in use).
int ResetSettings(char* movedTo, int size);
// A settings file the program cannot read (not INI, unreadable) is moved
// aside the same way, and what could still be read of it is kept in a new
// one. 1 moved (`movedTo` the dated name), 0 the file is fine or absent,
// -1 it could not be moved (`movedTo` says why).
int CheckSettings(char* movedTo, int size);
