// Which Java executable the launcher starts: the private runtime beside the
// launcher, the runtimes the registry records, JAVA_HOME, and last the bare
// executable name in the current directory.
#pragma once

#include "base/state.h"  // runtimeHome, the search's other result
#include "base/text.h"

// Returns a full path of an existing executable, the bare javaExeName
// (current-directory fallback), or empty text when JAVA_HOME named a
// runtime that was rejected. Never fails; every step is traced.
Text findJavaExecutable(const Text& launcherFolder);

// The runtime in `home` (a runtime the launcher installs itself) when it
// passes the rules of the search in effect: in the classic search the
// JDK-only test and the minimum version, as JAVA_HOME gets them, the
// version read from the home's release file and only without one from its
// probe; in the modern search every test its candidates get, which read
// files only. A runtime `judgedBefore`, when it was installed, is not
// judged by its version again: a later start costs the classic search file
// tests only. Returns its executable and sets runtimeHome, or empty text,
// and then tells in `definite` whether the runtime itself failed a rule
// (false when its version or its executable could not be read). Traced.
Text acceptGivenRuntime(const Text& home, const char* source, bool judgedBefore, bool* definite = nullptr);

// The rules acceptGivenRuntime judges by, as one line: another line is
// other rules.
Text runtimeRules();
