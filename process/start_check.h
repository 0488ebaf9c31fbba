// The start check (PROP_START_CHECK): a Java runtime that cannot start the
// application (too large a heap, an unknown option, a jar for a newer Java)
// ends within seconds, and javaw.exe has no console to say why. The
// launcher watches the start until the first visible window, the time
// limit or the end, and keeps the end of the output for the error box.
#pragma once

#include <windows.h>

#include "base/text.h"
#include "process/java_launch.h"

const DWORD OUTPUT_KEPT = 4096;

// The last OUTPUT_KEPT bytes of the application's output, kept by the
// runner's reader thread; a line that the kept bytes would cut at their
// front is left out whole.
class StartOutputTail : public OutputSink {
public:
    void take(const char* chunk) override;

    // What was kept, once the application's output has ended, or after a
    // bounded wait for a program that holds it open.
    Text textOnceEnded(HANDLE reader);

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    Text kept_;
};

// Watches the started application from `startTick` (GetTickCount) on, for
// at most `seconds`, waking on its window, its end or the time limit, and
// traces which came first. True when it ended first (an end that came
// before the watch began counts), with its exit code in *exitCode.
bool applicationEndedAtStart(const StartedApplication& application, DWORD startTick, int seconds, DWORD* exitCode);

const size_t TAIL_LINES_MAX = 20;
const size_t TAIL_CHARACTERS_MAX = 2000;

// The error box's text: the exit code, then the last lines of the output
// that fit TAIL_LINES_MAX and TAIL_CHARACTERS_MAX (line breaks counted),
// without empty lines and "Picked up ..." lines. A last line longer than
// the bound shows its end.
Text startFailureMessage(DWORD exitCode, const Text& output);
