// Application icons: an .ico file's images become the image's RT_ICON
// resources and one RT_GROUP_ICON directory that lists them.
#pragma once

#include <cstdint>
#include <vector>

#include "configurator/byte_io.h"
#include "configurator/resource_tree.h"

struct IconImage {
    int width = 0, height = 0;  // 256 is written as 0 in the directories
    std::uint8_t colours = 0;
    std::uint16_t planes = 0, bitCount = 0;
    Bytes data;
};

// Throws FormatError when the bytes are not an .ico file.
std::vector<IconImage> readIconFile(const Bytes& file);

// Replaces the application icon (the first icon group, or a new group 1)
// with these images; the old group's images go.
void setApplicationIcon(ResourceTree& tree, const std::vector<IconImage>& images);

// The images of the application icon, for the listing.
std::vector<IconImage> applicationIcon(const ResourceTree& tree);
