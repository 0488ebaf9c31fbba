#include "launcher/variables.h"

#include <windows.h>

#include "base/code_pages.h"
#include "base/trace.h"

namespace {

const char* const OWN_NAMES[OWN_VARIABLE_COUNT] = {"LAUNCHER_DIR", "LAUNCHER_FILE", "JAVA_HOME_FOUND"};

bool lookUp(const Text& name, const OwnVariables& own, EnvironmentLookup lookup, Text& value) {
    for (int i = 0; i < OWN_VARIABLE_COUNT; ++i) {
        // An own name not known yet is not looked for in the environment
        // either: it stays as written.
        if (lstrcmpiA(name.c_str(), OWN_NAMES[i]) == 0) {
            if (own[i]) value = *own[i];
            return own[i] != nullptr;
        }
    }
    value = lookup(name.c_str());
    return !value.empty();
}

}  // namespace

bool expandVariables(const Text& text, const OwnVariables& own, EnvironmentLookup lookup, Text& expanded,
                     size_t limit) {
    expanded.clear();
    const char* s = text.c_str();
    for (size_t at = 0; at < text.length();) {
        const size_t close = s[at] == '%' ? text.find("%", at + 1) : Text::npos;
        Text value;
        if (close == at + 1) {
            expanded += '%';
            at = close + 1;
        } else if (close != Text::npos && lookUp(text.substr(at + 1, close - at - 1), own, lookup, value)) {
            expanded += value;
            at = close + 1;
        } else {
            // An unknown name's closing % may open the next name.
            expanded += s[at++];
        }
        if (expanded.length() > limit) return false;
    }
    return true;
}

Text expandedOrAsWritten(const Text& text, const OwnVariables& own) {
    Text expanded;
    if (expandVariables(text, own, environmentVariable, expanded)) return expanded;
    traceDirect("Variables not expanded: the text would be longer than 32767 characters.");
    return text;
}

Text runtimeHomeOf(const Text& javaExecutable) {
    Text home(javaExecutable);
    for (int up = 0; up < 2; ++up) {
        const size_t cut = home.findLast('\\');
        home.truncate(cut == Text::npos ? 0 : cut);
    }
    return home;
}
