#include "base/system_library.h"

#include "base/text.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

HMODULE loadFromSystemFolderPath(const char* fileName) {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return LoadLibraryA((Text(folder, length) + "\\" + fileName).c_str());
}

}  // namespace

HMODULE loadSystemLibrary(const char* fileName) {
    // By name, so that the manifest's side-by-side redirection still applies
    // (the common controls of version 6), but searched in the system folder
    // alone.
    HMODULE library = LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Systems without that search flag refuse it as an invalid parameter.
    if (!library && GetLastError() == ERROR_INVALID_PARAMETER) library = loadFromSystemFolderPath(fileName);
    return library;
}

void initCommonControls() {
    if (auto init = systemFunction<void(WINAPI*)()>("comctl32.dll", "InitCommonControls")) init();
}
