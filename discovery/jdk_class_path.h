// The development kit's own jars, put in front of the boot class path of a
// JDK-only launch.
#pragma once

#include "base/text.h"

// Appends one quoted entry, home + "\lib\" + name, with a ";" before it
// unless the list is empty.
void appendLibraryEntry(Text& list, const Text& home, const char* fileName);

// The jars of runtimeHome + "\lib", quoted, separated by ";", in the order
// the directory listing gives them; empty when there are none.
Text buildJdkLibraryClassPath();

// The jars for the boot class path of a JDK-only launch: those of
// buildJdkLibraryClassPath(), or none for a runtime the modern search knows
// to be Java 9 or later, which refuses the option and would not start.
Text bootClassPathLibraries();
