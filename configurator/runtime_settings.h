// The settings of the runtime the launcher may download (strings 115 to
// 118): checked on the configured result, since the launcher trusts them.
#pragma once

#include "configurator/launcher_resources.h"

// Throws FormatError when the URL is no http(s) address or comes without a
// valid SHA-256, the SHA-256 is not 64 hex digits, the size is not a
// positive decimal number, or the folder name is one the launcher ignores.
void checkRuntimeSettings(const LauncherResources& launcher);
