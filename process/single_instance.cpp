#include "process/single_instance.h"

#include <string.h>

#include "base/system_library.h"
#include "base/trace.h"
#include "process/application_window.h"

namespace {

// The record in the section; all zeros before the first one is written.
struct InstanceRecord {
    DWORD processId;
    FILETIME created;
};

// The mutex guards the record only while it is read or written.
const DWORD RECORD_LOCK_WAIT_MS = 5000;
// An application that restarts itself (after an update, a language
// change) starts the launcher again and then ends; a first launcher still
// hands the record on to its application. So a running instance without a
// window is given this long to show one or to end.
const DWORD NO_WINDOW_WAIT_MS = 10000;
const DWORD WINDOW_TEST_MS = 100;
// An application restarting itself starts the launcher and then ends, its
// window still up while it shuts down: its new launcher gives it this long.
const DWORD RESTART_WAIT_MS = 10000;

bool creationTime(HANDLE process, FILETIME* created) {
    FILETIME unused[3];
    return GetProcessTimes(process, created, &unused[0], &unused[1], &unused[2]) != 0;
}

// What the system records of a process; the parent's id among it.
struct BasicProcessInformation {
    LONG_PTR exitStatus;
    void* environmentBlock;
    ULONG_PTR affinityMask;
    LONG_PTR basePriority;
    ULONG_PTR processId;
    ULONG_PTR parentProcessId;
};
using QueryProcess = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
const int BASIC_INFORMATION_CLASS = 0;

DWORD parentProcessId() {
    const auto query = systemFunction<QueryProcess>("ntdll.dll", "NtQueryInformationProcess");
    BasicProcessInformation information;
    if (!query || query(GetCurrentProcess(), BASIC_INFORMATION_CLASS, &information, sizeof information, nullptr) != 0) {
        return 0;
    }
    return static_cast<DWORD>(information.parentProcessId);
}

ULONGLONG ticks(const FILETIME& time) { return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

// Whether the recorded process started this launcher: it is the parent,
// and was created before this launcher, so not a later process that got
// the id of a parent that has ended.
bool isRecordedParent(const InstanceRecord& record) {
    FILETIME own;
    return record.processId == parentProcessId() && creationTime(GetCurrentProcess(), &own) &&
           ticks(record.created) < ticks(own);
}

// The recorded process when it still runs and is that very process, not a
// later one that got the same id; empty otherwise. While the handle is
// held, the id cannot go to another process.
ProcessHandle openRecordedProcess(const InstanceRecord& record) {
    ProcessHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, record.processId));
    FILETIME created;
    if (process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT && creationTime(process.get(), &created) &&
        created.dwLowDateTime == record.created.dwLowDateTime &&
        created.dwHighDateTime == record.created.dwHighDateTime) {
        return process;
    }
    return ProcessHandle();
}

// Its first visible window, waited for until NO_WINDOW_WAIT_MS after
// `startTick`; null when the time is up or the process has ended first.
HWND windowBeforeTheEnd(HANDLE process, DWORD processId, DWORD startTick) {
    for (;;) {
        if (HWND window = firstVisibleWindowOf(processId)) return window;
        const DWORD elapsed = GetTickCount() - startTick;
        if (elapsed >= NO_WINDOW_WAIT_MS) return nullptr;
        const DWORD left = NO_WINDOW_WAIT_MS - elapsed;
        if (WaitForSingleObject(process, left < WINDOW_TEST_MS ? left : WINDOW_TEST_MS) != WAIT_TIMEOUT) return nullptr;
    }
}

void bringToFront(HWND window) {
    // Asynchronous: an application that does not answer cannot hold the
    // launcher up.
    if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
    SetForegroundWindow(window);
}

void traceOutcome(const char* outcome, DWORD processId) {
    char line[128];
    wsprintfA(line, outcome, processId);
    traceDirect(line);
}

}  // namespace

int instanceObjectName(const char* name, char* object) {
    int length = wsprintfA(object, "Local\\%.200s", name);
    for (char* c = object + 6; *c; ++c) {
        if (*c == '\\') *c = '_';
    }
    return length;
}

bool SingleInstance::claim(const char* name) {
    if (!*name) return true;
    char object[INSTANCE_OBJECT_NAME_MAX];
    const int length = instanceObjectName(name, object);
    traceLine << "PROP_SINGLE_INSTANCE: " << object << traceEnd;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    memcpy(object + length, ".lock", sizeof ".lock");
    mutex_.reset(CreateMutexA(&inheritable, FALSE, object));
    memcpy(object + length, ".process", sizeof ".process");
    section_.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, &inheritable, PAGE_READWRITE, 0, sizeof(InstanceRecord), object));
    if (section_) view_.reset(MapViewOfFile(section_.get(), FILE_MAP_WRITE, 0, 0, sizeof(InstanceRecord)));
    if (!mutex_ || !view_) return withoutCheck("Single instance: no instance objects, no check");

    const DWORD startTick = GetTickCount();
    bool restartWaited = false;
    for (;;) {
        InstanceRecord found;
        ProcessHandle running;
        {
            MutexLock lock(mutex_.get(), RECORD_LOCK_WAIT_MS);
            if (!lock.acquired()) return withoutCheck("Single instance: the record's lock was not free, no check");
            found = *static_cast<InstanceRecord*>(view_.get());
            running = openRecordedProcess(found);
            // Until the application has started, a second start finds the
            // launcher.
            if (!running) writeRecord(GetCurrentProcess(), GetCurrentProcessId());
        }
        if (!running) {
            traceOutcome(found.processId ? "Single instance: process %lu has ended, first start"
                                         : "Single instance: first start",
                         found.processId);
            return true;
        }
        if (!restartWaited && isRecordedParent(found)) {
            restartWaited = true;
            traceOutcome("Single instance: process %lu started this launcher, a restart: waiting up to 10 s for its end",
                         found.processId);
            if (WaitForSingleObject(running.get(), RESTART_WAIT_MS) != WAIT_TIMEOUT) continue;
            traceOutcome("Single instance: process %lu did not end", found.processId);
        }
        if (HWND window = windowBeforeTheEnd(running.get(), found.processId, startTick)) {
            bringToFront(window);
            traceOutcome("Single instance: process %lu runs, its window brought to the front", found.processId);
            return false;
        }
        if (WaitForSingleObject(running.get(), 0) == WAIT_TIMEOUT) {
            traceOutcome("Single instance: process %lu runs, no window to bring to the front", found.processId);
            return false;
        }
        // It ended: the record now names its successor, or one that ended.
    }
}

bool SingleInstance::withoutCheck(const char* reason) {
    traceDirect(reason);
    view_.reset();
    section_.reset();
    mutex_.reset();
    return true;
}

void SingleInstance::passTo(ChildSetup& setup) const {
    setup.inherited[0] = mutex_.get();
    setup.inherited[1] = section_.get();
}

void SingleInstance::recordApplication(HANDLE process, DWORD processId) {
    if (!view_) return;
    MutexLock lock(mutex_.get(), RECORD_LOCK_WAIT_MS);
    if (!lock.acquired()) {
        traceDirect("Single instance: the record's lock was not free, the application is not recorded");
        return;
    }
    writeRecord(process, processId);
}

void SingleInstance::writeRecord(HANDLE process, DWORD processId) {
    InstanceRecord* record = static_cast<InstanceRecord*>(view_.get());
    record->processId = processId;
    creationTime(process, &record->created);
}
