// The launcher's start-up sequence, from its command line to its working
// directory, run for real under the trace capture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "java_home.h"
#include "scenario.h"

using Lines = std::vector<std::string>;

namespace {

const char* const SHIPPED_VM_OPTIONS =
    "-Xmx1024m -Dapple.laf.useScreenMenuBar=true -Dcom.apple.mrj.application.apple.menu.about.name=Marblewright";

Lines firstLines(const TracedRun& run, size_t count) {
    return Lines(run.lines.begin(), run.lines.begin() + std::min(count, run.lines.size()));
}

// The lines from "Launcher executed" to "Working dir: " for a launcher at
// `exe` in `folder` with the shipped settings.
Lines shippedSpine(const std::string& folder, const std::string& exe, const std::string& arguments) {
    const std::string options = folder + "\\" + exe + ".vmoptions";
    return {
        "Launcher executed with command line: " + arguments,
        "Application is run with parameters: " + arguments,
        "Loading VM options.",
        "Try to load VM options from file: " + options,
        "File was not found: " + options,
        std::string("Loaded VM parametrers: ") + SHIPPED_VM_OPTIONS,
        "PROP_START_JAR: marblewright.jar",
        "PROP_SPLASH: false.",
        "PROP_SEARCH_JDK_ONLY: false.",
        "Path to exe file of launcher: " + folder,
        "PROP_WORK_DIR: ",
        "Working dir: " + folder + "\\",
    };
}

}  // namespace

TEST(Spine, TypicalRunStartsWithTheSpineLinesExactly) {
    Scenario s;
    s.useShippedLauncher();
    JavaHome privateRuntime(s.folder() + "\\jre");
    TracedRun run = s.run();
    ASSERT_FALSE(run.timedOut);
    Lines expected = shippedSpine(s.folder(), "launcher.exe", "");
    expected.push_back("Search for Jre...");
    EXPECT_EQ(expected, firstLines(run, expected.size()));
    EXPECT_EQ(0u, run.exitCode);
}

TEST(Spine, RenamedLauncherInAFolderWithBlanksFindsItsSettingsAndOptionsFile) {
    Scenario s("My Apps\\Tool Dir", "Setup Tool.exe");
    s.useShippedLauncher();
    JavaHome privateRuntime(s.folder() + "\\jre");
    TracedRun run = s.run("one  two");
    Lines expected = shippedSpine(s.folder(), "Setup Tool.exe", "one  two");
    EXPECT_EQ(expected, firstLines(run, expected.size()));
    ASSERT_TRUE(waitForStarts(privateRuntime, 1));
    ASSERT_EQ(1u, privateRuntime.applicationStarts().size());
    EXPECT_EQ(s.folder(), privateRuntime.applicationStarts()[0].currentFolder);
}

// Flags are on for any text, whatever it says, and off when the string is
// empty or absent. Every flag is read the same way; the JDK-only flag is
// the one whose value the trace shows without changing how the run ends.
TEST(Spine, FlagSettingsAreOnForAnyTextAndOffWhenEmptyOrAbsent) {
    struct Case {
        const char* value;  // null: absent
        const char* expected;
    };
    const Case cases[] = {
        {"0", "PROP_SEARCH_JDK_ONLY: true."},
        {"false", "PROP_SEARCH_JDK_ONLY: true."},
        {" ", "PROP_SEARCH_JDK_ONLY: true."},
        {"", "PROP_SEARCH_JDK_ONLY: false."},
        {nullptr, "PROP_SEARCH_JDK_ONLY: false."},
    };
    for (const Case& c : cases) {
        Scenario s;
        LauncherSpec spec = LauncherSpec::shipped();
        if (c.value) spec.set(105, c.value);
        s.useLauncher(spec);
        JavaHome privateRuntime(s.folder() + "\\jre");
        TracedRun run = s.run();
        EXPECT_TRUE(run.has(c.expected)) << (c.value ? c.value : "(absent)");
        EXPECT_EQ(0u, run.exitCode);
    }
}

