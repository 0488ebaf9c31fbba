#include "ui/application_name.h"

namespace {

// A block: its length, its value's length (in characters for a text),
// its type (1: text), then its key; the value follows at a DWORD boundary.
const size_t HEADER = 6;

WORD wordAt(const BYTE* p) { return static_cast<WORD>(p[0] | p[1] << 8); }

size_t alignedToDword(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

bool keyIsAt(const BYTE* at, const char* key) {
    size_t i = 0;
    for (; key[i]; ++i) {
        if (wordAt(at + 2 * i) != static_cast<unsigned char>(key[i])) return false;
    }
    return wordAt(at + 2 * i) == 0;
}

const wchar_t* findVersionText(const BYTE* block, size_t size, const char* key, size_t* length) {
    size_t keyLength = 0;
    while (key[keyLength]) ++keyLength;
    const size_t keyBytes = 2 * (keyLength + 1);
    for (size_t at = 0; at + HEADER + keyBytes <= size; at += 4) {
        const BYTE* header = block + at;
        if (wordAt(header + 4) != 1 || !keyIsAt(header + HEADER, key)) continue;
        const size_t end = at + wordAt(header) < size ? at + wordAt(header) : size;
        const size_t value = alignedToDword(at + HEADER + keyBytes);
        size_t characters = wordAt(header + 2);
        if (value + 2 * characters > end) return nullptr;
        const wchar_t* text = reinterpret_cast<const wchar_t*>(block + value);
        while (characters > 0 && text[characters - 1] == 0) --characters;
        *length = characters;
        return characters ? text : nullptr;
    }
    return nullptr;
}

}  // namespace

const wchar_t* nameInVersionInfo(const BYTE* block, size_t size, size_t* length) {
    const wchar_t* name = findVersionText(block, size, "FileDescription", length);
    return name ? name : findVersionText(block, size, "ProductName", length);
}

Text applicationName(HINSTANCE instance, const Text& fileName) {
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const BYTE* block = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!block) return fileName;
    size_t length = 0;
    const wchar_t* text = nameInVersionInfo(block, SizeofResource(instance, found), &length);
    const int needed = text ? WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr) : 0;
    if (needed <= 0) return fileName;
    char* name = new char[needed];
    WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), name, needed, nullptr, nullptr);
    const Text result(name, static_cast<size_t>(needed));
    delete[] name;
    return result;
}
