#include "configurator/icon_file.h"

#include <set>

namespace {

const std::size_t ICO_HEADER = 6, ICO_ENTRY = 16, GROUP_ENTRY = 14;
const std::size_t IMAGES_MAX = 256;

const Resource* firstGroup(const ResourceTree& tree) {
    std::vector<const Resource*> groups = tree.ofType(ResourceId::of(RT_GROUP_ICON_TYPE));
    return groups.empty() ? nullptr : groups.front();
}

std::vector<std::uint16_t> groupImageIds(const Resource& group) {
    std::vector<std::uint16_t> ids;
    const std::uint16_t count = read16(group.data, 4);
    for (std::uint16_t i = 0; i < count; ++i) ids.push_back(read16(group.data, ICO_HEADER + i * GROUP_ENTRY + 12));
    return ids;
}

}  // namespace

std::vector<IconImage> readIconFile(const Bytes& file) {
    require(file.size() >= ICO_HEADER && read16(file, 0) == 0 && read16(file, 2) == 1,
            "the icon is not an .ico file");
    const std::uint16_t count = read16(file, 4);
    require(count > 0 && count <= IMAGES_MAX, "the icon file holds no images");
    require(fits(file, ICO_HEADER, count * ICO_ENTRY), "the icon file is cut");
    std::vector<IconImage> images;
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::size_t entry = ICO_HEADER + i * ICO_ENTRY;
        IconImage image;
        image.width = file[entry] ? file[entry] : 256;
        image.height = file[entry + 1] ? file[entry + 1] : 256;
        image.colours = file[entry + 2];
        image.planes = read16(file, entry + 4);
        image.bitCount = read16(file, entry + 6);
        const std::uint32_t size = read32(file, entry + 8), offset = read32(file, entry + 12);
        require(size > 0 && fits(file, offset, size), "the icon file is cut");
        image.data.assign(file.begin() + offset, file.begin() + offset + size);
        images.push_back(std::move(image));
    }
    return images;
}

void setApplicationIcon(ResourceTree& tree, const std::vector<IconImage>& images) {
    require(!images.empty() && images.size() <= IMAGES_MAX, "the icon holds no images");
    ResourceId groupName = ResourceId::of(1);
    std::uint16_t language = 1033;
    if (const Resource* found = firstGroup(tree)) {
        // A copy: removing entries moves the others.
        const Resource old = *found;
        groupName = old.name;
        language = old.language;
        for (std::uint16_t id : groupImageIds(old)) {
            for (const Resource* icon : tree.ofType(ResourceId::of(RT_ICON_TYPE))) {
                if (icon->name == ResourceId::of(id)) {
                    tree.remove(icon->type, icon->name, icon->language);
                    break;
                }
            }
        }
        tree.remove(old.type, old.name, old.language);
    }
    std::set<std::uint16_t> taken;
    for (const Resource* icon : tree.ofType(ResourceId::of(RT_ICON_TYPE))) {
        if (!icon->name.named) taken.insert(icon->name.number);
    }

    Resource group;
    group.type = ResourceId::of(RT_GROUP_ICON_TYPE);
    group.name = groupName;
    group.language = language;
    append16(group.data, 0);
    append16(group.data, 1);
    append16(group.data, static_cast<std::uint16_t>(images.size()));
    std::uint16_t next = 1;
    for (const IconImage& image : images) {
        while (taken.count(next)) ++next;
        taken.insert(next);
        Resource icon;
        icon.type = ResourceId::of(RT_ICON_TYPE);
        icon.name = ResourceId::of(next);
        icon.language = language;
        icon.data = image.data;
        tree.put(std::move(icon));
        group.data.push_back(static_cast<std::uint8_t>(image.width >= 256 ? 0 : image.width));
        group.data.push_back(static_cast<std::uint8_t>(image.height >= 256 ? 0 : image.height));
        group.data.push_back(image.colours);
        group.data.push_back(0);
        append16(group.data, image.planes);
        append16(group.data, image.bitCount);
        append32(group.data, static_cast<std::uint32_t>(image.data.size()));
        append16(group.data, next);
    }
    tree.put(std::move(group));
}

std::vector<IconImage> applicationIcon(const ResourceTree& tree) {
    std::vector<IconImage> images;
    const Resource* group = firstGroup(tree);
    if (!group) return images;
    const std::uint16_t count = read16(group->data, 4);
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::size_t entry = ICO_HEADER + i * GROUP_ENTRY;
        IconImage image;
        image.width = group->data.at(entry) ? group->data[entry] : 256;
        image.height = group->data.at(entry + 1) ? group->data[entry + 1] : 256;
        image.colours = group->data[entry + 2];
        image.planes = read16(group->data, entry + 4);
        image.bitCount = read16(group->data, entry + 6);
        const std::uint16_t id = read16(group->data, entry + 12);
        for (const Resource* icon : tree.ofType(ResourceId::of(RT_ICON_TYPE))) {
            if (icon->name == ResourceId::of(id)) image.data = icon->data;
        }
        images.push_back(std::move(image));
    }
    return images;
}
