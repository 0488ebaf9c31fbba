#include "configurator/resource_tree.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

const std::uint32_t SUBDIRECTORY_FLAG = 0x80000000u;
const std::uint32_t NAME_FLAG = 0x80000000u;
const std::size_t DIRECTORY_HEADER = 16;
const std::size_t DIRECTORY_ENTRY = 8;
const std::size_t DATA_ENTRY = 16;

// Bounds that no real resource section comes near; they keep a malformed
// one from making the reader loop or allocate without end.
const std::size_t ENTRIES_MAX = 65536;

struct Reader {
    const Bytes& section;
    std::uint32_t sectionRva;
    std::set<std::uint32_t> visited;
    std::size_t entries = 0;

    ResourceId readId(std::uint32_t field) {
        if (!(field & NAME_FLAG)) {
            require(field <= 0xFFFF, "malformed resource identifier");
            return ResourceId::of(static_cast<std::uint16_t>(field));
        }
        std::size_t at = field & ~NAME_FLAG;
        std::uint16_t length = read16(section, at);
        require(fits(section, at + 2, length * 2u), "resource name outside the resource section");
        ResourceId id;
        id.named = true;
        for (std::uint16_t i = 0; i < length; ++i) id.name += static_cast<char16_t>(read16(section, at + 2 + 2 * i));
        return id;
    }

    // Visits the directory at `offset`; `path` holds the ids above it.
    void readDirectory(std::uint32_t offset, std::vector<ResourceId>& path, std::vector<Resource>& out) {
        require(visited.insert(offset).second, "resource directory loops");
        require(fits(section, offset, DIRECTORY_HEADER), "resource directory outside the resource section");
        const std::size_t count = std::size_t(read16(section, offset + 12)) + read16(section, offset + 14);
        entries += count;
        require(entries <= ENTRIES_MAX, "too many resource entries");
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = offset + DIRECTORY_HEADER + i * DIRECTORY_ENTRY;
            ResourceId id = readId(read32(section, entry));
            const std::uint32_t target = read32(section, entry + 4);
            path.push_back(id);
            if (target & SUBDIRECTORY_FLAG) {
                require(path.size() < 3, "resource directory deeper than type, name and language");
                readDirectory(target & ~SUBDIRECTORY_FLAG, path, out);
            } else {
                require(path.size() == 3, "resource data above the language level");
                out.push_back(readData(target, path));
            }
            path.pop_back();
        }
    }

    Resource readData(std::uint32_t offset, const std::vector<ResourceId>& path) {
        require(fits(section, offset, DATA_ENTRY), "resource data entry outside the resource section");
        const std::uint32_t rva = read32(section, offset);
        const std::uint32_t size = read32(section, offset + 4);
        require(rva >= sectionRva && fits(section, rva - sectionRva, size),
                "resource data outside the resource section");
        require(!path[2].named, "named resource language");
        Resource resource;
        resource.type = path[0];
        resource.name = path[1];
        resource.language = path[2].number;
        resource.codePage = read32(section, offset + 8);
        resource.data.assign(section.begin() + (rva - sectionRva), section.begin() + (rva - sectionRva + size));
        return resource;
    }
};

using LanguageMap = std::map<std::uint16_t, const Resource*>;
using NameMap = std::map<ResourceId, LanguageMap>;
using TypeMap = std::map<ResourceId, NameMap>;

void writeDirectoryHeader(Bytes& out, std::size_t at, std::size_t named, std::size_t numbered) {
    write16(out, at + 12, static_cast<std::uint16_t>(named));
    write16(out, at + 14, static_cast<std::uint16_t>(numbered));
}

template <typename Map>
std::size_t countNamed(const Map& map) {
    std::size_t named = 0;
    for (const auto& item : map) named += item.first.named ? 1 : 0;
    return named;
}

}  // namespace

bool ResourceId::operator<(const ResourceId& other) const {
    if (named != other.named) return named;
    return named ? name < other.name : number < other.number;
}

std::string ResourceId::describe() const {
    if (!named) return std::to_string(number);
    std::string text;
    for (char16_t c : name) text += c < 128 ? static_cast<char>(c) : '?';
    return "\"" + text + "\"";
}

ResourceTree ResourceTree::parse(const Bytes& section, std::uint32_t sectionRva) {
    ResourceTree tree;
    if (section.empty()) return tree;
    Reader reader{section, sectionRva, {}, 0};
    std::vector<ResourceId> path;
    reader.readDirectory(0, path, tree.resources_);
    return tree;
}

