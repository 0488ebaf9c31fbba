#include "ui/progress_window.h"

#include <commctrl.h>

#include "base/system_library.h"

namespace {

const char* const CLASS_NAME = "JavaLauncherProgress";
const int WIDTH = 380, HEIGHT = 140;
const DWORD REFRESH_MS = 100;

// Tenths of a megabyte, in 32 bits (a runtime is far below 400 TB): a
// 64-bit division would bring the runtime library's division code.
DWORD megabyteTenths(ULONGLONG bytes) { return static_cast<DWORD>((bytes * 10) >> 20); }

bool registerClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = CLASS_NAME;
    return RegisterClassA(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void serveMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HWND child(HWND parent, HINSTANCE instance, const char* kind, const char* text, DWORD style, const RECT& at, WORD id) {
    HWND window = CreateWindowExA(0, kind, text, WS_CHILD | WS_VISIBLE | style, at.left, at.top, at.right - at.left,
                                  at.bottom - at.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  instance, nullptr);
    // The font call's library is mapped already (by USER32), but it must not
    // become an import of the launcher.
    if (auto stockObject = systemFunction<decltype(&GetStockObject)>("gdi32.dll", "GetStockObject")) {
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(stockObject(DEFAULT_GUI_FONT)), FALSE);
    }
    return window;
}

}  // namespace

DWORD progressPercent(ULONGLONG received, ULONGLONG total) {
    // Both made to fit 32 bits, for a 32-bit division.
    while (total > 0xFFFFFF) {
        total >>= 1;
        received >>= 1;
    }
    return !total ? 0 : received >= total ? 100 : static_cast<DWORD>(received) * 100 / static_cast<DWORD>(total);
}

Text progressText(ULONGLONG received, ULONGLONG total) {
    const DWORD receivedTenths = megabyteTenths(received), totalTenths = megabyteTenths(total);
    const DWORD percent = progressPercent(received, total);
    char line[96];
    wsprintfA(line, "Downloading Java runtime: %lu.%lu of %lu.%lu MB (%lu%%)", receivedTenths / 10, receivedTenths % 10,
              totalTenths / 10, totalTenths % 10, percent);
    return line;
}

ProgressWindow::~ProgressWindow() {
    if (window_) DestroyWindow(window_);
}

bool ProgressWindow::open(HINSTANCE instance, const Text& title, ULONGLONG total) {
    total_ = total;
    initCommonControls();
    if (!registerClass(instance)) return false;
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    window_ = CreateWindowExA(WS_EX_TOPMOST, CLASS_NAME, title.c_str(), WS_POPUP | WS_CAPTION,
                              (work.left + work.right - WIDTH) / 2, (work.top + work.bottom - HEIGHT) / 2, WIDTH,
                              HEIGHT, nullptr, nullptr, instance, nullptr);
    if (!window_) return false;
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windowProcedure));
    RECT client;
    GetClientRect(window_, &client);
    text_ = child(window_, instance, "STATIC", "", SS_LEFT, RECT{12, 12, client.right - 12, 32}, PROGRESS_TEXT_ID);
    bar_ = child(window_, instance, PROGRESS_CLASSA, "", 0, RECT{12, 36, client.right - 12, 54}, 0);
    child(window_, instance, "STATIC", ONCE_TEXT, SS_LEFT, RECT{12, client.bottom - 32, client.right - 100, client.bottom - 12}, 0);
    button_ = child(window_, instance, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP,
                    RECT{client.right - 92, client.bottom - 36, client.right - 12, client.bottom - 12}, IDCANCEL);
    refresh(0);
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    return true;
}

void ProgressWindow::refresh(ULONGLONG received) {
    if (received == shown_ || cancelled_) return;
    shown_ = received;
    SetWindowTextA(text_, progressText(received, total_).c_str());
    SendMessageA(bar_, PBM_SETPOS, progressPercent(received, total_), 0);
}

bool ProgressWindow::waitAWhile(DWORD ms) {
    if (!cancelled_) SetWindowTextA(text_, WAITING_TEXT);
    // The progress comes back with the download's first refresh.
    shown_ = static_cast<ULONGLONG>(-1);
    const DWORD start = GetTickCount();
    for (DWORD waited = 0; waited < ms && !cancelled_; waited = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - waited, QS_ALLINPUT);
        serveMessages();
    }
    return cancelled_;
}

LRESULT CALLBACK ProgressWindow::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ProgressWindow* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && !self->cancelled_) {
        self->cancelled_ = true;
        EnableWindow(self->button_, FALSE);
        SetWindowTextA(self->text_, "Cancelling...");
        return 0;
    }
    // No close box; Alt+F4 cancels as the button does.
    if (self && message == WM_CLOSE) return windowProcedure(window, WM_COMMAND, IDCANCEL, 0);
    return DefWindowProcA(window, message, wParam, lParam);
}

bool ProgressWindow::runUntilEnded(HANDLE worker, const volatile LONG64* received, CancelAction cancel,
                                   void* context) {
    bool cancelSent = false;
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &worker, FALSE, REFRESH_MS, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED) break;
        serveMessages();
        if (window_) refresh(static_cast<ULONGLONG>(InterlockedCompareExchange64(const_cast<LONG64*>(received), 0, 0)));
        if (cancelled_ && !cancelSent) {
            cancelSent = true;
            cancel(context);
        }
    }
    return cancelled_;
}
