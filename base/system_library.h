// DLLs that only some paths of the launcher need (the splash picture's
// loaders, the dialog's controls, the shell) are loaded when that path is
// taken instead of being imported: every imported DLL is mapped before the
// first line of the launcher runs, on every path.
//
// They come from the system folder only, never through the DLL search
// order, which would also look beside the launcher and in the current
// directory. A library stays loaded for the rest of the process: what it
// makes (COM, the splash picture, window classes) lives until the end.
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
