// The launcher's entry point.
#include <windows.h>

#include "launcher/main_flow.h"
#include "launcher/switches.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // Libraries the launcher loads by name must never come from the current
    // directory, which may be a downloads folder.
    SetDllDirectoryA("");
    // The tail the start-up code hands over is cut at the first byte above
    // 127 of an unquoted program name: it is taken from the command line.
    return runLauncher(instance, commandLineTail(GetCommandLineA(), CP_ACP), showCommand);
}
