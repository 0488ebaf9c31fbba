#include "launcher/switches.h"

#include <string.h>
#include <utility>

bool removeAllOccurrences(Text& text, const char* switchText, const char* replacement) {
    bool found = false;
    const size_t switchLength = strlen(switchText);
    // A replacement that holds the switch itself would be found again for
    // ever; the search then goes on behind it.
    const bool skipReplacement = Text(replacement).find(switchText) != Text::npos;
    for (size_t at = text.find(switchText); at != Text::npos;) {
        found = true;
        Text replaced = text.substr(0, at);
        replaced.append(replacement);
        const size_t resumeAt = skipReplacement ? replaced.length() : 0;
        replaced.append(text.substr(at + switchLength));
        text = std::move(replaced);
        at = text.find(switchText, resumeAt);
    }
    return found;
}

const char* commandLineTail(const char* commandLine, UINT codePage) {
    auto byte = [](const char* p) { return static_cast<unsigned char>(*p); };
    const char* p = commandLine;
    bool quoted = false;
    while (*p && (quoted || byte(p) > ' ')) {
        if (*p == '"') quoted = !quoted;
        if (IsDBCSLeadByteEx(codePage, byte(p)) && p[1]) ++p;
        ++p;
    }
    while (*p && byte(p) <= ' ') ++p;
    return p;
}

LauncherSwitches parseSwitches(const char* commandLine) {
    LauncherSwitches switches;
    Text copy(commandLine);
    // The order matters when a removal joins text into another switch.
    switches.console = removeAllOccurrences(copy, "-Xconsole", "");
    switches.debug = removeAllOccurrences(copy, "-Xdebug", "");
    switches.help = removeAllOccurrences(copy, "-Xhelp", "");
    switches.remainingArguments = std::move(copy);
    return switches;
}

Text usageText() {
    Text text("Options: \n");
    text += "use -Xconsole to run java with console window\n";
    text += "use -Xdebug to get output to log file\n";
    text += "use -Xhelp to get help about usage.";
    return text;
}
