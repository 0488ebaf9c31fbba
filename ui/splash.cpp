#include "ui/splash.h"

#include <ole2.h>
#include <olectl.h>

#include "base/handle.h"
#include "base/system_library.h"
#include "base/settings.h"
#include "base/state.h"
#include "ui/message_boxes.h"

namespace {

// Owns the bitmap the window shows, so it lives until the process ends.
ComPointer<IPicture> splashPicture;

// {7BF80980-BF32-101A-8BBB-00AA00300CAB}
const IID PICTURE_INTERFACE = {0x7BF80980, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

// A picture loader that cannot be had fails like a picture it cannot read.
bool loadPicture() {
    ComPointer<IStream> stream(openSplashStream());
    if (!stream) return false;
    auto oleLoadPicture = systemFunction<decltype(&OleLoadPicture)>("oleaut32.dll", "OleLoadPicture");
    if (!oleLoadPicture) return false;
    IPicture* picture = nullptr;
    if (oleLoadPicture(stream.get(), 0, TRUE, PICTURE_INTERFACE, reinterpret_cast<void**>(&picture)) != S_OK) {
        return false;
    }
    splashPicture.reset(picture);
    return true;
}

void centreOnScreen() {
    RECT window;
    GetWindowRect(splashWindow, &window);
    SplashPosition at = centredSplashPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), window);
    SetWindowPos(splashWindow, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE);
}

}  // namespace

SplashPosition centredSplashPosition(int screenWidth, int screenHeight, const RECT& window) {
    // C++ division truncates toward zero, as the placement wants.
    return SplashPosition{(screenWidth + window.left - window.right) / 2,
                          (screenHeight + window.top - window.bottom) / 2};
}

int splashCountdownSeconds(int configured) { return configured < 1 ? 2 : configured; }

void createSplashWindow(HINSTANCE instance) {
    splashWindow = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | SS_BITMAP, 0, 0, CW_USEDEFAULT,
                                   CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}

bool showSplashScreen(HINSTANCE, int showCommand) {
    BringWindowToTop(splashWindow);
    splashSecondsLeft = splashCountdownSeconds(loadSettingInt(PROP_SPLASH_TIMEOUT));
    waitForWindow = isSettingPresent(PROP_WAIT_FOR_WINDOW);
    if (!loadPicture()) {
        showErrorMessage("Cannot load splash screen. Probably unsupported or invalid file.");
        return false;
    }
    OLE_HANDLE bitmap = 0;
    splashPicture.get()->get_Handle(&bitmap);
    SendMessageA(splashWindow, STM_SETIMAGE, IMAGE_BITMAP, static_cast<LPARAM>(bitmap));
    centreOnScreen();
    ShowWindow(splashWindow, showCommand);
    UpdateWindow(splashWindow);
    return true;
}

IStream* openSplashStream() {
    auto createStream = systemFunction<decltype(&CreateStreamOnHGlobal)>("ole32.dll", "CreateStreamOnHGlobal");
    IStream* stream = nullptr;
    if (!createStream || createStream(nullptr, TRUE, &stream) != S_OK) return nullptr;
    HMODULE image = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(image, MAKEINTRESOURCEA(SPLASH_RESOURCE_ID), RT_BITMAP);
    // A missing resource leaves the stream empty; the picture load then fails.
    if (resource) {
        HGLOBAL loaded = LoadResource(image, resource);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (bytes) stream->Write(bytes, SizeofResource(image, resource), nullptr);
    }
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return stream;
}
