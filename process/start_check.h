// The start check (PROP_START_CHECK): a Java runtime that cannot start the
// application (too large a heap, an option it does not know, a jar built
// for a newer Java) ends within its first seconds, and javaw.exe has no
// console to say why. So the launcher watches the application's start
// until its first visible top-level window, the time limit or its end,
// and keeps the end of what it wrote for the error box.
#pragma once

#include <windows.h>

#include "base/text.h"

const DWORD OUTPUT_KEPT = 4096;

// Called before the application runner exists: from then on its reader
// thread keeps the last OUTPUT_KEPT bytes of the application's output.
void startKeepingOutput();

// The reader thread's part; a line that the kept bytes would cut at their
// front is left out whole.
void keepStartOutput(const char* chunk);

// What was kept, once the application's output has ended (or after a
// bounded wait for a program that holds it open).
Text startOutput();

// Watches the started application from `startTick` (GetTickCount) on, for
// at most `seconds`, waking on its window, its end or the time limit, and
// traces which came first. True when it ended first (an end that came
// before the watch began counts), with its exit code in *exitCode.
bool applicationEndedAtStart(DWORD startTick, int seconds, DWORD* exitCode);

const size_t TAIL_LINES_MAX = 20;
const size_t TAIL_CHARACTERS_MAX = 2000;

// The error box's text: the exit code, then the last lines of the output
// that fit TAIL_LINES_MAX and TAIL_CHARACTERS_MAX (line breaks counted),
// without empty lines and "Picked up ..." lines. A last line longer than
// the bound shows its end.
Text startFailureMessage(DWORD exitCode, const Text& output);
