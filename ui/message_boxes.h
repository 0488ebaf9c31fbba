// The launcher's two message boxes: no owner window, a blank title bar, an
// OK button, and the error or the information icon.
#pragma once

void showErrorMessage(const char* text);
void showInfoMessage(const char* text);
