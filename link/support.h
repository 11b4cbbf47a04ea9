// The support file: one tar archive of what a service technician asks for
// when a sensor measures badly, made by the window (Help, "Save support
// file") and by kvormx-cli (`support FILE`) alike.
//
//   README.txt        what the archive holds
//   version.txt       the program, its version and the platform
//   identity.json     the sensor's identity record
//   parameters.json   the parameter set with its names; parameters.dat the same as a parameter file
//   health.json       the link's health counters
//   frames.txt        the last 500 events on the line, decoded (the frame trace's format)
//   ...               what the caller adds: the settings in use (without secrets), the reference signal
#pragma once

struct SupportExtra {
    const char* name;  // member name in the archive
    const char* text;  // its contents
    int length;        // bytes of text; -1: up to its terminating zero
};

// `program` names the program and its version ("kvormx 1.5"). 0, or -1 with
// SupportError() saying why (the file could not be written).
int WriteSupportFile(const char* path, const char* program, const SupportExtra* extras, int count);
const char* SupportError(void);
