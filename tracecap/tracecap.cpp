// tracecap: runs a program as its debugger and prints every string the
// program sends to the debugger output, one per line, in order, escaped so
// that nothing is lost (see trace_escape.h). Ends with the program's own
// exit code.
//
//     tracecap.exe launcher.exe -Xdebug some arguments
//     tracecap.exe --timestamps launcher.exe
//
// Everything after tracecap's own name (and its one option) is the
// program's command line, passed on unchanged. With --timestamps each line
// begins with the milliseconds since the program was started, in brackets.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tracecap/trace_escape.h"

namespace {

// Exit codes of tracecap itself, when the program could not be traced.
const int EXIT_USAGE = 125;
const int EXIT_CANNOT_START = 126;

// A debug string is read up to its terminator, however long it is; this is
// only a guard against a string that never ends.
const size_t DEBUG_STRING_MAX = 16 * 1024 * 1024;

// The command line after the program's own name: the name ends at the
// first blank or control character outside double quotes, and the blanks
// after it are skipped. It is read in UTF-16, so that a program in a folder
// whose name the ANSI code page cannot write still starts.
const wchar_t* commandTail(const wchar_t* commandLine) {
    const wchar_t* p = commandLine;
    bool quoted = false;
    while (*p && (quoted || *p > L' ')) {
        if (*p == L'"') quoted = !quoted;
        ++p;
    }
    while (*p && *p <= L' ') ++p;
    return p;
}

std::string ansi(const std::wstring& wide) {
    int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? size : 0, '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0], size, nullptr, nullptr);
    }
    return text;
}

void writeOut(HANDLE out, const std::string& text) {
    DWORD written = 0;
    size_t done = 0;
    while (done < text.size()) {
        DWORD piece = static_cast<DWORD>(text.size() - done);
        if (!WriteFile(out, text.data() + done, piece, &written, nullptr) || written == 0) return;
        done += written;
    }
}

// Reads a terminated string of the debuggee page by page, so that a read
// never crosses into memory that is not there.
std::string readAnsiString(HANDLE process, const void* address) {
    std::string text;
    const char* at = static_cast<const char*>(address);
    while (text.size() < DEBUG_STRING_MAX) {
        char page[4096];
        size_t piece = 4096 - (reinterpret_cast<size_t>(at) & 4095);
        SIZE_T read = 0;
        if (!ReadProcessMemory(process, at, page, piece, &read) || read == 0) break;
        for (SIZE_T i = 0; i < read; ++i) {
            if (page[i] == '\0') return text;
            text += page[i];
        }
        at += read;
    }
    return text;
}

std::string readWideString(HANDLE process, const void* address) {
    std::wstring wide;
    const WCHAR* at = static_cast<const WCHAR*>(address);
    WCHAR unit = 0;
    SIZE_T read = 0;
    while (wide.size() < DEBUG_STRING_MAX && ReadProcessMemory(process, at++, &unit, sizeof unit, &read) && unit) {
        wide += unit;
    }
    return ansi(wide);
}

const wchar_t TIMESTAMPS_OPTION[] = L"--timestamps ";

double millisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
}

std::string timestamp(const LARGE_INTEGER* start) {
    if (!start) return std::string();
    char stamp[32];
    snprintf(stamp, sizeof stamp, "[%.3f] ", millisecondsSince(*start));
    return stamp;
}

DWORD traceUntilExit(HANDLE out, HANDLE process, const LARGE_INTEGER* start) {
    for (;;) {
        DEBUG_EVENT event;
        if (!WaitForDebugEvent(&event, INFINITE)) return EXIT_CANNOT_START;
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case OUTPUT_DEBUG_STRING_EVENT: {
            const OUTPUT_DEBUG_STRING_INFO& info = event.u.DebugString;
            std::string text = info.fUnicode ? readWideString(process, info.lpDebugStringData)
                                             : readAnsiString(process, info.lpDebugStringData);
            writeOut(out, timestamp(start) + escapeTraceLine(text) + "\r\n");
            break;
        }
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
            break;
        case EXCEPTION_DEBUG_EVENT:
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                status = DBG_EXCEPTION_NOT_HANDLED;
            }
            break;
        case EXIT_PROCESS_DEBUG_EVENT: {
            DWORD exitCode = event.u.ExitProcess.dwExitCode;
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
            return exitCode;
        }
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
}

}  // namespace

int main() {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring command = commandTail(GetCommandLineW());
    const bool timestamps = command.compare(0, wcslen(TIMESTAMPS_OPTION), TIMESTAMPS_OPTION) == 0;
    if (timestamps) command = commandTail(command.c_str());
    if (command.empty()) {
        writeOut(err, "usage: tracecap.exe program.exe [arguments...]\r\n");
        return EXIT_USAGE;
    }
    // The program gets the show command tracecap was given, as if it had
    // been started directly (minimised, say).
    STARTUPINFOW own;
    GetStartupInfoW(&own);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (own.dwFlags & STARTF_USESHOWWINDOW) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = own.wShowWindow;
    }
    PROCESS_INFORMATION child = {};
    // No handle inheritance: a pipe that reads tracecap's output must end
    // with tracecap, not with whatever the program starts in turn.
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr,
                        &startup, &child)) {
        writeOut(err, "tracecap: cannot start: " + ansi(command) + "\r\n");
        return EXIT_CANNOT_START;
    }
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    CloseHandle(child.hThread);
    DWORD exitCode = traceUntilExit(out, child.hProcess, timestamps ? &start : nullptr);
    CloseHandle(child.hProcess);
    return static_cast<int>(exitCode);
}
