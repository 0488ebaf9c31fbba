// What the modern runtime search learns about one runtime home: whether a
// file is there, the width of an executable, the version its release file
// states, and, for a home without one, what its "-version" prints.
#pragma once

#include "base/text.h"

// True for an existing file; false for a folder or nothing.
bool isExistingFile(const Text& path);

// 64 or 32 from the Machine field of the file's PE header (x64 and ARM64
// are 64-bit, x86 is 32-bit); 0 when the file is no Windows executable of
// either width; -1 when there is no file to open (a folder included).
int executableWidth(const char* path);

// The Machine field of the file's PE header (IMAGE_FILE_MACHINE_...); 0 and
// -1 as executableWidth gives them.
int executableMachine(const char* path);

// The first 64 KB of a runtime's small text file (its release file,
// lib\jvm.cfg); empty when it cannot be read.
Text readFileStart(const char* path);

// The version stated by home\release, read no further than its first
// 64 KB; empty when there is none.
Text readReleaseVersion(const Text& home);

// Runs the home's "java.exe -version" and returns what it printed once it
// has answered, within the version probe's bound.
Text probeVersionOutput(const Text& home);

// Whether this Windows is a 64-bit one: always for a 64-bit launcher; for
// a 32-bit launcher, when it runs under WOW64.
bool windowsIs64Bit();
