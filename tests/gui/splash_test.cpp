// The splash picture and the start-up watchdog behind it, on the virtual
// display (1024 by 768, as the test command sets it), with the stand-in
// runtime as the application.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "java_home.h"
#include "base/settings.h"
#include "process_run.h"
#include "scenario.h"
#include "test_paths.h"
#include "time_scale.h"
#include "ui/splash.h"
#include "window_driver.h"

namespace {

const char* const SPLASH_ERROR = "Cannot load splash screen. Probably unsupported or invalid file.";

std::string testData(const std::string& name) { return readFile(binFolder() + "\\test-data\\" + name); }

// A 24-bit bitmap of one colour; with its 14-byte file header it is a
// complete picture file, without it the form resources usually hold.
std::string bitmap(int width, int height, bool withFileHeader) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string pixels(static_cast<size_t>(stride) * height, '\x60');
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes;
    if (withFileHeader) bytes.append(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    return bytes + pixels;
}

LauncherSpec splashSpec(const std::string& picture, const char* timeout = "2", bool waitForWindow = false) {
    LauncherSpec spec = LauncherSpec::shipped().set(96, "on");
    if (timeout) spec.set(98, timeout);
    else spec.remove(98);
    if (!waitForWindow) spec.remove(102);
    spec.splash = picture;
    return spec;
}

struct SplashScenario : Scenario {
    JavaHome app;
    explicit SplashScenario(const LauncherSpec& spec, const std::string& exeName = "launcher.exe")
        : Scenario("app", exeName), app(folder() + "\\jre") {
        useLauncher(spec);
    }
};

// Under Wine, a system DLL can be made impossible to load for one program,
// by its file name, so that the launcher's handling of it can be seen.
bool underWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

class DisabledLibrary {
public:
    DisabledLibrary(const std::string& exeName, const char* library)
        : key_("Software\\Wine\\AppDefaults\\" + exeName + "\\DllOverrides") {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
            ERROR_SUCCESS) {
            RegSetValueExA(key, library, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);  // empty: disabled
            RegCloseKey(key);
        }
    }
    ~DisabledLibrary() { RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str()); }
    DisabledLibrary(const DisabledLibrary&) = delete;
    DisabledLibrary& operator=(const DisabledLibrary&) = delete;

private:
    std::string key_;
};

// Runs the launcher and reports its splash window as first seen.
TracedRun runShowingSplash(const Scenario& s, std::vector<WindowReport>& splash, RunOptions options = RunOptions(),
                           const std::string& screenshot = "") {
    std::function<void(const std::string&)> user = [&](const std::string& select) {
        splash = drive("wait " + select + " --class Static --timeout 10000").windows;
        if (!screenshot.empty()) saveScreenshot(screenshot);
    };
    return s.run("", drivenBy(user, options));
}

}  // namespace

TEST(SplashPosition, CentresWithTruncationTowardZero) {
    auto at = [](int screenWidth, int screenHeight, int width, int height) {
        RECT r = {0, 0, width, height};
        SplashPosition p = centredSplashPosition(screenWidth, screenHeight, r);
        return std::to_string(p.x) + "," + std::to_string(p.y);
    };
    EXPECT_EQ("312,234", at(1024, 768, 400, 300));
    EXPECT_EQ("311,234", at(1024, 768, 401, 300));
    EXPECT_EQ("-100,-101", at(800, 600, 1001, 803));
    RECT moved = {50, 60, 450, 360};  // only the size counts
    SplashPosition p = centredSplashPosition(1024, 768, moved);
    EXPECT_EQ(312, p.x);
    EXPECT_EQ(234, p.y);
}

TEST(SplashCountdown, BelowOneBecomesTwo) {
    EXPECT_EQ(3, splashCountdownSeconds(asciiToInt("3")));
    EXPECT_EQ(2, splashCountdownSeconds(asciiToInt("0")));
    EXPECT_EQ(2, splashCountdownSeconds(asciiToInt("-5")));
    EXPECT_EQ(2, splashCountdownSeconds(asciiToInt("abc")));
    EXPECT_EQ(7, splashCountdownSeconds(asciiToInt("7x")));
    EXPECT_EQ(1, splashCountdownSeconds(1));
}

