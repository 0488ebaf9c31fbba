#include "process/child_runner.h"

#include <string.h>
#include <utility>

#include "base/text.h"
#include "base/trace.h"
#include "process/child_text.h"
#include "base/worker_threads.h"

namespace {

const DWORD CHUNK_MAX = 255;

bool duplicateWithin(HANDLE source, HANDLE* target, BOOL inheritable) {
    HANDLE self = GetCurrentProcess();
    return DuplicateHandle(self, source, self, target, 0, inheritable, DUPLICATE_SAME_ACCESS) != 0;
}

// Console handles of systems before Windows 8 are not kernel handles: the
// child reaches them through its console, and the handle list refuses them.
bool isConsolePseudoHandle(HANDLE h) { return (reinterpret_cast<ULONG_PTR>(h) & 3) == 3; }

DWORD bytesWaiting(HANDLE pipe) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return 0;
    return available;
}

}  // namespace

bool limitJob(HANDLE job, DWORD limits) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION information;
    ZeroMemory(&information, sizeof information);
    information.BasicLimitInformation.LimitFlags = limits;
    return SetInformationJobObject(job, JobObjectExtendedLimitInformation, &information, sizeof information) != 0;
}

JobHandle makeJob(DWORD limits) {
    JobHandle job(CreateJobObjectA(nullptr, nullptr));
    if (job && !limitJob(job.get(), limits)) job.reset();
    return job;
}

ChildProcessRunner::ChildProcessRunner(unsigned mode) : mode_(mode) {
    ZeroMemory(&processInfo_, sizeof processInfo_);
    InitializeCriticalSection(&lock_);
}

ChildProcessRunner::~ChildProcessRunner() {
    close();
    DeleteCriticalSection(&lock_);
}

bool ChildProcessRunner::isReading() {
    LockGuard guard(lock_);
    return readerThread_.valid();
}

int ChildProcessRunner::run(const char* commandLine, StartedChild* started, const ChildSetup* setup) {
    if (isReading()) {
        if (!(mode_ & ModeInteractive)) return 2;
        writeInput((Text(commandLine) + "\r\n").c_str());
        return 0;
    }
    if (!commandLine || !*commandLine) return 1;
    const ChildSetup usual;
    if (!setup) setup = &usual;
    if (setup->passThrough) return runPassingThrough(commandLine, *setup, started);

    SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    PipeEnd outputReadInheritable, outputWrite, errorWrite, inputRead, inputWriteInheritable;
    // Standard error is a second handle of the output pipe's write end, so
    // the child's output and errors arrive mixed, in the order written.
    if (!CreatePipe(outputReadInheritable.put(), outputWrite.put(), &inheritable, 0) ||
        !duplicateWithin(outputWrite.get(), errorWrite.put(), TRUE) ||
        !CreatePipe(inputRead.put(), inputWriteInheritable.put(), &inheritable, 0) ||
        !duplicateWithin(outputReadInheritable.get(), outputRead_.put(), FALSE) ||
        !duplicateWithin(inputWriteInheritable.get(), inputWrite_.put(), FALSE)) {
        return failStart(2);
    }
    // The child must not inherit the launcher's ends, or the end of its
    // output would never be seen.
    outputReadInheritable.reset();
    inputWriteInheritable.reset();

    bool inJob = false;
    if (!createChild(commandLine, outputWrite.get(), inputRead.get(), errorWrite.get(), *setup, &inJob)) {
        return failStart(1);
    }
    // From now on only the child (and what it passes them to) holds the write
    // end, so the read fails once the last holder has closed it.
    outputWrite.reset();
    inputRead.reset();
    errorWrite.reset();
    if (started) started->inJob = inJob;
    return startReading(started);
}

int ChildProcessRunner::readOwnOutput(PipeEnd readEnd, StartedChild* started) {
    outputRead_ = std::move(readEnd);
    return startReading(started);
}

