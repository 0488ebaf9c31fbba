// windriver: finds the top-level windows of a program under test, reports
// them (class, text, style, extended style, position and size, and the
// same for their child windows), and acts on them like a user: presses
// keys, clicks buttons and text. Used by the GUI tests; works the same on
// Windows and under Wine.
//
//   windriver wait  SELECT [--timeout MS]        wait for a window, report it
//   windriver gone  SELECT [--timeout MS]        wait until no window matches
//   windriver key   SELECT enter|escape          type a key into the window
//   windriver click SELECT --button TEXT         click a child button
//   windriver mouse SELECT --text TEXT down|up|move
//                                                mouse action on a text control,
//                                                over the first place TEXT stands
//   windriver minimize SELECT                    minimise the window
//   windriver front                              report the foreground window
//   windriver pixel --at X,Y                     print the screen's colour there as RRGGBB
//   windriver shot FILE.bmp                      save the whole screen as a bitmap
//
// SELECT is any of: --pid N, --parent N (a process started by N),
// --class NAME, --title TEXT. Only visible windows count.
//
// The report is one line per window:
//   window class="..." text="..." style=0x... exstyle=0x... x=.. y=.. width=.. height=.. pid=.. owner=0x..
//   child  class="..." text="..." style=0x... exstyle=0x... x=.. y=.. width=.. height=.. id=..
// and for a child that shows an icon " icon=NAME" (error, information,
// warning, question: the system icon it shows, or other), for a text
// control " selection=START,END".
// with texts escaped like tracecap's lines. Exit code 0 on success, 1 when
// no window matched in time, 2 for a usage error.
#include <windows.h>
#include <richedit.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tracecap/trace_escape.h"

namespace {

struct Selector {
    DWORD pid = 0;
    DWORD parent = 0;
    std::string className;
    std::string title;
};

struct Options {
    std::string command;
    Selector select;
    DWORD timeoutMs = 10000;
    std::string button, text, action;
};

bool isChildOf(DWORD pid, DWORD parent) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL ok = Process32First(snapshot, &entry); ok; ok = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == pid) {
            found = entry.th32ParentProcessID == parent;
            break;
        }
    }
    CloseHandle(snapshot);
    return found;
}

std::string classOf(HWND w) {
    char name[256] = "";
    GetClassNameA(w, name, sizeof name);
    return name;
}

std::string textOf(HWND w) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return std::string();
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(w, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(copied);
    return text;
}

bool matches(HWND w, const Selector& s) {
    if (!IsWindowVisible(w)) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) return false;
    if (s.pid && pid != s.pid) return false;
    if (s.parent && !isChildOf(pid, s.parent)) return false;
    if (!s.className.empty() && classOf(w) != s.className) return false;
    if (!s.title.empty() && textOf(w) != s.title) return false;
    return true;
}

struct Search {
    const Selector* selector;
    HWND found;
};

BOOL CALLBACK findTopLevel(HWND w, LPARAM context) {
    Search* search = reinterpret_cast<Search*>(context);
    if (!matches(w, *search->selector)) return TRUE;
    search->found = w;
    return FALSE;
}

HWND findWindow(const Selector& s) {
    Search search{&s, nullptr};
    EnumWindows(findTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForWindow(const Selector& s, DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += 50) {
        if (HWND w = findWindow(s)) return w;
        if (waited >= timeoutMs) return nullptr;
        Sleep(50);
    }
}

// Which system icon a static control shows. The icon handle belongs to the
// other process (under Wine it cannot even be read from here), so the
// control's pixels on the screen are compared with each system icon drawn
// on the same background.
std::vector<COLORREF> screenPixels(const RECT& r) {
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (LONG y = r.top; y < r.bottom; ++y) {
        for (LONG x = r.left; x < r.right; ++x) pixels.push_back(GetPixel(screen, x, y));
    }
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::vector<COLORREF> drawnIcon(HICON icon, int width, int height, COLORREF background) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, brush);
    DrawIconEx(memory, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(memory, x, y));
    }
    DeleteObject(brush);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

