// Where the modern runtime search looks for Java runtimes, in its order:
// the registry (HKLM then HKCU, the 64-bit view then the 32-bit view, the
// JavaSoft keys and the vendors' own keys), JAVA_HOME, the folders on PATH
// that hold the Java executable, and the vendors' default folders.
#pragma once

#include "base/text.h"

struct RuntimeCandidate {
    Text home;    // full path, no trailing backslash
    Text source;  // where it was found, as the trace shows it
};

// The candidates found so far, each home once.
class CandidateList {
public:
    static const int CAPACITY = 64;

    // Adds the home unless it is empty or already listed (compared without
    // regard to case, after both were made full paths without a trailing
    // backslash). Beyond the capacity the home is dropped and the list
    // remembers that it overflowed.
    void add(const Text& home, const Text& source);

    // Whether the home, made comparable as add() does, is listed.
    bool contains(const Text& home) const;

    int count() const { return count_; }
    const RuntimeCandidate& operator[](int i) const { return items_[i]; }
    bool overflowed() const { return overflowed_; }

private:
    bool listed(const Text& normalHome) const;

    RuntimeCandidate items_[CAPACITY];
    int count_ = 0;
    bool overflowed_ = false;
};

// A home as the search compares and shows it: surrounding quotes and
// trailing separators removed (a drive root keeps its backslash), then
// made a full path; empty for a text that, so trimmed, is no absolute path
// (empty, blank, or relative to the current folder or drive).
Text normaliseHome(const Text& home);

// Gathers every candidate, with `executableName` (javaw.exe or java.exe)
// deciding which folders on PATH and below the vendor folders count.
void gatherRuntimeCandidates(CandidateList& list, const Text& executableName);
