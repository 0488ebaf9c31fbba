// Process-wide state of a launcher run, shared by the main flow, the splash
// and the start-up watchdog. Everything here is touched on the main thread
// only, except debugMode, which is set before any reader thread exists.
#pragma once

#include <windows.h>

#include "launcher/text.h"

extern int splashActive;       // the splash is shown and its countdown runs
extern int splashSecondsLeft;  // whole seconds of countdown left
extern int stayAlive;          // keep the watchdog's window and timer without the splash
extern int waitForWindow;      // end the wait once the application shows a window
extern int jdkOnly;            // accept only a development kit
extern bool debugMode;         // copy the application's output to log.txt
extern Text javaExeName;       // "javaw.exe", or "java.exe" for a console run
