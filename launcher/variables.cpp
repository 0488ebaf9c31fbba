#include "launcher/variables.h"

#include <windows.h>

#include "base/code_pages.h"
#include "base/trace.h"
#include "launcher/arguments.h"

namespace {

const char* const OWN_NAMES[OWN_VARIABLE_COUNT] = {"LAUNCHER_DIR", "LAUNCHER_FILE", "JAVA_HOME_FOUND"};

// The system compares environment names so, whatever the user's locale: a
// locale's rules would make %launcher_dir% no name under Turkish, and
// ignore characters such as the soft hyphen.
bool sameNameIgnoringAsciiCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
        if (!x) return true;
    }
}

bool lookUp(const Text& name, const OwnVariables& own, EnvironmentLookup lookup, Text& value) {
    for (int i = 0; i < OWN_VARIABLE_COUNT; ++i) {
        // An own name not known yet is not looked for in the environment
        // either: it stays as written.
        if (sameNameIgnoringAsciiCase(name.c_str(), OWN_NAMES[i])) {
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

bool expandOptions(const Text& options, const OwnVariables& own, EnvironmentLookup lookup, Text& expanded,
                   size_t limit) {
    expanded.clear();
    for (size_t at = 0; at < options.length();) {
        const size_t end = optionEnd(options, at);
        if (end == at) {
            expanded += options[at++];
            continue;
        }
        const Text option = options.substr(at, end - at);
        Text value;
        if (!expandVariables(option, own, lookup, value, limit)) return false;
        if (value != option) {
            // What the user meant as one argument, with the values in it.
            if (!expandVariables(argumentOf(option), own, lookup, value, limit)) return false;
            value = quotedArgument(value);
        }
        expanded += value;
        if (expanded.length() > limit) return false;
        at = end;
    }
    return true;
}

namespace {

Text expandedOrAsWritten(const Text& text, bool expanded, const Text& result) {
    if (expanded) return result;
    traceDirect("Variables not expanded: the text would be longer than 32767 characters.");
    return text;
}

}  // namespace

Text expandedOrAsWritten(const Text& text, const OwnVariables& own) {
    Text expanded;
    const bool fits = expandVariables(text, own, environmentVariable, expanded);
    return expandedOrAsWritten(text, fits, expanded);
}

Text expandedOptionsOrAsWritten(const Text& options, const OwnVariables& own) {
    Text expanded;
    const bool fits = expandOptions(options, own, environmentVariable, expanded);
    return expandedOrAsWritten(options, fits, expanded);
}

Text runtimeHomeOf(const Text& javaExecutable) {
    Text home(javaExecutable);
    for (int up = 0; up < 2; ++up) {
        const size_t cut = home.findLast('\\');
        home.truncate(cut == Text::npos ? 0 : cut);
    }
    return home;
}
