// The missing-runtime dialog as a user meets it: a launcher that finds no
// runtime, on the virtual display, read and operated by windriver.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "java_registry.h"
#include "scenario.h"
#include "test_paths.h"
#include "ui/missing_runtime_dialog.h"
#include "window_driver.h"

namespace {

const std::string DIALOG = " --class #32770 --title \"Application Cannot Start\"";

std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Waits until the browser recorder has `count` addresses, at most `ms`.
std::vector<std::string> waitForAddresses(size_t count, unsigned ms = 8000) {
    for (unsigned waited = 0;; waited += 100) {
        std::vector<std::string> opened = openedAddresses();
        if (opened.size() >= count || waited >= ms) return opened;
        Sleep(100);
    }
}

struct NoRuntime : Scenario {
    JavaRegistry emptyRegistry;
    explicit NoRuntime(const LauncherSpec& spec = LauncherSpec::shipped()) { useLauncher(spec); }
};

}  // namespace

TEST(MissingRuntimeDialog, NamesTheEditionAndTheMinimumVersionInEffect) {
    struct Case {
        LauncherSpec spec;
        const char* edition;
        const char* version;
    };
    const Case cases[] = {
        {LauncherSpec::shipped(), "JRE", "1.5"},
        {LauncherSpec::shipped().set(105, "on"), "JDK", "1.5"},
        {LauncherSpec::shipped().remove(104), "JRE", "1.3"},
        {LauncherSpec::shipped().set(104, "1.7.0_10").set(105, "on"), "JDK", "1.7.0_10"},
    };
    for (const Case& c : cases) {
        NoRuntime s(c.spec);
        std::vector<WindowReport> seen;
        std::function<void(const std::string&)> user = [&](const std::string& select) {
            seen = drive("wait " + select + DIALOG).windows;
            drive("key " + select + DIALOG + " enter");
        };
        TracedRun run = s.run("", drivenBy(user));
        const WindowReport* text = findChild(seen, "RichEdit20A");
        ASSERT_NE(nullptr, text) << c.edition << " " << c.version;
        EXPECT_EQ(withCrLf("This application cannot start since no appropriate JVM was found.\n"
                           "It is required to have " + std::string(c.edition) + " version " + c.version +
                           " or higher installed on your computer.\n"
                           "Please go to https://www.java.com/download/ for installation instructions."),
                  text->text);
        EXPECT_EQ(1u, run.exitCode);
        EXPECT_EQ(0, run.lines.back().compare(0, 10, "Jre path: "));  // nothing traced after it
    }
}

TEST(MissingRuntimeDialog, IsCentredTopmostWithoutCloseButtonAndShowsPlainCentredText) {
    NoRuntime s;
    std::vector<WindowReport> seen;
    std::string textBackground, dialogBackground;
    std::function<void(const std::string&)> user = [&](const std::string& select) {
        seen = drive("wait " + select + DIALOG).windows;
        Sleep(300);  // the posted selection change and painting
        seen = drive("wait " + select + DIALOG).windows;
        if (const WindowReport* text = findChild(seen, "RichEdit20A")) {
            textBackground = screenPixel(text->x + 2, text->y + text->height - 2);
            dialogBackground = screenPixel(seen[0].x + 4, seen[0].y + seen[0].height - 4);
        }
        saveScreenshot("missing-runtime-dialog");
        drive("key " + select + DIALOG + " escape");
    };
    TracedRun run = s.run("", drivenBy(user));
    EXPECT_EQ(1u, run.exitCode);
    ASSERT_GE(seen.size(), 3u);

    const WindowReport& dialog = seen[0];
    EXPECT_EQ("Application Cannot Start", dialog.text);
    EXPECT_EQ(0u, dialog.style & WS_SYSMENU);
    EXPECT_EQ(static_cast<unsigned long>(WS_CAPTION), dialog.style & WS_CAPTION);
    EXPECT_NE(0u, dialog.extendedStyle & WS_EX_TOPMOST);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ((work.left + work.right) / 2 - dialog.width / 2, dialog.x);
    EXPECT_EQ((work.top + work.bottom) / 2 - dialog.height / 2, dialog.y);

    const WindowReport* text = findChild(seen, "RichEdit20A");
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(static_cast<long>(MESSAGE_CONTROL_ID), text->id);
    const unsigned long textStyle = ES_CENTER | ES_READONLY | ES_MULTILINE | WS_TABSTOP | WS_CHILD | WS_VISIBLE;
    EXPECT_EQ(textStyle, text->style & textStyle);
    EXPECT_EQ(0u, text->style & (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL));
    const WindowReport* button = findChild(seen, "Button");
    ASSERT_NE(nullptr, button);
    EXPECT_EQ("OK", button->text);
    EXPECT_EQ(static_cast<long>(IDOK), button->id);
    EXPECT_NE(0u, button->style & BS_DEFPUSHBUTTON);

    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    char expected[8];
    snprintf(expected, sizeof expected, "%02X%02X%02X", GetRValue(face), GetGValue(face), GetBValue(face));
    EXPECT_EQ(expected, textBackground);
    EXPECT_EQ(expected, dialogBackground);
}

