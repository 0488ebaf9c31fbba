// Options as the system's argument rules (CommandLineToArgvW, and Java's
// own start-up code) split a command line: blanks outside quotes separate;
// 2n backslashes and a quote give n backslashes and open or close quotes,
// 2n+1 give n and a literal quote; other backslashes are literal.
#pragma once

#include <stddef.h>

#include "base/text.h"

// Where the option that starts at `at` ends: the next blank or tab outside
// quotes, or the text's end.
size_t optionEnd(const Text& text, size_t at);

// The one argument the option text gives, its quotes and escapes read.
Text argumentOf(const Text& option);

// Every argument of a command line, read by these rules, as a list of
// terminated texts that ends with null and lives to the process's end.
char** splitArguments(const Text& commandLine);

// The text that gives exactly `argument` as one argument: unchanged when
// it holds no blank, tab or quote and is not empty, else quoted, with
// quotes and the backslashes before them and before the closing quote
// escaped.
Text quotedArgument(const Text& argument);
