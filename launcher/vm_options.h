// The VM options file: the launcher's own full path with ".vmoptions"
// appended, one option text per line. When it cannot be opened the setting
// PROP_VM_OPTIONS stands instead.
#pragma once

#include <stddef.h>

#include "base/text.h"

// Longest line taken from the file; a longer one ends the reading.
const size_t VM_OPTIONS_LINE_MAX = 4095;

// Joins the lines of the file's bytes, each followed by one blank, the way a
// text stream read line by line gives them: CR LF counts as LF, Ctrl-Z ends
// the input, the read that meets the end still adds its (empty) text and
// blank, and a line longer than VM_OPTIONS_LINE_MAX keeps its start and ends
// the reading.
Text joinVmOptionLines(const char* bytes, size_t length);

// The launcher's own path with ".vmoptions" appended; empty when the
// system gives no path of the launcher.
Text vmOptionsFilePath();

// Reads the options from `path`; an empty path counts as a file that
// cannot be opened, so the setting PROP_VM_OPTIONS stands.
Text loadVmOptionsFrom(const Text& path);

Text loadVmOptions();
