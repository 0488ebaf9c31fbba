// String-table resources: blocks of 16 counted UTF-16 strings, block N
// holding strings 16 * (N - 1) to 16 * N - 1.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "configurator/byte_io.h"
#include "configurator/resource_tree.h"

using StringBlock = std::array<std::u16string, 16>;

const std::uint16_t ENGLISH_US = 1033;
const std::size_t STRING_UNITS_MAX = 65535;

// Throws FormatError for input that is not UTF-8.
std::u16string utf8ToUtf16(const std::string& text);
std::string utf16ToUtf8(const std::u16string& text);

StringBlock decodeStringBlock(const Bytes& data);
Bytes encodeStringBlock(const StringBlock& block);

// String `id` of the table in `language`; empty when absent.
std::u16string readString(const ResourceTree& tree, std::uint16_t id, std::uint16_t language = ENGLISH_US);

// Sets string `id`; an empty value removes it (the two read the same), and
// a block left with no string goes. Throws FormatError when it is too long.
void writeString(ResourceTree& tree, std::uint16_t id, const std::u16string& value,
                 std::uint16_t language = ENGLISH_US);
