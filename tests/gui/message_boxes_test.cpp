// The launcher's two message boxes, as shown by the help switch and by a
// start that fails.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "java_home.h"
#include "launcher/switches.h"
#include "scenario.h"
#include "temp_folder.h"
#include "test_paths.h"
#include "window_driver.h"

namespace {

std::string iconOf(const DriverResult& r) {
    for (const WindowReport& w : r.windows) {
        if (!w.icon.empty()) return w.icon;
    }
    return "(none)";
}

}  // namespace

// "-Xhelp" wins over every other switch: only the usage box, exit code 0,
// nothing read, no log file.
TEST(MessageBoxes, HelpShowsOnlyTheUsageInAnInformationBox) {
    Scenario s;
    s.useShippedLauncher();
    DriverResult box;
    std::function<void(const std::string&)> user = [&](const std::string& select) {
        box = drive("wait " + select + " --class #32770");
        saveScreenshot("usage-box");
        drive("click " + select + " --class #32770 --button OK");
    };
    TracedRun run = s.run("-Xdebug -Xhelp -Xconsole", drivenBy(user));
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(std::vector<std::string>{"Launcher executed with command line: -Xdebug -Xhelp -Xconsole"}, run.lines);
    EXPECT_FALSE(fileExists(s.root() + "\\log.txt"));
    ASSERT_FALSE(box.windows.empty());
    EXPECT_EQ("", box.windows[0].text);  // a blank title bar, not the default title
    EXPECT_NE(std::string::npos, box.output.find(" owner=0x0"));
    const WindowReport* text = findChild(box.windows, "Static", true);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(usageText().c_str(), text->text);
    EXPECT_EQ("Options: \nuse -Xconsole to run java with console window\nuse -Xdebug to get output to log file\n"
              "use -Xhelp to get help about usage.",
              text->text);
    EXPECT_EQ("information", iconOf(box));
    const WindowReport* ok = findChild(box.windows, "Button", true);
    ASSERT_NE(nullptr, ok);
    EXPECT_EQ("OK", ok->text);
}

// A runtime that cannot start, as a child or inside the launcher (a
// launcher library without JLI_Launch): the error box, exit code 1, and
// nothing started in its place.
TEST(MessageBoxes, FailedStartShowsAnErrorBox) {
    for (const bool inside : {false, true}) {
        Scenario s;
        JavaHome runtime(s.folder() + "\\jre");
        if (inside) {
            runtime.hostable().configure("window_after_ms=0");
            copyFile(binFolder() + "\\riched32.dll", runtime.home() + "\\bin\\jli.dll");
            s.useLauncher(LauncherSpec::shipped().set(119, "on"));
        } else {
            s.useShippedLauncher();
            writeFile(runtime.javaw(), "not a program");
        }
        DriverResult box;
        std::function<void(const std::string&)> user = [&](const std::string& select) {
            box = drive("wait " + select + " --class #32770");
            if (!inside) saveScreenshot("launch-error-box");
            drive("key " + select + " --class #32770 enter");
        };
        TracedRun run = s.run("", drivenBy(user));
        EXPECT_EQ(1u, run.exitCode) << inside;
        ASSERT_FALSE(box.windows.empty()) << inside;
        EXPECT_EQ("", box.windows[0].text);
        EXPECT_NE(std::string::npos, box.output.find(" owner=0x0"));
        EXPECT_EQ("error", iconOf(box));
        const WindowReport* text = findChild(box.windows, "Static", true);
        ASSERT_NE(nullptr, text);
        EXPECT_EQ(0, text->text.compare(0, 48, "Error occured while starting the application...\n")) << text->text;
        if (inside) {
            EXPECT_EQ("In-process: " + runtime.home() + "\\bin\\jli.dll", run.lines.back());
            EXPECT_EQ(-1, run.indexOf("CreateProcess: "));
        }
        EXPECT_TRUE(runtime.starts().empty()) << inside;
    }
}

// A signature appended without room made for it in the zip's comment: Java
// would say "Invalid or corrupt jarfile"; the launcher says why, itself.
TEST(MessageBoxes, JarInImageThatJavaCannotReadShowsWhyAndEndsWithOne) {
    Scenario s;
    s.useLauncher(LauncherSpec::shipped().set(114, "on"));
    JavaHome privateRuntime(s.folder() + "\\jre");
    writeFile(s.launcher(), readFile(s.launcher()) + "PK\x05\x06" + std::string(18, '\0') + std::string(1000, 's'));
    DriverResult box;
    std::function<void(const std::string&)> user = [&](const std::string& select) {
        box = drive("wait " + select + " --class #32770");
        drive("key " + select + " --class #32770 enter");
    };
    TracedRun run = s.run("", drivenBy(user));
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ((std::vector<std::string>{"Jar in image: " + s.launcher(),
                                        "Jar in image: no zip end record reaches the end of the file"}),
              run.from("Jar in image: "));
    EXPECT_EQ("error", iconOf(box));
    const WindowReport* text = findChild(box.windows, "Static", true);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ("The application cannot start: Java cannot read the jar inside this program.\n"
              "It was probably signed without \"launcher-config sign\".",
              text->text);
    EXPECT_TRUE(privateRuntime.starts().empty());
}