TEST(Splash, CompletePictureFilesAreShownCentredInABorderlessPopUp) {
    ASSERT_EQ(1024, GetSystemMetrics(SM_CXSCREEN));
    ASSERT_EQ(768, GetSystemMetrics(SM_CYSCREEN));
    struct Case {
        std::string name, picture;
    };
    const Case cases[] = {
        {"bmp", bitmap(400, 300, true)},
        {"jpeg", testData("splash-400x300.jpg")},
        {"gif", testData("splash-400x300.gif")},
    };
    for (const Case& c : cases) {
        SplashScenario s(splashSpec(c.picture));
        s.app.configure("run_ms=4000");
        std::vector<WindowReport> seen;
        TracedRun run = runShowingSplash(s, seen, RunOptions(), "splash-" + c.name);
        const WindowReport* splash = findReported(seen, "Static");
        ASSERT_NE(nullptr, splash) << c.name;
        EXPECT_EQ(static_cast<unsigned long>(WS_POPUP | WS_VISIBLE), splash->style & (WS_POPUP | WS_VISIBLE)) << c.name;
        EXPECT_EQ(static_cast<unsigned long>(SS_BITMAP), splash->style & SS_TYPEMASK) << c.name;
        EXPECT_EQ(0u, splash->style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
        EXPECT_NE(0u, splash->extendedStyle & WS_EX_TOOLWINDOW);  // no taskbar button
        EXPECT_EQ(0u, splash->extendedStyle & WS_EX_TOPMOST);
        EXPECT_EQ("", splash->text);
        EXPECT_EQ(400, splash->width) << c.name;
        EXPECT_EQ(300, splash->height) << c.name;
        EXPECT_EQ(312, splash->x) << c.name;
        EXPECT_EQ(234, splash->y) << c.name;
        EXPECT_EQ(259u, run.exitCode) << c.name;  // the countdown ran out while the application ran
        EXPECT_TRUE(run.has("PROP_SPLASH: true."));
    }
}

TEST(Splash, PictureWiderThanTheScreenOverhangsBothEdges) {
    SplashScenario s(splashSpec(testData("splash-1100x200.gif"), "1"));
    s.app.configure("run_ms=3000");
    std::vector<WindowReport> seen;
    runShowingSplash(s, seen);
    const WindowReport* splash = findReported(seen, "Static");
    ASSERT_NE(nullptr, splash);
    EXPECT_EQ(1100, splash->width);
    EXPECT_EQ(-38, splash->x);  // (1024 - 1100) / 2
    EXPECT_EQ(284, splash->y);
}

TEST(Splash, StartedMinimisedTheSplashIsMinimisedToo) {
    SplashScenario s(splashSpec(testData("splash-400x300.gif")));
    s.app.configure("run_ms=3000");
    RunOptions options;
    options.showCommand = SW_SHOWMINNOACTIVE;
    std::vector<WindowReport> seen;
    runShowingSplash(s, seen, options);
    const WindowReport* splash = findReported(seen, "Static");
    ASSERT_NE(nullptr, splash);
    EXPECT_NE(0u, splash->style & WS_MINIMIZE);
}

TEST(Splash, PictureThatCannotBeLoadedStopsTheRunBeforeTheLaunch) {
    struct Case {
        const char* name;
        std::optional<std::string> picture;
        const char* disabledLibraries;  // a system DLL that cannot be loaded
    };
    const Case cases[] = {
        {"bitmap without its file header", bitmap(400, 300, false), nullptr},
        {"bytes of no picture format", std::string(5000, '\x5A'), nullptr},
        {"no resource 104", std::nullopt, nullptr},
        {"no picture loader", testData("splash-400x300.gif"), "oleaut32"},
        {"no memory stream", testData("splash-400x300.gif"), "ole32"},
    };
    for (const Case& c : cases) {
        if (c.disabledLibraries && !underWine()) continue;
        LauncherSpec spec = splashSpec("");
        spec.splash = c.picture;
        const std::string exeName = c.disabledLibraries ? std::string("no-") + c.disabledLibraries + ".exe" : "launcher.exe";
        SplashScenario s(spec, exeName);
        std::optional<DisabledLibrary> disabled;
        if (c.disabledLibraries) disabled.emplace(exeName, c.disabledLibraries);
        DriverResult box;
        std::function<void(const std::string&)> user = [&](const std::string& select) {
            box = drive("wait " + select + " --class #32770");
            drive("key " + select + " --class #32770 enter");
        };
        TracedRun run = s.run("", drivenBy(user));
        EXPECT_EQ(1u, run.exitCode) << c.name;
        ASSERT_GE(box.windows.size(), 2u) << c.name;
        bool textFound = false;
        for (const WindowReport& w : box.windows) textFound = textFound || w.text == SPLASH_ERROR;
        EXPECT_TRUE(textFound) << c.name;
        EXPECT_EQ(0, run.lines.back().compare(0, 10, "Jre path: ")) << c.name;  // nothing launched
        EXPECT_TRUE(s.app.starts().empty()) << c.name;
    }
}

// How long the countdown is, told by the exit code: an application that
// ends with 7 after about 1.3 s (times the machine's slowness) is seen only
// by a countdown longer than 2 s.
TEST(Watchdog, CountdownComesFromTheTimeoutSettingWithTwoForNothingUsable) {
    struct Case {
        const char* timeout;  // null: absent
        unsigned long exitCode;
    };
    const std::string longer = scaledSeconds(3);
    const Case cases[] = {{nullptr, 259}, {"0", 259}, {"-5", 259}, {"abc", 259}, {longer.c_str(), 7}};
    for (const Case& c : cases) {
        SplashScenario s(splashSpec(testData("splash-400x300.gif"), c.timeout));
        s.app.configure("run_ms=" + std::to_string(1300 * timeScale())).configure("exit_code=7");
        TracedRun run = s.run();
        EXPECT_EQ(c.exitCode, run.exitCode) << (c.timeout ? c.timeout : "(absent)");
    }
}

TEST(Watchdog, SevenFollowedByALetterCountsSevenSeconds) {
    SplashScenario s(splashSpec(testData("splash-400x300.gif"), "7s"));
    s.app.configure("run_ms=3300").configure("exit_code=7");
    EXPECT_EQ(7u, s.run().exitCode);  // a countdown of 3 would have ended with 259
}

TEST(Watchdog, ApplicationThatKeepsRunningEndsTheWaitOnTheLastTickWith259) {
    SplashScenario s(splashSpec(testData("splash-400x300.gif"), "3", true));
    s.app.configure("run_ms=6000");
    EXPECT_EQ(259u, s.run().exitCode);
}

TEST(Watchdog, CountdownOfOneEndsWithZeroBeforeAnyReading) {
    SplashScenario s(splashSpec(testData("splash-400x300.gif"), "1", true));
    s.app.configure("run_ms=4000").configure("exit_code=5");
    EXPECT_EQ(0u, s.run().exitCode);
}

TEST(Watchdog, ApplicationThatEndsEarlyEndsTheWaitWithItsExitCode) {
    SplashScenario s(splashSpec(testData("splash-400x300.gif"), "5"));
    s.app.configure("exit_code=1");
    EXPECT_EQ(1u, s.run().exitCode);
}

TEST(Watchdog, ApplicationWindowShownLaterEndsTheWaitWithZero) {
    SplashScenario s(splashSpec(testData("splash-400x300.gif"), "6", true));
    s.app.configure("window_after_ms=1500").configure("run_ms=8000").configure("exit_code=3");
    TracedRun run = s.run();
    EXPECT_EQ(0u, run.exitCode);  // the countdown of 6 would have ended with 259
}

TEST(Watchdog, HiddenWindowsOfTheApplicationAndWindowsOfOthersDoNotCount) {
    TempFolder otherFolder("other program");
    JavaHome other(otherFolder.path());
    other.configure("window_after_ms=0").configure("run_ms=7000");
    // Another program with a visible window, running through the wait.
    HANDLE otherProcess = nullptr;
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        std::string command = "\"" + other.javaw() + "\" other";
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
        CloseHandle(info.hThread);
        otherProcess = info.hProcess;
    }
    ASSERT_EQ(0u, drive("wait --pid " + std::to_string(GetProcessId(otherProcess)) + " --class StandInJavaFrame").exitCode);

    SplashScenario s(splashSpec(testData("splash-400x300.gif"), "3", true));
    s.app.configure("hidden_window=1").configure("run_ms=6000");
    EXPECT_EQ(259u, s.run().exitCode);
    TerminateProcess(otherProcess, 0);
    CloseHandle(otherProcess);
}

