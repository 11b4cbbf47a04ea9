// Per-user settings of the program: a few texts kept between runs (the
// last port that passed the line check, the folder of the parameter files).
//
// Kept with QSettings in the user's configuration folder
// (~/.config/kvormx/kvormx.conf) unless SetSettingsFile names another file
// (the program's --settings FILE). Texts are bytes, like paths.
#pragma once

// null or "": the per-user file again. 0, or -1 (nothing changed) when
// `path` exists and is no regular file.
int SetSettingsFile(const char* path);
// 1 and the value (terminated) when the key is set and the value fits in
// `size` bytes; 0 and "" otherwise.
int GetSetting(const char* key, char* value, int size);
int PutSetting(const char* key, const char* value);  // 0 stored, -1 the file cannot be written
