#include "process/application_window.h"

namespace {

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK takeFirstVisible(HWND window, LPARAM context) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
    if (!isVisibleWindowOf(window, search->processId)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

bool isVisibleWindowOf(HWND window, DWORD processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == processId && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE);
}

HWND firstVisibleWindowOf(DWORD processId) {
    WindowSearch search = {processId, nullptr};
    EnumWindows(takeFirstVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
