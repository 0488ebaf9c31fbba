#include "launcher/arguments.h"

#include <string.h>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

size_t backslashesFrom(const Text& text, size_t at) {
    size_t n = 0;
    while (at + n < text.length() && text[at + n] == '\\') ++n;
    return n;
}

void appendBackslashes(Text& text, size_t n) {
    for (size_t i = 0; i < n; ++i) text += '\\';
}

}  // namespace

size_t optionEnd(const Text& text, size_t at) {
    bool quoted = false;
    while (at < text.length() && (quoted || !isBlank(text[at]))) {
        const size_t backslashes = backslashesFrom(text, at);
        at += backslashes;
        if (at < text.length() && text[at] == '"') {
            if (backslashes % 2 == 0) quoted = !quoted;
            ++at;
        } else if (backslashes == 0) {
            ++at;
        }
    }
    return at;
}

Text argumentOf(const Text& option) {
    Text argument;
    for (size_t at = 0; at < option.length();) {
        const size_t backslashes = backslashesFrom(option, at);
        at += backslashes;
        const bool quote = at < option.length() && option[at] == '"';
        appendBackslashes(argument, quote ? backslashes / 2 : backslashes);
        if (quote && backslashes % 2 == 1) argument += '"';
        if (at < option.length() && !quote) argument += option[at];
        if (at < option.length()) ++at;
    }
    return argument;
}

char** splitArguments(const Text& commandLine) {
    // Each argument takes a character and a blank at least.
    char** arguments = new char*[commandLine.length() / 2 + 2];
    int n = 0;
    for (size_t at = 0;; ++at) {
        if (at >= commandLine.length()) break;
        if (isBlank(commandLine[at])) continue;
        const size_t end = optionEnd(commandLine, at);
        const Text argument = argumentOf(commandLine.substr(at, end - at));
        arguments[n] = new char[argument.length() + 1];
        memmove(arguments[n++], argument.c_str(), argument.length() + 1);
        at = end;
    }
    arguments[n] = nullptr;
    return arguments;
}

Text quotedArgument(const Text& argument) {
    bool plain = !argument.empty();
    for (size_t i = 0; i < argument.length() && plain; ++i) {
        plain = !isBlank(argument[i]) && argument[i] != '"';
    }
    if (plain) return argument;
    Text quoted("\"");
    for (size_t at = 0;;) {
        const size_t backslashes = backslashesFrom(argument, at);
        at += backslashes;
        if (at == argument.length()) {
            // Doubled, so that the closing quote stays one.
            appendBackslashes(quoted, 2 * backslashes);
            break;
        }
        if (argument[at] == '"') {
            appendBackslashes(quoted, 2 * backslashes + 1);
        } else {
            appendBackslashes(quoted, backslashes);
        }
        quoted += argument[at++];
    }
    quoted += '"';
    return quoted;
}
