// Starts another program with its words as they are (no shell between)
// and waits for its end. Its standard handles are the configurator's.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
    bool started = false;
    long exitStatus = 0;  // a death by signal N reads 128 + N, as in a shell
    std::string error;    // why it did not start
};

// words[0] is found on the PATH as the system's shell would find it.
ProgramRun runProgram(const std::vector<std::string>& words);
