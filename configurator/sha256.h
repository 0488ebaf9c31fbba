// SHA-256 (FIPS 180-4) over bytes in memory, for naming an embedded jar
// by the same digest sha256sum prints for the jar file.
#pragma once

#include <string>

#include "configurator/byte_io.h"

// The digest as 64 lower-case hex digits.
std::string sha256Hex(const std::uint8_t* data, std::size_t size);
std::string sha256Hex(const Bytes& bytes);
