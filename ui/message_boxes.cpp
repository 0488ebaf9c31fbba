#include "ui/message_boxes.h"

#include <windows.h>

// An empty caption rather than null: null gives the system's default title.
void showErrorMessage(const char* text) { MessageBoxA(nullptr, text, "", MB_OK | MB_ICONERROR); }

void showErrorMessageInFront(const char* text) {
    MessageBoxA(nullptr, text, "", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void showInfoMessage(const char* text) { MessageBoxA(nullptr, text, "", MB_OK | MB_ICONINFORMATION); }
