#include "process/watchdog.h"

#include <stdlib.h>

#include "base/state.h"
#include "base/worker_threads.h"
#include "process/application_window.h"

namespace {

// The application the message loop of waitBehindSplash watches; the timer
// procedure has no other way to learn it.
const StartedApplication* watched = nullptr;
DWORD childExitCode = 0;

void endWait() {
    disarmWatchdog();
    PostQuitMessage(0);
}

BOOL CALLBACK findApplicationWindow(HWND window, LPARAM) {
    if (!isVisibleWindowOf(window, watched->processId)) return TRUE;
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

}  // namespace

void disarmWatchdog() {
    if (splashWindow) KillTimer(splashWindow, WATCHDOG_TIMER_ID);
}

bool armWatchdog() { return SetTimer(splashWindow, WATCHDOG_TIMER_ID, WATCHDOG_PERIOD_MS, watchdogTick) != 0; }

DWORD waitBehindSplash(const StartedApplication& application) {
    watched = &application;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    watched = nullptr;
    return childExitCode;
}

void CALLBACK watchdogTick(HWND, UINT, UINT_PTR, DWORD) {
    // Only the loop of waitBehindSplash runs the watch.
    if (!watched) return;
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
    if (exitCodeOf(*watched, &exitCode)) childExitCode = exitCode;
    if (childExitCode != STILL_ACTIVE || (!splashActive && !stayAlive)) endWait();
}
