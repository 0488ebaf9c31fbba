// The launcher's own switches, taken out of the command line before the rest
// is handed to the application. They are found as plain substrings anywhere
// in the text: quotes and argument boundaries play no part.
#pragma once

#include <windows.h>

#include "base/text.h"

struct LauncherSwitches {
    bool help = false;     // "-Xhelp"
    bool console = false;  // "-Xconsole"
    bool debug = false;    // "-Xdebug"
    Text remainingArguments;
};

// Removes every occurrence of `switchText` from `text`, searching again from
// the start after each removal, so that an occurrence formed by closing a gap
// goes too. Returns whether there was at least one.
bool removeAllOccurrences(Text& text, const char* switchText, const char* replacement);

// The process command line after the program name, where the launcher's
// arguments begin: the name ends at the first blank or control character
// (code 32 or below, bytes counted as unsigned) outside double quotes, each
// quote toggling; a double-byte character of `codePage` counts as one, and
// the blanks and control characters after the name are skipped.
const char* commandLineTail(const char* commandLine, UINT codePage);

LauncherSwitches parseSwitches(const char* commandLine);

// The text of the usage box that "-Xhelp" shows.
Text usageText();
