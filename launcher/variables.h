// %NAME% in the VM options and in PROP_WORK_DIR (PROP_EXPAND_VARIABLES):
// the launcher's own names first, then the environment, so that an option
// such as -Dapp.logs=%LOCALAPPDATA%\MyApp\logs names the user's folder.
#pragma once

#include <stddef.h>

#include "base/text.h"

// No expanded text is longer: the longest command line the system takes.
const size_t EXPANDED_TEXT_MAX = 32767;

// The launcher's own values, for LAUNCHER_DIR, LAUNCHER_FILE and
// JAVA_HOME_FOUND in this order; a null one is not known (yet).
const int OWN_VARIABLE_COUNT = 3;
using OwnVariables = const Text* [OWN_VARIABLE_COUNT];

// The value of an environment variable; empty when there is none.
using EnvironmentLookup = Text (*)(const char* name);

// Replaces each %NAME% whose name is known (own names and environment
// names compare without regard to ASCII case, as the system's do); an unknown
// name stays as written, and %% is a single %. False when the result would
// be longer than `limit`.
bool expandVariables(const Text& text, const OwnVariables& own, EnvironmentLookup lookup, Text& expanded,
                     size_t limit = EXPANDED_TEXT_MAX);

// The VM options expanded option by option (blank-separated, quotes read
// as the system's argument rules read them): an option that a substitution
// changed becomes exactly one argument, quoted as it needs; any other option
// stays byte for byte.
bool expandOptions(const Text& options, const OwnVariables& own, EnvironmentLookup lookup, Text& expanded,
                   size_t limit = EXPANDED_TEXT_MAX);

// The text (or the options) expanded from the process's environment; when
// it would not fit, the text as written, and the trace says so.
Text expandedOrAsWritten(const Text& text, const OwnVariables& own);
Text expandedOptionsOrAsWritten(const Text& options, const OwnVariables& own);

// The folder above the Java executable's folder (C:\jre for
// C:\jre\bin\javaw.exe); empty for a bare executable name.
Text runtimeHomeOf(const Text& javaExecutable);
