// Starts one command line as a hidden child whose standard streams are
// pipes held by the launcher; a reader thread (one of base/worker_threads.h)
// hands what the child writes to onOutput() chunk by chunk, then null at
// the end.
#pragma once

#include <windows.h>

#include "base/handle.h"
#include "process/child_text.h"

enum RunnerMode : unsigned {
    ModeInteractive = 4,   // run() while a child runs sends the text as an input line
    ModeKeepAfterEnd = 8,  // the owner keeps the object; else it frees itself at the end
    ModeRawText = 16,      // no conversion between the OEM and the ANSI code page
};

// How run() starts a child; the defaults are the launcher's usual start:
// pipes, a reader thread, and a process group of the child's own.
struct ChildSetup {
    // Standard input, output and error handed to the child instead of
    // pipes (the runner gives it copies of its own). The child then writes
    // where they go: no pipe, no reader thread, and the runner is idle
    // again when run() returns. The child shares the launcher's process
    // group, so that Ctrl+C in a shared console reaches it.
    bool passThrough = false;
    HANDLE standardHandles[3] = {nullptr, nullptr, nullptr};
    // A job the child is put in before it runs its first instruction;
    // null: none. A refused assignment is traced and the child runs
    // outside the job.
    HANDLE job = nullptr;
    // Inheritable handles the child inherits besides its standard handles;
    // null: none.
    HANDLE inherited[2] = {nullptr, nullptr};
};

// What the owner of a started child may keep: handles of its own, taken
// before the reader thread runs, so that a self-destroying runner can never
// take them away.
struct StartedChild {
    ProcessHandle process;
    DWORD processId = 0;
    ThreadHandle readerThread;  // none when the standard handles were passed through
    bool inJob = false;
};

// A job with these limits (JOB_OBJECT_LIMIT_...); empty when the system
// gives none, and a child then runs without one.
JobHandle makeJob(DWORD limits);
bool limitJob(HANDLE job, DWORD limits);

class ChildProcessRunner {
public:
    explicit ChildProcessRunner(unsigned mode);
    virtual ~ChildProcessRunner();
    ChildProcessRunner(const ChildProcessRunner&) = delete;
    ChildProcessRunner& operator=(const ChildProcessRunner&) = delete;

    // 0: started (or, interactive, the line was sent); 1: no command line, or
    // the process could not be created; 2: a child is already running, or a
    // pipe, handle or the reader thread could not be set up. On 0, `started`
    // (when given) receives the child's process handle and id and a handle
    // of the reader thread.
    int run(const char* commandLine, StartedChild* started = nullptr, const ChildSetup* setup = nullptr);

    // Reads the pipe of `readEnd` as it reads a child's output, until every
    // holder of its write end has closed it: the launcher's own process
    // writes there when it runs the runtime inside itself. 0 or 2, as run()
    // gives them; `started` then holds no process.
    int readOwnOutput(PipeEnd readEnd, StartedChild* started);

    // Sends text to the child's standard input (converted to the OEM code
    // page unless ModeRawText). A child that has ended is not told.
    void writeInput(const char* text);

    // Releases the pipes and the process handle. From the owner's thread
    // while the child's output is still being read, it ends the reader
    // thread; the child itself is never ended.
    void close();

    // For a ModeKeepAfterEnd owner that is done with the runner: it is freed
    // now when its reader thread has finished, or else by that thread at the
    // end of the output.
    void abandon();

    bool isReading();
    DWORD processId() const { return processId_; }

    // The system's error number of the step that made the last run() fail.
    DWORD lastError() const { return lastError_; }

protected:
    // A chunk of at most 255 bytes read, NUL-terminated and converted (in
    // Unicode mode to UTF-8, which may take more bytes), or null at the end.
    // Runs on the reader thread.
    virtual void onOutput(const char* chunk);

private:
    static DWORD WINAPI readerMain(void* runner);
    void readOutput();
    int failStart(int result);
    int startReading(StartedChild* started);
    int runPassingThrough(const char* commandLine, const ChildSetup& setup, StartedChild* started);
    bool createChild(const char* commandLine, HANDLE output, HANDLE input, HANDLE error, const ChildSetup& setup,
                     bool* inJob);
    void deliver(ChildOutputDecoder& decoder, char* chunk, DWORD length);
    void releaseHandles();

    PROCESS_INFORMATION processInfo_;
    const unsigned mode_;
    ThreadHandle readerThread_;
    ProcessHandle process_;
    PipeEnd inputWrite_;
    PipeEnd outputRead_;
    DWORD processId_ = 0;
    DWORD lastError_ = 0;

    // Guards the reader thread's end against run(), close() and abandon()
    // on the owner's thread.
    CRITICAL_SECTION lock_;
    bool abandoned_ = false;
};
