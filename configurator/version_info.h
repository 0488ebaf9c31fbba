// The version information Explorer shows: the fixed file and product
// version numbers and the strings of the "040904B0" (English, Unicode)
// string table.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "configurator/byte_io.h"
#include "configurator/resource_tree.h"

struct VersionInfo {
    std::array<std::uint16_t, 4> fileVersion = {0, 0, 0, 0};
    std::array<std::uint16_t, 4> productVersion = {0, 0, 0, 0};
    std::map<std::string, std::string> strings;  // UTF-8, e.g. "FileDescription"
};

// Throws FormatError when the resource is malformed.
VersionInfo parseVersionInfo(const Bytes& resource);
Bytes buildVersionInfo(const VersionInfo& info);

// "1.2.3.4", "1.2" and so on; throws FormatError otherwise.
std::array<std::uint16_t, 4> parseVersionNumber(const std::string& text);
std::string formatVersionNumber(const std::array<std::uint16_t, 4>& v);

// The image's version information (empty when it has none), and its
// replacement.
VersionInfo readVersionInfo(const ResourceTree& tree);
void writeVersionInfo(ResourceTree& tree, const VersionInfo& info);
