// A stand-in for a Java runtime's "java.exe" and "javaw.exe", for tests and
// the demonstration: no Java runtime can be installed on the build machine.
//
// It behaves as the file "standin.cfg" beside it says (key=value lines;
// values may hold \n, \r, \t, \\ and \xHH):
//
//   version_text      what "-version" prints        (default: java version "1.6.0_45" ...)
//   version_stream    stdout or stderr              (default: stderr, as Java does)
//   version_delay_ms  wait before printing it       (default: 0)
//   version_late_text printed after version_late_ms more, before exiting
//   version_late_ms   (default: 0)
//   exit_code         exit code                     (default: 0)
//   run_ms            how long it runs              (default: 0)
//   output            printed on standard output at the start (raw bytes allowed)
//   error_output      printed on standard error after that
//   output_repeat     how many times "output" is printed (default: 1)
//   window_after_ms   show a visible top-level window after this delay
//   hidden_window     1: create a top-level window that is never shown
//   grandchild_ms     start a grandchild that inherits the output handles,
//                     keeps them open this long and then prints
//                     "grandchild done" (with "-version" too, before the
//                     version text)
//   echo_input        1: read one line from standard input and print
//                     "input: " and that line
//   spawn             a command line (UTF-8) started at the start, unless
//   spawn_unless      this text is in the stand-in's own command line
//                     (an application that restarts itself)
//
// For console programs and launchers that wait for them (exit_code may be
// any 32-bit value, in decimal or as 0x...):
//
//   interleave        print N lines alternately on standard output
//                     ("out K") and standard error ("err K")
//   copy_input        1: read standard input to its end and print "input: "
//                     and all of it
//   chatter_ms        print numbered lines without a pause for this long,
//                     or until nobody reads them
//   ctrl_c_exit_code  on Ctrl+C or Ctrl+Break print "ctrl event" and exit
//                     with this code (set up before the start is recorded)
//
// Every start is appended to "standin-record.txt" beside it: the command
// line, the current directory and the start-up information received. The
// command line and the directory are recorded twice: as the ANSI code page
// gives them, and read in UTF-16 and written as UTF-8 (commandline_utf8,
// cwd_utf8), which is what a Java runtime sees.
//
// Built with STANDIN_LAUNCHER_LIBRARY it is a runtime's bin\jli.dll for a
// launcher that runs the runtime inside itself: JLI_Launch behaves as the
// program does; its record ("hosted=1") adds the program it runs in, the
// home it finds as the real library does (the program's path less its file
// name and one folder, if bin\java.dll or jre\bin\java.dll is there; else
// its own), the java.dll it loaded (by name from the search path for its
// own home), its call and each argument (arg=, in the ANSI code page).
// exit_process=1 ends the process with ExitProcess(exit_code), as
// System.exit does; crash=1 in an access violation. STANDIN_JAVA8 makes it
// Java 8's: cdecl (32-bit Java 9 and later are stdcall), without
// JLI_InitArgProcessing.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

// What the launcher library adds to the record of its start.
std::string hostedRecord;

std::string utf8(const wchar_t* wide) {
    int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 1 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], size, nullptr, nullptr);
    return text;
}

std::wstring fromUtf8(const std::string& text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(size > 1 ? size - 1 : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], size);
    return wide;
}

// As UTF-8: the stand-in may lie in a folder whose name the ANSI code page
// cannot write.
std::string ownFolder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH);
    std::string p = n < MAX_PATH ? utf8(path) : std::string();
    return p.substr(0, p.find_last_of('\\'));
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string unescape(const std::string& v) {
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\' || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        char c = v[++i];
        if (c == 'n') out += '\n';
        else if (c == 'r') out += '\r';
        else if (c == 't') out += '\t';
        else if (c == 'x' && i + 2 < v.size() && hexValue(v[i + 1]) >= 0 && hexValue(v[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(v[i + 1]) * 16 + hexValue(v[i + 2]));
            i += 2;
        } else out += c;
    }
    return out;
}

