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

namespace {

const char* const SOURCE = "per-user runtime";
const ULONGLONG BYTE_COUNT_MAX = 0xFFFFFFFFFFFFFFFFULL;

void trace(const Text& line) { traceDirect("Runtime download: " + line); }

bool isFile(const Text& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Text environmentValue(const char* name) {
    char value[LAUNCHER_PATH_MAX];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? Text(value, length) : Text();
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
    work.unpack = unpackRuntimeArchive(work.download.file.get(), work.staging, &work.shared.cancel);
    return 0;
}

void cancelWork(void* context) { cancelDownload(&static_cast<FetchWork*>(context)->shared); }

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
    fileName_ = defaultRuntimeFolderName(launcherFile);
    Text folder = loadSettingText(PROP_RUNTIME_FOLDER);
    if (folder.empty()) folder = fileName_;
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
    if (!isFile(store_.mark)) {
        traceDirect("Per-user runtime rejected: incomplete (no mark of a whole runtime)");
        return Text();
    }
    return acceptGivenRuntime(store_.home, SOURCE, true);
}

Text RuntimeOnDemand::fail(const Text& reason, DWORD error) {
    Text line = reason;
    if (error) {
        char suffix[24];
        wsprintfA(suffix, " (error %lu)", error);
        line += suffix;
    }
    trace("failed: " + line);
    failureLine_ = "The Java runtime could not be downloaded: " + line + ".";
    return Text();
}

// Refused by the same rules, the same archive would be refused again; a
// launcher with other rules judges anew.
bool RuntimeOnDemand::refusedBefore() {
    if (!isInstalled(store_, javaExeName)) {
        const Text refused = readSmallFile(store_.refusedMark);
        if (refused.empty()) return false;
        if (refused != runtimeRules()) {
            trace("refused before under other rules (" + refused + "), judged again");
            return false;
        }
    }
    failureLine_ = "The Java runtime downloaded earlier does not meet the application's requirements.";
    return true;
}

Text RuntimeOnDemand::fetch(HINSTANCE instance) {
    if (refusedBefore()) return Text();
    Text level;
    DWORD error = 0;
    if (!prepareRuntimeFolder(localAppData_, store_, &level, &error)) {
        return fail(error ? "cannot create " + level : level + " is a link, not a folder", error);
    }
    ProgressWindow* window = new ProgressWindow();
    auto closeWindow = makeScopeGuard([&] { delete window; });
    window->open(instance, applicationName(instance, fileName_), size_);
    const FileHandle lock = takeLock(*window);
    return lock ? fetchUnderLock(*window) : Text();
}

// One launcher of the user at a time, in any of the user's sessions: the
// lock is a file in the folder it guards.
FileHandle RuntimeOnDemand::takeLock(ProgressWindow& window) {
    DWORD error = 0;
    FileHandle lock = takeRuntimeLock(store_, &error);
    const DWORD start = GetTickCount();
    if (!lock && isLockHeld(error)) trace("waiting for another launcher's download");
    while (!lock && isLockHeld(error)) {
        if (window.waitAWhile(LOCK_POLL_MS)) {
            fail("cancelled");
            return lock;
        }
        if (GetTickCount() - start >= OTHER_DOWNLOAD_WAIT_MS) {
            fail("another launcher's download did not end");
            return lock;
        }
        lock = takeRuntimeLock(store_, &error);
    }
    if (!lock) fail("cannot create " + store_.lockFile, error);
    return lock;
}

Text RuntimeOnDemand::fetchUnderLock(ProgressWindow& window) {
    if (isInstalled(store_, javaExeName)) {
        trace("installed by another launcher");
        return acceptGivenRuntime(store_.home, SOURCE, true);
    }
    // A home without its mark or its executable is what a scanner or a
    // clean-up left of a runtime: it goes, and the runtime comes again.
    if (pathExists(store_.home)) {
        if (!removeTree(store_.home)) return fail("cannot remove the incomplete runtime " + store_.home);
        trace("removed the incomplete runtime " + store_.home);
    }
    if (pathExists(store_.partFile) || pathExists(store_.staging)) {
        if (!removeLeftovers(store_)) return fail("cannot remove the leftovers of an earlier start");
        trace("removed the leftovers of an earlier start");
    }
    // Refused under other rules, the runtime is judged anew.
    removeTree(store_.refusedMark);
    const bool done = runWork(window);
    removeLeftovers(store_);
    if (!done) return Text();
    if (!isFile(store_.home + "\\bin\\" + javaExeName)) return fail("the archive lacks bin\\" + javaExeName);
    return acceptGivenRuntime(store_.home, SOURCE, true);
}

bool RuntimeOnDemand::runWork(ProgressWindow& window) {
    FetchWork* work = new FetchWork();
    auto freeWork = makeScopeGuard([&] { delete work; });
    work->job.address = url_;
    work->job.size = size_;
    for (int i = 0; i < SHA256_BYTES; ++i) work->job.sha256[i] = hash_[i];
    work->job.file = store_.partFile;
    work->staging = store_.staging;
    ThreadHandle thread(CreateThread(nullptr, 0, fetchThread, work, CREATE_SUSPENDED, nullptr));
    const DWORD error = GetLastError();
    if (!thread || !listWorkerThread(thread.get())) {
        if (thread) TerminateThread(thread.get(), 0);
        fail("cannot start the download", thread ? 0 : error);
        return false;
    }
    ResumeThread(thread.get());
    window.runUntilEnded(thread.get(), &work->shared.received, cancelWork, work);
    if (work->download.failure != DownloadFailure::None) {
        fail(downloadReason(work->download), work->download.error);
        return false;
    }
    const UnpackResult& unpack = work->unpack;
    if (unpack.failure != UnpackFailure::None) {
        if (!unpack.entry.empty()) {
            Text line = "entry " + unpack.entry;
            if (!unpack.detail.empty()) line += ": " + unpack.detail;
            trace(line);
        }
        fail(unpackFailureText(unpack.failure), unpack.error);
        return false;
    }
    trace("unpacked " + decimalText(unpack.files) + " files");
    return judgeStaged() && placeWhole(unpack.files, unpack.bytes);
}

// Judged before it is placed: a runtime in place has passed. Only a
// definite refusal is remembered, with the rules it failed.
bool RuntimeOnDemand::judgeStaged() {
    bool definite = true;
    if (!acceptGivenRuntime(store_.staging, SOURCE, false, &definite).empty()) return true;
    DWORD error = 0;
    if (!definite) {
        fail("its version could not be read");
    } else if (writeSmallFile(store_.refusedMark, runtimeRules().c_str(), &error)) {
        failureLine_ = "The downloaded Java runtime does not meet the application's requirements.";
    } else {
        fail("cannot write " + store_.refusedMark, error);
    }
    return false;
}

// Renamed into place, then counted: a file a scanner took after the
// unpacking leaves the runtime incomplete, and without its mark.
bool RuntimeOnDemand::placeWhole(unsigned files, ULONGLONG bytes) {
    DWORD error = 0;
    if (!placeStagedRuntime(store_, &error)) {
        fail("cannot rename the staging folder", error);
        return false;
    }
    unsigned placedFiles = 0;
    ULONGLONG placedBytes = 0;
    countTree(store_.home, &placedFiles, &placedBytes);
    if (placedFiles != files || placedBytes != bytes) {
        removeTree(store_.home);
        fail("files went missing after the unpacking");
        return false;
    }
    char mark[160];
    wsprintfA(mark, "sha256 %s\r\nfiles %lu\r\nbytes %s\r\n", hashHex_.c_str(), files, decimalText(bytes).c_str());
    if (!writeSmallFile(store_.mark, mark, &error)) {
        fail("cannot write " + store_.mark, error);
        return false;
    }
    trace("installed " + store_.home);
    return true;
}
