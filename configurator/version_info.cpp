#include "configurator/version_info.h"

#include "configurator/string_table.h"

namespace {

const std::uint32_t FIXED_SIGNATURE = 0xFEEF04BD;
const std::size_t FIXED_SIZE = 52;

struct Block {
    std::u16string key;
    std::size_t valueAt = 0, valueLength = 0;  // value length in bytes
    std::uint16_t type = 0;
    std::size_t childrenAt = 0, end = 0;
};

std::size_t align4(std::size_t v) { return (v + 3) & ~std::size_t(3); }

Block readBlock(const Bytes& b, std::size_t at, std::size_t limit) {
    Block block;
    const std::uint16_t length = read16(b, at);
    require(length >= 6 && at + length <= limit, "malformed version information");
    block.end = at + length;
    const std::uint16_t valueLength = read16(b, at + 2);
    block.type = read16(b, at + 4);
    std::size_t p = at + 6;
    for (; p + 1 < block.end && read16(b, p); p += 2) block.key += static_cast<char16_t>(read16(b, p));
    p = align4(p + 2);
    block.valueAt = p;
    require(block.valueAt <= block.end, "malformed version information");
    // Text values count UTF-16 units, others bytes; some tools count a
    // text's bytes, so the length is kept inside the block.
    block.valueLength = block.type == 1 ? valueLength * 2u : valueLength;
    if (block.valueLength > block.end - block.valueAt) block.valueLength = block.end - block.valueAt;
    block.childrenAt = align4(block.valueAt + block.valueLength);
    return block;
}

std::u16string readValueText(const Bytes& b, const Block& block) {
    std::u16string text;
    for (std::size_t p = block.valueAt; p + 1 < block.end && p < block.valueAt + block.valueLength; p += 2) {
        char16_t c = static_cast<char16_t>(read16(b, p));
        if (!c) break;
        text += c;
    }
    return text;
}

void appendKey(Bytes& out, const std::u16string& key) {
    for (char16_t c : key) append16(out, c);
    append16(out, 0);
    padTo(out, 4);
}

// Writes one block; `value` and `children` are already encoded.
void appendBlock(Bytes& out, const std::u16string& key, std::uint16_t type, const Bytes& value,
                 std::uint16_t valueLength, const Bytes& children) {
    padTo(out, 4);
    const std::size_t start = out.size();
    append16(out, 0);
    append16(out, valueLength);
    append16(out, type);
    appendKey(out, key);
    out.insert(out.end(), value.begin(), value.end());
    if (!children.empty()) {
        padTo(out, 4);
        out.insert(out.end(), children.begin(), children.end());
    }
    require(out.size() - start <= 0xFFFF, "version information too long");
    write16(out, start, static_cast<std::uint16_t>(out.size() - start));
}

std::uint32_t high(const std::array<std::uint16_t, 4>& v) { return (std::uint32_t(v[0]) << 16) | v[1]; }
std::uint32_t low(const std::array<std::uint16_t, 4>& v) { return (std::uint32_t(v[2]) << 16) | v[3]; }

}  // namespace

VersionInfo parseVersionInfo(const Bytes& b) {
    VersionInfo info;
    Block root = readBlock(b, 0, b.size());
    require(root.key == u"VS_VERSION_INFO", "malformed version information");
    if (root.valueLength >= FIXED_SIZE && read32(b, root.valueAt) == FIXED_SIGNATURE) {
        const std::uint32_t values[4] = {read32(b, root.valueAt + 8), read32(b, root.valueAt + 12),
                                         read32(b, root.valueAt + 16), read32(b, root.valueAt + 20)};
        info.fileVersion = {std::uint16_t(values[0] >> 16), std::uint16_t(values[0]), std::uint16_t(values[1] >> 16),
                            std::uint16_t(values[1])};
        info.productVersion = {std::uint16_t(values[2] >> 16), std::uint16_t(values[2]),
                               std::uint16_t(values[3] >> 16), std::uint16_t(values[3])};
    }
    for (std::size_t at = root.childrenAt; at + 6 <= root.end;) {
        Block section = readBlock(b, at, root.end);
        if (section.key == u"StringFileInfo") {
            for (std::size_t t = section.childrenAt; t + 6 <= section.end;) {
                Block table = readBlock(b, t, section.end);
                for (std::size_t s = table.childrenAt; s + 6 <= table.end;) {
                    Block entry = readBlock(b, s, table.end);
                    info.strings[utf16ToUtf8(entry.key)] = utf16ToUtf8(readValueText(b, entry));
                    s = align4(entry.end);
                }
                t = align4(table.end);
            }
        }
        at = align4(section.end);
    }
    return info;
}