std::map<std::string, std::string> readConfig(const std::string& path) {
    std::map<std::string, std::string> config;
    FILE* f = _wfopen(fromUtf8(path).c_str(), L"rb");
    if (!f) return config;
    char line[65536];
    while (fgets(line, sizeof line, f)) {
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
        size_t eq = s.find('=');
        if (eq == std::string::npos || s.empty() || s[0] == '#') continue;
        config[s.substr(0, eq)] = unescape(s.substr(eq + 1));
    }
    fclose(f);
    return config;
}

long number(const std::map<std::string, std::string>& c, const char* key, long fallback) {
    auto it = c.find(key);
    return it == c.end() ? fallback : strtol(it->second.c_str(), nullptr, 10);
}

std::string text(const std::map<std::string, std::string>& c, const char* key, const std::string& fallback) {
    auto it = c.find(key);
    return it == c.end() ? fallback : it->second;
}

const char* handleKind(HANDLE h) {
    if (h == nullptr || h == INVALID_HANDLE_VALUE) return "none";
    switch (GetFileType(h)) {
    case FILE_TYPE_PIPE: return "pipe";
    case FILE_TYPE_CHAR: return "console";
    case FILE_TYPE_DISK: return "file";
    default: return "unknown";
    }
}

void record(const std::string& folder) {
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    char cwd[MAX_PATH * 4] = "";
    GetCurrentDirectoryA(sizeof cwd, cwd);
    std::string entry = "commandline=" + std::string(GetCommandLineA()) + "\r\n";
    entry += "cwd=" + std::string(cwd) + "\r\n";
    wchar_t wideCwd[MAX_PATH * 4] = L"";
    GetCurrentDirectoryW(MAX_PATH * 4, wideCwd);
    entry += "commandline_utf8=" + utf8(GetCommandLineW()) + "\r\n";
    entry += "cwd_utf8=" + utf8(wideCwd) + "\r\n";
    char info[256];
    snprintf(info, sizeof info,
             "flags=0x%lX\r\nshow=%u\r\nstdin=%s\r\nstdout=%s\r\nstderr=%s\r\npid=%lu\r\ntick=%lu\r\nend\r\n",
             startup.dwFlags, startup.wShowWindow, handleKind(GetStdHandle(STD_INPUT_HANDLE)),
             handleKind(GetStdHandle(STD_OUTPUT_HANDLE)), handleKind(GetStdHandle(STD_ERROR_HANDLE)),
             GetCurrentProcessId(), GetTickCount());
    entry += info;
    entry.insert(entry.size() - 5, hostedRecord);  // before "end"
    // Appends from several processes at once must not interleave.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "standin-record-lock");
    WaitForSingleObject(mutex, 5000);
    HANDLE file = CreateFileW(fromUtf8(folder + "\\standin-record.txt").c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
        CloseHandle(file);
    }
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

void writeTo(DWORD stream, const std::string& bytes) {
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(GetStdHandle(stream), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void spawn(const std::map<std::string, std::string>& config) {
    const std::string command = text(config, "spawn", "");
    const std::string unless = text(config, "spawn_unless", "");
    if (command.empty() || (!unless.empty() && utf8(GetCommandLineW()).find(unless) != std::string::npos)) return;
    std::wstring line = fromUtf8(command);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
}

bool hasArgument(const char* name) {
    std::string line = GetCommandLineA();
    size_t at = line.find(name);
    return at != std::string::npos && (at + strlen(name) == line.size() || line[at + strlen(name)] == ' ');
}

void startGrandchild(long milliseconds) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = "\"" + std::string(self) + "\" --grandchild " + std::to_string(milliseconds);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child = {};
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
}

HWND createWindow(const char* title) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "StandInJavaFrame";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, 100, 100, 320, 200, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

// Runs for `runMs`, pumping messages, and shows the window when its time
// comes.
void runFor(long runMs, long windowAfterMs, HWND window) {
    const DWORD start = GetTickCount();
    bool shown = false;
    for (;;) {
        const long elapsed = static_cast<long>(GetTickCount() - start);
        if (window && !shown && windowAfterMs >= 0 && elapsed >= windowAfterMs) {
            // The first ShowWindow of a process takes the show command of
            // its start-up information; the second one is ours.
            ShowWindow(window, SW_SHOW);
            ShowWindow(window, SW_SHOW);
            UpdateWindow(window);
            shown = true;
        }
        if (elapsed >= runMs) return;
        long wait = runMs - elapsed;
        if (window && !shown && windowAfterMs >= 0 && windowAfterMs - elapsed < wait) wait = windowAfterMs - elapsed;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait < 0 ? 0 : wait), QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
}

DWORD exitCodeFrom(const std::map<std::string, std::string>& c) {
    return static_cast<DWORD>(strtoul(text(c, "exit_code", "0").c_str(), nullptr, 0));
}

DWORD ctrlExitCode = 0;

BOOL WINAPI onCtrlEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    writeTo(STD_OUTPUT_HANDLE, "ctrl event\n");
    ExitProcess(ctrlExitCode);
}

void setUpCtrlExit(const std::map<std::string, std::string>& c) {
    if (!c.count("ctrl_c_exit_code")) return;
    ctrlExitCode = static_cast<DWORD>(strtoul(c.at("ctrl_c_exit_code").c_str(), nullptr, 0));
    SetConsoleCtrlHandler(onCtrlEvent, TRUE);
}

std::string allInput() {
    std::string input;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        input.append(buffer, read);
    }
    return input;
}