// With the splash on, a failed start shows its box; no tick of the
// watchdog runs behind it, so the box stays until the user closes it.
TEST(Watchdog, FailedLaunchBehindTheSplashKeepsItsBoxAndEndsWithOne) {
    SplashScenario s(splashSpec(testData("splash-400x300.gif"), "1"));
    writeFile(s.app.javaw(), "not a program");
    unsigned long stillThere = 99;
    std::function<void(const std::string&)> user = [&](const std::string& select) {
        drive("wait " + select + " --class #32770");
        Sleep(2500);
        stillThere = drive("wait " + select + " --class #32770 --timeout 500").exitCode;
        drive("key " + select + " --class #32770 enter");
    };
    TracedRun run = s.run("", drivenBy(user));
    EXPECT_EQ(0u, stillThere);
    EXPECT_EQ(1u, run.exitCode);
}

// The launcher ends from inside the window check through the normal exit:
// the debug log is complete, every chunk read before the end in it.
TEST(Watchdog, EndingAtTheApplicationWindowCompletesTheDebugLog) {
    SplashScenario s(splashSpec(testData("splash-400x300.gif"), "6", true));
    s.app.configure("output=application line\\n").configure("output_repeat=2000");
    s.app.configure("window_after_ms=1000").configure("run_ms=8000");
    TracedRun run = s.run("-Xdebug");
    EXPECT_EQ(0u, run.exitCode);
    const std::string log = readFile(s.root() + "\\log.txt");
    EXPECT_EQ(2000u * 18, log.size());  // every line, with CR LF
    EXPECT_EQ(expectedDebugLog(run), log);
}

