#include "launcher/runtime_on_demand.h"

#include "base/handle.h"
#include "base/settings.h"
#include "base/state.h"
#include "base/trace.h"
#include "base/worker_threads.h"
#include "discovery/path_exists.h"
#include "discovery/runtime_search.h"
#include "fetch/archive_names.h"
#include "fetch/http_download.h"
#include "fetch/zip_unpack.h"
#include "ui/application_name.h"
#include "ui/progress_window.h"

namespace {

const char* const SOURCE = "per-user runtime";
const ULONGLONG BYTE_COUNT_MAX = 0xFFFFFFFFFFFFFFFFULL;

void trace(const Text& line) { traceDirect("Runtime download: " + line); }

Text withError(const Text& text, DWORD error) {
    if (!error) return text;
    char suffix[24];
    wsprintfA(suffix, " (error %lu)", error);
    return text + suffix;
}

bool isFile(const Text& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Text environmentValue(const char* name) {
    char value[LAUNCHER_PATH_MAX];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? Text(value, length) : Text();
}

Text userName() {
    char name[257];
    DWORD length = sizeof name;
    return GetUserNameA(name, &length) ? Text(name) : Text();
}

// What the worker thread does and learns; the main thread reads it once
// the thread has ended.
struct FetchWork {
    DownloadJob job;
    DownloadShared shared;
    Text staging;
    DownloadResult download;
    UnpackResult unpack;
};

DWORD WINAPI fetchThread(void* context) {
    FetchWork& work = *static_cast<FetchWork*>(context);
    work.download = downloadFile(work.job, &work.shared);
    if (work.download.failure != DownloadFailure::None) return 0;
    trace("unpacking into " + work.staging);
    work.unpack = unpackRuntimeArchive(work.job.file, work.staging, &work.shared.cancel);
    return 0;
}

void cancelWork(void* context) { cancelDownload(&static_cast<FetchWork*>(context)->shared); }

// Waits for the mutex while the thread's windows go on being served.
DWORD waitPumping(HANDLE object, DWORD limitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD waited = GetTickCount() - start;
        if (waited >= limitMs) return WAIT_TIMEOUT;
        const DWORD woken = MsgWaitForMultipleObjects(1, &object, FALSE, limitMs - waited, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1) return woken;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

Text downloadReason(const DownloadResult& result) {
    if (result.failure == DownloadFailure::Status) return "the server answered " + decimalText(result.status);
    return downloadFailureText(result.failure);
}

}  // namespace

bool parseByteCount(const Text& text, ULONGLONG* value) {
    if (text.empty() || text.length() > 20) return false;
    ULONGLONG result = 0;
    for (size_t i = 0; i < text.length(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        // Without a 64-bit division, which would bring the runtime library's.
        if (result > BYTE_COUNT_MAX / 10 || (result == BYTE_COUNT_MAX / 10 && digit > BYTE_COUNT_MAX % 10)) return false;
        result = result * 10 + digit;
    }
    *value = result;
    return result > 0;
}

RuntimeOnDemand::RuntimeOnDemand(const Text& launcherFile) { ready_ = readSettings(launcherFile); }

bool RuntimeOnDemand::readSettings(const Text& launcherFile) {
    url_ = loadSettingText(PROP_RUNTIME_URL);
    if (url_.empty()) return false;
    traceLine << "PROP_RUNTIME_URL: " << url_ << traceEnd;
    if (!isDownloadAddress(url_)) {
        trace("PROP_RUNTIME_URL is no http or https address, ignored");
        return false;
    }
    hashHex_ = loadSettingText(PROP_RUNTIME_SHA256);
    if (!parseSha256Hex(hashHex_, hash_)) {
        trace("PROP_RUNTIME_SHA256 is not 64 hexadecimal digits, PROP_RUNTIME_URL ignored");
        return false;
    }
    if (!parseByteCount(loadSettingText(PROP_RUNTIME_SIZE), &size_)) {
        trace("PROP_RUNTIME_SIZE is not a byte count, PROP_RUNTIME_URL ignored");
        return false;
    }
    applicationName_ = defaultRuntimeFolderName(launcherFile);
    Text folder = loadSettingText(PROP_RUNTIME_FOLDER);
    if (folder.empty()) folder = applicationName_;
    if (!isPlainFolderName(folder.c_str())) {
        trace("PROP_RUNTIME_FOLDER is not a plain folder name, PROP_RUNTIME_URL ignored");
        return false;
    }
    localAppData_ = environmentValue("LOCALAPPDATA");
    if (!isAbsolutePath(localAppData_)) {
        trace("LOCALAPPDATA is not set, PROP_RUNTIME_URL ignored");
        return false;
    }
    store_ = runtimeStoreFor(localAppData_, folder, hashHex_);
    return true;
}

Text RuntimeOnDemand::installedRuntime() const {
    if (!ready_ || !isFile(store_.home + "\\bin\\" + javaExeName)) return Text();
    traceLine << "Per-user runtime: " << store_.home << traceEnd;
    return acceptGivenRuntime(store_.home, SOURCE, true);
}

Text RuntimeOnDemand::fail(const Text& reason) {
    trace("failed: " + reason);
    failureLine_ = "The Java runtime could not be downloaded: " + reason + ".";
    return Text();
}

Text RuntimeOnDemand::fetch(HINSTANCE instance) {
    // Already there, then the search's rules refused it, now or when it was
    // downloaded: the same archive would give the same runtime.
    if (isFile(store_.home + "\\bin\\" + javaExeName) || isFile(store_.refusedMark)) {
        failureLine_ = "The Java runtime downloaded earlier does not meet the application's requirements.";
        return Text();
    }
    DWORD error = 0;
    if (!createRuntimeFolder(localAppData_, store_, &error)) {
        return fail(withError("cannot create " + store_.runtimeFolder, error));
    }
    ProcessHandle mutex(CreateMutexA(nullptr, FALSE, runtimeMutexName(userName(), hashHex_).c_str()));
    if (!mutex) return fail(withError("cannot create the download's mutex", GetLastError()));
    DWORD waited = WaitForSingleObject(mutex.get(), 0);
    if (waited == WAIT_TIMEOUT) {
        trace("waiting for another launcher's download");
        waited = waitPumping(mutex.get(), OTHER_DOWNLOAD_WAIT_MS);
    }
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return fail("another launcher's download did not end");
    auto release = makeScopeGuard([&] { ReleaseMutex(mutex.get()); });
    return fetchUnderMutex(instance);
}

Text RuntimeOnDemand::fetchUnderMutex(HINSTANCE instance) {
    const Text executable = store_.home + "\\bin\\" + javaExeName;
    if (isFile(executable)) {
        trace("installed by another launcher");
    } else {
        if (isFile(store_.partFile) || pathExists(store_.staging)) {
            trace(removeLeftovers(store_) ? "removed the leftovers of an earlier start"
                                          : "cannot remove the leftovers of an earlier start");
        }
        const bool done = runWork(instance);
        removeLeftovers(store_);
        if (!done) return Text();
        if (!isFile(executable)) return fail("the archive lacks bin\\" + javaExeName);
    }
    return acceptGivenRuntime(store_.home, SOURCE, true);
}

bool RuntimeOnDemand::runWork(HINSTANCE instance) {
    FetchWork* work = new FetchWork();
    auto freeWork = makeScopeGuard([&] { delete work; });
    work->job.address = url_;
    work->job.size = size_;
    for (int i = 0; i < SHA256_BYTES; ++i) work->job.sha256[i] = hash_[i];
    work->job.file = store_.partFile;
    work->staging = store_.staging;
    ThreadHandle thread(CreateThread(nullptr, 0, fetchThread, work, CREATE_SUSPENDED, nullptr));
    if (!thread) {
        fail(withError("cannot start the download", GetLastError()));
        return false;
    }
    if (!listWorkerThread(thread.get())) {
        TerminateThread(thread.get(), 0);
        fail("cannot start the download");
        return false;
    }
    ProgressWindow* window = new ProgressWindow();
    window->open(instance, applicationName(instance, applicationName_), size_);
    ResumeThread(thread.get());
    window->runUntilEnded(thread.get(), &work->shared.received, cancelWork, work);
    delete window;
    if (work->download.failure != DownloadFailure::None) {
        fail(withError(downloadReason(work->download), work->download.error));
        return false;
    }
    const UnpackResult& unpack = work->unpack;
    if (unpack.failure != UnpackFailure::None) {
        Text reason = unpackFailureText(unpack.failure);
        if (!unpack.entry.empty()) trace("entry " + unpack.entry + (unpack.detail.empty() ? Text() : ": " + unpack.detail));
        fail(withError(reason, unpack.error));
        return false;
    }
    trace("unpacked " + decimalText(unpack.files) + " files");
    // Judged before it is placed: a runtime in place has passed.
    if (acceptGivenRuntime(store_.staging, SOURCE, false).empty()) {
        FileHandle mark(CreateFileA(store_.refusedMark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        failureLine_ = "The downloaded Java runtime does not meet the application's requirements.";
        return false;
    }
    DWORD error = 0;
    const Placement placement = placeStagedRuntime(store_, javaExeName, &error);
    if (placement == Placement::Failed) {
        fail(withError("cannot rename the staging folder", error));
        return false;
    }
    trace(placement == Placement::Placed ? "installed " + store_.home : "kept the runtime another launcher installed");
    return true;
}