bool writeAll(DWORD stream, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(GetStdHandle(stream), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

void runConsoleBehaviours(const std::map<std::string, std::string>& c) {
    const long lines = number(c, "interleave", 0);
    for (long k = 1; k <= lines; ++k) {
        writeTo(STD_OUTPUT_HANDLE, "out " + std::to_string(k) + "\n");
        writeTo(STD_ERROR_HANDLE, "err " + std::to_string(k) + "\n");
    }
    if (number(c, "copy_input", 0)) writeTo(STD_OUTPUT_HANDLE, "input: " + allInput());
    const long chatter = number(c, "chatter_ms", 0);
    const DWORD start = GetTickCount();
    for (long k = 1; chatter > 0 && static_cast<long>(GetTickCount() - start) < chatter; ++k) {
        if (!writeAll(STD_OUTPUT_HANDLE, "chatter line " + std::to_string(k) + "\n")) break;
    }
}

int runStandin() {
    const std::string folder = ownFolder();
    const auto config = readConfig(folder + "\\standin.cfg");
    setUpCtrlExit(config);
    record(folder);
    const int exitCode = static_cast<int>(exitCodeFrom(config));
    spawn(config);

    const long grandchild = number(config, "grandchild_ms", -1);
    if (hostedRecord.empty() && hasArgument("-version")) {
        if (grandchild >= 0) startGrandchild(grandchild);
        Sleep(static_cast<DWORD>(number(config, "version_delay_ms", 0)));
        const std::string version = text(config, "version_text",
                                         "java version \"1.6.0_45\"\r\nJava(TM) SE Runtime Environment (stand-in)\r\n");
        const DWORD stream = text(config, "version_stream", "stderr") == "stdout" ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
        writeTo(stream, version);
        Sleep(static_cast<DWORD>(number(config, "version_late_ms", 0)));
        writeTo(stream, text(config, "version_late_text", ""));
        return exitCode;
    }

    const long repeat = number(config, "output_repeat", 1);
    for (long i = 0; i < repeat; ++i) writeTo(STD_OUTPUT_HANDLE, text(config, "output", ""));
    writeTo(STD_ERROR_HANDLE, text(config, "error_output", ""));
    runConsoleBehaviours(config);
    if (number(config, "echo_input", 0)) {
        char line[1024];
        DWORD read = 0;
        std::string input;
        while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), line, 1, &read, nullptr) && read == 1 && line[0] != '\n') {
            input += line[0];
        }
        writeTo(STD_OUTPUT_HANDLE, "input: " + input + "\n");
    }
    if (grandchild >= 0) startGrandchild(grandchild);

    const long windowAfter = number(config, "window_after_ms", -1);
    HWND window = nullptr;
    if (windowAfter >= 0 || number(config, "hidden_window", 0)) window = createWindow("Stand-in Java application");
    runFor(number(config, "run_ms", 0), windowAfter, window);
    return exitCode;
}

}  // namespace