// Waiting for the application's end, the splash wait ends as usual (the
// countdown, or the application's window) and the splash goes away; the
// launcher stays until the application has ended and ends with its code.
TEST(Watchdog, WaitForTheEndGoesOnAfterTheSplashWaitWithoutTheSplash) {
    struct Case {
        const char* name;
        const char* timeout;
        bool waitForWindow;
    };
    for (const Case& c : {Case{"countdown", "1", false}, Case{"window", "20", true}}) {
        SplashScenario s(splashSpec(testData("splash-400x300.gif"), c.timeout, c.waitForWindow).set(109, "on"));
        s.app.configure("run_ms=6000").configure("exit_code=5");
        if (c.waitForWindow) s.app.configure("window_after_ms=300");
        unsigned long splashGone = 99;
        std::function<void(const std::string&)> user = [&](const std::string& select) {
            drive("wait " + select + " --class Static --timeout 10000");
            splashGone = drive("gone " + select + " --class Static --timeout 4000").exitCode;
        };
        TracedRun run = s.run("", drivenBy(user));
        EXPECT_EQ(0u, splashGone) << c.name;
        EXPECT_EQ(5u, run.exitCode) << c.name;
        EXPECT_EQ("Application exit code: 5", run.lines.back()) << c.name;
    }
}

// Inside the launcher the application's window ends the splash, not the
// launcher, which stays until the application ends and ends with its code;
// the splash, a window of the same process, is never taken for it.
TEST(Watchdog, InsideTheLauncherTheApplicationsWindowEndsOnlyTheSplash) {
    SplashScenario s(splashSpec(testData("splash-400x300.gif"), "30", true).set(119, "on"));
    s.app.hostable().configure("window_after_ms=" + std::to_string(3000 * timeScale()));
    s.app.configure("run_ms=" + std::to_string(6000 * timeScale())).configure("exit_code=5");
    unsigned long goneBeforeTheWindow = 99, goneWithIt = 99;
    std::function<void(const std::string&)> user = [&](const std::string& select) {
        drive("wait " + select + " --class Static --timeout 10000");
        goneBeforeTheWindow = drive("gone " + select + " --class Static --timeout 2000").exitCode;
        drive("wait " + select + " --class StandInJavaFrame --timeout 20000");
        goneWithIt = drive("gone " + select + " --class Static --timeout 4000").exitCode;
    };
    TracedRun run = s.run("", drivenBy(user));
    EXPECT_NE(0u, goneBeforeTheWindow);
    EXPECT_EQ(0u, goneWithIt);
    EXPECT_EQ(5u, run.exitCode);
    EXPECT_EQ("Application exit code: 5", run.lines.back());
}

// An application that prints without a pause does not hold up the
// launcher's end: its reader stops after the chunk in hand and what the
// pipe held, and the debug log holds every chunk the trace shows.
TEST(Watchdog, ChattyApplicationDoesNotHoldUpTheEndAndTheDebugLogIsComplete) {
    SplashScenario s(splashSpec(testData("splash-400x300.gif"), scaledSeconds(1).c_str()));
    s.app.configure("chatter_ms=60000");
    TracedRun run = s.run("-Xdebug");
    EXPECT_FALSE(run.timedOut);
    // A countdown of 1 ends with 0; a longer one with 259, the application
    // still running.
    EXPECT_EQ(timeScale() == 1 ? 0u : 259u, run.exitCode);
    const std::string log = readFile(s.root() + "\\log.txt");
    EXPECT_NE(std::string::npos, log.find("chatter line 1\r\n"));  // it printed while the launcher ran
    const std::string traced = expectedDebugLog(run);
    EXPECT_TRUE(traced == log) << "the trace shows " << traced.size() << " bytes, the log holds " << log.size();
}
