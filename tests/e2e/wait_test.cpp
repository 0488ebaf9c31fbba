// Waiting for the application's end (PROP_WAIT_FOR_EXIT), end to end: the
// exit code passed through, the standard handles a script redirected
// passed on to the application, the pipes when there is nothing to pass,
// and a launcher ended from outside.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "java_home.h"
#include "scenario.h"
#include "test_paths.h"
#include "window_driver.h"

namespace {

const int PROP_WAIT_FOR_EXIT = 109;

// The shipped settings, waiting, with the private runtime's console
// executable: what a console program wrapped in the launcher looks like.
struct WaitingScenario : Scenario {
    JavaHome app;
    explicit WaitingScenario(LauncherSpec spec = LauncherSpec::shipped().set(PROP_WAIT_FOR_EXIT, "on"))
        : app(folder() + "\\jre") {
        app.consoleJava();
        useLauncher(spec.set(99, "jre\\bin\\java.exe"));
    }
};

HANDLE inheritable(HANDLE h) {
    SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    return h;
}

HANDLE createFile(const std::string& path) {
    return inheritable(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   CREATE_ALWAYS, 0, nullptr));
}

HANDLE openFile(const std::string& path) {
    return inheritable(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
}

// Runs the launcher itself, as a script would, with these standard handles
// (null: none) and no console; closes the handles.
RunResult runRedirected(const Scenario& s, HANDLE input, HANDLE output, HANDLE error,
                        const std::string& arguments = "", RunOptions options = RunOptions()) {
    options.startFolder = s.root();
    options.redirect = true;
    options.standardHandles[0] = input;
    options.standardHandles[1] = output;
    options.standardHandles[2] = error;
    RunResult run = runProcess(s.commandLine(arguments), options);
    for (HANDLE h : {input, output, error}) {
        if (h) CloseHandle(h);
    }
    return run;
}

// Whether the process ends within `ms`.
bool endsWithin(unsigned long processId, DWORD ms) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (!process) return true;
    const bool ended = WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

}  // namespace

// Whatever the application returns is the launcher's own exit code, the
// values that mean something else elsewhere included.
TEST(WaitForExit, EndsWithTheApplicationsExitCode) {
    for (unsigned long code : {0ul, 1ul, 3ul, 255ul, 259ul, 0xC0000005ul}) {
        WaitingScenario s;
        s.app.configure("exit_code=" + std::to_string(code)).configure("run_ms=300");
        TracedRun run = s.run();
        EXPECT_EQ(code, run.exitCode) << code;
        EXPECT_TRUE(run.has("PROP_WAIT_FOR_EXIT: true.")) << code;
        EXPECT_EQ("Application exit code: " + std::to_string(code), run.lines.back()) << code;
    }
}

// A start that fails ends as it does without the wait: its message, then
// exit code 1.
TEST(WaitForExit, FailedStartShowsItsMessageAndEndsWithOne) {
    WaitingScenario s;
    writeFile(s.app.java(), "not a program");
    WindowVisit visit;
    RunOptions options;
    options.whileRunning = visitLauncherWindow;
    options.context = &visit;
    TracedRun run = s.run("", options);
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ(0u, visit.waitExit) << "no message box";
    EXPECT_EQ(0, run.lines.back().compare(0, 15, "CreateProcess: "));
}

// "app.exe > out.txt 2>&1" keeps the order of the two streams; with two
// files each holds its own. The debug log stays empty: the output never
// passes through the launcher.
TEST(WaitForExit, RedirectedOutputAndErrorReachTheirFilesInOrder) {
    struct Case {
        bool oneFile;
        const char* output;
        const char* error;
    };
    const Case cases[] = {
        {true, "out 1\nerr 1\nout 2\nerr 2\nout 3\nerr 3\n", nullptr},
        {false, "out 1\nout 2\nout 3\n", "err 1\nerr 2\nerr 3\n"},
    };
    for (const Case& c : cases) {
        WaitingScenario s;
        s.app.configure("interleave=3").configure("exit_code=4");
        const std::string out = s.root() + "\\out.txt", err = s.root() + "\\err.txt";
        HANDLE output = createFile(out);
        HANDLE error = nullptr;
        if (c.oneFile) {
            DuplicateHandle(GetCurrentProcess(), output, GetCurrentProcess(), &error, 0, TRUE, DUPLICATE_SAME_ACCESS);
        } else {
            error = createFile(err);
        }
        RunResult run = runRedirected(s, nullptr, output, error, "-Xdebug");
        EXPECT_EQ(4u, run.exitCode);
        EXPECT_EQ(c.output, readFile(out)) << c.oneFile;
        if (c.error) {
            EXPECT_EQ(c.error, readFile(err));
        }
        EXPECT_TRUE(fileExists(s.root() + "\\log.txt"));
        EXPECT_EQ("", readFile(s.root() + "\\log.txt"));
        const StandinStart started = s.app.applicationStarts().at(0);
        EXPECT_EQ("file", started.stdoutKind);
        EXPECT_EQ("file", started.stderrKind);
    }
}

