#include "launcher/vm_options.h"

#include <string.h>
#include <windows.h>

#include "base/code_pages.h"
#include "base/handle.h"
#include "base/settings.h"
#include "base/trace.h"

namespace {

// Any file longer than this gives options too long for a command line (each
// line of up to two bytes adds at least one character), so the rest is never
// needed to decide the launch.
const DWORD VM_OPTIONS_FILE_MAX = 1 << 20;

const char CTRL_Z = 0x1A;

const char UTF8_BYTE_ORDER_MARK[] = "\xEF\xBB\xBF";
const size_t UTF8_BYTE_ORDER_MARK_LENGTH = 3;

// The stream reads CR LF as a line feed; a lone CR stays.
bool isLineEnd(const char* bytes, size_t length, size_t at, size_t* endLength) {
    if (bytes[at] == '\n') {
        *endLength = 1;
        return true;
    }
    if (bytes[at] == '\r' && at + 1 < length && bytes[at + 1] == '\n') {
        *endLength = 2;
        return true;
    }
    return false;
}

bool readFileBounded(const char* path, Text& contents) {
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char buffer[4096];
    DWORD read = 0;
    while (contents.length() < VM_OPTIONS_FILE_MAX &&
           ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        contents.append(buffer, read);
    }
    contents.truncate(VM_OPTIONS_FILE_MAX);
    return true;
}

// Traces the try; false when the file cannot be opened.
bool readOptionsFile(const Text& path, Text& options) {
    traceLine << "Try to load VM options from file: " << path << traceEnd;
    Text contents;
    if (path.empty() || !readFileBounded(path.c_str(), contents)) {
        traceLine << "File was not found: " << path << traceEnd;
        return false;
    }
    traceLine << "File was found: " << path << traceEnd;
    const Text text = vmOptionsFileText(contents.c_str(), contents.length(), GetACP());
    options = joinVmOptionLines(text.c_str(), text.length());
    return true;
}

}  // namespace

Text joinVmOptionLines(const char* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (bytes[i] == CTRL_Z) {
            length = i;
            break;
        }
    }
    Text result;
    size_t at = 0;
    for (;;) {
        const size_t lineStart = at;
        size_t endLength = 0;
        while (at < length && !isLineEnd(bytes, length, at, &endLength) && at - lineStart < VM_OPTIONS_LINE_MAX) {
            ++at;
        }
        // The line goes through a terminated buffer: a NUL ends its text.
        size_t textEnd = lineStart;
        while (textEnd < at && bytes[textEnd] != '\0') ++textEnd;
        result.append(bytes + lineStart, textEnd - lineStart);
        result.append(' ');
        // The end of the input, or a read that took nothing at all.
        if (at >= length) return result;
        // A full line buffer: the line goes on past it, and the reading stops.
        if (endLength == 0) return result;
        at += endLength;
    }
}

Text vmOptionsFileText(const char* bytes, size_t length, UINT ansiCodePage) {
    if (length < UTF8_BYTE_ORDER_MARK_LENGTH || memcmp(bytes, UTF8_BYTE_ORDER_MARK, UTF8_BYTE_ORDER_MARK_LENGTH) != 0) {
        return Text(bytes, length);
    }
    bytes += UTF8_BYTE_ORDER_MARK_LENGTH;
    length -= UTF8_BYTE_ORDER_MARK_LENGTH;
    if (ansiCodePage == CP_UTF8) return Text(bytes, length);
    return convertCodePage(bytes, length, CP_UTF8, ansiCodePage);
}

Text userVmOptionsFilePath(const Text& appData, const Text& folder, const Text& launcherPath) {
    if (appData.empty() || launcherPath.empty()) return Text();
    Text path(appData);
    path += '\\';
    path += folder;
    path += '\\';
    path += launcherPath.c_str() + launcherPath.findLast('\\') + 1;
    path += ".vmoptions";
    return path;
}

Text loadVmOptions() {
    char path[LAUNCHER_PATH_MAX];
    const Text launcherPath = getLauncherPath(path) < 0 ? Text() : Text(path);
    const Text folder = loadSettingText(PROP_USER_OPTIONS);
    const Text user = folder.empty() ? Text() : userVmOptionsFilePath(environmentVariable("APPDATA"), folder, launcherPath);
    return loadVmOptionsFrom(launcherPath.empty() ? Text() : launcherPath + ".vmoptions", user);
}

Text loadVmOptionsFrom(const Text& path, const Text& userPath) {
    traceLine << "Loading VM options." << traceEnd;
    Text options;
    if ((!userPath.empty() && readOptionsFile(userPath, options)) || readOptionsFile(path, options)) return options;
    return loadSettingText(PROP_VM_OPTIONS);
}
