// The resources of a PE image as a flat list of (type, name, language)
// entries, read from and written to the three-level resource directory
// format of a resource section.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "configurator/byte_io.h"

enum ResourceType : std::uint16_t {
    RT_ICON_TYPE = 3,
    RT_BITMAP_TYPE = 2,
    RT_STRING_TYPE = 6,
    RT_GROUP_ICON_TYPE = 14,
    RT_VERSION_TYPE = 16,
    RT_MANIFEST_TYPE = 24,
};

// A numeric identifier, or a name (UTF-16).
struct ResourceId {
    bool named = false;
    std::uint16_t number = 0;
    std::u16string name;

    static ResourceId of(std::uint16_t number) { return ResourceId{false, number, {}}; }
    bool operator==(const ResourceId& other) const {
        return named == other.named && (named ? name == other.name : number == other.number);
    }
    // Directory order: names (by their text) before numbers (ascending).
    bool operator<(const ResourceId& other) const;
    std::string describe() const;
};

struct Resource {
    ResourceId type;
    ResourceId name;
    std::uint16_t language = 0;
    std::uint32_t codePage = 0;
    Bytes data;
};

class ResourceTree {
public:
    // Reads the directory held by `section`, whose first byte is at `sectionRva`.
    static ResourceTree parse(const Bytes& section, std::uint32_t sectionRva);

    // Writes the directory for a section that will start at `sectionRva`.
    Bytes serialize(std::uint32_t sectionRva) const;

    const Resource* find(const ResourceId& type, const ResourceId& name, std::uint16_t language) const;
    std::vector<const Resource*> ofType(const ResourceId& type) const;

    // Replaces the entry with the same type, name and language, or adds it.
    void put(Resource resource);
    // Removes the entry; returns whether there was one.
    bool remove(const ResourceId& type, const ResourceId& name, std::uint16_t language);
    // Removes every entry of the type.
    void removeType(const ResourceId& type);

    const std::vector<Resource>& all() const { return resources_; }

private:
    std::vector<Resource> resources_;
};
