// The launcher's entry point.
#include <windows.h>

#include "base/worker_threads.h"
#include "launcher/main_flow.h"
#include "launcher/switches.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // Libraries the launcher loads by name must never come from the current
    // directory, which may be a downloads folder.
    SetDllDirectoryA("");
    // The tail the start-up code hands over is cut at the first byte above
    // 127 of an unquoted program name: it is taken from the command line.
    const int exitCode = runLauncher(instance, commandLineTail(GetCommandLineA(), CP_ACP), showCommand);
    // No thread of the launcher may still run when the exit-time clean-up
    // begins.
    stopWorkerThreads();
    return exitCode;
}
