#include "process/hosted_runtime.h"

#include <stdint.h>
#include <string.h>
#include <utility>

#include "base/trace.h"

namespace {

// JLI_Launch's count, the most of the library's functions take; each call
// passes this many, the unused ones 0.
const int CALL_ARGUMENTS = 14;
using CallArguments = intptr_t[CALL_ARGUMENTS];

const DWORD STANDARD_HANDLE_IDS[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};

#ifdef _WIN64
// One calling convention, whose caller removes what it passed.
intptr_t callLibrary(FARPROC function, const intptr_t* a) {
    using Any = intptr_t (*)(intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t,
                             intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t);
    return reinterpret_cast<Any>(reinterpret_cast<void (*)()>(function))(a[0], a[1], a[2], a[3], a[4], a[5], a[6],
                                                                         a[7], a[8], a[9], a[10], a[11], a[12], a[13]);
}
#else
// Java 9 and later declare the library's functions stdcall (they take their
// arguments off the stack), Java 8 declared JLI_Launch cdecl (its caller
// does): the stack pointer comes back from the frame, right for both.
extern "C" intptr_t callLibrary(FARPROC function, const intptr_t* arguments);
asm(".text\n"
    ".globl _callLibrary\n"
    "_callLibrary:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    movl 12(%ebp), %edx\n"
    "    movl $14, %ecx\n"
    "1:  pushl -4(%edx,%ecx,4)\n"
    "    loop 1b\n"
    "    call *8(%ebp)\n"
    "    leave\n"
    "    ret\n");
#endif

// A 32-bit library of Java 9 or later exports stdcall names decorated with
// the bytes of their arguments: "_JLI_Launch@56".
FARPROC libraryFunction(HMODULE library, const char* name, int argumentBytes) {
    FARPROC function = GetProcAddress(library, name);
#ifdef _WIN64
    (void)argumentBytes;
#else
    if (!function) {
        char decorated[40];
        wsprintfA(decorated, "_%s@%d", name, argumentBytes);
        function = GetProcAddress(library, decorated);
    }
#endif
    return function;
}

// What the application's thread needs; never freed.
struct Launch {
    FARPROC function;
    CallArguments arguments;
    HANDLE output;  // the output pipe's write end; null without one
};

DWORD WINAPI runApplication(void* parameter) {
    Launch* launch = static_cast<Launch*>(parameter);
    const DWORD result = static_cast<DWORD>(callLibrary(launch->function, launch->arguments));
    // The application has ended: with the pipe's last write end gone, its
    // reader takes what is left and ends.
    if (launch->output) {
        SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
        SetStdHandle(STD_ERROR_HANDLE, nullptr);
        CloseHandle(launch->output);
    }
    return result;
}

// Splits the command line with the library's own parser into the first
// two arguments, argc and argv, as javaw.exe does; false when the library
// has no parser.
bool splitByTheLibrary(HMODULE library, const char* commandLine, intptr_t* arguments) {
    const FARPROC split = libraryFunction(library, "JLI_CmdToArgs", 4);
    const FARPROC countOf = libraryFunction(library, "JLI_GetStdArgc", 0);
    const FARPROC argumentsOf = libraryFunction(library, "JLI_GetStdArgs", 0);
    if (!split || !countOf || !argumentsOf) return false;
    CallArguments call = {};
    // (no arguments of a launcher's own, argument files allowed); Java 8's
    // library has no such step.
    if (const FARPROC start = libraryFunction(library, "JLI_InitArgProcessing", 8)) callLibrary(start, call);
    call[0] = reinterpret_cast<intptr_t>(commandLine);
    callLibrary(split, call);
    const intptr_t count = callLibrary(countOf, call);
    // Each argument is followed by a flag, padded to a pointer's size.
    char* const* parsed = reinterpret_cast<char* const*>(callLibrary(argumentsOf, call));
    char** argv = new char*[count + 1];
    for (intptr_t i = 0; i < count; ++i) argv[i] = parsed[2 * i];
    argv[count] = nullptr;
    arguments[0] = count;
    arguments[1] = reinterpret_cast<intptr_t>(argv);
    return true;
}

}  // namespace

StartedApplication hostRuntime(const Text& library, const Text& version, const Text& commandLine, char** ownSplit,
                               bool console,
                               ApplicationRunner* runner, const ChildSetup& setup, DWORD* failureCode) {
    StartedApplication application;
    Launch* launch = new Launch();
    PipeEnd outputRead;
    PipeEnd outputWrite;
    if (setup.passThrough) {
        for (int i = 0; i < 3; ++i) SetStdHandle(STANDARD_HANDLE_IDS[i], setup.standardHandles[i]);
    } else if (CreatePipe(outputRead.put(), outputWrite.put(), nullptr, 0)) {
        SetStdHandle(STD_OUTPUT_HANDLE, outputWrite.get());
        SetStdHandle(STD_ERROR_HANDLE, outputWrite.get());
    }
    // A start that fails leaves no handle of the pipe's behind.
    auto undoOutput = makeScopeGuard([&] {
        if (outputWrite) {
            SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
            SetStdHandle(STD_ERROR_HANDLE, nullptr);
        }
        delete launch;
    });
    launch->output = outputWrite.get();
    traceLine << "In-process: " << library << traceEnd;
    // The runtime loads some of its libraries by name; they come from its bin.
    Text bin(library);
    bin.truncate(bin.findLast('\\'));
    SetDllDirectoryA(bin.c_str());
    ModuleHandle loaded(LoadLibraryA(library.c_str()));
    *failureCode = loaded ? ERROR_PROC_NOT_FOUND : GetLastError();
    launch->function = loaded ? libraryFunction(loaded.get(), "JLI_Launch", 4 * CALL_ARGUMENTS) : nullptr;
    intptr_t* arguments = launch->arguments;
    if (launch->function) {
        if (!splitByTheLibrary(loaded.get(), commandLine.c_str(), arguments)) {
            traceDirect("In-process: the library has no parser, the launcher splits the command line");
            intptr_t count = 0;
            while (ownSplit[count]) ++count;
            arguments[0] = count;
            arguments[1] = reinterpret_cast<intptr_t>(ownSplit);
        }
        // No arguments of a launcher's own, no class path of its own, the
        // class path's wildcards expanded: javaw.exe's call, or java.exe's.
        arguments[6] = arguments[7] = reinterpret_cast<intptr_t>(version.c_str());
        arguments[8] = arguments[9] = reinterpret_cast<intptr_t>("java");
        arguments[11] = 1;
        arguments[12] = !console;
        application.process.reset(CreateThread(nullptr, 0, runApplication, launch, 0, nullptr));
        application.processId = GetCurrentProcessId();
        *failureCode = GetLastError();
    }
    if (application.started()) {
        // The application's thread owns the write end and the record now,
        // and the runtime stays loaded until the process ends.
        outputWrite.release();
        loaded.release();
        undoOutput.release();
    }
    StartedChild reading;
    if (application.started() && outputRead && runner->readOwnOutput(std::move(outputRead), &reading) == 0) {
        application.reader = std::move(reading.readerThread);
    } else {
        delete runner;
    }
    return application;
}
