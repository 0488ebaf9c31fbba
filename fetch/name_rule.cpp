#include "fetch/name_rule.h"

namespace {

// Below MAX_PATH with room for the per-user folder in front.
const size_t NAME_MAX = 200;

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool isForbidden(char c) {
    if (static_cast<unsigned char>(c) < 32) return true;
    for (const char* f = "<>\"|?*"; *f; ++f) {
        if (c == *f) return true;
    }
    return false;
}

bool isDotPart(const char* part, size_t length) {
    return (length == 1 && part[0] == '.') || (length == 2 && part[0] == '.' && part[1] == '.');
}

char upperCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The system maps these names to devices in any folder and with any
// extension ("lib\LPT1.dll", "aux.h"), blanks before the dot ignored.
bool isDeviceName(const char* part, size_t length) {
    size_t base = 0;
    while (base < length && part[base] != '.') ++base;
    while (base > 0 && part[base - 1] == ' ') --base;
    char name[8];
    if (base < 3 || base > 7) return false;
    for (size_t i = 0; i < base; ++i) name[i] = upperCase(part[i]);
    name[base] = 0;
    if (base == 4 && name[3] >= '0' && name[3] <= '9') name[3] = '#';
    for (const char* device = "CON\0PRN\0AUX\0NUL\0COM#\0LPT#\0CONIN$\0CONOUT$\0"; *device;) {
        size_t i = 0;
        while (device[i] && device[i] == name[i]) ++i;
        if (!device[i] && !name[i]) return true;
        while (*device++) {
        }
    }
    return false;
}

}  // namespace

NameVerdict checkArchiveName(const char* name, size_t length) {
    if (length == 0) return NameVerdict::Empty;
    if (length > NAME_MAX) return NameVerdict::TooLong;
    if (isSeparator(name[0])) return NameVerdict::Absolute;
    size_t partStart = 0;
    for (size_t i = 0; i <= length; ++i) {
        const bool end = i == length || isSeparator(name[i]);
        if (!end) {
            if (name[i] == ':') return NameVerdict::DriveOrStream;
            if (isForbidden(name[i])) return NameVerdict::BadCharacter;
            continue;
        }
        const size_t partLength = i - partStart;
        // A folder entry ends with one separator: its last part is empty.
        if (partLength == 0 && i != length) return NameVerdict::EmptyPart;
        if (isDotPart(name + partStart, partLength)) return NameVerdict::ParentStep;
        // The system drops trailing dots and blanks: "bin." would be "bin".
        if (partLength > 0 && (name[i - 1] == '.' || name[i - 1] == ' ')) return NameVerdict::TrailingDotOrBlank;
        if (isDeviceName(name + partStart, partLength)) return NameVerdict::DeviceName;
        partStart = i + 1;
    }
    return NameVerdict::Accepted;
}

const char* nameVerdictText(NameVerdict verdict) {
    switch (verdict) {
    case NameVerdict::Accepted: return "accepted";
    case NameVerdict::Empty: return "empty name";
    case NameVerdict::Absolute: return "absolute path";
    case NameVerdict::DriveOrStream: return "drive letter or colon";
    case NameVerdict::ParentStep: return "'.' or '..' in the path";
    case NameVerdict::EmptyPart: return "doubled separator";
    case NameVerdict::TrailingDotOrBlank: return "part ending in a dot or blank";
    case NameVerdict::BadCharacter: return "character not allowed in a file name";
    case NameVerdict::TooLong: return "name too long";
    case NameVerdict::DeviceName: return "device name";
    }
    return "";
}

bool isPlainFolderName(const char* name) {
    size_t length = 0;
    while (name[length] && length <= NAME_MAX) {
        if (name[length] == '/') return false;
        ++length;
    }
    if (length == 0 || name[length - 1] == '\\') return false;
    return checkArchiveName(name, length) == NameVerdict::Accepted;
}