const char* iconName(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    const std::vector<COLORREF> shown = screenPixels(r);
    if (shown.empty()) return "other";
    const struct {
        LPCSTR id;
        const char* name;
    } known[] = {{IDI_HAND, "error"}, {IDI_ASTERISK, "information"}, {IDI_EXCLAMATION, "warning"},
                 {IDI_QUESTION, "question"}};
    for (const auto& k : known) {
        if (shown == drawnIcon(LoadIconA(nullptr, k.id), r.right - r.left, r.bottom - r.top, shown[0])) return k.name;
    }
    return "other";
}

std::string describe(HWND w, const char* kind) {
    RECT r;
    GetWindowRect(w, &r);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char numbers[256];
    snprintf(numbers, sizeof numbers, " style=0x%08lX exstyle=0x%08lX x=%ld y=%ld width=%ld height=%ld %s=%ld",
             static_cast<unsigned long>(GetWindowLongA(w, GWL_STYLE)),
             static_cast<unsigned long>(GetWindowLongA(w, GWL_EXSTYLE)), r.left, r.top, r.right - r.left,
             r.bottom - r.top, kind[0] == 'w' ? "pid" : "id",
             kind[0] == 'w' ? static_cast<long>(pid) : static_cast<long>(GetDlgCtrlID(w)));
    std::string line = std::string(kind) + " class=\"" + escapeTraceLine(classOf(w)) + "\" text=\"" +
                       escapeTraceLine(textOf(w)) + "\"" + numbers;
    char extra[64];
    const std::string className = classOf(w);
    if (kind[0] == 'w') {
        snprintf(extra, sizeof extra, " owner=0x%lX",
                 static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(GetWindow(w, GW_OWNER))));
        line += extra;
    } else if (className == "Static" && (GetWindowLongA(w, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        line += std::string(" icon=") + iconName(w);
    } else if (className == "Edit" || className.compare(0, 8, "RichEdit") == 0) {
        DWORD selection = static_cast<DWORD>(SendMessageA(w, EM_GETSEL, 0, 0));
        snprintf(extra, sizeof extra, " selection=%u,%u", LOWORD(selection), HIWORD(selection));
        line += extra;
    }
    return line;
}

BOOL CALLBACK reportChild(HWND w, LPARAM) {
    printf("%s\n", describe(w, "child ").c_str());
    return TRUE;
}

void report(HWND w) {
    printf("%s\n", describe(w, "window").c_str());
    EnumChildWindows(w, reportChild, 0);
    fflush(stdout);
}

void sendKey(HWND window, WORD key) {
    SetForegroundWindow(window);
    Sleep(100);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

struct ButtonSearch {
    std::string text;
    HWND found;
};

BOOL CALLBACK findButton(HWND w, LPARAM context) {
    ButtonSearch* search = reinterpret_cast<ButtonSearch*>(context);
    if (classOf(w) == "Button" && textOf(w) == search->text) {
        search->found = w;
        return FALSE;
    }
    return TRUE;
}

// The screen position of character `index` of a rich edit control of
// another process: the control writes it into memory of its own process.
bool characterPosition(HWND control, LONG index, POINT* screen) {
    DWORD pid = 0;
    GetWindowThreadProcessId(control, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return false;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(POINTL), MEM_COMMIT, PAGE_READWRITE);
    bool ok = false;
    if (remote) {
        SendMessageA(control, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(remote), index);
        POINTL at = {};
        SIZE_T read = 0;
        ok = ReadProcessMemory(process, remote, &at, sizeof at, &read) && read == sizeof at;
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        screen->x = at.x;
        screen->y = at.y;
    }
    CloseHandle(process);
    return ok && ClientToScreen(control, screen);
}

struct TextSearch {
    std::string text;
    HWND control;
    LONG index;
};

BOOL CALLBACK findText(HWND w, LPARAM context) {
    TextSearch* search = reinterpret_cast<TextSearch*>(context);
    std::string text = textOf(w);
    size_t at = text.find(search->text);
    if (at == std::string::npos) return TRUE;
    // Rich edit positions count a line break as one character.
    LONG index = 0;
    for (size_t i = 0; i < at; ++i) {
        if (!(text[i] == '\n' && i > 0 && text[i - 1] == '\r')) ++index;
    }
    search->control = w;
    search->index = index + 2;  // a little inside the text
    return FALSE;
}

bool mouseAction(HWND window, const std::string& text, const std::string& action) {
    TextSearch search{text, nullptr, 0};
    EnumChildWindows(window, findText, reinterpret_cast<LPARAM>(&search));
    POINT at;
    if (!search.control || !characterPosition(search.control, search.index, &at)) return false;
    at.y += 4;
    SetForegroundWindow(window);
    SetCursorPos(at.x, at.y);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    if (action == "down") input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    else if (action == "up") input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    else {
        SetCursorPos(at.x + 3, at.y);
        return true;
    }
    SendInput(1, &input, sizeof input);
    return true;
}

bool saveScreen(const std::string& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((width * 3 + 3) & ~3), size = stride * height;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size;
    bool ok = false;
    if (FILE* out = fopen(path.c_str(), "wb")) {
        ok = fwrite(&file, sizeof file, 1, out) == 1 && fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
             fwrite(bits, size, 1, out) == 1;
        fclose(out);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

int printPixel(const std::string& at) {
    int x = 0, y = 0;
    if (sscanf(at.c_str(), "%d,%d", &x, &y) != 2) return 2;
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    printf("%02X%02X%02X\n", GetRValue(c), GetGValue(c), GetBValue(c));
    return 0;
}

int usage() {
    fprintf(stderr, "usage: windriver wait|gone|key|click|mouse|minimize|front [--pid N] [--parent N] [--class C] [--title T] "
                    "[--timeout MS] [--button TEXT] [--text TEXT] [ACTION]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    Options o;
    o.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        if (a == "--pid") o.select.pid = strtoul(value().c_str(), nullptr, 10);
        else if (a == "--parent") o.select.parent = strtoul(value().c_str(), nullptr, 10);
        else if (a == "--class") o.select.className = value();
        else if (a == "--title") o.select.title = value();
        else if (a == "--timeout") o.timeoutMs = strtoul(value().c_str(), nullptr, 10);
        else if (a == "--button") o.button = value();
        else if (a == "--text") o.text = value();
        else if (a == "--at") o.text = value();
        else if (a.compare(0, 2, "--") != 0) o.action = a;
        else return usage();
    }

    if (o.command == "pixel") return printPixel(o.text);
    if (o.command == "shot") return saveScreen(o.action) ? 0 : 1;
    if (o.command == "front") {
        HWND front = GetForegroundWindow();
        if (front) report(front);
        return front ? 0 : 1;
    }
    if (o.command == "gone") {
        for (DWORD waited = 0; findWindow(o.select); waited += 50) {
            if (waited >= o.timeoutMs) return 1;
            Sleep(50);
        }
        return 0;
    }
    HWND window = waitForWindow(o.select, o.timeoutMs);
    if (!window) {
        fprintf(stderr, "windriver: no window matched within %lu ms\n", static_cast<unsigned long>(o.timeoutMs));
        return 1;
    }
    if (o.command == "wait") {
        report(window);
        return 0;
    }
    if (o.command == "key") {
        if (o.action == "enter") sendKey(window, VK_RETURN);
        else if (o.action == "escape") sendKey(window, VK_ESCAPE);
        else return usage();
        return 0;
    }
    if (o.command == "click") {
        ButtonSearch search{o.button, nullptr};
        EnumChildWindows(window, findButton, reinterpret_cast<LPARAM>(&search));
        if (!search.found) {
            fprintf(stderr, "windriver: no button \"%s\"\n", o.button.c_str());
            return 1;
        }
        SendMessageA(search.found, BM_CLICK, 0, 0);
        return 0;
    }
    if (o.command == "mouse") return mouseAction(window, o.text, o.action) ? 0 : 1;
    if (o.command == "minimize") {
        ShowWindow(window, SW_MINIMIZE);
        return 0;
    }
    return usage();
}
