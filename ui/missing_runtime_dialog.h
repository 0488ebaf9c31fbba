// The dialog shown when no Java runtime was found: it names the Java edition
// and the minimum version the application needs, and offers the download
// page as a link.
#pragma once

#include <windows.h>

#include "base/text.h"

extern const char* const JAVA_DOWNLOAD_ADDRESS;

const int MISSING_RUNTIME_DIALOG_HEIGHT = 55;
const WORD MESSAGE_CONTROL_ID = 1004;

// The three-line message: the edition is JDK or JRE, the version the
// minimum in effect. The modern search also names its maximum and the
// width it requires (0: either), when they are set.
Text missingRuntimeMessage(bool jdk, const Text& version, const char* downloadAddress,
                           const Text& maximum = Text(), int bits = 0);

// Where a dialog of the given size goes: centred on the reference
// rectangle, kept inside the work area.
POINT centredDialogOrigin(const RECT& reference, const RECT& workArea, int width, int height);

// The dialog's template: the header, the text control, the OK button.
// Without a buffer it only measures; returns the size.
size_t buildMissingRuntimeTemplate(BYTE* buffer, const char* caption, int height);

class MissingRuntimeDialog {
public:
    MissingRuntimeDialog(const char* caption, const char* linkAddress, const char* messageText, int height);
    MissingRuntimeDialog(const MissingRuntimeDialog&) = delete;
    MissingRuntimeDialog& operator=(const MissingRuntimeDialog&) = delete;

    // The id that ended the dialog (1 or 2), 0 when the template memory
    // cannot be had, -1 when the dialog cannot be created.
    INT_PTR runModal(HWND owner);

private:
    static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void initialise();
    void centre();

    Text caption_;
    Text linkAddress_;
    Text messageText_;
    int height_;
    HWND window_ = nullptr;
};

// One more text line, for a line added below the message.
const int MISSING_RUNTIME_DIALOG_LINE = 9;

// Loads the rich edit library from the system folder and shows the dialog;
// returns when the user has closed it. An added line (why a runtime
// download failed) goes below the message, and the dialog grows by a line.
void showMissingRuntimeDialog(const char* addedLine = nullptr);
