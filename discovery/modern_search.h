// The modern runtime search (PROP_MODERN_SEARCH): every runtime a Windows
// PC of today may have, judged by its version as a number, its width and,
// in JDK-only mode, whether it is a development kit; the newest acceptable
// one is started. The classic search calls it after the private runtime.
#pragma once

#include "base/text.h"
#include "discovery/java_version.h"
#include "discovery/runtime_candidates.h"

struct SearchCriteria {
    Text minimumText;  // as configured, for the trace
    Text maximumText;  // empty: no maximum
    JavaVersion minimum;
    JavaVersion maximum;
    int width = 0;  // 64 or 32; 0 accepts both
    bool developmentKit = false;
    bool windows64 = true;
};

// What one candidate turned out to be.
struct RuntimeFacts {
    bool hasExecutable = false;
    int width = 0;  // 0: not a Windows executable of either width
    bool developmentKit = false;
    Text version;   // as read; empty when none was read
    JavaVersion parsed;
};

enum class Verdict {
    Accepted,
    NoExecutable,
    UnknownWidth,
    TooWideForWindows,
    WrongWidth,
    NotDevelopmentKit,
    VersionUnknown,
    BelowMinimum,
    AboveMaximum,
};

// 64 or 32 from PROP_RUNTIME_BITS (blanks around it allowed); 0 for an
// empty text and for anything else, which `understood` then reports.
int parseRuntimeBits(const Text& setting, bool* understood);

// Everything but the version: the executable, the width, the kind.
Verdict judgeWithoutVersion(const RuntimeFacts& facts, const SearchCriteria& criteria);

// The version against the minimum and the maximum.
Verdict judgeVersion(const RuntimeFacts& facts, const SearchCriteria& criteria);

// Whether `candidate` beats `best`: a newer version; at an equal version a
// 64-bit one over a 32-bit one when the width is free.
bool isPreferred(const RuntimeFacts& candidate, const RuntimeFacts& best, const SearchCriteria& criteria);

// Runs the whole search after the private runtime and traces it. Returns
// the chosen runtime's executable (and sets runtimeHome and
// runtimeFeatureVersion), or, with no acceptable runtime, the bare
// executable name for the current folder, as the classic search does.
Text findModernRuntime();

// The feature version a private runtime's release file states, 0 when it
// states none: the search gives the private runtime no probe.
unsigned privateRuntimeFeature(const Text& executable);

// One given candidate judged as the search judges its own, and traced as
// they are; sets the state the search sets. Returns the executable when it
// is accepted, else empty text; the verdict goes to `verdict`.
Text acceptModernCandidate(const RuntimeCandidate& candidate, Verdict* verdict);
