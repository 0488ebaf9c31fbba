#include "process/application_wait.h"

#include "base/state.h"
#include "base/trace.h"
#include "process/watchdog.h"

namespace {

const DWORD JOB_LIMITS_WHILE_WAITING = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK;
// A program the application starts may leave the job when it asks to.
const DWORD JOB_LIMITS_AFTER_THE_END = JOB_OBJECT_LIMIT_BREAKAWAY_OK;

// Ctrl+C and Ctrl+Break go to every program of the console; the application
// decides what they mean, and the launcher stays to report its exit code.
// When the console goes away the system ends its programs after a few
// seconds: the launcher lets the application use them rather than end at
// once and take the application down with its job.
BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
    Sleep(INFINITE);
    return TRUE;
}

}  // namespace

bool processEndedDispatching(HANDLE process, DWORD ms) {
    const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, ms, QS_ALLINPUT);
    if (woken == WAIT_TIMEOUT) return false;
    if (woken != WAIT_OBJECT_0 + 1) {
        // A failed wait must not turn into a busy loop.
        return WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return false;
}

Text exitCodeTraceLine(DWORD exitCode) {
    char number[16];
    wsprintfA(number, "%lu", exitCode);
    return Text("Application exit code: ") + number;
}

void ApplicationWait::prepare() {
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    gatherPassThroughHandles(passThrough_);
    setup_.passThrough = passThrough_.plan.active;
    for (int i = 0; i < STREAM_COUNT; ++i) setup_.standardHandles[i] = passThrough_.handles[i];
    job_ = makeJob(JOB_LIMITS_WHILE_WAITING);
    if (!job_) traceDirect("CreateJobObject failed: the application runs without a job.");
    setup_.job = job_.get();
}

DWORD ApplicationWait::untilApplicationEnds(const StartedApplication& application) {
    disarmWatchdog();
    if (splashWindow) ShowWindow(splashWindow, SW_HIDE);
    while (!processEndedDispatching(application.process.get(), INFINITE)) {
    }
    DWORD exitCode = 0;
    exitCodeOf(application, &exitCode);
    traceLine << exitCodeTraceLine(exitCode) << traceEnd;
    // Only an end from outside takes the rest of the job down.
    if (job_) limitJob(job_.get(), JOB_LIMITS_AFTER_THE_END);
    job_.reset();
    return exitCode;
}
