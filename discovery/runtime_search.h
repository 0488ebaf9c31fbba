// Which Java executable the launcher starts: the private runtime beside the
// launcher, the runtimes the registry records, JAVA_HOME, and last the bare
// executable name in the current directory.
#pragma once

#include "base/text.h"

// The home folder of the accepted runtime; read by the JDK class path.
extern Text runtimeHome;

// The modern search's record of the accepted runtime's feature version (8,
// 17, ...); 0 when it is not known, and always in the classic search.
extern unsigned runtimeFeatureVersion;

// Returns a full path of an existing executable, the bare javaExeName
// (current-directory fallback), or empty text when JAVA_HOME named a
// runtime that was rejected. Never fails; every step is traced.
Text findJavaExecutable(const Text& launcherFolder);
