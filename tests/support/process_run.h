// Running a program from a test: its exact command line, an environment
// with changes, a start folder, and a time limit after which the program
// (and, for tracecap, the program it traces) is ended.
#pragma once

#include <map>
#include <optional>
#include <string>

struct RunOptions {
    std::string startFolder;  // empty: the test's own current folder
    // Variables to set; a value of nullopt removes the variable.
    std::map<std::string, std::optional<std::string>> environment;
    unsigned timeoutMs = 30000;
    // The show command in the program's start-up information; -1: none.
    int showCommand = -1;
    // The program's standard input, output and error instead of NUL and the
    // output pipe (inheritable handles; null: no handle at all). The
    // program then starts without a console.
    bool redirect = false;
    void* standardHandles[3] = {nullptr, nullptr, nullptr};
    // Called once the program has started, with its process id, while its
    // output is still being read (for a window driver, say).
    void (*whileRunning)(unsigned long processId, void* context) = nullptr;
    void* context = nullptr;
};

struct RunResult {
    unsigned long exitCode = 0;
    // Ended at the time limit, or its output stayed open for 10 seconds
    // after its end (held by a process it started).
    bool timedOut = false;
    std::string output;  // standard output and standard error, mixed
};

RunResult runProcess(const std::string& commandLine, const RunOptions& options = RunOptions());

// Waits for a started process at most `timeoutMs`, ends it (exit code
// 0xDEAD) when the time is over, and gives its exit code; closes the handle.
unsigned long waitForExit(void* process, unsigned timeoutMs, bool* timedOut);

// A command-line argument quoted for the system's rules when it needs it.
std::string quoteArgument(const std::string& argument);