TEST(MissingRuntimeDialog, ShowsNoSelectionOnceItIsUp) {
    NoRuntime s;
    std::string selection;
    std::function<void(const std::string&)> user = [&](const std::string& select) {
        drive("wait " + select + DIALOG);
        Sleep(300);
        if (const WindowReport* text = findChild(drive("wait " + select + DIALOG).windows, "RichEdit20A")) {
            selection = text->selection;
        }
        drive("click " + select + DIALOG + " --button OK");
    };
    TracedRun run = s.run("", drivenBy(user));
    EXPECT_EQ(1u, run.exitCode);
    ASSERT_FALSE(selection.empty());
    const size_t comma = selection.find(',');
    EXPECT_EQ(selection.substr(0, comma), selection.substr(comma + 1)) << "selection " << selection;
}

TEST(MissingRuntimeDialog, LinkOpensTheAddressOnEveryPressAndOnNothingElse) {
    NoRuntime s;
    const size_t before = openedAddresses().size();
    std::vector<std::string> afterPress, afterRelease, afterMove, afterSecondPress;
    unsigned long stillOpen = 99;
    std::function<void(const std::string&)> user = [&](const std::string& select) {
        drive("wait " + select + DIALOG);
        const std::string link = " --text https://www.java.com/download/ ";
        drive("mouse " + select + DIALOG + link + "down");
        afterPress = waitForAddresses(before + 1);
        drive("mouse " + select + DIALOG + link + "up");
        drive("mouse " + select + DIALOG + link + "move");
        Sleep(1500);
        afterRelease = afterMove = openedAddresses();
        drive("mouse " + select + DIALOG + link + "down");
        drive("mouse " + select + DIALOG + link + "up");
        afterSecondPress = waitForAddresses(before + 2);
        stillOpen = drive("wait " + select + DIALOG + " --timeout 1000").exitCode;
        drive("key " + select + DIALOG + " enter");
    };
    TracedRun run = s.run("", drivenBy(user));
    EXPECT_EQ(1u, run.exitCode);
    ASSERT_EQ(before + 1, afterPress.size());
    EXPECT_EQ(JAVA_DOWNLOAD_ADDRESS, afterPress.back());
    EXPECT_EQ(before + 1, afterMove.size());
    ASSERT_EQ(before + 2, afterSecondPress.size());
    EXPECT_EQ(JAVA_DOWNLOAD_ADDRESS, afterSecondPress.back());
    EXPECT_EQ(0u, stillOpen);
}

// A "RICHED32.DLL" planted beside the launcher or in the folder it starts
// in is never loaded, even when the system prefers a library of that name
// to its own. Wine prefers its built-in copy; a per-program setting of the
// test prefix makes it prefer the planted file, as Windows would.
TEST(MissingRuntimeDialog, NeverLoadsARichEditLibraryPlantedBesideItOrInTheStartFolder) {
    const char* const overrides = "Software\\Wine\\AppDefaults\\planted-dll-test.exe\\DllOverrides";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, overrides, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                             nullptr));
    RegSetValueExA(key, "riched32", 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
    RegCloseKey(key);

    NoRuntime s;
    copyFile(s.launcher(), s.folder() + "\\planted-dll-test.exe");
    copyFile(binFolder() + "\\riched32.dll", s.folder() + "\\RICHED32.DLL");
    copyFile(binFolder() + "\\riched32.dll", s.root() + "\\RICHED32.DLL");
    std::vector<WindowReport> seen;
    std::function<void(const std::string&)> user = [&](const std::string& select) {
        seen = drive("wait " + select + DIALOG).windows;
        drive("key " + select + DIALOG + " enter");
    };
    RunOptions options = drivenBy(user);
    options.startFolder = s.root();
    options.environment["JAVA_HOME"] = std::nullopt;
    TracedRun run = runTraced("\"" + s.folder() + "\\planted-dll-test.exe\"", options);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\planted-dll-test.exe");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_FALSE(fileExists(s.folder() + "\\planted-dll-loaded.txt"));
    EXPECT_FALSE(fileExists(s.root() + "\\planted-dll-loaded.txt"));
    EXPECT_NE(nullptr, findChild(seen, "RichEdit20A"));
}
