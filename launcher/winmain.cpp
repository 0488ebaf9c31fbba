// The launcher's entry point.
#include <windows.h>

#include "base/worker_threads.h"
#include "launcher/main_flow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    // Libraries the launcher loads by name must never come from the current
    // directory, which may be a downloads folder.
    SetDllDirectoryA("");
    const int exitCode = runLauncher(instance, commandLine, showCommand);
    // No thread of the launcher may still run when the exit-time clean-up
    // begins.
    stopWorkerThreads();
    return exitCode;
}
