#include "discovery/modern_search.h"

#include "base/settings.h"
#include "base/state.h"
#include "base/trace.h"
#include "discovery/runtime_candidates.h"
#include "discovery/runtime_facts.h"

namespace {

// One candidate as examined: where it is, what it is, and how it fared.
struct Examined {
    RuntimeFacts facts;
    const char* versionSource = nullptr;  // null: no version was read
    Verdict verdict = Verdict::NoExecutable;
};

SearchCriteria readCriteria(bool* bitsUnderstood) {
    SearchCriteria criteria;
    criteria.minimumText = minimumVersion;
    criteria.maximumText = loadSettingText(PROP_MAX_VERSION);
    criteria.minimum = parseJavaVersion(criteria.minimumText.c_str());
    criteria.maximum = parseJavaVersion(criteria.maximumText.c_str());
    criteria.width = parseRuntimeBits(loadSettingText(PROP_RUNTIME_BITS), bitsUnderstood);
    criteria.developmentKit = jdkOnly != 0;
    criteria.windows64 = windowsIs64Bit();
    return criteria;
}

const char* widthText(int width) {
    if (width == 64) return "64-bit";
    if (width == 32) return "32-bit";
    return "width unknown";
}

void traceCriteria(const SearchCriteria& criteria, bool bitsUnderstood) {
    traceLine << "Modern search: minimum " << criteria.minimumText << ", maximum "
              << (criteria.maximumText.empty() ? Text("none") : criteria.maximumText) << ", width "
              << (criteria.width ? widthText(criteria.width) : "any");
    if (!bitsUnderstood) traceLine << " (PROP_RUNTIME_BITS not understood: " << loadSettingText(PROP_RUNTIME_BITS) << ")";
    traceLine << traceEnd;
}

Text verdictText(Verdict verdict, const SearchCriteria& criteria) {
    switch (verdict) {
    case Verdict::Accepted: return "accepted";
    case Verdict::NoExecutable: return "rejected: no bin\\" + javaExeName;
    case Verdict::UnknownWidth: return "rejected: not a Windows executable";
    case Verdict::TooWideForWindows: return "rejected: 64-bit runtime on 32-bit Windows";
    case Verdict::WrongWidth: return criteria.width == 64 ? "rejected: not 64-bit" : "rejected: not 32-bit";
    case Verdict::NotDevelopmentKit: return "rejected: not a JDK (no bin\\javac.exe)";
    case Verdict::VersionUnknown: return "rejected: version unknown";
    case Verdict::BelowMinimum: return "rejected: below minimum " + criteria.minimumText;
    case Verdict::AboveMaximum: return "rejected: above maximum " + criteria.maximumText;
    }
    return Text();
}

void traceCandidate(const RuntimeCandidate& candidate, const Examined& examined, const SearchCriteria& criteria) {
    traceLine << "Candidate: " << candidate.home << " | " << candidate.source << " | ";
    if (!examined.versionSource) {
        traceLine << "version not read";
    } else {
        traceLine << "version " << (examined.facts.version.empty() ? Text("unknown") : examined.facts.version) << " ("
                  << examined.versionSource << ")";
    }
    traceLine << " | " << (examined.facts.hasExecutable ? widthText(examined.facts.width) : "width not read") << " | "
              << verdictText(examined.verdict, criteria) << traceEnd;
}

// Cheap facts first; the probe, the one step that starts a process, runs
// only for a home without a release file that passed everything else.
Examined examine(const RuntimeCandidate& candidate, const SearchCriteria& criteria) {
    Examined examined;
    RuntimeFacts& facts = examined.facts;
    const int width = executableWidth((candidate.home + "\\bin\\" + javaExeName).c_str());
    facts.hasExecutable = width >= 0;
    if (facts.hasExecutable) {
        facts.width = width;
        facts.developmentKit = criteria.developmentKit && isExistingFile(candidate.home + "\\bin\\javac.exe");
        facts.version = readReleaseVersion(candidate.home);
        if (!facts.version.empty()) examined.versionSource = "release file";
    }
    examined.verdict = judgeWithoutVersion(facts, criteria);
    if (examined.verdict != Verdict::Accepted) return examined;
    if (!examined.versionSource) {
        facts.version = versionInJavaOutput(probeVersionOutput(candidate.home));
        examined.versionSource = "java -version";
    }
    facts.parsed = parseJavaVersion(facts.version.c_str());
    examined.verdict = judgeVersion(facts, criteria);
    return examined;
}

void traceChoice(const RuntimeCandidate& candidate, const RuntimeFacts& facts) {
    traceLine << "Chosen runtime: " << candidate.home << " | version " << facts.version << " | "
              << widthText(facts.width) << traceEnd;
}

}  // namespace

