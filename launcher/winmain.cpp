// The launcher's entry point.
#include <windows.h>

#include "launcher/main_flow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    // Libraries the launcher loads by name must never come from the current
    // directory, which may be a downloads folder.
    SetDllDirectoryA("");
    return runLauncher(instance, commandLine, showCommand);
}
