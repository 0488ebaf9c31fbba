// The Java runtime inside the launcher's own process, so that Windows shows,
// groups and pins the application as the launcher, not as java: the
// runtime's own launcher library (bin\jli.dll, of which java.exe and
// javaw.exe are thin shells) loaded by its full path, and its JLI_Launch
// called as javaw.exe calls it, on a thread of its own, since it returns
// only once the application has ended.
#pragma once

#include <windows.h>

#include "base/text.h"
#include "process/child_runner.h"
#include "process/java_launch.h"

// Starts the application inside the launcher, as the runtime's own
// javaw.exe (java.exe with `console`) would be started with `commandLine`:
// `library` is the runtime's bin\jli.dll, a full path. The runtime's
// standard output and error go to the set-up's handles when it passes them
// through, else through a pipe to `runner`, and both are set before the
// library (and the runtime's C library with it) is loaded. The runtime's
// own parser, which the library of every runtime exports for its
// java.exe, splits the command line, so that @argfiles and
// JDK_JAVA_OPTIONS work as under javaw.exe. The started application's
// `process` is the thread that runs it, whose exit code is the launch's
// result. Takes the runner over; a failed start (a library that cannot be
// loaded or lacks the launch) is an empty application with the system's
// error number in *failureCode.
StartedApplication hostRuntime(const Text& library, const Text& version, const Text& commandLine, bool console,
                               ApplicationRunner* runner, const ChildSetup& setup, DWORD* failureCode);