int parseRuntimeBits(const Text& setting, bool* understood) {
    size_t from = 0, to = setting.length();
    while (from < to && setting[from] == ' ') ++from;
    while (to > from && setting[to - 1] == ' ') --to;
    const Text bits = setting.substr(from, to - from);
    *understood = bits.empty() || bits == "64" || bits == "32";
    if (bits == "64") return 64;
    if (bits == "32") return 32;
    return 0;
}

Verdict judgeWithoutVersion(const RuntimeFacts& facts, const SearchCriteria& criteria) {
    if (!facts.hasExecutable) return Verdict::NoExecutable;
    if (facts.width == 0) return Verdict::UnknownWidth;
    if (facts.width == 64 && !criteria.windows64) return Verdict::TooWideForWindows;
    if (criteria.width != 0 && facts.width != criteria.width) return Verdict::WrongWidth;
    if (criteria.developmentKit && !facts.developmentKit) return Verdict::NotDevelopmentKit;
    return Verdict::Accepted;
}

Verdict judgeVersion(const RuntimeFacts& facts, const SearchCriteria& criteria) {
    if (!facts.parsed.valid()) return Verdict::VersionUnknown;
    if (compareJavaVersions(facts.parsed, criteria.minimum) < 0) return Verdict::BelowMinimum;
    if (!isWithinMaximum(facts.parsed, criteria.maximum)) return Verdict::AboveMaximum;
    return Verdict::Accepted;
}

bool isPreferred(const RuntimeFacts& candidate, const RuntimeFacts& best, const SearchCriteria& criteria) {
    const int order = compareJavaVersions(candidate.parsed, best.parsed);
    if (order != 0) return order > 0;
    return criteria.width == 0 && candidate.width == 64 && best.width != 64;
}

Text findModernRuntime() {
    bool bitsUnderstood = true;
    const SearchCriteria criteria = readCriteria(&bitsUnderstood);
    maximumVersion = criteria.maximumText;
    requiredRuntimeBits = criteria.width;
    traceCriteria(criteria, bitsUnderstood);

    CandidateList* candidates = new CandidateList();
    gatherRuntimeCandidates(*candidates, javaExeName);
    if (candidates->overflowed()) traceDirect("Modern search: more than 64 candidates, the rest not examined");
    int chosen = -1;
    RuntimeFacts best;
    for (int i = 0; i < candidates->count(); ++i) {
        const Examined examined = examine((*candidates)[i], criteria);
        traceCandidate((*candidates)[i], examined, criteria);
        if (examined.verdict != Verdict::Accepted) continue;
        if (chosen < 0 || isPreferred(examined.facts, best, criteria)) {
            chosen = i;
            best = examined.facts;
        }
    }
    Text result;
    if (chosen >= 0) {
        const RuntimeCandidate& choice = (*candidates)[chosen];
        traceChoice(choice, best);
        runtimeHome = choice.home;
        runtimeFeatureVersion = best.parsed.feature();
        result = choice.home + "\\bin\\" + javaExeName;
    } else {
        traceDirect("No acceptable runtime found");
        traceDirect("Try current dir.");
        result = javaExeName;
    }
    delete candidates;
    return result;
}

Text acceptModernCandidate(const RuntimeCandidate& candidate, Verdict* verdict) {
    bool bitsUnderstood = true;
    const SearchCriteria criteria = readCriteria(&bitsUnderstood);
    maximumVersion = criteria.maximumText;
    requiredRuntimeBits = criteria.width;
    const Examined examined = examine(candidate, criteria);
    traceCandidate(candidate, examined, criteria);
    *verdict = examined.verdict;
    if (examined.verdict != Verdict::Accepted) return Text();
    runtimeHome = candidate.home;
    runtimeFeatureVersion = examined.facts.parsed.feature();
    return candidate.home + "\\bin\\" + javaExeName;
}

unsigned privateRuntimeFeature(const Text& executable) {
    Text home = executable;
    for (int up = 0; up < 2; ++up) {
        const size_t separator = home.findLast('\\');
        if (separator == Text::npos) return 0;
        home.truncate(separator);
    }
    return parseJavaVersion(readReleaseVersion(home).c_str()).feature();
}
