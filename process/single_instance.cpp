#include "process/single_instance.h"

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

bool creationTime(HANDLE process, FILETIME* created) {
    FILETIME unused[3];
    return GetProcessTimes(process, created, &unused[0], &unused[1], &unused[2]) != 0;
}

// The recorded process still runs, and it is that very process, not a later
// one that got the same id.
bool recordedProcessRuns(const InstanceRecord& record) {
    ProcessHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, record.processId));
    FILETIME created;
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT && creationTime(process.get(), &created) &&
           CompareFileTime(&created, &record.created) == 0;
}

bool bringToFront(DWORD processId) {
    HWND window = firstVisibleWindowOf(processId);
    if (!window) return false;
    // Asynchronous: an application that does not answer cannot hold the
    // launcher up.
    if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
    SetForegroundWindow(window);
    return true;
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
    lstrcpyA(object + length, ".lock");
    mutex_.reset(CreateMutexA(&inheritable, FALSE, object));
    lstrcpyA(object + length, ".process");
    section_.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, &inheritable, PAGE_READWRITE, 0, sizeof(InstanceRecord), object));
    if (section_) view_.reset(MapViewOfFile(section_.get(), FILE_MAP_WRITE, 0, 0, sizeof(InstanceRecord)));
    if (!mutex_ || !view_) {
        traceDirect("Single instance: no instance objects, no check");
        mutex_.reset();
        section_.reset();
        return true;
    }
    WaitForSingleObject(mutex_.get(), RECORD_LOCK_WAIT_MS);
    const InstanceRecord found = *static_cast<InstanceRecord*>(view_.get());
    const bool runs = recordedProcessRuns(found);
    // Until the application has started, a second start finds the launcher.
    if (!runs) recordApplication(GetCurrentProcess(), GetCurrentProcessId());
    ReleaseMutex(mutex_.get());

    const char* outcome = "Single instance: first start";
    if (found.processId) outcome = "Single instance: process %lu has ended, first start";
    if (runs) {
        outcome = bringToFront(found.processId) ? "Single instance: process %lu runs, its window brought to the front"
                                                : "Single instance: process %lu runs, no window to bring to the front";
    }
    char line[96];
    wsprintfA(line, outcome, found.processId);
    traceDirect(line);
    return !runs;
}

void SingleInstance::passTo(ChildSetup& setup) const {
    setup.inherited[0] = mutex_.get();
    setup.inherited[1] = section_.get();
}

void SingleInstance::recordApplication(HANDLE process, DWORD processId) {
    if (!view_) return;
    // The mutex is the record's lock; it may be held already (claim).
    WaitForSingleObject(mutex_.get(), RECORD_LOCK_WAIT_MS);
    InstanceRecord* record = static_cast<InstanceRecord*>(view_.get());
    record->processId = processId;
    creationTime(process, &record->created);
    ReleaseMutex(mutex_.get());
}
