// The Java launch, end to end: what the started program receives, what a
// failed start shows, and the application's output in the log.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "java_home.h"
#include "scenario.h"
#include "test_paths.h"
#include "window_driver.h"

using Lines = std::vector<std::string>;

namespace {

const std::string SHIPPED_OPTIONS =
    "-Xmx1024m -Dapple.laf.useScreenMenuBar=true -Dcom.apple.mrj.application.apple.menu.about.name=Marblewright";

// Runs a launcher whose start fails and closes the error box.
TracedRun runToErrorBox(const Scenario& s, WindowVisit& visit, const std::string& arguments = "") {
    RunOptions options;
    options.whileRunning = visitLauncherWindow;
    options.context = &visit;
    return s.run(arguments, options);
}

std::string boxText(const WindowVisit& visit) {
    for (const WindowReport& w : visit.seen) {
        if (w.className == "Static" && !w.text.empty()) return w.text;
    }
    return "(no text)";
}

}  // namespace

// The whole of a typical run with the shipped settings: no splash,
// stay-alive on, the private runtime present, no arguments.
TEST(JavaLaunch, TypicalRunFromFirstLineToExit) {
    Scenario s;
    s.useShippedLauncher();
    JavaHome privateRuntime(s.folder() + "\\jre");
    TracedRun run = s.run();
    const std::string exe = s.folder() + "\\jre\\bin\\javaw.exe";
    const std::string options = s.launcher() + ".vmoptions";
    const std::string argumentLine = SHIPPED_OPTIONS + " -jar marblewright.jar ";
    const std::string commandLine = "\"" + exe + "\" " + argumentLine;
    EXPECT_EQ((Lines{
                  "Launcher executed with command line: ",
                  "Application is run with parameters: ",
                  "Loading VM options.",
                  "Try to load VM options from file: " + options,
                  "File was not found: " + options,
                  "Loaded VM parametrers: " + SHIPPED_OPTIONS,
                  "PROP_START_JAR: marblewright.jar",
                  "PROP_SPLASH: false.",
                  "PROP_SEARCH_JDK_ONLY: false.",
                  "Path to exe file of launcher: " + s.folder(),
                  "PROP_WORK_DIR: ",
                  "Working dir: " + s.folder() + "\\",
                  "Search for Jre...",
                  "PROP_JRE_PATH: jre\\bin\\javaw.exe",
                  "Try bundled JRE or JDK path: " + exe,
                  "Bundled Jre or jdk found",
                  "Jre path: " + exe,
                  "Full argument line: " + argumentLine,
                  "execute: " + exe + " " + argumentLine,
                  "Full command line: " + commandLine,
                  "CreateProcess: " + commandLine,
              }),
              run.lines);
    EXPECT_EQ(0u, run.exitCode);

    ASSERT_TRUE(waitForStarts(privateRuntime, 1));
    const StandinStart started = privateRuntime.starts().at(0);
    EXPECT_EQ(commandLine, started.commandLine);
    EXPECT_EQ(s.folder(), started.currentFolder);
    EXPECT_EQ(static_cast<unsigned long>(STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES), started.flags);
    EXPECT_EQ(static_cast<unsigned>(SW_HIDE), started.showCommand);
    EXPECT_EQ("pipe", started.stdoutKind);
    EXPECT_EQ("pipe", started.stderrKind);
    EXPECT_EQ("pipe", started.stdinKind);
}

TEST(JavaLaunch, ArgumentsReachTheApplicationUnquotedAfterTheJar) {
    Scenario s;
    s.useLauncher(LauncherSpec::shipped().set(100, "").set(101, "my app.jar"));
    JavaHome privateRuntime(s.folder() + "\\jre");
    TracedRun run = s.run("\"quoted arg\" -XDEBUG -xdebug plain");
    ASSERT_TRUE(waitForStarts(privateRuntime, 1));
    // Empty VM options: two blanks after the quoted executable.
    EXPECT_EQ("\"" + s.folder() + "\\jre\\bin\\javaw.exe\"  -jar my app.jar \"quoted arg\" -XDEBUG -xdebug plain",
              privateRuntime.starts().at(0).commandLine);
}

TEST(JavaLaunch, FailedStartShowsTheSystemsReasonAndEndsWithOne) {
    Scenario s;
    s.useShippedLauncher();
    writeFile(s.folder() + "\\jre\\bin\\javaw.exe", "this is not a program");
    WindowVisit visit;
    TracedRun run = runToErrorBox(s, visit);
    EXPECT_EQ(1u, run.exitCode);
    ASSERT_EQ(0u, visit.waitExit);
    const std::string text = boxText(visit);
    const std::string firstLine = "Error occured while starting the application...\n";
    EXPECT_EQ(firstLine, text.substr(0, firstLine.size()));
    // The system's own reason follows, naming the program.
    EXPECT_NE(std::string::npos, text.find(s.folder() + "\\jre\\bin\\javaw.exe", firstLine.size())) << text;
    EXPECT_EQ(std::string::npos, text.find("%1")) << text;
    EXPECT_EQ("", visit.seen.at(0).text);  // no caption
    const int last = static_cast<int>(run.lines.size()) - 1;
    ASSERT_GE(last, 2);
    EXPECT_EQ(0, run.lines[last - 2].compare(0, 9, "execute: "));
    EXPECT_EQ(0, run.lines[last - 1].compare(0, 19, "Full command line: "));
    EXPECT_EQ(0, run.lines[last].compare(0, 15, "CreateProcess: "));
}

