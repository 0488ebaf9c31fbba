#include "fetch/archive_names.h"

namespace {

// Below MAX_PATH with room for the per-user folder in front.
const size_t NAME_MAX = 200;

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool isForbidden(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 32) return true;
    for (const char* f = "<>\"|?*"; *f; ++f) {
        if (c == *f) return true;
    }
    return false;
}

bool isDotPart(const char* part, size_t length) {
    return (length == 1 && part[0] == '.') || (length == 2 && part[0] == '.' && part[1] == '.');
}

size_t firstSeparator(const char* name, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (isSeparator(name[i])) return i;
    }
    return length;
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
    }
    return "";
}

Text topFolderOf(const char* name, size_t length) { return Text(name, firstSeparator(name, length)); }

Text belowTopFolder(const char* name, size_t length) {
    const size_t separator = firstSeparator(name, length);
    if (separator + 1 >= length) return Text();
    Text rest(name + separator + 1, length - separator - 1);
    if (isSeparator(rest[rest.length() - 1])) rest.truncate(rest.length() - 1);
    Text out;
    for (size_t i = 0; i < rest.length(); ++i) out += rest[i] == '/' ? '\\' : rest[i];
    return out;
}

bool namesFolder(const char* name, size_t length) { return length > 0 && isSeparator(name[length - 1]); }

bool isPlainFolderName(const Text& name) {
    if (name.empty() || name.find("/") != Text::npos || namesFolder(name.c_str(), name.length())) return false;
    return checkArchiveName(name.c_str(), name.length()) == NameVerdict::Accepted;
}
