#include "discovery/runtime_search.h"

#include <windows.h>

#include "discovery/modern_search.h"
#include "discovery/path_exists.h"
#include "discovery/registry.h"
#include "discovery/runtime_candidates.h"
#include "discovery/version_probe.h"
#include "base/code_pages.h"
#include "base/settings.h"
#include "base/state.h"
#include "base/trace.h"


namespace {

const HKEY ROOT_KEYS[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};

Text executableIn(const Text& home) { return home + "\\bin\\" + javaExeName; }

Text findByCurrentVersion() {
    for (HKEY root : ROOT_KEYS) {
        Text home = findJreCurrentHome(root);
        if (!isAbsolutePath(home)) continue;
        Text version = probeJavaVersion(home);
        if (!isVersionAcceptable(version)) continue;
        Text candidate = executableIn(home);
        if (pathExists(candidate)) return candidate;
    }
    return Text();
}

Text findJreInRegistry() {
    Text candidate = findByCurrentVersion();
    if (!candidate.empty()) return candidate;
    for (HKEY root : ROOT_KEYS) {
        candidate = findInVersionKeys(root, JRE_KEY);
        if (pathExists(candidate)) return candidate;
    }
    for (HKEY root : ROOT_KEYS) {
        candidate = findJdkInRegistry(root);
        if (pathExists(candidate)) return candidate;
    }
    return Text();
}

Text findJdkOnlyInRegistry() {
    for (HKEY root : ROOT_KEYS) {
        Text candidate = findJdkInRegistry(root);
        if (pathExists(candidate)) return candidate;
    }
    return Text();
}

Text findInJavaHome() {
    Text home = environmentVariable("JAVA_HOME");
    Text candidate = executableIn(home);
    if (!isAbsolutePath(home) || !pathExists(candidate)) {
        traceDirect("JAVA_HOME not found");
        traceDirect("Try current dir.");
        return javaExeName;
    }
    if (jdkOnly && !pathExists(home + "\\lib\\tools.jar")) return Text();
    if (!isVersionAcceptable(probeJavaVersion(home))) {
        traceDirect("Incorrect version");
        return Text();
    }
    traceDirect("JAVA_HOME found");
    runtimeHome = home;
    return candidate;
}

void loadMinimumVersion() {
    minimumVersion = loadSettingText(PROP_MIN_VERSION);
    if (minimumVersion.empty()) minimumVersion = "1.3";
}

Text acceptClassic(const Text& home, bool judgedBefore) {
    if (jdkOnly && !pathExists(home + "\\lib\\tools.jar")) {
        traceDirect("Per-user runtime rejected: not a JDK (no lib\\tools.jar)");
        return Text();
    }
    if (judgedBefore) {
        traceDirect("Per-user runtime accepted: its version was checked when it was installed");
        runtimeHome = home;
        return executableIn(home);
    }
    const Text version = probeJavaVersion(home);
    if (!isVersionAcceptable(version)) {
        traceLine << "Per-user runtime rejected: version " << version << " below minimum " << minimumVersion << traceEnd;
        return Text();
    }
    traceLine << "Per-user runtime accepted: version " << version << traceEnd;
    runtimeHome = home;
    return executableIn(home);
}

}  // namespace

Text acceptGivenRuntime(const Text& home, const char* source, bool judgedBefore) {
    loadMinimumVersion();
    if (isSettingPresent(PROP_MODERN_SEARCH)) return acceptModernCandidate(RuntimeCandidate{home, source});
    return acceptClassic(home, judgedBefore);
}

Text findJavaExecutable(const Text& launcherFolder) {
    loadMinimumVersion();

    traceDirect(jdkOnly ? "Search for Jdk only..." : "Search for Jre...");
    Text jrePath = loadSettingText(PROP_JRE_PATH);
    Text bundled = launcherFolder + "\\" + jrePath;
    traceLine << "PROP_JRE_PATH: " << jrePath << traceEnd;
    traceLine << "Try bundled JRE or JDK path: " << bundled << traceEnd;
    const bool modern = isSettingPresent(PROP_MODERN_SEARCH) != 0;
    // Without its own folder the launcher would test "\jre\..." on the
    // current drive's root.
    if (isAbsolutePath(launcherFolder) && pathExists(bundled)) {
        traceDirect("Bundled Jre or jdk found");
        runtimeHome = launcherFolder + "\\..\\jre";
        if (modern) runtimeFeatureVersion = privateRuntimeFeature(bundled);
        return bundled;
    }
    if (modern) {
        traceDirect("Bundled Jre not found");
        return findModernRuntime();
    }

    if (jdkOnly) {
        traceDirect("Search in registry for Jdk only...");
        Text candidate = findJdkOnlyInRegistry();
        if (!candidate.empty()) {
            traceDirect("Jdk key found in registry");
            return candidate;
        }
    } else {
        traceDirect("Bundled Jre not found");
        Text candidate = findJreInRegistry();
        if (!candidate.empty()) {
            traceDirect("Jre key found in registry");
            return candidate;
        }
        traceDirect("Jre key not found in registry");
    }
    return findInJavaHome();
}
