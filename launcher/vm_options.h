// The VM options file: the launcher's own full path with ".vmoptions"
// appended, one option text per line. When it cannot be opened the setting
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

// The launcher's own path with ".vmoptions" appended; empty when the
// system gives no path of the launcher.
Text vmOptionsFilePath();

// Reads the options from `path`; an empty path counts as a file that
// cannot be opened, so the setting PROP_VM_OPTIONS stands.
Text loadVmOptionsFrom(const Text& path);

Text loadVmOptions();
