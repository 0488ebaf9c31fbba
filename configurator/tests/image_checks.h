// Checks shared by the host tests: whether an image's headers, sections,
// data directories and checksum agree, by the configurator's own reader
// and by objdump.
#pragma once

#include <string>

#include "configurator/pe_image.h"

// Empty when consistent, else what is wrong.
std::string imageProblems(const Bytes& image);

// objdump's verdict on the image written to a temporary file: empty when
// it reads the image without complaint and finds the resource directory
// where the headers say.
std::string objdumpProblems(const Bytes& image);

// The launcher image the tests work on: LAUNCHER_IMAGE in the environment
// (the suite's run on the 64-bit launcher), else the 32-bit one built in.
std::string launcherImagePath();

// Where the image's data directories begin, in PE32 and PE32+ alike.
std::uint32_t dataDirectoriesOffset(const Bytes& image);

Bytes readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const Bytes& bytes);
