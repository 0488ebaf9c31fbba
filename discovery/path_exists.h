// Whether a path names an existing file or folder.
#pragma once

#include "base/text.h"

// False for wildcards, a bare drive ("C:"), an empty path and a folder path
// with a trailing backslash (other than a root); true when a listing of the
// path finds an entry, or when it is the root of a drive or share that
// exists.
bool pathExists(const Text& path);

// A drive letter, a colon and a separator, or two separators, a server and
// a share: a path that names the same place whatever the current folder and
// drive. A home that is not one names no runtime anybody configured: an
// empty JAVA_HOME or a missing registry home makes "\bin\java.exe", on the
// current drive's root, where any user of the PC may put programs.
bool isAbsolutePath(const Text& path);
