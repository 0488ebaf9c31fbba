#include "base/app_output_log.h"

#include "base/handle.h"
#include "base/state.h"
#include "base/trace.h"

LogFile logFile;

LogFile::LogFile() { InitializeCriticalSection(&lock_); }

// The lock is deliberately never deleted: a reader thread that outlived the
// launcher's stop of its threads may still enter it while the process ends.
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

void LogFile::close() {
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
