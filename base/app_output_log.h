// The application's console output: copied to the debugger output, and in
// debug mode to "log.txt" in the directory the launcher was started in.
#pragma once

#include <stdio.h>
#include <windows.h>

class LogFile {
public:
    LogFile();
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Creates or empties the file, in text mode; a failure leaves the log
    // silent.
    void open(const char* name);
    bool isOpen() const { return file_ != nullptr; }

    // Writes one chunk and flushes it, so the file on disk is whole after
    // every chunk. Does nothing once the log is closed.
    void write(const char* chunk);

    // The writer, the application runner's reader thread, has been stopped
    // before the process ends (see base/worker_threads.h); the lock keeps a
    // write and the close apart all the same.
    void close();

private:
    CRITICAL_SECTION lock_;
    FILE* file_ = nullptr;
};

extern LogFile logFile;

// The output handler of the application runner: a chunk of at most 255
// characters, or null once the output has ended.
void logApplicationOutput(const char* chunk);
