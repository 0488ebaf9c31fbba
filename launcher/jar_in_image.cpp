#include "launcher/jar_in_image.h"

#include <windows.h>

#include "base/code_pages.h"
#include "base/handle.h"
#include "base/settings.h"
#include "base/trace.h"
#include "fetch/zip_unpack.h"

namespace {

const size_t END_RECORD_SIZE = 22;
const size_t COMMENT_LENGTH_FIELD = 20;

// The text in the ANSI code page; false when a character has none there.
bool inAnsiCodePage(const wchar_t* wide, Text& ansi) {
    BOOL lacking = FALSE;
    char buffer[LAUNCHER_PATH_MAX];
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, buffer, sizeof buffer, nullptr,
                                           &lacking);
    if (length <= 0 || lacking) return false;
    ansi = buffer;
    return true;
}

}  // namespace

bool zipEndReachesTheEnd(const unsigned char* tail, size_t length) {
    if (length < END_RECORD_SIZE) return false;
    for (size_t at = length - END_RECORD_SIZE + 1; at-- > 0;) {
        if (!isZipEndRecord(tail + at)) continue;
        const size_t comment = tail[at + COMMENT_LENGTH_FIELD] | (tail[at + COMMENT_LENGTH_FIELD + 1] << 8);
        if (at + END_RECORD_SIZE + comment == length) return true;
    }
    return false;
}

Text ownPathForJava() {
    char path[LAUNCHER_PATH_MAX];
    if (getLauncherPath(path) < 0) return Text();
    // UTF-8 writes every path.
    if (isUnicodeMode()) return path;
    wchar_t wide[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, wide, MAX_PATH);
    Text ansi;
    if (length == 0 || length >= MAX_PATH || inAnsiCodePage(wide, ansi)) return path;
    // The next trace line shows the short form, or nothing when the path
    // has none the code page can write.
    traceDirect("Jar in image: the path is outside the ANSI code page");
    wchar_t shortPath[MAX_PATH];
    const DWORD shortLength = GetShortPathNameW(wide, shortPath, MAX_PATH);
    // A volume without 8.3 names has no short form: Java cannot be given
    // a path it opens.
    return shortLength > 0 && shortLength < MAX_PATH && inAnsiCodePage(shortPath, ansi) ? ansi : Text();
}

bool ownFileEndIsReadable() {
    // By its wide path: an ANSI launcher's own path may have lost letters.
    wchar_t path[LAUNCHER_PATH_MAX];
    const DWORD length = GetModuleFileNameW(nullptr, path, LAUNCHER_PATH_MAX);
    if (length == 0 || length >= LAUNCHER_PATH_MAX) return false;
    unsigned char tail[ZIP_END_SEARCH_MAX];
    FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.get(), &size)) return false;
    const DWORD wanted =
        size.QuadPart < static_cast<LONGLONG>(ZIP_END_SEARCH_MAX) ? static_cast<DWORD>(size.QuadPart) : ZIP_END_SEARCH_MAX;
    LARGE_INTEGER back;
    back.QuadPart = -static_cast<LONGLONG>(wanted);
    DWORD read = 0;
    return SetFilePointerEx(file.get(), back, nullptr, FILE_END) &&
           ReadFile(file.get(), tail, wanted, &read, nullptr) && read == wanted && zipEndReachesTheEnd(tail, wanted);
}
