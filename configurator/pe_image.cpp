#include "configurator/pe_image.h"

#include <algorithm>
#include <cstring>

namespace {

const std::uint16_t PE32_MAGIC = 0x10b;
const std::uint16_t PE32_PLUS_MAGIC = 0x20b;
const std::size_t SECTION_HEADER = 40;
const std::uint32_t INITIALIZED_DATA = 0x40;

const int RESOURCE_DIRECTORY = 2;
const int CERTIFICATE_DIRECTORY = 4;
const int RELOCATION_DIRECTORY = 5;

bool isPowerOfTwo(std::uint32_t v) { return v && !(v & (v - 1)); }

}  // namespace

PeImage::PeImage(Bytes bytes) : bytes_(std::move(bytes)) { readHeaders(); }

void PeImage::readHeaders() {
    require(bytes_.size() >= 64 && bytes_[0] == 'M' && bytes_[1] == 'Z', "not a PE file (no MZ header)");
    const std::uint32_t peOffset = read32(bytes_, 0x3C);
    require(fits(bytes_, peOffset, 24) && read32(bytes_, peOffset) == 0x00004550, "not a PE file (no PE signature)");
    coffHeader_ = peOffset + 4;
    const std::uint16_t sectionCount = read16(bytes_, coffHeader_ + 2);
    const std::uint16_t optionalSize = read16(bytes_, coffHeader_ + 16);
    optionalHeader_ = coffHeader_ + 20;
    require(fits(bytes_, optionalHeader_, optionalSize), "truncated image (optional header)");
    const std::uint16_t magic = read16(bytes_, optionalHeader_);
    require(magic == PE32_MAGIC || magic == PE32_PLUS_MAGIC, "malformed image (unknown optional header)");
    const std::size_t countField = optionalHeader_ + (magic == PE32_MAGIC ? 92 : 108);
    directories_ = countField + 4;
    require(countField + 4 <= optionalHeader_ + optionalSize, "malformed image (optional header too small)");
    directoryCount_ = read32(bytes_, countField);
    require(directoryCount_ <= 16 && directories_ + directoryCount_ * 8 <= optionalHeader_ + optionalSize,
            "malformed image (data directories)");
    sectionAlignment_ = read32(bytes_, optionalHeader_ + 32);
    fileAlignment_ = read32(bytes_, optionalHeader_ + 36);
    require(isPowerOfTwo(sectionAlignment_) && isPowerOfTwo(fileAlignment_) && fileAlignment_ <= sectionAlignment_,
            "malformed image (alignment)");

    sectionTable_ = optionalHeader_ + optionalSize;
    require(sectionCount > 0 && fits(bytes_, sectionTable_, sectionCount * SECTION_HEADER),
            "truncated image (section table)");
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        const std::size_t at = sectionTable_ + i * SECTION_HEADER;
        Section s;
        const char* name = reinterpret_cast<const char*>(&bytes_[at]);
        s.name.assign(name, strnlen(name, 8));
        s.virtualSize = read32(bytes_, at + 8);
        s.virtualAddress = read32(bytes_, at + 12);
        s.rawSize = read32(bytes_, at + 16);
        s.rawOffset = read32(bytes_, at + 20);
        s.characteristics = read32(bytes_, at + 36);
        require(s.rawSize == 0 || fits(bytes_, s.rawOffset, s.rawSize), "truncated image (section data)");
        require(i == 0 || s.virtualAddress > sections_.back().virtualAddress, "malformed image (section order)");
        sections_.push_back(s);
    }
}

std::uint32_t PeImage::directoryRva(int index) const {
    return static_cast<std::uint32_t>(index) < directoryCount_ ? read32(bytes_, directories_ + index * 8) : 0;
}

std::uint32_t PeImage::directorySize(int index) const {
    return static_cast<std::uint32_t>(index) < directoryCount_ ? read32(bytes_, directories_ + index * 8 + 4) : 0;
}

void PeImage::setDirectory(int index, std::uint32_t rva, std::uint32_t size) {
    write32(bytes_, directories_ + index * 8, rva);
    write32(bytes_, directories_ + index * 8 + 4, size);
}

int PeImage::sectionHolding(std::uint32_t rva) const {
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const Section& s = sections_[i];
        const std::uint32_t extent = std::max(s.virtualSize, s.rawSize);
        if (rva >= s.virtualAddress && rva - s.virtualAddress < extent) return static_cast<int>(i);
    }
    return -1;
}

Bytes PeImage::sectionBytes(const Section& s) const {
    return Bytes(bytes_.begin() + s.rawOffset, bytes_.begin() + s.rawOffset + s.rawSize);
}

std::size_t PeImage::sectionsEnd() const {
    std::size_t end = 0;
    for (const Section& s : sections_) {
        if (s.rawSize) end = std::max<std::size_t>(end, std::size_t(s.rawOffset) + s.rawSize);
    }
    return end;
}

std::uint32_t PeImage::certificateOffset() const { return directoryRva(CERTIFICATE_DIRECTORY); }
std::uint32_t PeImage::certificateSize() const { return directorySize(CERTIFICATE_DIRECTORY); }

std::uint32_t PeImage::checksumField() const { return read32(bytes_, optionalHeader_ + 64); }

ResourceTree PeImage::resources() const {
    const std::uint32_t rva = directoryRva(RESOURCE_DIRECTORY);
    if (rva == 0) return ResourceTree();
    const int index = sectionHolding(rva);
    require(index >= 0, "malformed image (resource directory outside every section)");
    const Section& s = sections_[index];
    Bytes data = sectionBytes(s);
    const std::uint32_t skip = rva - s.virtualAddress;
    require(skip <= data.size(), "malformed image (resource directory outside its section)");
    data.erase(data.begin(), data.begin() + skip);
    return ResourceTree::parse(data, rva);
}

