// A console window for the console tests, standing in for a command
// interpreter: started with a console of its own, it runs a command line in
// that console, with a line typed at the keyboard if asked, presses Ctrl+C
// once the test sets an event if asked, waits for the command's end, and
// writes a report: the command's exit code, then the console's screen line
// by line (trailing blanks cut). It ends with the command's exit code.
//
//   console_host.exe REPORT [--type TEXT] [--ctrl-c-on EVENT] COMMAND LINE...
//
// Like a command interpreter it ignores Ctrl+C itself through a handler of
// its own: the switch that ignores it altogether would be inherited by the
// command.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// One argument of the raw command line: quoted or up to a blank. Moves past
// it and the blanks after it.
std::string nextArgument(const char*& p) {
    std::string argument;
    bool quoted = false;
    for (; *p && (quoted || *p != ' '); ++p) {
        if (*p == '"') quoted = !quoted;
        else argument += *p;
    }
    while (*p == ' ') ++p;
    return argument;
}

BOOL WINAPI ignoreCtrl(DWORD) { return TRUE; }

void typeLine(const std::string& text) {
    HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    for (char c : text + "\r") {
        INPUT_RECORD keys[2] = {};
        for (int i = 0; i < 2; ++i) {
            keys[i].EventType = KEY_EVENT;
            keys[i].Event.KeyEvent.bKeyDown = i == 0;
            keys[i].Event.KeyEvent.wRepeatCount = 1;
            keys[i].Event.KeyEvent.wVirtualKeyCode = c == '\r' ? VK_RETURN : 0;
            keys[i].Event.KeyEvent.uChar.AsciiChar = c;
        }
        DWORD written = 0;
        WriteConsoleInputA(input, keys, 2, &written);
    }
    CloseHandle(input);
}

std::string screenText() {
    HANDLE output = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info;
    std::string screen;
    if (GetConsoleScreenBufferInfo(output, &info)) {
        std::string line(info.dwSize.X, ' ');
        for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
            DWORD read = 0;
            ReadConsoleOutputCharacterA(output, &line[0], info.dwSize.X, COORD{0, y}, &read);
            std::string row = line.substr(0, read);
            row.erase(row.find_last_not_of(' ') + 1);
            screen += row + "\n";
        }
    }
    CloseHandle(output);
    return screen;
}

}  // namespace

int main() {
    SetConsoleCtrlHandler(ignoreCtrl, TRUE);
    const char* p = GetCommandLineA();
    nextArgument(p);  // this program
    const std::string report = nextArgument(p);
    std::string typed, ctrlEvent;
    bool type = false;
    for (;;) {
        const char* before = p;
        const std::string option = nextArgument(p);
        if (option == "--type") {
            type = true;
            typed = nextArgument(p);
        } else if (option == "--ctrl-c-on") {
            ctrlEvent = nextArgument(p);
        } else {
            p = before;
            break;
        }
    }
    if (type) typeLine(typed);

    std::string command = p;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        return 126;
    }
    CloseHandle(child.hThread);
    if (!ctrlEvent.empty()) {
        HANDLE event = CreateEventA(nullptr, TRUE, FALSE, ctrlEvent.c_str());
        HANDLE waits[2] = {event, child.hProcess};
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) {
            GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
        }
        CloseHandle(event);
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hProcess);

    const std::string text = "exit=" + std::to_string(exitCode) + "\n" + screenText();
    FILE* file = fopen(report.c_str(), "wb");
    if (file) {
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
    return static_cast<int>(exitCode);
}
