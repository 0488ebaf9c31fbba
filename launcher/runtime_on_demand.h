// The runtime on demand (PROP_RUNTIME_URL with PROP_RUNTIME_SHA256 and
// PROP_RUNTIME_SIZE): when no runtime is found, the launcher downloads the
// archive the developer pinned, checks its size and SHA-256, unpacks it
// into the user's own folder and starts the application with it. Every
// later start finds it there with two file tests (its executable and the
// mark of a whole runtime), before the search. A runtime found damaged
// (by a virus scanner's quarantine, a clean-up tool) is fetched again.
//
// Without PROP_RUNTIME_URL nothing of this runs and nothing is traced.
#pragma once

#include <windows.h>

#include "base/text.h"
#include "fetch/runtime_store.h"
#include "fetch/sha256.h"
#include "ui/progress_window.h"

// How long a launcher waits for another launcher's download of the same
// runtime before it gives up: a large runtime on a slow line takes minutes.
const DWORD OTHER_DOWNLOAD_WAIT_MS = 15 * 60 * 1000;
const DWORD LOCK_POLL_MS = 250;

// An unsigned 64-bit decimal: digits only, at least one, no overflow, not 0.
bool parseByteCount(const Text& text, ULONGLONG* value);

class RuntimeOnDemand {
public:
    // Reads and checks the settings; a URL without valid companions is
    // ignored, and the trace says why.
    explicit RuntimeOnDemand(const Text& launcherFile);

    bool ready() const { return ready_; }

    // The per-user runtime's executable when it is there, whole, and passes
    // the search's rules; empty otherwise, and always when not ready().
    Text installedRuntime() const;

    // Downloads, checks, unpacks and places the runtime, and judges it as
    // installedRuntime() does. Empty on any failure, with the dialog's line
    // in failureLine().
    Text fetch(HINSTANCE instance);

    // The line the missing-runtime dialog adds; null when no fetch failed.
    const char* failureLine() const { return failureLine_.empty() ? nullptr : failureLine_.c_str(); }

private:
    bool readSettings(const Text& launcherFile);
    bool refusedBefore();
    FileHandle takeLock(ProgressWindow& window);
    Text fetchUnderLock(ProgressWindow& window);
    bool runWork(ProgressWindow& window);
    bool judgeStaged();
    bool placeWhole(unsigned files, ULONGLONG bytes);
    // The dialog's line and the trace's; a system error number follows the
    // reason.
    Text fail(const Text& reason, DWORD error = 0);

    bool ready_ = false;
    Text url_;
    Text hashHex_;
    BYTE hash_[SHA256_BYTES] = {};
    ULONGLONG size_ = 0;
    Text localAppData_;
    Text fileName_;  // the launcher's, without ".exe"
    RuntimeStore store_;
    Text failureLine_;
};
