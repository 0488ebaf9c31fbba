#include "base/settings.h"

#include <limits.h>
#include <stdlib.h>

namespace {

const int LOAD_STEP = 256;
// The loader stops before a character that does not fit, and a character
// takes up to 4 bytes in UTF-8 (Unicode mode): a text with fewer bytes to
// spare may have been cut.
const int LOAD_SPARE_MIN = 4;

// Loads string `id` of the launcher's own image into `out`, growing the
// buffer 256 characters at a time while the loader may have cut the text.
// Returns whether at least one character was loaded.
bool loadSettingString(int id, Text& out) {
    HINSTANCE image = GetModuleHandleA(nullptr);
    // A string-table entry holds at most 65535 UTF-16 units, three bytes
    // each at worst in UTF-8: the loop always ends.
    for (int size = LOAD_STEP;; size += LOAD_STEP) {
        char* buffer = static_cast<char*>(malloc(size));
        if (!buffer) return false;
        int length = LoadStringA(image, id, buffer, size);
        if (length <= 0) {
            length = 0;
            buffer[0] = '\0';
        }
        if (size - length > LOAD_SPARE_MIN) {
            out = Text(buffer, length);
            free(buffer);
            return length > 0;
        }
        free(buffer);
    }
}

bool isWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

Text loadSettingText(int id) {
    Text text;
    loadSettingString(id, text);
    return text;
}

int isSettingPresent(int id) {
    Text text;
    return loadSettingString(id, text) ? 1 : 0;
}

int loadSettingInt(int id) {
    Text text;
    return loadSettingString(id, text) ? asciiToInt(text.c_str()) : 0;
}

int asciiToInt(const char* s) {
    while (isWhiteSpace(*s)) ++s;
    bool negative = *s == '-';
    if (*s == '-' || *s == '+') ++s;
    long long value = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        value = value * 10 + (*s - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int getLauncherPath(char* path, DWORD size) {
    path[0] = '\0';
    HMODULE image = GetModuleHandleA(nullptr);
    if (!image) return -1;
    DWORD length = GetModuleFileNameA(image, path, size);
    // A path that fills the buffer was cut, and older systems (and Wine) then
    // leave it unterminated: it names nothing, so it counts as no path.
    if (length == 0 || length >= size) {
        path[0] = '\0';
        return -1;
    }
    int lastBackslash = -1;
    for (DWORD i = 0; i < length; ++i) {
        if (path[i] == '\\') lastBackslash = static_cast<int>(i);
    }
    return lastBackslash;
}