#ifdef STANDIN_LAUNCHER_LIBRARY
#ifdef STANDIN_JAVA8
#define JNICALL __cdecl
#else
#define JNICALL __stdcall
#endif

namespace {

std::vector<std::pair<char*, unsigned char>> parsedArguments;  // JLI's StdArg: the argument, a flag
const char* argumentFiles = "0";

std::string upTo(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

// The home, and in `javaLibrary` the path of the java.dll loaded from it.
std::string findHome(char* javaLibrary) {
    GetModuleFileNameA(nullptr, javaLibrary, MAX_PATH);
    std::string home = upTo(upTo(javaLibrary));
    if (GetFileAttributesA((home + "\\bin\\java.dll").c_str()) == INVALID_FILE_ATTRIBUTES) home += "\\jre";
    HMODULE java = LoadLibraryA((home + "\\bin\\java.dll").c_str());
    if (!java) java = LoadLibraryA("java.dll"), home = upTo(ownFolder());
    javaLibrary[0] = '\0';
    if (java) GetModuleFileNameA(java, javaLibrary, MAX_PATH);
    return home;
}

LONG WINAPI endWithTheException(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

}  // namespace

extern "C" {
#ifndef STANDIN_JAVA8
void JNICALL JLI_InitArgProcessing(unsigned char, unsigned char) { argumentFiles = "1"; }
#endif

// The system's rules, which the runtime's own parser follows, in the ANSI
// code page.
void JNICALL JLI_CmdToArgs(char* commandLine) {
    static wchar_t wide[32768];
    static char argument[32768];
    MultiByteToWideChar(CP_ACP, 0, commandLine, -1, wide, 32768);
    int count = 0;
    LPWSTR* split = CommandLineToArgvW(wide, &count);
    for (int i = 0; i < count; ++i) {
        WideCharToMultiByte(CP_ACP, 0, split[i], -1, argument, sizeof argument, nullptr, nullptr);
        parsedArguments.push_back({_strdup(argument), 0});
    }
    LocalFree(split);
}

int JNICALL JLI_GetStdArgc() { return static_cast<int>(parsedArguments.size()); }

void* JNICALL JLI_GetStdArgs() { return parsedArguments.data(); }

int JNICALL JLI_Launch(int argc, char** argv, int jargc, const char**, int appclassc, const char**, const char* version,
                       const char*, const char* program, const char*, unsigned char, unsigned char wildcards,
                       unsigned char javaw, int) {
    char javaLibrary[MAX_PATH], launcher[MAX_PATH];
    GetModuleFileNameA(nullptr, launcher, MAX_PATH);
    const std::string home = findHome(javaLibrary);
    char call[160];
    snprintf(call, sizeof call, "%s %s jargc=%d appclassc=%d cpwildcard=%u javaw=%u argument_files=%s", program,
             version, jargc, appclassc, wildcards, javaw, argumentFiles);
    hostedRecord = "hosted=1\r\nexe=" + std::string(launcher) + "\r\nhome=" + home + "\r\njava_dll=" + javaLibrary +
                   "\r\ncall=" + call + "\r\n";
    for (int i = 0; i < argc; ++i) hostedRecord += "arg=" + std::string(argv[i]) + "\r\n";
    const int exitCode = runStandin();
    const auto config = readConfig(ownFolder() + "\\standin.cfg");
    if (number(config, "exit_process", 0)) ExitProcess(exitCode);
    // Its own filter, as a runtime has, keeps Wine's debugger away.
    if (number(config, "crash", 0)) SetUnhandledExceptionFilter(endWithTheException), *static_cast<volatile int*>(nullptr) = 0;
    return exitCode;
}
}  // extern "C"

#else

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--grandchild") {
        Sleep(static_cast<DWORD>(atol(argv[2])));
        writeTo(STD_OUTPUT_HANDLE, "grandchild done");
        return 0;
    }
    return runStandin();
}

#endif