// The command line is not cut at any fixed buffer: anything the system can
// start is started exactly; beyond its limit the launch fails cleanly.
TEST(JavaLaunch, LongCommandLinesStartExactlyAndTooLongOnesFailCleanly) {
    Scenario s;
    s.useShippedLauncher();
    JavaHome privateRuntime(s.folder() + "\\jre");
    std::string options;
    for (int i = 0; i < 7; ++i) options += "-Dp" + std::to_string(i) + "=" + std::string(4000, 'v') + "\n";
    writeFile(s.launcher() + ".vmoptions", options);
    TracedRun fits = s.run();
    EXPECT_EQ(0u, fits.exitCode);
    ASSERT_TRUE(waitForStarts(privateRuntime, 1));
    const std::string received = privateRuntime.starts().at(0).commandLine;
    EXPECT_GT(received.size(), 28000u);
    EXPECT_EQ(fits.lines[fits.indexOf("Full command line: ")].substr(19), received);

    for (int i = 7; i < 10; ++i) options += "-Dp" + std::to_string(i) + "=" + std::string(4000, 'v') + "\n";
    writeFile(s.launcher() + ".vmoptions", options);
    WindowVisit visit;
    TracedRun tooLong = runToErrorBox(s, visit);
    EXPECT_EQ(1u, tooLong.exitCode);
    EXPECT_GT(tooLong.lines[tooLong.indexOf("Full command line: ")].size(), 40000u);
    EXPECT_EQ(0, tooLong.lines.back().compare(0, 19, "Full command line: "));  // never started
    EXPECT_EQ(0, boxText(visit).compare(0, 48, "Error occured while starting the application...\n"));
    EXPECT_EQ(1u, privateRuntime.starts().size());
}

// In debug mode the application's output goes to log.txt chunk by chunk,
// also while the launcher ends: what the reader took from the pipe is in
// the file, whole.
TEST(JavaLaunch, DebugLogHoldsEveryChunkReadUpToTheLaunchersEnd) {
    Scenario s;
    s.useShippedLauncher();
    JavaHome privateRuntime(s.folder() + "\\jre");
    privateRuntime.configure("output=line of application output\\n").configure("output_repeat=5000");
    TracedRun run = s.run("-Xdebug");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(expectedDebugLog(run), readFile(s.root() + "\\log.txt"));
}

// The application inherits its three pipe ends and nothing else: a caller
// that reads the launcher's own output is not kept waiting by the
// application, which runs on.
TEST(JavaLaunch, ApplicationDoesNotHoldTheCallersOutputOpen) {
    Scenario s;
    s.useShippedLauncher();
    JavaHome privateRuntime(s.folder() + "\\jre");
    privateRuntime.configure("run_ms=8000");
    RunOptions options;
    options.startFolder = s.root();
    RunResult run = runProcess(s.commandLine(), options);  // output piped to this test
    EXPECT_EQ(0u, run.exitCode);
    ASSERT_TRUE(waitForStarts(privateRuntime, 1));
    HANDLE app = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, privateRuntime.starts().at(0).processId);
    ASSERT_NE(nullptr, app);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(app, 0)) << "the caller waited for the application";
    TerminateProcess(app, 0);
    CloseHandle(app);
}

// A library the system loads by name for the launcher (the theming library
// of its first window, here) comes from the system folder, never from
// beside the launcher, even where a file there would be preferred: Wine
// prefers its own copy, and a setting of the test prefix for this program
// makes it prefer the file, as Windows would.
TEST(JavaLaunch, NoLibraryIsLoadedByNameFromBesideTheLauncher) {
    Scenario s("app", "dll-search-test.exe");
    s.useShippedLauncher();
    JavaHome privateRuntime(s.folder() + "\\jre");
    copyFile(binFolder() + "\\riched32.dll", s.folder() + "\\uxtheme.dll");
    const std::string overrides = "Software\\Wine\\AppDefaults\\dll-search-test.exe\\DllOverrides";
    RegSetKeyValueA(HKEY_CURRENT_USER, overrides.c_str(), "uxtheme", REG_SZ, "native,builtin", 15);
    EXPECT_EQ(0u, s.run().exitCode);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\dll-search-test.exe");
    EXPECT_FALSE(fileExists(s.folder() + "\\planted-dll-loaded.txt"));
}
