// The launcher's own switches, taken out of the command line before the rest
// is handed to the application. They are found as plain substrings anywhere
// in the text: quotes and argument boundaries play no part.
#pragma once

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

LauncherSwitches parseSwitches(const char* commandLine);

// The text of the usage box that "-Xhelp" shows.
Text usageText();
