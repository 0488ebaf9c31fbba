#include "process/console_pass_through.h"

#include "base/trace.h"

namespace {

const DWORD STANDARD_HANDLE_IDS[STREAM_COUNT] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
const char* const STREAM_NAMES[STREAM_COUNT] = {"stdin", "stdout", "stderr"};

const char* kindName(StreamKind kind) {
    switch (kind) {
    case STREAM_CONSOLE: return "console";
    case STREAM_FILE: return "file";
    case STREAM_PIPE: return "pipe";
    case STREAM_DEVICE: return "device";
    default: return "none";
    }
}

FileHandle openShared(const char* name) {
    return FileHandle(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
}

// The console of the process that started the launcher. A launcher that
// already has one (its starter made one for it) gives that one; a console
// without a screen to write to is none.
bool attachStartingConsole() {
    const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != 0;
    if (!attached && GetLastError() != ERROR_ACCESS_DENIED) return false;
    if (openShared("CONOUT$")) return true;
    if (attached) FreeConsole();
    return false;
}

}  // namespace

PassThroughPlan planPassThrough(const StreamKind (&own)[STREAM_COUNT], bool console) {
    PassThroughPlan plan;
    plan.active = console;
    for (int i = 0; i < STREAM_COUNT; ++i) {
        if (own[i] != STREAM_NONE) {
            plan.given[i] = own[i];
            plan.active = true;
        } else if (console) {
            plan.given[i] = STREAM_CONSOLE;
            plan.fromConsole[i] = true;
        }
    }
    return plan;
}

Text describePassThrough(const PassThroughPlan& plan) {
    if (!plan.active) return "Console pass-through: off (no console, no redirection).";
    Text line("Console pass-through: ");
    for (int i = 0; i < STREAM_COUNT; ++i) {
        if (i > 0) line += ", ";
        line += STREAM_NAMES[i];
        line += "=";
        line += kindName(plan.given[i]);
    }
    return line;
}

StreamKind streamKindOf(HANDLE handle) {
    if (!handle || handle == INVALID_HANDLE_VALUE) return STREAM_NONE;
    switch (GetFileType(handle)) {
    case FILE_TYPE_DISK: return STREAM_FILE;
    case FILE_TYPE_PIPE: return STREAM_PIPE;
    case FILE_TYPE_CHAR: {
        DWORD mode = 0;
        return GetConsoleMode(handle, &mode) ? STREAM_CONSOLE : STREAM_DEVICE;
    }
    default: return STREAM_NONE;  // not a file, pipe or device at all
    }
}

void gatherPassThroughHandles(PassThroughHandles& out) {
    // Read before attaching: attaching may replace the standard handles.
    HANDLE own[STREAM_COUNT];
    StreamKind ownKinds[STREAM_COUNT];
    for (int i = 0; i < STREAM_COUNT; ++i) {
        own[i] = GetStdHandle(STANDARD_HANDLE_IDS[i]);
        ownKinds[i] = streamKindOf(own[i]);
    }
    out.plan = planPassThrough(ownKinds, attachStartingConsole());
    for (int i = 0; out.plan.active && i < STREAM_COUNT; ++i) {
        if (ownKinds[i] != STREAM_NONE) {
            out.handles[i] = own[i];
            continue;
        }
        const char* name = !out.plan.fromConsole[i] ? "NUL" : i == 0 ? "CONIN$" : "CONOUT$";
        out.opened[i] = openShared(name);
        out.handles[i] = out.opened[i].get();
        if (!out.opened[i]) out.plan = PassThroughPlan();  // the pipes, then
    }
    traceLine << describePassThrough(out.plan) << traceEnd;
}
