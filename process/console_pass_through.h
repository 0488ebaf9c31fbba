// The standard handles a waiting launcher gives its application, so that a
// wrapped console program prints, reads and sees Ctrl+C where the user
// started it: the launcher's own handle of each stream, else its console,
// else NUL; with neither handles nor a console nothing is passed through.
#pragma once

#include <windows.h>

#include "base/handle.h"
#include "base/text.h"

enum StreamKind { STREAM_NONE, STREAM_CONSOLE, STREAM_FILE, STREAM_PIPE, STREAM_DEVICE };

const int STREAM_COUNT = 3;  // input, output, error, in this order

struct PassThroughPlan {
    bool active = false;
    // What each stream gets; STREAM_NONE: the NUL device.
    StreamKind given[STREAM_COUNT] = {STREAM_NONE, STREAM_NONE, STREAM_NONE};
    bool fromConsole[STREAM_COUNT] = {false, false, false};
};

// `own`: the kinds of the launcher's standard handles; `console`: whether it
// holds the console it was started from.
PassThroughPlan planPassThrough(const StreamKind (&own)[STREAM_COUNT], bool console);

// The trace line: "Console pass-through: stdin=KIND, stdout=KIND,
// stderr=KIND", or that the pipes are used.
Text describePassThrough(const PassThroughPlan& plan);

// What a handle is; STREAM_NONE for no handle at all.
StreamKind streamKindOf(HANDLE handle);

struct PassThroughHandles {
    PassThroughPlan plan;
    // Input, output, error: the launcher's own (not owned here) or opened
    // for the application (owned).
    HANDLE handles[STREAM_COUNT] = {nullptr, nullptr, nullptr};
    FileHandle opened[STREAM_COUNT];
};

// Attaches to the console of the process that started the launcher, when
// there is one, and gathers the handles by the plan. Traces the plan.
void gatherPassThroughHandles(PassThroughHandles& out);
