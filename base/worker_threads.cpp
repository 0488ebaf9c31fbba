#include "base/worker_threads.h"

namespace {

// A run has at most three version probes and one application; ended
// threads leave the list whenever a new one comes.
const int WORKER_MAX = 32;
const DWORD STOP_STEP_MS = 20;
const DWORD STOP_LIMIT_MS = 5000;

SRWLOCK listLock = SRWLOCK_INIT;
HANDLE workers[WORKER_MAX];
int workerCount = 0;
volatile LONG stopping = 0;

bool hasEnded(HANDLE thread) { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }

// Under the lock.
void forgetEndedThreads() {
    int kept = 0;
    for (int i = 0; i < workerCount; ++i) {
        if (hasEnded(workers[i])) {
            CloseHandle(workers[i]);
        } else {
            workers[kept++] = workers[i];
        }
    }
    workerCount = kept;
}

// A thread blocked in a synchronous read only sees the request once the
// read returns; a cancel that comes between its test and its read finds
// nothing to cancel, hence the repeats.
bool waitForStop(HANDLE thread) {
    for (DWORD waited = 0; waited < STOP_LIMIT_MS; waited += STOP_STEP_MS) {
        CancelSynchronousIo(thread);
        if (WaitForSingleObject(thread, STOP_STEP_MS) != WAIT_TIMEOUT) return true;
    }
    return false;
}

}  // namespace

bool listWorkerThread(HANDLE thread) {
    HANDLE own = nullptr;
    HANDLE self = GetCurrentProcess();
    if (!DuplicateHandle(self, thread, self, &own, 0, FALSE, DUPLICATE_SAME_ACCESS)) return false;
    AcquireSRWLockExclusive(&listLock);
    forgetEndedThreads();
    const bool listed = workerCount < WORKER_MAX;
    if (listed) workers[workerCount++] = own;
    ReleaseSRWLockExclusive(&listLock);
    if (!listed) CloseHandle(own);
    return listed;
}

bool workerThreadsStopping() { return InterlockedCompareExchange(&stopping, 0, 0) != 0; }

void stopWorkerThreads() {
    InterlockedExchange(&stopping, 1);
    AcquireSRWLockExclusive(&listLock);
    int survivors = 0;
    for (int i = 0; i < workerCount; ++i) {
        if (waitForStop(workers[i])) {
            CloseHandle(workers[i]);
        } else {
            workers[survivors++] = workers[i];
        }
    }
    workerCount = survivors;
    ReleaseSRWLockExclusive(&listLock);
    // A thread that never ended must not start reading again.
    if (survivors == 0) InterlockedExchange(&stopping, 0);
}
