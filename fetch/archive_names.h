// Which names of an archive's entries the unpacker accepts, and where below
// the staging folder each one goes: the archive's single top folder is
// taken off, and nothing may name a place outside the staging folder.
#pragma once

#include <stddef.h>

#include "base/text.h"

enum class NameVerdict {
    Accepted,
    Empty,
    Absolute,        // begins with a separator
    DriveOrStream,   // holds a colon: a drive letter or an alternate stream
    ParentStep,      // a ".." or "." part
    EmptyPart,       // two separators in a row
    TrailingDotOrBlank,  // which the system would drop
    BadCharacter,    // a control character or one of < > " | ? *
    TooLong,
};

// The name as the archive stores it; '/' and '\' both separate parts.
NameVerdict checkArchiveName(const char* name, size_t length);

// The fixed text for the trace.
const char* nameVerdictText(NameVerdict verdict);

// The name's first part ("jdk-17/bin/java.exe" gives "jdk-17"); the whole
// name when it has no separator.
Text topFolderOf(const char* name, size_t length);

// The rest after the top folder, with backslashes ("bin\java.exe"), and a
// trailing separator removed; empty for the top folder itself.
Text belowTopFolder(const char* name, size_t length);

// Whether an entry of that name is a folder (ends with a separator).
bool namesFolder(const char* name, size_t length);

// A folder name the launcher may create under %LOCALAPPDATA%: one or more
// parts separated by backslashes, each passing checkArchiveName.
bool isPlainFolderName(const Text& name);
