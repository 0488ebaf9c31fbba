#include "process/application_window.h"

#include "base/state.h"

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
    // The splash is the launcher's, also when the application runs in the
    // launcher's process.
    return owner == processId && window != splashWindow && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE);
}

HWND firstVisibleWindowOf(DWORD processId) {
    WindowSearch search = {processId, nullptr};
    EnumWindows(takeFirstVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
