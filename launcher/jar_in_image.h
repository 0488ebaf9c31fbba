// The application's jar carried inside the launcher (PROP_JAR_IN_IMAGE):
// the launcher's own file is the jar. Java opens it by the path on its
// command line, and its launcher reads the manifest only when the zip's
// end record, comment and all, is the file's last bytes: a signature
// appended without room made for it in that comment breaks it.
#pragma once

#include <stddef.h>

#include "base/text.h"

// The most bytes of the file's end an end record can take: itself with
// the longest comment.
const size_t ZIP_END_SEARCH_MAX = 22 + 65535;

// Whether these bytes, the last ones of a file, hold a zip end record
// whose comment ends exactly where they do.
bool zipEndReachesTheEnd(const unsigned char* tail, size_t length);

// The launcher's own path as Java can open it: in a launcher whose ANSI
// code page cannot write the path, its short form (traced). Empty when it
// is not known, or when there is no short form the code page can write.
Text ownPathForJava();

// Whether the launcher's own file ends with a zip end record that reaches
// its end; false when it cannot be read.
bool ownFileEndIsReadable();
