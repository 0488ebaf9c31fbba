#include "base/app_output_log.h"

#include "base/state.h"
#include "base/trace.h"

namespace {

// How long the exit waits for the writer to hand over the chunk it holds.
const DWORD WRITER_STOP_STEP_MS = 20;
const int WRITER_STOP_STEPS = 50;

}  // namespace

LogFile logFile;

LogFile::LogFile() { InitializeCriticalSection(&lock_); }

// The lock is deliberately never deleted: a reader thread that outlived the
// wait in stopWriter() may still enter it while the process ends.
LogFile::~LogFile() { close(); }

void LogFile::open(const char* name) {
    LockGuard guard(lock_);
    if (file_) fclose(file_);
    // Text mode: every line feed is stored as CR LF. The runtime library
    // opens the file shared, so other programs can read it meanwhile.
    file_ = fopen(name, "w");
}

void LogFile::write(const char* chunk) {
    LockGuard guard(lock_);
    if (!file_) return;
    if (fputs(chunk, file_) < 0 || fflush(file_) != 0) {
        // A failed write leaves the log silent from then on.
        fclose(file_);
        file_ = nullptr;
    }
}

void LogFile::watchWriter(HANDLE writerThread) { writer_.reset(writerThread); }

// The writer blocks in a synchronous pipe read most of the time. Cancelling
// that read makes it end its loop without losing anything: a read that had
// already returned data is written out first. A cancel that lands between
// two reads finds nothing to cancel, hence the repeats.
void LogFile::stopWriter() {
    if (!writer_) return;
    for (int i = 0; i < WRITER_STOP_STEPS; ++i) {
        CancelSynchronousIo(writer_.get());
        if (WaitForSingleObject(writer_.get(), WRITER_STOP_STEP_MS) != WAIT_TIMEOUT) break;
    }
    writer_.reset();
}

void LogFile::close() {
    bool wasOpen;
    {
        LockGuard guard(lock_);
        wasOpen = file_ != nullptr;
    }
    if (wasOpen) stopWriter();
    LockGuard guard(lock_);
    if (file_) {
        fclose(file_);
        file_ = nullptr;
    }
}

void logApplicationOutput(const char* chunk) {
    if (!chunk) return;
    if (debugMode) logFile.write(chunk);
    traceDirect(chunk);
}