int ChildProcessRunner::startReading(StartedChild* started) {
    // Suspended, so that everything the owner needs is taken before a
    // self-destroying runner can go away, and so that it is listed for the
    // launcher's end before it runs.
    ThreadHandle thread(CreateThread(nullptr, 0, readerMain, this, CREATE_SUSPENDED, nullptr));
    if (!thread) return failStart(2);
    if (!listWorkerThread(thread.get())) {
        TerminateThread(thread.get(), 0);
        return failStart(2);
    }
    if (started) {
        if ((process_ && !duplicateWithin(process_.get(), started->process.put(), FALSE)) ||
            !duplicateWithin(thread.get(), started->readerThread.put(), FALSE)) {
            started->process.reset();
            started->readerThread.reset();
            TerminateThread(thread.get(), 0);
            return failStart(2);
        }
        started->processId = processId_;
    }
    HANDLE reader = thread.get();
    {
        LockGuard guard(lock_);
        readerThread_ = std::move(thread);
    }
    ResumeThread(reader);
    return 0;
}

int ChildProcessRunner::failStart(int result) {
    lastError_ = GetLastError();
    close();
    return result;
}

// The caller's handles, which may not be inheritable, are given to the
// child as inheritable copies of the runner's own.
int ChildProcessRunner::runPassingThrough(const char* commandLine, const ChildSetup& setup, StartedChild* started) {
    PipeEnd copies[3];
    for (int i = 0; i < 3; ++i) {
        if (!duplicateWithin(setup.standardHandles[i], copies[i].put(), TRUE)) return failStart(2);
    }
    bool inJob = false;
    if (!createChild(commandLine, copies[1].get(), copies[0].get(), copies[2].get(), setup, &inJob)) {
        return failStart(1);
    }
    if (started) {
        if (!duplicateWithin(process_.get(), started->process.put(), FALSE)) {
            started->process.reset();
            return failStart(2);
        }
        started->processId = processId_;
        started->inJob = inJob;
    }
    close();
    return 0;
}

bool ChildProcessRunner::createChild(const char* commandLine, HANDLE output, HANDLE input, HANDLE error,
                                     const ChildSetup& setup, bool* inJob) {
    traceLine << "CreateProcess: " << commandLine << traceEnd;
    STARTUPINFOEXA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.StartupInfo.cb = sizeof startup.StartupInfo;
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = input;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = error;

    // The child inherits its three standard handles and those the setup
    // names, and nothing else. The launcher may hold inheritable handles of
    // its own (a caller's redirected output, say); passed on unasked, they
    // would stay open for as long as the application runs, and a script
    // reading the launcher's output would wait for it.
    HANDLE inherited[5];
    DWORD inheritedCount = 0;
    for (HANDLE h : {input, output, error}) {
        if (!isConsolePseudoHandle(h)) inherited[inheritedCount++] = h;
    }
    for (HANDLE h : setup.inherited) {
        if (h) inherited[inheritedCount++] = h;
    }
    SIZE_T listSize = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &listSize);
    HeapMemory list(HeapAlloc(GetProcessHeap(), 0, listSize));
    auto attributes = static_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list.get());
    // A group of its own keeps the console's Ctrl+C from the child, which
    // is right for a child that only talks through pipes.
    DWORD flags = setup.passThrough ? 0 : CREATE_NEW_PROCESS_GROUP;
    // Suspended until it is in the job, so that nothing it starts escapes.
    if (setup.job) flags |= CREATE_SUSPENDED;
    if (attributes && InitializeProcThreadAttributeList(attributes, 1, 0, &listSize)) {
        if (UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                      inheritedCount * sizeof(HANDLE), nullptr, nullptr)) {
            startup.StartupInfo.cb = sizeof startup;
            startup.lpAttributeList = attributes;
            flags |= EXTENDED_STARTUPINFO_PRESENT;
        }
    }
    // CreateProcessA may write into the command line; it gets a copy.
    Text writable(commandLine);
    ZeroMemory(&processInfo_, sizeof processInfo_);
    const BOOL created = CreateProcessA(nullptr, const_cast<char*>(writable.c_str()), nullptr, nullptr, TRUE, flags,
                                        nullptr, nullptr, &startup.StartupInfo, &processInfo_);
    if (startup.lpAttributeList) DeleteProcThreadAttributeList(attributes);
    if (!created) return false;
    ThreadHandle primaryThread(processInfo_.hThread);
    processInfo_.hThread = nullptr;
    if (setup.job) {
        *inJob = AssignProcessToJobObject(setup.job, processInfo_.hProcess) != 0;
        if (!*inJob) traceDirect("AssignProcessToJobObject failed: the process runs without the job.");
        if (ResumeThread(primaryThread.get()) == static_cast<DWORD>(-1)) {
            TerminateProcess(processInfo_.hProcess, 1);
            CloseHandle(processInfo_.hProcess);
            processInfo_.hProcess = nullptr;
            return false;
        }
    }
    process_.reset(processInfo_.hProcess);
    processId_ = processInfo_.dwProcessId;
    return true;
}

