#include "discovery/path_exists.h"

#include <windows.h>

#include "base/handle.h"

namespace {

bool hasAnyOf(const Text& text, const char* characters) {
    for (const char* c = characters; *c; ++c) {
        char one[2] = {*c, '\0'};
        if (text.find(one) != Text::npos) return true;
    }
    return false;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// "\\server\share" or "\\server\share\", and nothing further.
bool isShareRoot(const Text& full) {
    if (full.length() < 5 || !isSeparator(full[0]) || !isSeparator(full[1])) return false;
    size_t at = 2;
    for (int part = 0; part < 2; ++part) {
        const size_t start = at;
        while (at < full.length() && !isSeparator(full[at])) ++at;
        if (at == start) return false;
        if (part == 0) {
            if (at == full.length()) return false;
            ++at;
        }
    }
    return at == full.length() || at + 1 == full.length();
}

// A root has no directory entry of its own, so the listing cannot find it.
bool isExistingRoot(const Text& path) {
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return false;
    Text root(full, length);
    const bool driveRoot = length == 3 && full[1] == ':' && isSeparator(full[2]);
    if (!driveRoot && !isShareRoot(root)) return false;
    if (!isSeparator(root[root.length() - 1])) root += '\\';
    const UINT type = GetDriveTypeA(root.c_str());
    return type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR;
}

}  // namespace

bool isAbsolutePath(const Text& path) {
    const char* p = path.c_str();
    if (static_cast<unsigned char>((p[0] | 0x20) - 'a') < 26 && p[1] == ':') return isSeparator(p[2]);
    if (!isSeparator(p[0]) || !isSeparator(p[1])) return false;
    const char* serverEnd = p + 2;
    while (*serverEnd && !isSeparator(*serverEnd)) ++serverEnd;
    return serverEnd > p + 2 && *serverEnd && serverEnd[1] && !isSeparator(serverEnd[1]);
}

bool pathExists(const Text& path) {
    if (path.empty() || hasAnyOf(path, "?*")) return false;
    if (path.length() == 2 && path[1] == ':') return false;
    // A listing of "folder\" fails on some systems and not on others; only
    // a root may end in a separator.
    if (isSeparator(path[path.length() - 1])) return isExistingRoot(path);
    WIN32_FIND_DATAA entry;
    FindHandle listing(FindFirstFileA(path.c_str(), &entry));
    if (listing) return true;
    return hasAnyOf(path, "./\\") && isExistingRoot(path);
}