TEST(WaitForExit, RedirectedInputReachesTheApplication) {
    WaitingScenario s;
    s.app.configure("copy_input=1");
    const std::string in = s.root() + "\\in.txt", out = s.root() + "\\out.txt";
    writeFile(in, "first line\r\nsecond line\r\n");
    RunResult run = runRedirected(s, openFile(in), createFile(out), nullptr);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ("input: first line\r\nsecond line\r\n", readFile(out));
}

// A caller that reads the launcher's output through a pipe ("app | more")
// reads the application's; it ends when both have ended.
TEST(WaitForExit, OutputPipedByTheCallerCarriesTheApplicationsOutput) {
    WaitingScenario s;
    s.app.configure("output=through the caller's pipe\\n").configure("exit_code=2");
    RunOptions options;
    options.startFolder = s.root();
    RunResult run = runProcess(s.commandLine(), options);
    EXPECT_EQ(2u, run.exitCode);
    EXPECT_EQ("through the caller's pipe\n", run.output);
}

// Without a console and without redirection the application talks through
// the launcher's pipe as usual: its output is in the debug log.
TEST(WaitForExit, NothingToPassOnKeepsThePipeAndTheLog) {
    WaitingScenario s;
    s.app.configure("output=through the pipe\\n").configure("exit_code=6");
    RunResult run = runRedirected(s, nullptr, nullptr, nullptr, "-Xdebug");
    EXPECT_EQ(6u, run.exitCode);
    EXPECT_EQ("through the pipe\r\n", readFile(s.root() + "\\log.txt"));
    EXPECT_EQ("pipe", s.app.applicationStarts().at(0).stdoutKind);
}

// A script or a supervisor that ends a waiting launcher ends its
// application with it; in the default mode the application outlives the
// launcher (here ended during the splash wait).
TEST(WaitForExit, LauncherEndedFromOutsideTakesTheApplicationAlong) {
    struct Case {
        bool wait;
        bool applicationEnds;
    };
    for (const Case& c : {Case{true, true}, Case{false, false}}) {
        LauncherSpec spec = LauncherSpec::shipped().set(96, "on").set(98, "30").remove(102);
        spec.splash = readFile(binFolder() + "\\test-data\\splash-400x300.gif");
        if (c.wait) spec.set(PROP_WAIT_FOR_EXIT, "on");
        WaitingScenario s(spec);
        s.app.configure("run_ms=30000");
        struct Kill {
            const JavaHome* app;
            bool started = false;
        } kill{&s.app};
        RunOptions options;
        options.context = &kill;
        options.whileRunning = [](unsigned long launcherId, void* context) {
            Kill* k = static_cast<Kill*>(context);
            k->started = waitForStarts(*k->app, 1);
            HANDLE launcher = OpenProcess(PROCESS_TERMINATE, FALSE, launcherId);
            TerminateProcess(launcher, 99);
            CloseHandle(launcher);
        };
        RunResult run = runRedirected(s, nullptr, nullptr, nullptr, "", options);
        ASSERT_TRUE(kill.started);
        EXPECT_EQ(99u, run.exitCode);
        const unsigned long app = s.app.applicationStarts().at(0).processId;
        EXPECT_EQ(c.applicationEnds, endsWithin(app, c.applicationEnds ? 10000 : 1000)) << c.wait;
        if (!c.applicationEnds) {
            HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, app);
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
    }
}

// The application's end is the end of the wait, not of what it started: a
// program it leaves behind runs on after the launcher has ended.
TEST(WaitForExit, WhatTheApplicationLeavesBehindOutlivesTheLauncher) {
    WaitingScenario s;
    s.app.configure("grandchild_ms=1500").configure("exit_code=3");
    const std::string out = s.root() + "\\out.txt";
    RunResult run = runRedirected(s, nullptr, createFile(out), nullptr);
    EXPECT_EQ(3u, run.exitCode);
    std::string written;
    for (int i = 0; i < 500 && written.empty(); ++i) {
        Sleep(20);
        written = readFile(out);
    }
    EXPECT_EQ("grandchild done", written);
}
