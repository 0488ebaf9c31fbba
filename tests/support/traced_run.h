// Runs a launcher under the trace capture and gives back its trace lines,
// exactly as it sent them, and its exit code.
#pragma once

#include <string>
#include <vector>

#include "process_run.h"

struct TracedRun {
    std::vector<std::string> lines;
    unsigned long exitCode = 0;
    bool timedOut = false;

    // The lines from the first that starts with `prefix` on; empty if none.
    std::vector<std::string> from(const std::string& prefix) const;
    // Whether a line equals `line`.
    bool has(const std::string& line) const;
    // Index of the first line that starts with `prefix`, or -1.
    int indexOf(const std::string& prefix) const;
};

// What a debug log must hold after this run: the application's output as
// the trace shows it (every line after the application's "CreateProcess: ",
// or after the line of its library inside the launcher),
// with each line feed stored as CR LF, as a text-mode file stores it.
std::string expectedDebugLog(const TracedRun& run);

// `commandLine` is the launcher's whole command line, its own (quoted) path
// first, exactly as the launcher is to receive it.
TracedRun runTraced(const std::string& commandLine, const RunOptions& options = RunOptions());

// The lines of the trace capture's output, turned back into the strings.
std::vector<std::string> parseTraceOutput(const std::string& output);