TEST(Spine, LongTextSettingsAndAbsentStringsTraceExactly) {
    Scenario s;
    const std::string jar = std::string(300, 'm') + ".jar";
    const std::string options = std::string(1000, 'o');
    s.useLauncher(LauncherSpec::empty().set(101, jar).set(100, options).set(99, "jre\\bin\\javaw.exe"));
    JavaHome privateRuntime(s.folder() + "\\jre");
    TracedRun run = s.run();
    EXPECT_TRUE(run.has("PROP_START_JAR: " + jar));
    EXPECT_TRUE(run.has("Loaded VM parametrers: " + options));
    EXPECT_TRUE(run.has("PROP_SPLASH: false."));
    EXPECT_TRUE(run.has("PROP_WORK_DIR: "));
}

TEST(Spine, WorkingDirectoryIsTakenFromTheLauncherFolderNotTheStartFolder) {
    Scenario s("apps\\tool");
    s.useLauncher(LauncherSpec::shipped().set(103, "..\\data"));
    makeFolders(s.root() + "\\apps\\data");
    makeFolders(s.root() + "\\elsewhere\\tool");
    JavaHome privateRuntime(s.folder() + "\\jre");
    RunOptions options;
    options.startFolder = s.root() + "\\elsewhere\\tool";
    TracedRun run = s.run("", options);
    EXPECT_EQ((Lines{"PROP_WORK_DIR: ..\\data", "Working dir: " + s.folder() + "\\..\\data", "Search for Jre..."}),
              Lines(run.lines.begin() + run.indexOf("PROP_WORK_DIR: "),
                    run.lines.begin() + run.indexOf("PROP_WORK_DIR: ") + 3));
    ASSERT_TRUE(waitForStarts(privateRuntime, 1));
    ASSERT_EQ(1u, privateRuntime.applicationStarts().size());
    EXPECT_EQ(s.root() + "\\apps\\data", privateRuntime.applicationStarts()[0].currentFolder);
}

TEST(Spine, MissingWorkingDirectoryIsReportedAndTheRunGoesOn) {
    Scenario s;
    s.useLauncher(LauncherSpec::shipped().set(103, "no such folder"));
    JavaHome privateRuntime(s.folder() + "\\jre");
    TracedRun run = s.run();
    const int at = run.indexOf("Working dir: ");
    ASSERT_GE(at, 0);
    EXPECT_EQ("Working dir: " + s.folder() + "\\no such folder", run.lines[at]);
    EXPECT_EQ("ERROR: Cannot set working dir.", run.lines[at + 1]);
    EXPECT_EQ("Search for Jre...", run.lines[at + 2]);
    EXPECT_EQ(0u, run.exitCode);
    ASSERT_TRUE(waitForStarts(privateRuntime, 1));
    ASSERT_EQ(1u, privateRuntime.applicationStarts().size());
    EXPECT_EQ(s.root(), privateRuntime.applicationStarts()[0].currentFolder);
}

TEST(Spine, DebugLogOpensInTheStartFolderAndEmptiesAnOldOne) {
    Scenario s;
    s.useShippedLauncher();
    JavaHome privateRuntime(s.folder() + "\\jre");
    writeFile(s.root() + "\\log.txt", "old content of an earlier run");
    TracedRun run = s.run("-Xdebug");
    EXPECT_TRUE(run.has("Application is run with debug flag."));
    ASSERT_TRUE(fileExists(s.root() + "\\log.txt"));
    EXPECT_EQ(std::string::npos, readFile(s.root() + "\\log.txt").find("old content"));
    EXPECT_FALSE(fileExists(s.folder() + "\\log.txt"));
    EXPECT_EQ(0u, run.exitCode);
}

TEST(Spine, DebugLogThatCannotBeWrittenLeavesTheRunUnharmed) {
    Scenario s;
    s.useShippedLauncher();
    JavaHome privateRuntime(s.folder() + "\\jre");
    makeFolders(s.root() + "\\log.txt");  // a folder where the file should go
    TracedRun run = s.run("-Xdebug");
    EXPECT_TRUE(run.has("Application is run with debug flag."));
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(waitForStarts(privateRuntime, 1));
}
