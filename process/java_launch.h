// Starts the Java application: the quoted executable and the argument
// line, run hidden with its output piped to an ApplicationRunner.
#pragma once

#include <windows.h>

#include "base/handle.h"
#include "base/text.h"
#include "process/child_runner.h"

// Where the application's output goes besides the debug log (the start
// check's tail). Called on the reader thread with each chunk.
class OutputSink {
public:
    virtual void take(const char* chunk) = 0;

protected:
    ~OutputSink() = default;
};

// The runner of the application: its output goes to logApplicationOutput
// and the sink, and it frees itself when the output ends.
class ApplicationRunner : public ChildProcessRunner {
public:
    explicit ApplicationRunner(OutputSink* sink = nullptr) : ChildProcessRunner(0), sink_(sink) {}

protected:
    void onOutput(const char* chunk) override;

private:
    OutputSink* const sink_;
};

// The started application, as the watchdog, the start check and the wait
// for its end see it. The handles are the launcher's own, apart from the
// runner's, which may free itself at any time.
struct StartedApplication {
    // Its process; for the runtime inside the launcher, the thread that
    // runs it, and processId is the launcher's own.
    ProcessHandle process;
    DWORD processId = 0;
    ThreadHandle reader;  // none when the standard handles were passed through

    bool started() const { return process.valid(); }
};

// The application's exit code, of its process or of the thread that runs
// it inside the launcher; false when it cannot be read.
bool exitCodeOf(const StartedApplication& application, DWORD* exitCode);

// The longest command line the system starts a process with, terminator
// excluded.
const size_t COMMAND_LINE_MAX = 32766;

// A double quote, the executable, a double quote, a blank, the argument line.
Text buildJavaCommandLine(const Text& exePath, const Text& argumentLine);

// The started application; on failure an empty one, with the system's
// error number of the failed step in *failureCode. Takes the runner over:
// it is freed on failure, and frees itself once the application's output
// ends. `setup` (null: the usual start) may pass standard handles through
// and name a job (see ChildSetup).
StartedApplication launchApplication(const Text& exePath, const Text& argumentLine, ApplicationRunner* runner,
                                     DWORD* failureCode, const ChildSetup* setup = nullptr);
