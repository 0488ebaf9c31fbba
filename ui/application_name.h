// The application's name, as the windows of a long wait show it: the
// launcher's version information's FileDescription, else its ProductName,
// else the launcher's file name without ".exe" (what the developer
// configured first, what Explorer shows next).
#pragma once

#include <windows.h>

#include "base/text.h"

// The UTF-16 name in a VS_VERSIONINFO block (FileDescription, else
// ProductName), its terminator left out, and its length; null when the
// block names neither or both are empty. The block is DWORD-aligned, as a
// resource is.
const wchar_t* nameInVersionInfo(const BYTE* block, size_t size, size_t* length);

// From the launcher's own version resource; `fileName` when it names nothing.
Text applicationName(HINSTANCE instance, const Text& fileName);
