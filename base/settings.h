// Launch settings: what the launcher does for one application is held in its
// own string table (strings 96 to 127, language 1033), not in code. Every
// read loads the string again; nothing is cached.
#pragma once

#include <windows.h>

#include "base/text.h"

enum LaunchSetting {
    PROP_SPLASH = 96,           // flag
    PROP_STAY_ALIVE = 97,       // flag
    PROP_SPLASH_TIMEOUT = 98,   // integer, seconds
    PROP_JRE_PATH = 99,         // text, relative to the launcher's folder
    PROP_VM_OPTIONS = 100,      // text
    PROP_START_JAR = 101,       // text
    PROP_WAIT_FOR_WINDOW = 102, // flag
    PROP_WORK_DIR = 103,        // text, relative to the launcher's folder
    PROP_MIN_VERSION = 104,     // text
    PROP_SEARCH_JDK_ONLY = 105, // flag
    // Beyond the original catalogue; each is off when absent, and the
    // launcher then behaves exactly as without it.
    PROP_MODERN_SEARCH = 106,   // flag: the modern runtime search
    PROP_MAX_VERSION = 107,     // text: highest acceptable version (modern search)
    PROP_RUNTIME_BITS = 108,    // text: "64" or "32" (modern search)
    PROP_WAIT_FOR_EXIT = 109,   // flag: wait for the application and end with its exit code
    PROP_SINGLE_INSTANCE = 110, // text: an instance name; a second start brings the first to the front
    PROP_USER_OPTIONS = 111,    // text: a folder under %APPDATA% with the user's own VM options file
    PROP_EXPAND_VARIABLES = 112, // flag: %NAME% in the VM options and PROP_WORK_DIR
    PROP_START_CHECK = 113,     // integer, seconds: report an application that ends at start
    PROP_JAR_IN_IMAGE = 114,    // flag: the application's jar is the launcher's own file
    PROP_RUNTIME_URL = 115,     // text: the runtime archive to download when no runtime is found
    PROP_RUNTIME_SHA256 = 116,  // text: its SHA-256, 64 hexadecimal digits; required
    PROP_RUNTIME_SIZE = 117,    // text: its size in bytes, an unsigned 64-bit decimal; required
    PROP_RUNTIME_FOLDER = 118,  // text: the folder under %LOCALAPPDATA%; default the launcher's name
    PROP_IN_PROCESS = 119,      // flag: the runtime runs inside the launcher's own process
    PROP_APP_ID = 120,          // text: the AppUserModelID of the launcher's process
};

// The setting as text; empty when the string is absent or empty.
Text loadSettingText(int id);

// 1 when the string holds at least one character, whatever it says.
int isSettingPresent(int id);

// The decimal value at the start of the string (asciiToInt); 0 when absent.
int loadSettingInt(int id);

// The ASCII-to-integer rule: optional white space, an optional sign, then
// digits up to the first other character; no digits give 0. Values beyond
// the 32-bit range are clamped to it.
int asciiToInt(const char* s);

// A buffer for the launcher's own path: MAX_PATH characters of up to three
// bytes each, as UTF-8 takes them in Unicode mode.
const DWORD LAUNCHER_PATH_MAX = 3 * MAX_PATH;

// Fills the buffer with the launcher's own full path and returns the index
// of its last backslash, or -1 when the system gives no complete path.
int getLauncherPath(char* path, DWORD size);
template <DWORD N>
int getLauncherPath(char (&path)[N]) {
    return getLauncherPath(path, N);
}
