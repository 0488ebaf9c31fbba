// The few file operations the configurator needs beyond reading a file,
// on Windows and POSIX systems alike.
#pragma once

#include <string>

#include "configurator/byte_io.h"

// Whether the two paths name one existing file.
bool sameFile(const std::string& a, const std::string& b);

// Writes beside the target and renames, so that the output appears whole
// or not at all. Throws FormatError.
void writeWhole(const std::string& path, const Bytes& bytes);

// A name beside `path` for a temporary file of this process:
// "dist/MyApp.exe" gives "dist/MyApp.TAG-1234.exe", which signing tools
// still take for a program.
std::string temporaryBeside(const std::string& path, const std::string& tag);

void removeFile(const std::string& path);

// The last part of a path: "dist/MyApp.exe" is "MyApp.exe".
std::string fileNameOf(const std::string& path);