void PeImage::writeSectionHeader(std::size_t index) {
    const Section& s = sections_[index];
    const std::size_t at = sectionTable_ + index * SECTION_HEADER;
    write32(bytes_, at + 8, s.virtualSize);
    write32(bytes_, at + 12, s.virtualAddress);
    write32(bytes_, at + 16, s.rawSize);
    write32(bytes_, at + 20, s.rawOffset);
}

void PeImage::replaceResources(const ResourceTree& tree) {
    const std::uint32_t rva = directoryRva(RESOURCE_DIRECTORY);
    require(rva != 0, "the image has no resource section to rewrite");
    require(directorySize(CERTIFICATE_DIRECTORY) == 0,
            "the image is signed; configure an unsigned launcher first and sign the result afterwards");
    const int index = sectionHolding(rva);
    require(index >= 0 && sections_[index].virtualAddress == rva,
            "cannot rewrite: the resources do not start their own section");
    const std::size_t resourceIndex = static_cast<std::size_t>(index);
    Section resources = sections_[resourceIndex];

    // Only base relocations may follow: their bytes do not depend on where
    // they stand, so they can move behind the grown resources.
    const std::uint32_t relocationRva = directoryRva(RELOCATION_DIRECTORY);
    const std::uint32_t relocationSize = directorySize(RELOCATION_DIRECTORY);
    for (std::size_t i = resourceIndex + 1; i < sections_.size(); ++i) {
        const Section& s = sections_[i];
        require(i == resourceIndex + 1 && relocationRva == s.virtualAddress && relocationSize <= s.virtualSize,
                "cannot rewrite: a section other than base relocations follows the resources");
    }
    std::uint32_t sectionsEnd = 0;
    for (const Section& s : sections_) {
        if (s.rawSize) sectionsEnd = std::max(sectionsEnd, s.rawOffset + s.rawSize);
        if (&s != &sections_[resourceIndex] && s.rawSize && s.virtualAddress < resources.virtualAddress) {
            require(s.rawOffset + s.rawSize <= resources.rawOffset,
                    "cannot rewrite: section data lies behind the resources in the file");
        }
    }
    const Bytes overlay(bytes_.begin() + std::min<std::size_t>(sectionsEnd, bytes_.size()), bytes_.end());

    Bytes data = tree.serialize(resources.virtualAddress);
    require(data.size() < 0x7FFFFFFF, "resources too large");
    const std::uint32_t oldRawSize = resources.rawSize;
    resources.virtualSize = static_cast<std::uint32_t>(data.size());
    resources.rawSize = alignUp(resources.virtualSize, fileAlignment_);
    data.resize(resources.rawSize, 0);

    Bytes rebuilt(bytes_.begin(), bytes_.begin() + resources.rawOffset);
    rebuilt.insert(rebuilt.end(), data.begin(), data.end());
    std::int64_t initializedDelta = std::int64_t(resources.rawSize) - oldRawSize;

    std::vector<Section> sections = sections_;
    sections[resourceIndex] = resources;
    if (resourceIndex + 1 < sections.size()) {
        Section relocations = sections[resourceIndex + 1];
        const Bytes relocationBytes = sectionBytes(relocations);
        relocations.virtualAddress = alignUp(resources.virtualAddress + resources.virtualSize, sectionAlignment_);
        relocations.rawOffset = static_cast<std::uint32_t>(rebuilt.size());
        rebuilt.insert(rebuilt.end(), relocationBytes.begin(), relocationBytes.end());
        sections[resourceIndex + 1] = relocations;
    }
    const std::uint32_t newSectionsEnd = static_cast<std::uint32_t>(rebuilt.size());
    rebuilt.insert(rebuilt.end(), overlay.begin(), overlay.end());

    bytes_ = std::move(rebuilt);
    sections_ = std::move(sections);
    for (std::size_t i = resourceIndex; i < sections_.size(); ++i) writeSectionHeader(i);
    setDirectory(RESOURCE_DIRECTORY, resources.virtualAddress, resources.virtualSize);
    if (resourceIndex + 1 < sections_.size()) {
        setDirectory(RELOCATION_DIRECTORY, sections_[resourceIndex + 1].virtualAddress, relocationSize);
    }

    // A symbol table kept in the overlay moves with it.
    const std::uint32_t symbols = read32(bytes_, coffHeader_ + 8);
    if (symbols != 0 && symbols >= sectionsEnd) write32(bytes_, coffHeader_ + 8, symbols - sectionsEnd + newSectionsEnd);

    const Section& last = sections_.back();
    write32(bytes_, optionalHeader_ + 56, alignUp(last.virtualAddress + last.virtualSize, sectionAlignment_));
    if (resources.characteristics & INITIALIZED_DATA) {
        const std::int64_t initialized = std::int64_t(read32(bytes_, optionalHeader_ + 8)) + initializedDelta;
        write32(bytes_, optionalHeader_ + 8, static_cast<std::uint32_t>(std::max<std::int64_t>(initialized, 0)));
    }
    write32(bytes_, optionalHeader_ + 64, computeChecksum(bytes_, optionalHeader_ + 64));
}

std::uint32_t PeImage::computeChecksum(const Bytes& bytes, std::size_t checksumOffset) {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        if (i == checksumOffset || i == checksumOffset + 2) continue;
        std::uint32_t word = bytes[i] | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0);
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + bytes.size());
}
