#include "discovery/hostable_runtime.h"

#include <windows.h>

#include "discovery/java_version.h"
#include "discovery/path_exists.h"
#include "discovery/runtime_facts.h"

namespace {

#ifdef _WIN64
const int OWN_MACHINE = IMAGE_FILE_MACHINE_AMD64;
#else
const int OWN_MACHINE = IMAGE_FILE_MACHINE_I386;
#endif
const unsigned FIRST_HOSTABLE_FEATURE = 9;  // Java 8's library finds its runtime in the registry
// Java's launcher library keeps these paths in buffers of MAX_PATH bytes;
// a longer one is no runtime it could run.
const DWORD HOME_MAX = MAX_PATH;
// What wsprintfA writes at most, terminator included.
const int FORMATTED_MAX = 1025;

// Ends the path before its last backslash; leaves it empty when it has none.
void cutLastName(char* path) {
    char* cut = path;
    for (char* at = path; *at; ++at) {
        if (*at == '\\') cut = at;
    }
    *cut = '\0';
}

// The java.dll of another runtime that the library would take before its
// own (into `path`); false when it takes its own. A launcher in a drive's
// root gives the library no home to look in.
bool javaLibraryTakenFirst(const char* home, const Text& launcherFolder, char* path) {
    char above[FORMATTED_MAX];
    wsprintfA(above, "%s", launcherFolder.c_str());
    cutLastName(above);
    char own[FORMATTED_MAX];
    wsprintfA(own, "%s\\bin\\java.dll", home);
    static const char* const CANDIDATES[] = {"%s\\bin\\java.dll", "%s\\jre\\bin\\java.dll"};
    for (const char* candidate : CANDIDATES) {
        wsprintfA(path, candidate, above);
        if (*above && pathExists(path)) return lstrcmpiA(path, own) != 0;
    }
    return false;
}

}  // namespace

Text defaultVmName(const Text& jvmConfig) {
    for (size_t start = 0; start < jvmConfig.length(); ++start) {
        size_t end = start;
        while (end < jvmConfig.length() && jvmConfig[end] > ' ') ++end;
        if (jvmConfig[start] == '-') return jvmConfig.substr(start + 1, end - start - 1);
        while (end < jvmConfig.length() && jvmConfig[end] != '\n') ++end;
        start = end;
    }
    return Text();
}

Text inProcessObstacle(const Text& javaExecutable, const Text& launcherFolder, HostableRuntime& runtime) {
    char home[FORMATTED_MAX];
    const DWORD length = GetFullPathNameA(javaExecutable.c_str(), HOME_MAX, home, nullptr);
    if (length == 0 || length >= HOME_MAX) *home = '\0';
    cutLastName(home);
    cutLastName(home);
    char path[FORMATTED_MAX];
    wsprintfA(path, "%s\\release", home);
    runtime.version = versionInReleaseFile(readFileStart(path));
    wsprintfA(path, "%s\\lib\\jvm.cfg", home);
    const Text vm = defaultVmName(readFileStart(path));
    const char* obstacle = "no release file of Java 9 or later";
    if (*home && parseJavaVersion(runtime.version.c_str()).feature() >= FIRST_HOSTABLE_FEATURE) {
        obstacle = "no bin\\jli.dll of the launcher's width";
        wsprintfA(path, "%s\\bin\\jli.dll", home);
        runtime.library = path;
        if (executableMachine(path) == OWN_MACHINE) {
            obstacle = "lib\\jvm.cfg names no VM of the launcher's width";
            wsprintfA(path, "%s\\bin\\%.64s\\jvm.dll", home, vm.c_str());
            if (!vm.empty() && executableMachine(path) == OWN_MACHINE) {
                obstacle = javaLibraryTakenFirst(home, launcherFolder, path) ? " lies outside the runtime" : "";
            }
        }
    }
    // Only the last guard names a file, left in `path`.
    return *obstacle == ' ' ? Text(path) + obstacle : Text(obstacle);
}
