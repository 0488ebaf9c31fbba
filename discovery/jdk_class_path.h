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