Bytes buildVersionInfo(const VersionInfo& info) {
    Bytes fixed;
    append32(fixed, FIXED_SIGNATURE);
    append32(fixed, 0x00010000);
    append32(fixed, high(info.fileVersion));
    append32(fixed, low(info.fileVersion));
    append32(fixed, high(info.productVersion));
    append32(fixed, low(info.productVersion));
    append32(fixed, 0x3F);     // file flags mask
    append32(fixed, 0);        // file flags
    append32(fixed, 0x40004);  // VOS_NT_WINDOWS32
    append32(fixed, 1);        // VFT_APP
    append32(fixed, 0);
    append32(fixed, 0);
    append32(fixed, 0);

    Bytes strings;
    for (const auto& s : info.strings) {
        const std::u16string value = utf8ToUtf16(s.second);
        Bytes encoded;
        for (char16_t c : value) append16(encoded, c);
        append16(encoded, 0);
        appendBlock(strings, utf8ToUtf16(s.first), 1, encoded, static_cast<std::uint16_t>(value.size() + 1), Bytes());
    }
    Bytes table, stringFileInfo;
    appendBlock(table, u"040904B0", 1, Bytes(), 0, strings);
    appendBlock(stringFileInfo, u"StringFileInfo", 1, Bytes(), 0, table);

    Bytes translation, var, varFileInfo;
    append16(translation, 0x0409);
    append16(translation, 1200);
    appendBlock(var, u"Translation", 0, translation, 4, Bytes());
    appendBlock(varFileInfo, u"VarFileInfo", 1, Bytes(), 0, var);

    Bytes children = stringFileInfo;
    padTo(children, 4);
    children.insert(children.end(), varFileInfo.begin(), varFileInfo.end());
    Bytes root;
    appendBlock(root, u"VS_VERSION_INFO", 0, fixed, static_cast<std::uint16_t>(FIXED_SIZE), children);
    return root;
}

std::array<std::uint16_t, 4> parseVersionNumber(const std::string& text) {
    std::array<std::uint16_t, 4> v = {0, 0, 0, 0};
    std::size_t part = 0, at = 0;
    require(!text.empty(), "a version number is empty");
    while (at < text.size()) {
        require(part < 4, "a version number has at most four parts (1.2.3.4)");
        std::size_t end = at;
        unsigned long value = 0;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
            value = value * 10 + (text[end] - '0');
            require(value <= 0xFFFF, "a version number part is above 65535");
            ++end;
        }
        require(end > at && (end == text.size() || text[end] == '.'), "a version number is digits and dots (1.2.3.4)");
        v[part++] = static_cast<std::uint16_t>(value);
        at = end + (end < text.size() ? 1 : 0);
        require(!(end < text.size() && at == text.size()), "a version number ends with a dot");
    }
    return v;
}

std::string formatVersionNumber(const std::array<std::uint16_t, 4>& v) {
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." + std::to_string(v[3]);
}

VersionInfo readVersionInfo(const ResourceTree& tree) {
    std::vector<const Resource*> found = tree.ofType(ResourceId::of(RT_VERSION_TYPE));
    return found.empty() ? VersionInfo() : parseVersionInfo(found.front()->data);
}

void writeVersionInfo(ResourceTree& tree, const VersionInfo& info) {
    ResourceId name = ResourceId::of(1);
    std::uint16_t language = 1033;
    std::vector<const Resource*> found = tree.ofType(ResourceId::of(RT_VERSION_TYPE));
    if (!found.empty()) {
        name = found.front()->name;
        language = found.front()->language;
    }
    tree.removeType(ResourceId::of(RT_VERSION_TYPE));
    Resource r;
    r.type = ResourceId::of(RT_VERSION_TYPE);
    r.name = name;
    r.language = language;
    r.data = buildVersionInfo(info);
    tree.put(std::move(r));
}
