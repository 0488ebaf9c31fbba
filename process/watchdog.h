// The start-up watchdog: while the splash is shown, a 1-second timer on the
// splash window ends the wait when the application shows its first visible
// window, when the countdown runs out, or when the application ends.
#pragma once

#include <windows.h>

const UINT_PTR WATCHDOG_TIMER_ID = 1;
const UINT WATCHDOG_PERIOD_MS = 1000;

// The application's exit code as last read; STILL_ACTIVE while it runs.
extern DWORD childExitCode;

// Starts the timer on splashWindow; false when it cannot be created.
bool armWatchdog();

// Stops the timer, if there is one.
void disarmWatchdog();

void CALLBACK watchdogTick(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// A visible window of the application's own process: hidden windows and
// those of programs it starts do not count.
bool isApplicationWindow(HWND window);

// EnumWindows callback: ends the launcher (exit code 0) when the window is a
// visible one of the application's own process; when the launcher waits
// for the application's end, it only ends the splash wait.
BOOL CALLBACK findApplicationWindow(HWND window, LPARAM unused);
