#include "discovery/registry.h"

#include "discovery/path_exists.h"
#include "discovery/version_probe.h"
#include "base/handle.h"
#include "base/state.h"
#include "base/trace.h"

const char* const JRE_KEY = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char* const JDK_KEY = "SOFTWARE\\JavaSoft\\Java Development Kit";

namespace {

const DWORD VALUE_BUFFER_SIZE = 1024;
const DWORD NAME_BUFFER_SIZE = 1024;

RegistryKey openForReading(HKEY root, const char* keyPath) {
    RegistryKey key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, key.put()) != ERROR_SUCCESS) {
        key.release();
    }
    return key;
}

}  // namespace

Text readRegistryString(HKEY root, const char* keyPath, const char* valueName) {
    RegistryKey key = openForReading(root, keyPath);
    if (!key) return Text();
    // One byte more than the size handed to the query, so that a value that
    // fills the buffer is still terminated.
    char value[VALUE_BUFFER_SIZE + 1] = {};
    DWORD size = VALUE_BUFFER_SIZE;
    if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) !=
        ERROR_SUCCESS) {
        return Text();
    }
    return Text(value);
}

Text findJreCurrentHome(HKEY root) {
    Text version = readRegistryString(root, JRE_KEY, "CurrentVersion");
    return readRegistryString(root, (Text(JRE_KEY) + "\\" + version).c_str(), "JavaHome");
}

Text findInVersionKeys(HKEY root, const char* keyPath) {
    Text result;
    RegistryKey key = openForReading(root, keyPath);
    if (!key) return result;
    char name[NAME_BUFFER_SIZE + 1];
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = NAME_BUFFER_SIZE;
        FILETIME lastWrite;
        if (RegEnumKeyExA(key.get(), index, name, &nameLength, nullptr, nullptr, nullptr, &lastWrite) !=
            ERROR_SUCCESS) {
            break;
        }
        name[nameLength < NAME_BUFFER_SIZE ? nameLength : NAME_BUFFER_SIZE] = '\0';
        if (!isVersionAcceptable(name)) continue;
        traceDirect(name);
        Text home = readRegistryString(root, (Text(keyPath) + "\\" + name).c_str(), "JavaHome");
        Text candidate = home + "\\bin\\" + javaExeName;
        // A missing or relative home is traced as the candidate it makes,
        // which is never tested.
        if (isAbsolutePath(home) && pathExists(candidate)) {
            result = candidate;
            runtimeHome = home;
            traceDirect("found");
        }
        traceDirect(candidate);
    }
    return result;
}

Text findJdkInRegistry(HKEY root) {
    Text result = findInVersionKeys(root, JDK_KEY);
    if (pathExists(result)) traceDirect("Jre key found in registry");
    return result;
}
