#include "process_run.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string environmentBlock(const std::map<std::string, std::optional<std::string>>& changes) {
    std::map<std::string, std::string> variables;  // upper-case name -> "Name=value"
    char* strings = GetEnvironmentStringsA();
    for (const char* p = strings; *p; p += strlen(p) + 1) {
        std::string entry(p);
        size_t eq = entry.find('=', 1);
        if (eq == std::string::npos) continue;
        variables[upper(entry.substr(0, eq))] = entry;
    }
    FreeEnvironmentStringsA(strings);
    for (const auto& change : changes) {
        if (change.second) {
            variables[upper(change.first)] = change.first + "=" + *change.second;
        } else {
            variables.erase(upper(change.first));
        }
    }
    std::string block;
    for (const auto& v : variables) block += v.second + '\0';
    return block + '\0';
}

// How long the output may stay open after the program's end.
const DWORD OUTPUT_END_MS = 10000;

struct OutputReader {
    HANDLE pipe;
    std::string* output;
};

DWORD WINAPI readOutput(void* context) {
    auto* reader = static_cast<OutputReader*>(context);
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(reader->pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) reader->output->append(buffer, n);
    return 0;
}

}  // namespace

std::string quoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') quoted.append(backslashes * 2 + 1, '\\');
        else quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

RunResult runProcess(const std::string& commandLine, const RunOptions& options) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) throw std::runtime_error("CreatePipe failed");
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE nul = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0,
                             nullptr);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    DWORD flags = 0;
    if (options.redirect) {
        startup.hStdInput = options.standardHandles[0];
        startup.hStdOutput = options.standardHandles[1];
        startup.hStdError = options.standardHandles[2];
        flags |= DETACHED_PROCESS;
    }
    if (options.showCommand >= 0) {
        startup.dwFlags |= STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(options.showCommand);
    }
    PROCESS_INFORMATION child = {};
    std::string command = commandLine;
    std::string environment = environmentBlock(options.environment);
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, flags, &environment[0],
                                  options.startFolder.empty() ? nullptr : options.startFolder.c_str(), &startup,
                                  &child);
    CloseHandle(writeEnd);
    CloseHandle(nul);
    if (!started) {
        CloseHandle(readEnd);
        throw std::runtime_error("cannot start: " + commandLine);
    }
    CloseHandle(child.hThread);

    RunResult result;
    OutputReader output{readEnd, &result.output};
    HANDLE reader = CreateThread(nullptr, 0, readOutput, &output, 0, nullptr);
    if (!reader) throw std::runtime_error("CreateThread failed");
    if (options.whileRunning) options.whileRunning(child.dwProcessId, options.context);
    result.exitCode = waitForExit(child.hProcess, options.timeoutMs, &result.timedOut);
    // A process the program started may hold the output open after its end;
    // the run ends all the same, and says so.
    if (WaitForSingleObject(reader, OUTPUT_END_MS) == WAIT_TIMEOUT) {
        result.timedOut = true;
        CancelSynchronousIo(reader);
        if (WaitForSingleObject(reader, OUTPUT_END_MS) == WAIT_TIMEOUT) TerminateThread(reader, 1);
    }
    CloseHandle(reader);
    CloseHandle(readEnd);
    return result;
}

unsigned long waitForExit(void* process, unsigned timeoutMs, bool* timedOut) {
    *timedOut = WaitForSingleObject(process, timeoutMs) == WAIT_TIMEOUT;
    if (*timedOut) {
        TerminateProcess(process, 0xDEAD);
        WaitForSingleObject(process, 5000);
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process, &exitCode);
    CloseHandle(process);
    return exitCode;
}
