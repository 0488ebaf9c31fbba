// Where below the staging folder each entry of an archive goes: the
// archive's single top folder is taken off. Which names it accepts at all
// is fetch/name_rule.h.
#pragma once

#include <stddef.h>

#include "base/text.h"
#include "fetch/name_rule.h"

// The name's first part ("jdk-17/bin/java.exe" gives "jdk-17"); the whole
// name when it has no separator.
Text topFolderOf(const char* name, size_t length);

// The rest after the top folder, with backslashes ("bin\java.exe"), and a
// trailing separator removed; empty for the top folder itself.
Text belowTopFolder(const char* name, size_t length);

// Whether an entry of that name is a folder (ends with a separator).
bool namesFolder(const char* name, size_t length);
