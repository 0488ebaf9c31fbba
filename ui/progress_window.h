// The small window that shows a runtime download's progress: the
// application's name as its title, the megabytes received of the total and
// the percentage above a progress bar, the line that says the download
// comes once, and a Cancel button. It runs on the main thread while the
// work runs on another; its loop ends when that thread ends. It also shows
// the wait for another launcher's download.
#pragma once

#include <windows.h>

#include "base/text.h"

const WORD PROGRESS_TEXT_ID = 1001;
const char* const WAITING_TEXT = "Waiting for another download";
const char* const ONCE_TEXT = "Java is downloaded once for this user.";

// The share received, 0 to 100, cut.
DWORD progressPercent(ULONGLONG received, ULONGLONG total);

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
    // runs without it). The progress bar comes with the common controls,
    // loaded here.
    bool open(HINSTANCE instance, const Text& title, ULONGLONG total);

    // Shows WAITING_TEXT, and handles messages for `ms`; true once the user
    // has cancelled.
    bool waitAWhile(DWORD ms);

    // Handles messages and refreshes the text from `received` until
    // `worker` has ended. Cancel calls `cancel` once, and the loop goes on
    // until the worker has stopped. True when the user cancelled.
    bool runUntilEnded(HANDLE worker, const volatile LONG64* received, CancelAction cancel, void* context);

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void refresh(ULONGLONG received);

    HWND window_ = nullptr;
    HWND text_ = nullptr;
    HWND bar_ = nullptr;
    HWND button_ = nullptr;
    ULONGLONG total_ = 0;
    ULONGLONG shown_ = static_cast<ULONGLONG>(-1);
    bool cancelled_ = false;
};
