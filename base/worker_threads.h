// The threads the launcher starts besides its main thread: the output
// readers of the child process runners.
//
// The process must not begin its exit-time clean-up while one of them still
// runs: the clean-up destroys what a reader uses (the log file, the runtime
// library's heap and locks), and the system ends a thread that is still
// running only asynchronously, while the libraries are already being taken
// down. So every such thread is listed here, and before the process ends the
// main thread asks them all to stop and waits until each has ended.
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
