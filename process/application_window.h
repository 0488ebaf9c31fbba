// The application's windows, as the watchdog, the start check and the
// single-instance check see them: only visible top-level windows of the
// application's own process count; hidden ones, those of programs it
// starts and the launcher's splash do not.
#pragma once

#include <windows.h>

bool isVisibleWindowOf(HWND window, DWORD processId);

// The first such window in Z order; null when it has none.
HWND firstVisibleWindowOf(DWORD processId);
