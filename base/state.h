// Process-wide state of a launcher run, shared by the main flow and the
// subsystems below it: the runtime search, the splash, the start-up
// watchdog and the missing-runtime dialog. Everything here is touched on
// the main thread only, except debugMode, which is set before any reader
// thread exists.
#pragma once

#include <windows.h>

#include "base/text.h"

extern int splashActive;       // the splash is shown and its countdown runs
extern int splashSecondsLeft;  // whole seconds of countdown left
extern int stayAlive;          // keep the watchdog's window and timer without the splash
extern int waitForWindow;      // end the wait once the application shows a window
extern int waitForExit;        // stay until the application ends, and end with its exit code
extern int jdkOnly;            // accept only a development kit
extern bool debugMode;         // copy the application's output to log.txt
extern Text javaExeName;       // "javaw.exe", or "java.exe" for a console run
extern Text minimumVersion;    // PROP_MIN_VERSION, or "1.3"; set by the runtime search
extern HWND splashWindow;      // the splash picture's window, which also carries the watchdog's timer

// Set by the runtime search: the accepted runtime's home, read by the JDK
// class path; the modern search also records its feature version (8, 17,
// ...), 0 when not known and always in the classic search.
extern Text runtimeHome;
extern unsigned runtimeFeatureVersion;

// Set by the modern runtime search only, for the missing-runtime message;
// the classic search leaves them empty and 0.
extern Text maximumVersion;     // PROP_MAX_VERSION
extern int requiredRuntimeBits; // 64 or 32 from PROP_RUNTIME_BITS; 0: either
