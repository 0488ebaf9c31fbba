#include "discovery/runtime_search.h"

#include <windows.h>

#include "discovery/modern_search.h"
#include "discovery/path_exists.h"
#include "discovery/registry.h"
#include "discovery/runtime_facts.h"
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

Text acceptClassic(const Text& home, bool judgedBefore, bool* definite) {
    *definite = true;
    if (jdkOnly && !pathExists(home + "\\lib\\tools.jar")) {
        traceDirect("Per-user runtime rejected: not a JDK (no lib\\tools.jar)");
        return Text();
    }
    if (judgedBefore) {
        traceDirect("Per-user runtime accepted: its version was checked when it was installed");
        runtimeHome = home;
        return executableIn(home);
    }
    // A fresh runtime's programs may be held by a virus scanner for longer
    // than the probe waits: the release file needs no program.
    Text version = readReleaseVersion(home);
    if (version.empty()) version = probeJavaVersion(home);
    if (version.empty()) {
        *definite = false;
        traceDirect("Per-user runtime rejected: version unknown");
        return Text();
    }
    if (!isVersionAcceptable(version)) {
        traceLine << "Per-user runtime rejected: version " << version << " below minimum " << minimumVersion << traceEnd;
        return Text();
    }
    traceLine << "Per-user runtime accepted: version " << version << traceEnd;
    runtimeHome = home;
    return executableIn(home);
}

}  // namespace

Text acceptGivenRuntime(const Text& home, const char* source, bool judgedBefore, bool* definite) {
    bool definiteHere = true;
    if (!definite) definite = &definiteHere;
    loadMinimumVersion();
    if (!isSettingPresent(PROP_MODERN_SEARCH)) return acceptClassic(home, judgedBefore, definite);
    Verdict verdict = Verdict::Accepted;
    const Text executable = acceptModernCandidate(RuntimeCandidate{home, source}, &verdict);
    *definite = verdict != Verdict::NoExecutable && verdict != Verdict::VersionUnknown;
    return executable;
}

Text runtimeRules() {
    loadMinimumVersion();
    Text rules = "minimum " + minimumVersion;
    if (isSettingPresent(PROP_MODERN_SEARCH)) {
        const Text maximum = loadSettingText(PROP_MAX_VERSION), bits = loadSettingText(PROP_RUNTIME_BITS);
        rules += ", modern search";
        if (!maximum.empty()) rules += ", maximum " + maximum;
        if (!bits.empty()) rules += ", width " + bits;
    }
    if (jdkOnly) rules += ", JDK only";
    return rules;
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
