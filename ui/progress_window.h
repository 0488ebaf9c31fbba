// The small window that shows a runtime download's progress: the
// application's name as its title, the megabytes received of the total and
// the percentage, and a Cancel button. It runs on the main thread while the
// work runs on another; its loop ends when that thread ends.
#pragma once

#include <windows.h>

#include "base/text.h"

const WORD PROGRESS_TEXT_ID = 1001;

// "Downloading Java runtime: 12.3 of 45.6 MB (27%)"; megabytes of 1,048,576
// bytes, cut (not rounded) to one decimal.
Text progressText(ULONGLONG received, ULONGLONG total);

class ProgressWindow {
public:
    using CancelAction = void (*)(void* context);

    ProgressWindow() = default;
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Shows the window; false when it cannot be created (the work then
    // runs without it).
    bool open(HINSTANCE instance, const Text& title, ULONGLONG total);

    // Handles messages and refreshes the text from `received` until
    // `worker` has ended. Cancel calls `cancel` once, and the loop goes on
    // until the worker has stopped. True when the user cancelled.
    bool runUntilEnded(HANDLE worker, const volatile LONG64* received, CancelAction cancel, void* context);

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void refresh(ULONGLONG received);

    HWND window_ = nullptr;
    HWND text_ = nullptr;
    HWND button_ = nullptr;
    ULONGLONG total_ = 0;
    ULONGLONG shown_ = static_cast<ULONGLONG>(-1);
    bool cancelled_ = false;
};
