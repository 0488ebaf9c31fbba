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

TEST(MessageBoxes, FailedStartShowsAnErrorBox) {
    Scenario s;
    s.useShippedLauncher();
    writeFile(s.folder() + "\\jre\\bin\\javaw.exe", "not a program");
    DriverResult box;
    std::function<void(const std::string&)> user = [&](const std::string& select) {
        box = drive("wait " + select + " --class #32770");
        saveScreenshot("launch-error-box");
        drive("key " + select + " --class #32770 enter");
    };
    TracedRun run = s.run("", drivenBy(user));
    EXPECT_EQ(1u, run.exitCode);
    ASSERT_FALSE(box.windows.empty());
    EXPECT_EQ("", box.windows[0].text);
    EXPECT_NE(std::string::npos, box.output.find(" owner=0x0"));
    EXPECT_EQ("error", iconOf(box));
    const WindowReport* text = findChild(box.windows, "Static", true);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(0, text->text.compare(0, 48, "Error occured while starting the application...\n"));
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
