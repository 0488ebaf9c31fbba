#include "ui/missing_runtime_dialog.h"

#include <commctrl.h>
#include <objbase.h>
#include <richedit.h>
#include <shellapi.h>

#include "base/handle.h"
#include "base/state.h"
#include "base/system_library.h"
#include "ui/dialog_template.h"

const char* const JAVA_DOWNLOAD_ADDRESS = "https://www.java.com/download/";

namespace {

const DWORD DIALOG_STYLE = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;
const DWORD MESSAGE_STYLE = WS_TABSTOP | ES_READONLY | ES_MULTILINE | ES_CENTER;
const short DIALOG_WIDTH = 337;
const WORD BUTTON_CLASS_ATOM = 0x0080;

// The dialog procedure learns its object at the first message, from the
// registration of the thread that runs the dialog.
class DialogRegistrations {
public:
    DialogRegistrations() { InitializeCriticalSection(&lock_); }

    bool add(MissingRuntimeDialog* dialog) {
        LockGuard guard(lock_);
        for (Slot& slot : slots_) {
            if (!slot.dialog) {
                slot = Slot{GetCurrentThreadId(), dialog};
                return true;
            }
        }
        return false;
    }

    MissingRuntimeDialog* takeForThisThread() {
        LockGuard guard(lock_);
        for (Slot& slot : slots_) {
            if (slot.dialog && slot.threadId == GetCurrentThreadId()) {
                MissingRuntimeDialog* dialog = slot.dialog;
                slot = Slot{0, nullptr};
                return dialog;
            }
        }
        return nullptr;
    }

private:
    struct Slot {
        DWORD threadId;
        MissingRuntimeDialog* dialog;
    };
    CRITICAL_SECTION lock_;
    Slot slots_[4] = {};
};

DialogRegistrations registrations;

// A failure to open it is not reported: the user can click again.
void openAddress(const char* address) {
    auto shellExecute = systemFunction<decltype(&ShellExecuteA)>("shell32.dll", "ShellExecuteA");
    if (shellExecute) shellExecute(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

int edgeWithin(int referenceLow, int referenceHigh, int workLow, int workHigh, int size) {
    int low = (referenceLow + referenceHigh) / 2 - size / 2;
    if (low < workLow) return workLow;
    if (low + size > workHigh) return workHigh - size;
    return low;
}

}  // namespace

Text missingRuntimeMessage(bool jdk, const Text& version, const char* downloadAddress, const Text& maximum,
                           int bits) {
    Text text("This application cannot start since no appropriate JVM was found.\n");
    text += "It is required to have ";
    if (bits == 64) text += "64-bit ";
    if (bits == 32) text += "32-bit ";
    text += jdk ? "JDK version " : "JRE version ";
    text += version;
    text += maximum.empty() ? Text(" or higher") : " up to " + maximum;
    text += " installed on your computer.\n";
    text += "Please go to ";
    text += downloadAddress;
    text += " for installation instructions.";
    return text;
}

POINT centredDialogOrigin(const RECT& reference, const RECT& workArea, int width, int height) {
    POINT origin;
    origin.x = edgeWithin(reference.left, reference.right, workArea.left, workArea.right, width);
    origin.y = edgeWithin(reference.top, reference.bottom, workArea.top, workArea.bottom, height);
    return origin;
}

size_t buildMissingRuntimeTemplate(BYTE* buffer, const char* caption, int height) {
    DialogTemplateBuilder builder(buffer);
    const short h = static_cast<short>(height);
    builder.header(DIALOG_STYLE, WS_EX_TOPMOST, TemplateBox{0, 0, DIALOG_WIDTH, h}, TemplateName::none(),
                   TemplateName::none(), caption, 8, "MS Shell Dlg");
    builder.control(MESSAGE_STYLE, 0, TemplateBox{7, 7, 323, static_cast<short>(h - 30)}, MESSAGE_CONTROL_ID,
                    TemplateName::named("RichEdit20A"), "");
    builder.control(BS_DEFPUSHBUTTON, 0, TemplateBox{141, static_cast<short>(h - 21), 50, 14}, IDOK,
                    TemplateName::numbered(BUTTON_CLASS_ATOM), "OK");
    builder.finish();
    return builder.size();
}

MissingRuntimeDialog::MissingRuntimeDialog(const char* caption, const char* linkAddress, const char* messageText,
                                           int height)
    : caption_(caption), linkAddress_(linkAddress), messageText_(messageText), height_(height) {}

INT_PTR MissingRuntimeDialog::runModal(HWND owner) {
    const size_t size = buildMissingRuntimeTemplate(nullptr, caption_.c_str(), height_);
    HeapMemory memory(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
    if (!memory) return 0;
    buildMissingRuntimeTemplate(static_cast<BYTE*>(memory.get()), caption_.c_str(), height_);
    if (!registrations.add(this)) return -1;
    INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), static_cast<DLGTEMPLATE*>(memory.get()),
                                             owner, dialogProcedure, 0);
    registrations.takeForThisThread();  // when the dialog could not be created at all
    return result;
}

INT_PTR CALLBACK MissingRuntimeDialog::dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MissingRuntimeDialog* dialog = reinterpret_cast<MissingRuntimeDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!dialog) {
        dialog = registrations.takeForThisThread();
        if (!dialog) return FALSE;
        dialog->window_ = window;
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
    }
    return dialog->handleMessage(message, wParam, lParam);
}

