#include "configurator/string_table.h"

namespace {

std::uint16_t blockOf(std::uint16_t id) { return static_cast<std::uint16_t>(id / 16 + 1); }

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::u16string utf8ToUtf16(const std::string& text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
        require(extra >= 0 && i + extra < text.size(), "text is not valid UTF-8");
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            require((next & 0xC0) == 0x80, "text is not valid UTF-8");
            c = (c << 6) | (next & 0x3F);
        }
        const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        require(c >= minimum[extra] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF), "text is not valid UTF-8");
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += extra + 1;
    }
    return out;
}

std::string utf16ToUtf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // a lone surrogate
        }
        appendUtf8(out, c);
    }
    return out;
}

StringBlock decodeStringBlock(const Bytes& data) {
    StringBlock block;
    std::size_t at = 0;
    for (std::size_t i = 0; i < block.size() && at + 2 <= data.size(); ++i) {
        const std::uint16_t length = read16(data, at);
        at += 2;
        require(fits(data, at, length * 2u), "malformed string table");
        for (std::uint16_t k = 0; k < length; ++k) block[i] += static_cast<char16_t>(read16(data, at + 2 * k));
        at += length * 2u;
    }
    return block;
}

Bytes encodeStringBlock(const StringBlock& block) {
    Bytes data;
    for (const std::u16string& s : block) {
        append16(data, static_cast<std::uint16_t>(s.size()));
        for (char16_t c : s) append16(data, c);
    }
    return data;
}

std::u16string readString(const ResourceTree& tree, std::uint16_t id, std::uint16_t language) {
    const Resource* r = tree.find(ResourceId::of(RT_STRING_TYPE), ResourceId::of(blockOf(id)), language);
    if (!r) return std::u16string();
    return decodeStringBlock(r->data)[id % 16];
}

void writeString(ResourceTree& tree, std::uint16_t id, const std::u16string& value, std::uint16_t language) {
    require(value.size() <= STRING_UNITS_MAX, "text too long for a string resource (65535 UTF-16 units at most)");
    const ResourceId type = ResourceId::of(RT_STRING_TYPE);
    const ResourceId name = ResourceId::of(blockOf(id));
    const Resource* existing = tree.find(type, name, language);
    StringBlock block = existing ? decodeStringBlock(existing->data) : StringBlock();
    block[id % 16] = value;
    bool empty = true;
    for (const std::u16string& s : block) empty = empty && s.empty();
    if (empty) {
        tree.remove(type, name, language);
        return;
    }
    Resource r;
    r.type = type;
    r.name = name;
    r.language = language;
    r.data = encodeStringBlock(block);
    tree.put(std::move(r));
}
