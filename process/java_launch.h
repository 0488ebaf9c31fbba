// Starts the Java application: the quoted executable and the argument
// line, run hidden with its output piped to an ApplicationRunner.
#pragma once

#include <windows.h>

#include "base/handle.h"
#include "base/text.h"
#include "process/child_runner.h"

// The runner of the application: its output goes to logApplicationOutput,
// and it frees itself when the output ends.
class ApplicationRunner : public ChildProcessRunner {
public:
    ApplicationRunner() : ChildProcessRunner(0) {}

protected:
    void onOutput(const char* chunk) override;
};

// The launcher's own handle of the application's process, for the watchdog;
// closed by closeChildHandles.
extern ProcessHandle childProcess;
extern DWORD childProcessId;
// The thread that reads the application's output; none when the standard
// handles were passed through.
extern ThreadHandle childReader;

// The longest command line the system starts a process with, terminator
// excluded.
const size_t COMMAND_LINE_MAX = 32766;

// A double quote, the executable, a double quote, a blank, the argument line.
Text buildJavaCommandLine(const Text& exePath, const Text& argumentLine);

// 0 when the application was started, else -1 with the system's error
// number of the failed step in *failureCode. Takes the runner over: it is
// freed on failure, and frees itself once the application's output ends.
// `setup` (null: the usual start) may pass standard handles through and
// name a job (see ChildSetup).
int launchApplication(const Text& exePath, const Text& argumentLine, ApplicationRunner* runner,
                      DWORD* failureCode, const ChildSetup* setup = nullptr);

void closeChildHandles();
