// The start-up watchdog: while the splash is shown, a 1-second timer on the
// splash window ends the wait when the application shows its first visible
// window, when the countdown runs out, or when the application ends.
#pragma once

#include <windows.h>

#include "process/java_launch.h"

const UINT_PTR WATCHDOG_TIMER_ID = 1;
const UINT WATCHDOG_PERIOD_MS = 1000;

// Starts the timer on splashWindow; false when it cannot be created.
bool armWatchdog();

// Stops the timer, if there is one.
void disarmWatchdog();

// Runs the message loop in which the timer watches the application, and
// returns the application's exit code as last read: STILL_ACTIVE when it
// still ran, 0 when no reading was taken. A visible window of the
// application ends the launcher (exit code 0) unless it waits for the
// application's end (waitForExit); then only the splash wait ends.
DWORD waitBehindSplash(const StartedApplication& application);

void CALLBACK watchdogTick(HWND window, UINT message, UINT_PTR timerId, DWORD time);