void ChildProcessRunner::writeInput(const char* text) {
    const size_t length = strlen(text);
    if (length == 0) return;
    const Text converted = childInputText(text, length, (mode_ & ModeRawText) != 0);
    DWORD written = 0;
    WriteFile(inputWrite_.get(), converted.c_str(), static_cast<DWORD>(converted.length()), &written, nullptr);
}

void ChildProcessRunner::onOutput(const char*) {}

DWORD WINAPI ChildProcessRunner::readerMain(void* runner) {
    static_cast<ChildProcessRunner*>(runner)->readOutput();
    return 1;
}

void ChildProcessRunner::deliver(ChildOutputDecoder& decoder, char* chunk, DWORD length) {
    chunk[length] = '\0';
    if (const char* text = decoder.decode(chunk, length)) onOutput(text);
}

// Once the launcher is ending, the loop takes only what the pipe holds at
// that moment (all an ended child wrote; a bounded piece of a child that
// prints on) and never blocks again, so the stop comes after the chunk in
// hand even when the child keeps printing.
void ChildProcessRunner::readOutput() {
    char chunk[CHUNK_MAX + 1];
    ChildOutputDecoder decoder((mode_ & ModeRawText) != 0);
    bool stopping = false;
    DWORD left = 0;  // while stopping: bytes still to take
    for (;;) {
        if (!stopping && workerThreadsStopping()) {
            stopping = true;
            left = bytesWaiting(outputRead_.get());
        }
        if (stopping && left == 0) break;
        const DWORD wanted = stopping && left < CHUNK_MAX ? left : CHUNK_MAX;
        DWORD length = 0;
        if (!ReadFile(outputRead_.get(), chunk, wanted, &length, nullptr)) {
            // The stop's cancel woke a blocked read; what the pipe holds is
            // still there.
            if (GetLastError() == ERROR_OPERATION_ABORTED) continue;
            break;
        }
        if (length == 0) break;
        if (stopping) left -= length;
        deliver(decoder, chunk, length);
    }
    onOutput(nullptr);

    bool destroy;
    {
        LockGuard guard(lock_);
        readerThread_.reset();
        releaseHandles();
        destroy = !(mode_ & ModeKeepAfterEnd) || abandoned_;
    }
    // Nothing of the object may be touched past this point unless this
    // thread is the one that frees it: the owner may free it at once.
    if (destroy) delete this;
}

void ChildProcessRunner::releaseHandles() {
    process_.reset();
    processInfo_.hProcess = nullptr;
    inputWrite_.reset();
    outputRead_.reset();
}

void ChildProcessRunner::close() {
    LockGuard guard(lock_);
    if (readerThread_) {
        DWORD exitCode = 0;
        if (GetExitCodeThread(readerThread_.get(), &exitCode) && exitCode == STILL_ACTIVE) {
            TerminateThread(readerThread_.get(), 0);
        }
        readerThread_.reset();
    }
    releaseHandles();
}

void ChildProcessRunner::abandon() {
    {
        LockGuard guard(lock_);
        if (readerThread_) {
            abandoned_ = true;
            return;
        }
    }
    delete this;
}
