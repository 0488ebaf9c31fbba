// The floor the launcher's start-up is measured against: the least a GUI
// program must do for the same result. It reads one string from its own
// resources (the argument line) and starts the given program with the
// same command line the launcher would give it. With runtime homes after
// the program, it first runs each home's "bin\java.exe -version" and waits
// for it to end, as a runtime search with version probes must.
//
//     floor.exe PROGRAM [HOME...]     (each may be quoted)
//
// It imports what the launcher's every path imports and nothing more.
#include <windows.h>

namespace {

const UINT ARGUMENT_LINE_ID = 1;
const int TEXT_MAX = 4096;

// The next argument of the command line, quotes removed; null at the end.
const char* nextArgument(const char*& at, char (&argument)[TEXT_MAX]) {
    while (*at == ' ' || *at == '\t') ++at;
    if (!*at) return nullptr;
    int length = 0;
    bool quoted = false;
    for (; *at && (quoted || (*at != ' ' && *at != '\t')); ++at) {
        if (*at == '"') {
            quoted = !quoted;
        } else if (length < TEXT_MAX - 1) {
            argument[length++] = *at;
        }
    }
    argument[length] = '\0';
    return argument;
}

bool start(char* commandLine, bool waitForEnd) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    if (waitForEnd) WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const char* at = GetCommandLineA();
    char argument[TEXT_MAX];
    char program[TEXT_MAX];
    char commandLine[3 * TEXT_MAX];
    nextArgument(at, argument);  // this program's own name
    if (!nextArgument(at, program)) return 2;
    while (nextArgument(at, argument)) {
        wsprintfA(commandLine, "\"%s\\bin\\java.exe\" -version", argument);
        start(commandLine, true);
    }
    char argumentLine[TEXT_MAX];
    LoadStringA(instance, ARGUMENT_LINE_ID, argumentLine, TEXT_MAX);
    wsprintfA(commandLine, "\"%s\" %s", program, argumentLine);
    return start(commandLine, false) ? 0 : 1;
}
