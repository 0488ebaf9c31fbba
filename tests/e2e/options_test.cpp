// The VM options file beside the launcher, and the console and debug
// switches, end to end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "java_home.h"
#include "scenario.h"

using Lines = std::vector<std::string>;

TEST(VmOptionsFile, FileBesideTheLauncherReplacesTheSetting) {
    Scenario s;
    s.useShippedLauncher();
    JavaHome privateRuntime(s.folder() + "\\jre");
    writeFile(s.launcher() + ".vmoptions", "-Xmx512m\r\n-Dx=1\r\n");
    TracedRun run = s.run();
    const std::string path = s.launcher() + ".vmoptions";
    EXPECT_EQ((Lines{"Loading VM options.", "Try to load VM options from file: " + path, "File was found: " + path,
                     "Loaded VM parametrers: -Xmx512m -Dx=1  "}),
              Lines(run.lines.begin() + 2, run.lines.begin() + 6));
    ASSERT_TRUE(waitForStarts(privateRuntime, 1));
    EXPECT_EQ("\"" + privateRuntime.javaw() + "\" -Xmx512m -Dx=1   -jar marblewright.jar ",
              privateRuntime.starts().at(0).commandLine);
}

TEST(VmOptionsFile, EmptyFileGivesOneBlankAndTheSettingIsNotUsed) {
    Scenario s;
    s.useShippedLauncher();
    JavaHome privateRuntime(s.folder() + "\\jre");
    writeFile(s.launcher() + ".vmoptions", "");
    TracedRun run = s.run();
    EXPECT_TRUE(run.has("Loaded VM parametrers:  "));
    EXPECT_TRUE(run.has("Full argument line:   -jar marblewright.jar "));
}

// The file follows the launcher's own name and folder, not the current
// directory.
TEST(VmOptionsFile, RenamedLauncherReadsItsOwnFileWhateverTheStartFolder) {
    Scenario s("app", "other.exe");
    s.useShippedLauncher();
    JavaHome privateRuntime(s.folder() + "\\jre");
    writeFile(s.folder() + "\\other.exe.vmoptions", "-Dmine=yes");
    writeFile(s.folder() + "\\launcher.exe.vmoptions", "-Dwrong=launcher-name");
    writeFile(s.root() + "\\other.exe.vmoptions", "-Dwrong=start-folder");
    TracedRun run = s.run();
    EXPECT_TRUE(run.has("File was found: " + s.folder() + "\\other.exe.vmoptions"));
    EXPECT_TRUE(run.has("Loaded VM parametrers: -Dmine=yes "));
}

TEST(VmOptionsFile, FolderOfThatNameCountsAsNoFile) {
    Scenario s;
    s.useShippedLauncher();
    JavaHome privateRuntime(s.folder() + "\\jre");
    makeFolders(s.launcher() + ".vmoptions");
    TracedRun run = s.run();
    EXPECT_TRUE(run.has("File was not found: " + s.launcher() + ".vmoptions"));
    EXPECT_EQ(0u, run.exitCode);
}

TEST(ConsoleSwitch, LooksForTheConsoleExecutableFromTheStartOfTheSearch) {
    Scenario s;
    s.useLauncher(LauncherSpec::shipped().remove(99));
    JavaHome home(s.root() + "\\java home");
    RunOptions options;
    options.environment["JAVA_HOME"] = home.home();
    TracedRun run = s.run("-Xconsole a", options);
    EXPECT_EQ((Lines{"Launcher executed with command line: -Xconsole a", "Application is run as console.",
                     "Application is run with parameters:  a"}),
              Lines(run.lines.begin(), run.lines.begin() + 3));
    EXPECT_TRUE(run.has("Jre path: " + home.java()));
    ASSERT_TRUE(waitForStarts(home, 2));
    EXPECT_EQ(0, home.applicationStarts().at(0).commandLine.compare(0, home.java().size() + 2, "\"" + home.java() + "\""));
}

// The private runtime is taken as configured, also for a console run.
TEST(ConsoleSwitch, PrivateRuntimeStaysAsConfigured) {
    Scenario s;
    s.useShippedLauncher();
    JavaHome privateRuntime(s.folder() + "\\jre");
    TracedRun run = s.run("-Xconsole");
    EXPECT_TRUE(run.has("Jre path: " + privateRuntime.javaw()));
}
