// The launcher's threads besides the main thread (the output readers).
// The exit-time clean-up destroys what a reader uses (the log file, the
// heap's locks), so before the process ends every listed thread is asked
// to stop and waited for.
#pragma once

#include <windows.h>

// Lists a thread that has not started running yet; the list keeps a handle
// of its own. False when the list cannot take it (the caller then must not
// let the thread run).
bool listWorkerThread(HANDLE thread);

// True while the threads are being stopped: a reader finishes the chunk in
// hand, takes what its pipe holds at that moment, and returns.
bool workerThreadsStopping();

// Asks every listed thread to stop, wakes those blocked in a synchronous
// read, and waits until each has ended. A thread that does not end within a
// generous bound is left behind rather than hang the launcher.
void stopWorkerThreads();
