// Which names the launcher creates below a folder of the user: the names of
// a runtime archive's entries and the PROP_RUNTIME_FOLDER setting. Plain
// C++ over bytes, compiled by the launcher and by the configurator, so that
// the configurator refuses exactly the folder names the launcher ignores.
#pragma once

#include <stddef.h>

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
    DeviceName,      // CON, NUL, COM1, LPT1.txt ...: the system opens a device
};

// The name as the archive stores it; '/' and '\' both separate parts.
NameVerdict checkArchiveName(const char* name, size_t length);

// The fixed text for the trace.
const char* nameVerdictText(NameVerdict verdict);

// A folder name the launcher may create under %LOCALAPPDATA%: one or more
// parts separated by backslashes, each passing checkArchiveName, at most
// 200 characters in all.
bool isPlainFolderName(const char* name);
