#include "process/java_launch.h"

#include <utility>

#include "base/app_output_log.h"
#include "base/trace.h"
#include "process/start_check.h"

ProcessHandle childProcess;
DWORD childProcessId = 0;
ThreadHandle childReader;

void ApplicationRunner::onOutput(const char* chunk) {
    logApplicationOutput(chunk);
    if (chunk) keepStartOutput(chunk);
    ChildProcessRunner::onOutput(chunk);
}

Text buildJavaCommandLine(const Text& exePath, const Text& argumentLine) {
    return "\"" + exePath + "\" " + argumentLine;
}

int launchApplication(const Text& exePath, const Text& argumentLine, ApplicationRunner* runner,
                      DWORD* failureCode, const ChildSetup* setup) {
    traceLine << "execute: " << exePath << " " << argumentLine << traceEnd;
    Text commandLine = buildJavaCommandLine(exePath, argumentLine);
    traceLine << "Full command line: " << commandLine << traceEnd;
    if (commandLine.length() > COMMAND_LINE_MAX) {
        delete runner;
        *failureCode = ERROR_FILENAME_EXCED_RANGE;
        return -1;
    }
    StartedChild started;
    if (runner->run(commandLine.c_str(), &started, setup) != 0) {
        *failureCode = runner->lastError();
        delete runner;
        return -1;
    }
    childProcess = std::move(started.process);
    childProcessId = started.processId;
    // From here on the runner belongs to its reader thread; without one
    // (the standard handles were passed through) it is done.
    if (!started.readerThread) delete runner;
    childReader = std::move(started.readerThread);
    return 0;
}

void closeChildHandles() {
    childProcess.reset();
    childReader.reset();
}
