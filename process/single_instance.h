// One running application per instance name (PROP_SINGLE_INSTANCE): a
// second start brings the running application's window to the front.
// A named mutex guards a named section that records the application's
// process (id and creation time, so that a reused id never counts); the
// application inherits both, so they live exactly as long as it does.
#pragma once

#include <windows.h>

#include "base/handle.h"
#include "process/child_runner.h"

// Room for an object's name: "Local\", at most 200 bytes of the instance
// name, a suffix of the launcher's, the terminator.
const int INSTANCE_OBJECT_NAME_MAX = 6 + 200 + 16;

// Writes "Local\" and the instance name, cut at 200 bytes, with each
// backslash made "_", into `object`; returns its length.
int instanceObjectName(const char* name, char* object);

class SingleInstance {
public:
    // With an empty name there is nothing to check. Otherwise true when
    // this start goes on: no running instance (the launcher then records
    // itself until the application has started), or the objects could not
    // be made or locked. False when the instance runs: its first visible
    // top-level window, if it shows one within seconds, has been brought
    // to the front. An instance that ends within those seconds (an
    // application restarting itself) makes this a first start; so does
    // one that started this launcher (a restart with its window still up)
    // and ends within 10 s.
    bool claim(const char* name);

    // Lets the application inherit the objects, and records it once started.
    void passTo(ChildSetup& setup) const;
    void recordApplication(HANDLE process, DWORD processId);

private:
    // Traces why, drops the objects and lets the start go on unchecked.
    bool withoutCheck(const char* reason);
    // With the record's lock held.
    void writeRecord(HANDLE process, DWORD processId);

    KernelObject mutex_;
    KernelObject section_;
    MappedView view_;
};
