// The launcher's two message boxes: no owner window, a blank title bar, an
// OK button, and the error or the information icon.
#pragma once

void showErrorMessage(const char* text);
// The error box brought to the foreground: it may come after seconds behind
// a splash, when the user has turned to other windows.
void showErrorMessageInFront(const char* text);
void showInfoMessage(const char* text);
