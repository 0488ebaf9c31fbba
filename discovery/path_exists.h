// Whether a path names an existing file or folder.
#pragma once

#include "base/text.h"

// False for wildcards, a bare drive ("C:"), an empty path and a folder path
// with a trailing backslash (other than a root); true when a listing of the
// path finds an entry, or when it is the root of a drive or share that
// exists.
bool pathExists(const Text& path);