// Layout: every directory table (root, types, names), then the data entries,
// then the names, then the data, each piece aligned as the loader expects.
Bytes ResourceTree::serialize(std::uint32_t sectionRva) const {
    TypeMap types;
    for (const Resource& r : resources_) types[r.type][r.name][r.language] = &r;

    Bytes out;
    std::vector<std::pair<std::size_t, const ResourceId*>> nameFields;
    std::vector<std::pair<std::size_t, const Resource*>> dataFields;

    auto reserveDirectory = [&](std::size_t entryCount) {
        std::size_t at = out.size();
        out.resize(out.size() + DIRECTORY_HEADER + entryCount * DIRECTORY_ENTRY, 0);
        return at;
    };
    auto setEntry = [&](std::size_t directory, std::size_t index, const ResourceId& id, std::uint32_t target) {
        const std::size_t entry = directory + DIRECTORY_HEADER + index * DIRECTORY_ENTRY;
        if (id.named) {
            nameFields.emplace_back(entry, &id);
        } else {
            write32(out, entry, id.number);
        }
        write32(out, entry + 4, target);
    };

    const std::size_t root = reserveDirectory(types.size());
    writeDirectoryHeader(out, root, countNamed(types), types.size() - countNamed(types));
    std::size_t typeIndex = 0;
    for (const auto& type : types) {
        const std::size_t typeDirectory = reserveDirectory(type.second.size());
        writeDirectoryHeader(out, typeDirectory, countNamed(type.second), type.second.size() - countNamed(type.second));
        setEntry(root, typeIndex++, type.first, static_cast<std::uint32_t>(typeDirectory) | SUBDIRECTORY_FLAG);
        std::size_t nameIndex = 0;
        for (const auto& name : type.second) {
            const std::size_t nameDirectory = reserveDirectory(name.second.size());
            writeDirectoryHeader(out, nameDirectory, 0, name.second.size());
            setEntry(typeDirectory, nameIndex++, name.first, static_cast<std::uint32_t>(nameDirectory) | SUBDIRECTORY_FLAG);
            std::size_t languageIndex = 0;
            for (const auto& language : name.second) {
                const std::size_t entry = nameDirectory + DIRECTORY_HEADER + languageIndex++ * DIRECTORY_ENTRY;
                write32(out, entry, language.first);
                dataFields.emplace_back(entry + 4, language.second);
            }
        }
    }

    std::vector<std::size_t> dataEntries;
    for (auto& field : dataFields) {
        write32(out, field.first, static_cast<std::uint32_t>(out.size()));
        dataEntries.push_back(out.size());
        out.resize(out.size() + DATA_ENTRY, 0);
    }
    for (auto& field : nameFields) {
        write32(out, field.first, static_cast<std::uint32_t>(out.size()) | NAME_FLAG);
        append16(out, static_cast<std::uint16_t>(field.second->name.size()));
        for (char16_t c : field.second->name) append16(out, c);
    }
    for (std::size_t i = 0; i < dataFields.size(); ++i) {
        padTo(out, 8);
        const Resource& r = *dataFields[i].second;
        write32(out, dataEntries[i], sectionRva + static_cast<std::uint32_t>(out.size()));
        write32(out, dataEntries[i] + 4, static_cast<std::uint32_t>(r.data.size()));
        write32(out, dataEntries[i] + 8, r.codePage);
        out.insert(out.end(), r.data.begin(), r.data.end());
    }
    padTo(out, 8);
    return out;
}

const Resource* ResourceTree::find(const ResourceId& type, const ResourceId& name, std::uint16_t language) const {
    for (const Resource& r : resources_) {
        if (r.type == type && r.name == name && r.language == language) return &r;
    }
    return nullptr;
}

std::vector<const Resource*> ResourceTree::ofType(const ResourceId& type) const {
    std::vector<const Resource*> found;
    for (const Resource& r : resources_) {
        if (r.type == type) found.push_back(&r);
    }
    return found;
}

void ResourceTree::put(Resource resource) {
    for (Resource& r : resources_) {
        if (r.type == resource.type && r.name == resource.name && r.language == resource.language) {
            r = std::move(resource);
            return;
        }
    }
    resources_.push_back(std::move(resource));
}

bool ResourceTree::remove(const ResourceId& type, const ResourceId& name, std::uint16_t language) {
    auto before = resources_.size();
    resources_.erase(std::remove_if(resources_.begin(), resources_.end(),
                                    [&](const Resource& r) {
                                        return r.type == type && r.name == name && r.language == language;
                                    }),
                     resources_.end());
    return resources_.size() != before;
}

void ResourceTree::removeType(const ResourceId& type) {
    resources_.erase(
        std::remove_if(resources_.begin(), resources_.end(), [&](const Resource& r) { return r.type == type; }),
        resources_.end());
}
