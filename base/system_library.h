// DLLs only some paths need (the splash's loaders, the dialog's controls,
// the shell) are loaded on those paths, not imported: every import is
// mapped before the launcher's first line. They come from the system folder
// only, never beside the launcher, and stay loaded to the end.
#pragma once

#include <windows.h>

// The library's module, or null when it cannot be loaded.
HMODULE loadSystemLibrary(const char* fileName);

// The named function of a system library, or null when the library or the
// function is missing.
template <typename Function>
Function systemFunction(const char* fileName, const char* name) {
    HMODULE library = loadSystemLibrary(fileName);
    if (!library) return nullptr;
    // Through a plain function pointer type: the compiler checks casts
    // between unrelated function types.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// The common controls (a progress bar, the dialog's controls), of the
// version the manifest names; the result is not needed: a window without
// them still works.
void initCommonControls();
