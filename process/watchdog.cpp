#include "process/watchdog.h"

#include <stdlib.h>

#include "base/state.h"
#include "base/worker_threads.h"
#include "process/java_launch.h"

DWORD childExitCode = 0;

namespace {

void endWait() {
    disarmWatchdog();
    PostQuitMessage(0);
}

}  // namespace

void disarmWatchdog() {
    if (splashWindow) KillTimer(splashWindow, WATCHDOG_TIMER_ID);
}

bool armWatchdog() { return SetTimer(splashWindow, WATCHDOG_TIMER_ID, WATCHDOG_PERIOD_MS, watchdogTick) != 0; }

void CALLBACK watchdogTick(HWND, UINT, UINT_PTR, DWORD) {
    if (splashActive) {
        --splashSecondsLeft;
        // Before the countdown test: on the last tick a visible window still
        // wins.
        if (waitForWindow) EnumWindows(findApplicationWindow, 0);
        if (splashSecondsLeft == 0) {
            endWait();
            return;
        }
    }
    DWORD exitCode;
    if (GetExitCodeProcess(childProcess.get(), &exitCode)) childExitCode = exitCode;
    if (childExitCode != STILL_ACTIVE || (!splashActive && !stayAlive)) endWait();
}

bool isApplicationWindow(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId == childProcessId && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE);
}

BOOL CALLBACK findApplicationWindow(HWND window, LPARAM) {
    if (!isApplicationWindow(window)) return TRUE;
    splashActive = 0;
    ShowWindow(splashWindow, SW_HIDE);
    if (waitForExit) {
        // The splash wait is over; the wait for the application's end goes
        // on without it.
        endWait();
        return FALSE;
    }
    // The normal exit, so that the log file is completed and closed, once
    // the reader threads are done with it.
    stopWorkerThreads();
    exit(0);
}
