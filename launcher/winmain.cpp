// The launcher's entry point. The image is linked without the C runtime's
// start-up code (about 6 KB with its thread-local support, argument parser
// and exception filters): the launcher reads its own command line, and
// needs of the start-up only the static constructors and the exit.
#include <windows.h>

#include <stdlib.h>

#include "base/worker_threads.h"
#include "launcher/main_flow.h"
#include "launcher/switches.h"

extern "C" {
extern IMAGE_DOS_HEADER __ImageBase;
typedef void (*StaticConstructor)();
extern StaticConstructor __CTOR_LIST__[];
extern char __RUNTIME_PSEUDO_RELOC_LIST__;
extern char __RUNTIME_PSEUDO_RELOC_LIST_END__;

// The static objects' constructors register their destructors here; the
// runtime library runs them at exit(), as it runs its own.
int __cdecl atexit(void(__cdecl* destructor)(void)) {
    return _onexit(reinterpret_cast<_onexit_t>(destructor)) ? 0 : -1;
}
}

namespace {

// The list starts with its count, or with -1 when only its closing null
// marks its end; the constructors run from the last to the first.
void runStaticConstructors() {
    size_t count = reinterpret_cast<size_t>(__CTOR_LIST__[0]);
    if (count == static_cast<size_t>(-1)) {
        count = 0;
        while (__CTOR_LIST__[count + 1]) ++count;
    }
    for (; count > 0; --count) __CTOR_LIST__[count]();
}

// Libraries loaded by name, by the launcher or by system libraries on its
// behalf, come from the system folder (and a runtime's bin, which the
// runtime inside the launcher adds), never from beside the launcher or
// from the current directory: either may be a downloads folder. Windows 7
// without its loader update lacks the call; there the current directory
// at least is left out.
void restrictLibrarySearch() {
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    const auto restrict = reinterpret_cast<SetDefaultDirectories>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (!restrict || !restrict(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_USER_DIRS)) SetDllDirectoryA("");
}

int startShowCommand() {
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

}  // namespace

extern "C" __attribute__((noreturn)) void launcherStart() {
    // The start-up code would patch references to data imported from DLLs;
    // the launcher imports functions only, and stops should that change.
    if (&__RUNTIME_PSEUDO_RELOC_LIST__ != &__RUNTIME_PSEUDO_RELOC_LIST_END__) abort();
    runStaticConstructors();
    restrictLibrarySearch();
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(&__ImageBase);
    const int exitCode = runLauncher(instance, commandLineTail(GetCommandLineA(), CP_ACP), startShowCommand());
    // No thread of the launcher may still run when the exit-time clean-up
    // (the static objects' destructors) begins.
    stopWorkerThreads();
    exit(exitCode);
}
