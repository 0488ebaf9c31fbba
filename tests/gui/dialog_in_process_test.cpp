// The dialog object run in this test process, so that the result of its
// modal run and the real layout of its controls can be checked.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>

#include "ui/missing_runtime_dialog.h"
#include "window_driver.h"

namespace {

const std::string SELF = "--pid " + std::to_string(GetCurrentProcessId()) + " --class #32770";

INT_PTR runDialogWhile(int height, const std::function<void()>& user) {
    LoadLibraryA("riched32.dll");
    MissingRuntimeDialog dialog("Application Cannot Start", JAVA_DOWNLOAD_ADDRESS, "Some text", height);
    std::thread driver(user);
    INT_PTR result = dialog.runModal(nullptr);
    driver.join();
    return result;
}

}  // namespace

TEST(MissingRuntimeDialogModal, EnterAndOkEndWithOneEscapeWithTwo) {
    EXPECT_EQ(1, runDialogWhile(55, [] { drive("key " + SELF + " enter"); }));
    EXPECT_EQ(2, runDialogWhile(55, [] { drive("key " + SELF + " escape"); }));
    EXPECT_EQ(1, runDialogWhile(55, [] { drive("click " + SELF + " --button OK"); }));
}

namespace {

// A control's rectangle in pixels as the dialog manager makes it: position
// and size are each converted from dialog units, so the right and bottom
// edges carry two roundings, not one.
RECT controlInPixels(HWND dialog, int x, int y, int width, int height) {
    RECT position = {x, y, x, y}, size = {0, 0, width, height};
    MapDialogRect(dialog, &position);
    MapDialogRect(dialog, &size);
    return {position.left, position.top, position.left + size.right, position.top + size.bottom};
}

}  // namespace

// Another height gives the text control that height minus 30 and keeps 7
// dialog units free below the OK button.
TEST(MissingRuntimeDialogModal, ControlsFollowTheDialogHeight) {
    RECT textInUnits = {}, buttonInUnits = {}, clientInUnits = {};
    RECT text = {}, button = {}, client = {};
    runDialogWhile(80, [&] {
        DriverResult seen = drive("wait " + SELF);
        HWND dialog = FindWindowA("#32770", "Application Cannot Start");
        GetClientRect(dialog, &client);
        GetWindowRect(GetDlgItem(dialog, MESSAGE_CONTROL_ID), &text);
        GetWindowRect(GetDlgItem(dialog, IDOK), &button);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&text), 2);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&button), 2);
        textInUnits = controlInPixels(dialog, 7, 7, 323, 50);
        buttonInUnits = controlInPixels(dialog, 141, 59, 50, 14);
        clientInUnits = {0, 0, 337, 80};
        MapDialogRect(dialog, &clientInUnits);
        drive("key " + SELF + " enter");
    });
    EXPECT_EQ(textInUnits.top, text.top);
    EXPECT_EQ(textInUnits.bottom, text.bottom);
    EXPECT_EQ(buttonInUnits.top, button.top);
    EXPECT_EQ(buttonInUnits.bottom, button.bottom);
    EXPECT_EQ(clientInUnits.bottom, client.bottom);
    EXPECT_EQ(clientInUnits.right, client.right);
}
