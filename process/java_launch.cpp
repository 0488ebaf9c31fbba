#include "process/java_launch.h"

#include <utility>

#include "base/app_output_log.h"
#include "base/trace.h"

void ApplicationRunner::onOutput(const char* chunk) {
    logApplicationOutput(chunk);
    if (chunk && sink_) sink_->take(chunk);
    ChildProcessRunner::onOutput(chunk);
}

bool exitCodeOf(const StartedApplication& application, DWORD* exitCode) {
    // Either call refuses a handle of the other kind.
    return GetExitCodeProcess(application.process.get(), exitCode) ||
           GetExitCodeThread(application.process.get(), exitCode);
}

Text buildJavaCommandLine(const Text& exePath, const Text& argumentLine) {
    return "\"" + exePath + "\" " + argumentLine;
}

StartedApplication launchApplication(const Text& exePath, const Text& argumentLine, ApplicationRunner* runner,
                                     DWORD* failureCode, const ChildSetup* setup) {
    traceLine << "execute: " << exePath << " " << argumentLine << traceEnd;
    Text commandLine = buildJavaCommandLine(exePath, argumentLine);
    traceLine << "Full command line: " << commandLine << traceEnd;
    StartedApplication application;
    if (commandLine.length() > COMMAND_LINE_MAX) {
        delete runner;
        *failureCode = ERROR_FILENAME_EXCED_RANGE;
        return application;
    }
    StartedChild started;
    if (runner->run(commandLine.c_str(), &started, setup) != 0) {
        *failureCode = runner->lastError();
        delete runner;
        return application;
    }
    application.process = std::move(started.process);
    application.processId = started.processId;
    // From here on the runner belongs to its reader thread; without one
    // (the standard handles were passed through) it is done.
    if (!started.readerThread) delete runner;
    application.reader = std::move(started.readerThread);
    return application;
}
