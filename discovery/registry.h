// Read-only lookups of the Java installations that the registry records.
#pragma once

#include <windows.h>

#include "base/text.h"

extern const char* const JRE_KEY;  // "SOFTWARE\JavaSoft\Java Runtime Environment"
extern const char* const JDK_KEY;  // "SOFTWARE\JavaSoft\Java Development Kit"

// The string value, up to its first zero byte; empty when the key or value
// is missing or the value does not fit 1024 bytes.
Text readRegistryString(HKEY root, const char* keyPath, const char* valueName);

// "JavaHome" of the subkey that "CurrentVersion" of the JRE key names.
Text findJreCurrentHome(HKEY root);

// Examines every version subkey of `keyPath` whose name passes the version
// rule, tracing its name, "found" when its executable exists, and the
// candidate. Returns the candidate of the last acceptable subkey whose
// executable exists (and sets runtimeHome to its home), or empty text.
Text findInVersionKeys(HKEY root, const char* keyPath);

// findInVersionKeys over the JDK key; traces "Jre key found in registry"
// when the result exists.
Text findJdkInRegistry(HKEY root);
