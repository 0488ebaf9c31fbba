#include "process/start_check.h"

#include <string.h>

#include "base/code_pages.h"
#include "base/trace.h"
#include "process/application_wait.h"
#include "process/application_window.h"
#include "process/watchdog.h"

namespace {

// Beyond this, the end of the output is what it is; a reader thread that
// a program the application started keeps reading is not waited for.
const DWORD OUTPUT_END_WAIT_MS = 2000;
// Exit codes of this and above are the system's error statuses.
const DWORD CRASH_CODES = 0xC0000000;
// Seconds that still fit a wait in milliseconds.
const int SECONDS_MAX = 2000000;
// Wine reports no shown window to the hook below: there, and wherever a
// report goes astray, the window test runs this often.
const DWORD WINDOW_TEST_MS = 50;

// Its delivery wakes the wait, after which the window test decides.
void CALLBACK onWindowShown(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {}

}  // namespace

void StartOutputTail::take(const char* chunk) {
    AcquireSRWLockExclusive(&lock_);
    kept_.append(chunk);
    const size_t length = kept_.length();
    if (length > OUTPUT_KEPT) {
        const size_t drop = length - OUTPUT_KEPT;
        size_t lineStart = drop;
        while (lineStart < length && kept_[lineStart - 1] != '\n') ++lineStart;
        // A line longer than what is kept keeps its end.
        if (lineStart == length) lineStart = characterStartFrom(kept_.c_str(), length, drop);
        kept_.erase(0, lineStart);
    }
    ReleaseSRWLockExclusive(&lock_);
}

Text StartOutputTail::textOnceEnded(HANDLE reader) {
    WaitForSingleObject(reader, OUTPUT_END_WAIT_MS);
    AcquireSRWLockExclusive(&lock_);
    Text output(kept_);
    ReleaseSRWLockExclusive(&lock_);
    return output;
}

bool applicationEndedAtStart(const StartedApplication& application, DWORD startTick, int seconds, DWORD* exitCode) {
    // A stay-alive timer would run the watchdog in the messages below.
    disarmWatchdog();
    const DWORD limit = (seconds < SECONDS_MAX ? seconds : SECONDS_MAX) * 1000;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, onWindowShown,
                                         application.processId, 0, WINEVENT_OUTOFCONTEXT);
    HANDLE process = application.process.get();
    bool ended = false;
    for (;;) {
        if (firstVisibleWindowOf(application.processId)) {
            traceDirect("Start check: window shown.");
            break;
        }
        // An end that came before the launcher could look (behind a long
        // splash) still counts.
        const DWORD elapsed = GetTickCount() - startTick;
        const DWORD left = elapsed < limit ? limit - elapsed : 0;
        if (processEndedDispatching(process, left < WINDOW_TEST_MS ? left : WINDOW_TEST_MS)) {
            ended = true;
            exitCodeOf(application, exitCode);
            traceDirect("Start check: application ended.");
            break;
        }
        if (left == 0) {
            traceDirect("Start check: time limit reached.");
            break;
        }
    }
    if (hook) UnhookWinEvent(hook);
    return ended;
}

Text startFailureMessage(DWORD exitCode, const Text& output) {
    char head[64];
    // A crash's code reads as Windows users know it: 0xC0000005.
    wsprintfA(head, exitCode >= CRASH_CODES ? "The application ended at start with exit code 0x%08lX."
                                            : "The application ended at start with exit code %lu.",
              exitCode);
    Text message(head);
    // Filled from its end, one whole line at a time, while both bounds hold.
    char tail[TAIL_CHARACTERS_MAX + 1];
    size_t at = TAIL_CHARACTERS_MAX;
    tail[at] = '\0';
    size_t lines = 0;
    for (size_t end = output.length(); end > 0 && lines < TAIL_LINES_MAX;) {
        size_t start = end;
        while (start > 0 && output[start - 1] != '\n') --start;
        size_t length = end - start;
        end = start > 0 ? start - 1 : 0;
        if (length > 0 && output[start + length - 1] == '\r') --length;
        if (length == 0 || (length >= 10 && memcmp(output.c_str() + start, "Picked up ", 10) == 0)) continue;
        const size_t needed = length + (lines > 0 ? 1 : 0);
        if (needed > at) {
            if (lines > 0) break;
            // A last line longer than the bound shows its end.
            const size_t cut = characterStartFrom(output.c_str() + start, length, length - at);
            start += cut;
            length -= cut;
        }
        if (lines++ > 0) tail[--at] = '\n';
        at -= length;
        memcpy(tail + at, output.c_str() + start, length);
    }
    if (lines > 0) message.append("\n\n").append(tail + at);
    return message;
}
