// Which Java version a runtime is, read from what "java.exe -version"
// prints, and whether a version text is high enough.
#pragma once

#include <windows.h>

#include "base/state.h"
#include "base/text.h"
#include "process/child_runner.h"

// Keeps what the child prints. The owner may copy the text at any time,
// also while the reader thread still appends to it.
class CapturingRunner : public ChildProcessRunner {
public:
    CapturingRunner();
    ~CapturingRunner() override;

    Text capturedOutput();
    // Signalled once the output holds a whole version line.
    HANDLE answered() const { return answered_.get(); }

protected:
    void onOutput(const char* chunk) override;

private:
    CRITICAL_SECTION captureLock_;
    Text captured_;
    EventHandle answered_;
};

// The command line of the probe: the home's "java.exe", quoted, and
// "-version".
Text versionProbeCommand(const Text& home);

// The probe's result from the captured output, after the "Picked up ..."
// lines a runtime prints first when options are set in the environment:
// from an answer line that holds ` version "` but does not begin with
// `java version "` ("openjdk version ..."), the quoted text; otherwise the
// first 14 bytes, which in the classic answer are the words java version,
// a blank and a quote, dropped unexamined; empty when there are fewer.
Text versionFromProbeOutput(const Text& output);

// Starts the home's "java.exe -version", waits for its answer (a whole
// version line, or the end of its output) within the probe's bound, and
// ends the probe and whatever it started: a runtime that stays (waiting
// for a debugger, holding its port) would hold the launcher and the port.
// The caller copies what it wants and abandons the runner.
CapturingRunner* startVersionProbe(const Text& home);

// Runs the home's "java.exe -version" and returns the version text, read
// once the runtime has answered or the probe's bound has passed. Empty when
// nothing usable was printed.
Text probeJavaVersion(const Text& home);

// Compares two texts character by character by code, a double-byte
// character counting as one; <0, 0 or >0 as a is below, equal or above b.
int compareVersionTexts(const char* a, const char* b);

// Whether minimumVersion is not above `version` by that comparison.
bool isVersionAcceptable(const Text& version);