INT_PTR MissingRuntimeDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(window_, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_INITDIALOG:
        initialise();
        return TRUE;
    case WM_NOTIFY: {
        const ENLINK* link = reinterpret_cast<const ENLINK*>(lParam);
        // Open on the press only: a click also sends the release.
        if (link->nmhdr.code == EN_LINK && link->msg == WM_LBUTTONDOWN) {
            openAddress(linkAddress_.c_str());
        }
        SetWindowLongPtrA(window_, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void MissingRuntimeDialog::initialise() {
    HWND text = GetDlgItem(window_, MESSAGE_CONTROL_ID);
    SendMessageA(text, EM_SETEVENTMASK, 0, ENM_LINK);
    SendMessageA(text, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_BTNFACE));
    SendMessageA(text, EM_AUTOURLDETECT, 1, 0);
    SetDlgItemTextA(window_, MESSAGE_CONTROL_ID, messageText_.c_str());
    // Posted, so that it comes after the focus change that selects the text.
    PostMessageA(text, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    centre();
}

void MissingRuntimeDialog::centre() {
    RECT dialog, workArea, reference;
    GetWindowRect(window_, &dialog);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    HWND owner = GetWindow(window_, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &reference);
    } else {
        reference = workArea;
    }
    POINT origin = centredDialogOrigin(reference, workArea, dialog.right - dialog.left, dialog.bottom - dialog.top);
    SetWindowPos(window_, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The set-up calls' results are not used: a dialog without them still
// shows, or fails to and the launcher ends as it would after it.
void showMissingRuntimeDialog(const char* addedLine) {
    if (auto coInitialize = systemFunction<decltype(&CoInitialize)>("ole32.dll", "CoInitialize")) {
        coInitialize(nullptr);
    }
    initCommonControls();
    // The text control's window class; a file of that name beside the
    // launcher or in the current directory must never be loaded instead.
    loadSystemLibrary("RICHED32.DLL");

    Text message =
        missingRuntimeMessage(jdkOnly != 0, minimumVersion, JAVA_DOWNLOAD_ADDRESS, maximumVersion, requiredRuntimeBits);
    int height = MISSING_RUNTIME_DIALOG_HEIGHT;
    if (addedLine) {
        message += "\n";
        message += addedLine;
        height += MISSING_RUNTIME_DIALOG_LINE;
    }
    MissingRuntimeDialog dialog("Application Cannot Start", JAVA_DOWNLOAD_ADDRESS, message.c_str(), height);
    dialog.runModal(GetActiveWindow());
}
