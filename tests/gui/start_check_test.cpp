// The start check (PROP_START_CHECK), end to end on the virtual display:
// an application that ends at start with an error gets a box with the end
// of what it wrote; any other start ends the launcher without one. A box
// nobody closes keeps the launcher running, so a run that ends by itself
// showed none.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "java_home.h"
#include "scenario.h"
#include "test_paths.h"
#include "window_driver.h"

namespace {

const int PROP_START_CHECK = 113;
const std::string HEAD = "The application ended at start with exit code ";
const char* const JVM_ERROR =
    "error_output=Picked up _JAVA_OPTIONS: -Xmx1024m\\r\\nError occurred during initialization of VM\\r\\n"
    "Could not reserve enough space for object heap\\r\\n";
const std::string JVM_ERROR_LINES = "Error occurred during initialization of VM\nCould not reserve enough space for object heap";

struct CheckScenario : Scenario {
    JavaHome app;
    CheckScenario(const LauncherSpec& spec, const std::vector<std::string>& behaviour) : app(folder() + "\\jre") {
        useLauncher(spec);
        if (spec.strings.count(119)) app.hostable();
        for (const std::string& line : behaviour) app.configure(line);
    }
};

LauncherSpec checking(const char* seconds) { return LauncherSpec::shipped().set(PROP_START_CHECK, seconds); }

LauncherSpec behindTheSplash() {
    LauncherSpec spec = checking("30").set(96, "on").set(98, "10").remove(102);
    spec.splash = readFile(binFolder() + "\\test-data\\splash-400x300.gif");
    return spec;
}

std::string stackLines(int from, int to) {
    std::string lines;
    for (int i = from; i <= to; ++i) lines += "\tat frame" + std::to_string(i) + (i < to ? "\n" : "");
    return lines;
}

// The trace without the launcher's own lines after the application's
// start, which the debug log never holds.
TracedRun withoutLauncherLines(TracedRun run) {
    std::vector<std::string> kept;
    for (const std::string& line : run.lines) {
        if (line.compare(0, 13, "Start check: ") != 0 && line.compare(0, 23, "Application exit code: ") != 0) {
            kept.push_back(line);
        }
    }
    run.lines = kept;
    return run;
}

}  // namespace

TEST(StartCheck, ApplicationThatFailsAtStartGetsABoxWithTheEndOfItsOutput) {
    struct Case {
        const char* name;
        LauncherSpec spec;
        std::vector<std::string> behaviour;
        unsigned long exitCode;
        std::string text;
    };
    const std::string frames = stackLines(1, 25);
    std::string escapedFrames = "error_output=";
    for (char c : frames) escapedFrames += c == '\n' ? std::string("\\r\\n") : std::string(1, c);
    const Case cases[] = {
        {"JVM error", checking("30"), {JVM_ERROR, "exit_code=1"}, 1, HEAD + "1.\n\n" + JVM_ERROR_LINES},
        // 10 KB of output before the trace: more than the launcher keeps.
        {"long output", checking("30"), {"output=" + std::string(99, '=') + "\\n", "output_repeat=100", escapedFrames, "exit_code=1"},
         1, HEAD + "1.\n\n" + stackLines(6, 25)},
        {"behind the splash", behindTheSplash(), {JVM_ERROR, "exit_code=3"}, 3, HEAD + "3.\n\n" + JVM_ERROR_LINES},
        {"inside the launcher", checking("30").set(119, "on"), {JVM_ERROR, "exit_code=2"}, 2, HEAD + "2.\n\n" + JVM_ERROR_LINES},
    };
    for (const Case& c : cases) {
        const bool first = &c == cases;
        CheckScenario s(c.spec, c.behaviour);
        DriverResult box;
        unsigned long splashGone = 0;
        std::function<void(const std::string&)> user = [&](const std::string& select) {
            box = drive("wait " + select + " --class #32770 --timeout 20000");
            if (c.spec.splash) splashGone = drive("gone " + select + " --class Static --timeout 5000").exitCode;
            if (first) saveScreenshot("start-check-box");
            drive("key " + select + " --class #32770 enter");
        };
        TracedRun run = s.run("-Xdebug", drivenBy(user));
        EXPECT_EQ(c.exitCode, run.exitCode) << c.name;
        const WindowReport* text = findChild(box.windows, "Static", true);
        ASSERT_NE(nullptr, text) << c.name;
        EXPECT_EQ(c.text, text->text) << c.name;
        EXPECT_EQ("", box.windows[0].text) << c.name;  // titled like the launcher's other errors
        EXPECT_EQ(0u, splashGone) << c.name;
        EXPECT_TRUE(run.has("Start check: application ended.")) << c.name;
        // What the box quotes is traced and logged as without the check.
        const std::string log = readFile(s.root() + "\\log.txt");
        EXPECT_NE(std::string::npos, log.find(c.text.substr(c.text.rfind('\n') + 1))) << c.name;
        EXPECT_EQ(expectedDebugLog(withoutLauncherLines(run)), log) << c.name;
    }
}

TEST(StartCheck, HealthyStartOrCleanEndEndsTheLauncherWithoutABox) {
    struct Case {
        const char* seconds;
        std::vector<std::string> behaviour;
        const char* outcome;
    };
    const Case cases[] = {
        {"30", {"exit_code=0"}, "Start check: application ended."},
        // A limit the run's own time-out would meet first: only the window
        // can end this wait.
        {"600", {"window_after_ms=0", "run_ms=20000"}, "Start check: window shown."},
        {"2", {"run_ms=20000"}, "Start check: time limit reached."},
    };
    for (const Case& c : cases) {
        CheckScenario s(checking(c.seconds), c.behaviour);
        TracedRun run = s.run();
        EXPECT_FALSE(run.timedOut) << c.outcome;
        EXPECT_EQ(0u, run.exitCode) << c.outcome;
        EXPECT_EQ(c.outcome, run.lines.back()) << c.outcome;
    }
}

// Waiting for the application's end with its output in the launcher's pipe
// (no console, no redirection): the box, then the application's exit code.
TEST(StartCheck, WaitingWithoutAConsoleShowsTheBoxToo) {
    CheckScenario s(checking("30").set(109, "on"), {JVM_ERROR, "exit_code=4"});
    DriverResult box;
    RunOptions options;
    options.startFolder = s.root();
    options.redirect = true;  // and no handles at all, as from Explorer
    options.context = &box;
    options.whileRunning = [](unsigned long launcherId, void* seen) {
        const std::string select = "--pid " + std::to_string(launcherId) + " --class #32770";
        *static_cast<DriverResult*>(seen) = drive("wait " + select + " --timeout 20000");
        drive("key " + select + " enter");
    };
    RunResult run = runProcess(s.commandLine(), options);
    EXPECT_EQ(4u, run.exitCode);
    const WindowReport* text = findChild(box.windows, "Static", true);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(HEAD + "4.\n\n" + JVM_ERROR_LINES, text->text);
}
