// A launcher that waits for its application, started from a console
// window (the test bed's console host, tests/helpers/console_host.cpp):
// what a user at the command prompt sees and does.
#include <gtest/gtest.h>

#include <string>

#include "console_run.h"
#include "java_home.h"
#include "scenario.h"

namespace {

// Waiting, with the private runtime's console executable.
struct ConsoleScenario : Scenario {
    JavaHome app;
    explicit ConsoleScenario(LauncherSpec spec = LauncherSpec::shipped()) : app(folder() + "\\jre") {
        app.consoleJava();
        useLauncher(spec.set(109, "on").set(99, "jre\\bin\\java.exe"));
    }
};

}  // namespace

TEST(ConsolePassThrough, OutputAndTypedInputUseTheConsoleAndTheExitCodeComesBack) {
    ConsoleScenario s;
    s.app.configure("output=hello from the application\\n").configure("echo_input=1").configure("exit_code=7");
    ConsoleOptions options;
    options.typeLine = true;
    options.typed = "typed words";
    ConsoleRun run = runInConsole(s.commandLine(), options);
    EXPECT_EQ(7u, run.exitCode);
    EXPECT_TRUE(run.shows("hello from the application"));
    EXPECT_TRUE(run.shows("input: typed words"));
    const StandinStart started = s.app.applicationStarts().at(0);
    EXPECT_EQ("console", started.stdinKind);
    EXPECT_EQ("console", started.stdoutKind);
    EXPECT_EQ("console", started.stderrKind);
}

// Ctrl+C reaches the application; the launcher survives it and ends with
// the exit code the application chose.
TEST(ConsolePassThrough, CtrlCReachesTheApplicationAndTheLauncherReportsItsExitCode) {
    ConsoleScenario s;
    s.app.configure("ctrl_c_exit_code=130").configure("run_ms=30000");
    ConsoleOptions options;
    options.pressCtrlCWhen = [&] { return waitForStarts(s.app, 1); };
    ConsoleRun run = runInConsole(s.commandLine(), options);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(130u, run.exitCode);
    EXPECT_TRUE(run.shows("ctrl event"));
}

// With the start check on, an application that fails in the console has
// told the user there: no box, and its exit code comes back.
TEST(ConsolePassThrough, StartCheckLeavesAFailureToTheConsole) {
    ConsoleScenario s(LauncherSpec::shipped().set(113, "30"));
    s.app.configure("error_output=Could not reserve enough space for object heap\\n").configure("exit_code=1");
    ConsoleRun run = runInConsole(s.commandLine());
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_TRUE(run.shows("Could not reserve enough space for object heap"));
}
