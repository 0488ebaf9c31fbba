// The VM options file: the launcher's own full path with ".vmoptions"
// appended, one option text per line; with PROP_USER_OPTIONS a file of the
// user's own comes first. When none can be opened the setting
// PROP_VM_OPTIONS stands instead.
#pragma once

#include <stddef.h>
#include <windows.h>

#include "base/text.h"

// Longest line taken from the file; a longer one ends the reading.
const size_t VM_OPTIONS_LINE_MAX = 4095;

// Joins the lines of the file's bytes, each followed by one blank, the way a
// text stream read line by line gives them: CR LF counts as LF, Ctrl-Z ends
// the input, the read that meets the end still adds its (empty) text and
// blank, and a line longer than VM_OPTIONS_LINE_MAX keeps its start and ends
// the reading.
Text joinVmOptionLines(const char* bytes, size_t length);

// The file's text in the launcher's ANSI code page. A file that begins with
// the UTF-8 byte-order mark (as editors write UTF-8) loses the mark, which
// would otherwise start the first option, and its UTF-8 text is converted
// when the ANSI code page is another one. Any other file is taken as it is.
Text vmOptionsFileText(const char* bytes, size_t length, UINT ansiCodePage);

// The user's own options file (PROP_USER_OPTIONS): in the folder of that
// name under %APPDATA%, the launcher's file name with ".vmoptions"
// appended; empty when %APPDATA% or the launcher's path is not known.
Text userVmOptionsFilePath(const Text& appData, const Text& folder, const Text& launcherPath);

// Reads the options from `userPath` and, when that cannot be opened, from
// `path`; an empty user path is not tried, and an empty `path` counts as a
// file that cannot be opened. Without a file the setting PROP_VM_OPTIONS
// stands.
Text loadVmOptionsFrom(const Text& path, const Text& userPath = Text());

Text loadVmOptions();
