// A PE image (32- or 64-bit) whose resource section can be replaced: the
// sections, sizes, data directories and checksum are kept consistent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "configurator/byte_io.h"
#include "configurator/resource_tree.h"

struct Section {
    std::string name;
    std::uint32_t virtualSize;
    std::uint32_t virtualAddress;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
    std::uint32_t characteristics;
};

class PeImage {
public:
    // Checks the headers and the section table; throws FormatError.
    explicit PeImage(Bytes bytes);

    ResourceTree resources() const;

    // Writes `tree` as the image's resource section. The sections behind it,
    // if any, may only be base relocations, which are moved behind the new
    // resources. Throws FormatError when the image cannot be rewritten.
    void replaceResources(const ResourceTree& tree);

    const Bytes& bytes() const { return bytes_; }
    const std::vector<Section>& sections() const { return sections_; }
    std::uint32_t checksumField() const;
    std::size_t checksumOffset() const { return optionalHeader_ + 64; }
    // Where the last section's data ends: what follows is the overlay.
    std::size_t sectionsEnd() const;
    // The signature's certificate table (a file offset, not an address);
    // both 0 when the image is unsigned.
    std::uint32_t certificateOffset() const;
    std::uint32_t certificateSize() const;

    bool is64Bit() const { return read16(bytes_, optionalHeader_) == 0x20b; }

    // The PE checksum of the image as it stands (the field itself skipped).
    static std::uint32_t computeChecksum(const Bytes& bytes, std::size_t checksumOffset);

private:
    void readHeaders();
    std::uint32_t directoryRva(int index) const;
    std::uint32_t directorySize(int index) const;
    void setDirectory(int index, std::uint32_t rva, std::uint32_t size);
    int sectionHolding(std::uint32_t rva) const;
    void writeSectionHeader(std::size_t index);
    Bytes sectionBytes(const Section& s) const;

    Bytes bytes_;
    std::vector<Section> sections_;
    std::size_t coffHeader_ = 0;
    std::size_t optionalHeader_ = 0;
    std::size_t sectionTable_ = 0;
    std::size_t directories_ = 0;
    std::uint32_t directoryCount_ = 0;
    std::uint32_t sectionAlignment_ = 0;
    std::uint32_t fileAlignment_ = 0;
};
