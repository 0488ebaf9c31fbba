// launcher-config.exe under Wine: what it writes is what the launcher reads.
#include <gtest/gtest.h>

#include <string>

#include "java_home.h"
#include "process_run.h"
#include "scenario.h"
#include "test_paths.h"

namespace {

RunResult configurator(const std::string& arguments) {
    return runProcess(quoteArgument(binFolder() + "\\launcher-config.exe") + " " + arguments);
}

}  // namespace

TEST(LauncherConfigUnderWine, SettingsWrittenAreTheOnesTheLauncherReads) {
    Scenario s("app", "configured.exe");
    JavaHome privateRuntime(s.folder() + "\\runtime");
    const std::string jar = std::string(320, 'j') + "-caf\xC3\xA9.jar";  // UTF-8 in the file
    writeFile(s.root() + "\\app.conf",
              "PROP_START_JAR = " + jar + "\n"
              "PROP_JRE_PATH = runtime\\bin\\javaw.exe\n"
              "PROP_VM_OPTIONS = \"-Dgreeting=gr\xC3\xBC\xC3\x9F dich \"\n"
              "PROP_STAY_ALIVE =\n"
              "PROP_WORK_DIR = runtime\n"
              "product-name = Caf\xC3\xA9 Editor\n");
    RunResult configured = configurator("configure " + quoteArgument(launcherImage()) + " " +
                                        quoteArgument(s.launcher()) + " --config " + quoteArgument(s.root() + "\\app.conf"));
    ASSERT_EQ(0u, configured.exitCode) << configured.output;

    TracedRun run = s.run("arg");
    const std::string ansiJar = std::string(320, 'j') + "-caf\xE9.jar";  // the ANSI code page, 1252
    EXPECT_TRUE(run.has("PROP_START_JAR: " + ansiJar));
    EXPECT_TRUE(run.has("Loaded VM parametrers: -Dgreeting=gr\xFC\xDF dich "));
    EXPECT_TRUE(run.has("Working dir: " + s.folder() + "\\runtime"));
    EXPECT_EQ(0u, run.exitCode);
    ASSERT_TRUE(waitForStarts(privateRuntime, 1));
    EXPECT_EQ("\"" + privateRuntime.javaw() + "\" -Dgreeting=gr\xFC\xDF dich  -jar " + ansiJar + " arg",
              privateRuntime.starts().at(0).commandLine);

    RunResult shown = configurator("show " + quoteArgument(s.launcher()));
    EXPECT_EQ(0u, shown.exitCode);
    EXPECT_NE(std::string::npos, shown.output.find("ProductName: Caf\xC3\xA9 Editor"));
}

TEST(LauncherConfigUnderWine, RefusesANonImageAndWritesNothing) {
    TempFolder folder("configurator");
    writeFile(folder / "notes.txt", "not a program");
    RunResult refused = configurator("configure " + quoteArgument(folder / "notes.txt") + " " +
                                     quoteArgument(folder / "out.exe") + " --set PROP_START_JAR=a.jar");
    EXPECT_EQ(1u, refused.exitCode);
    EXPECT_NE(std::string::npos, refused.output.find("not a PE file"));
    EXPECT_FALSE(fileExists(folder / "out.exe"));
}

// The Windows build reads a file with a byte-order mark and CR line ends
// as the same file with LF line ends.
TEST(LauncherConfigUnderWine, ByteOrderMarkAndCrLineEndsReadAsPlainLines) {
    TempFolder folder("configurator");
    const std::string settings[] = {"PROP_START_JAR = caf\xC3\xA9.jar", "PROP_MIN_VERSION = 1.8"};
    std::string plain, marked = "\xEF\xBB\xBF";
    for (const std::string& line : settings) {
        plain += line + "\n";
        marked += line + "\r";
    }
    writeFile(folder / "plain.conf", plain);
    writeFile(folder / "marked.conf", marked);
    for (const char* name : {"plain", "marked"}) {
        RunResult r = configurator("configure " + quoteArgument(launcherImage()) + " " +
                                   quoteArgument(folder / (std::string(name) + ".exe")) + " --config " +
                                   quoteArgument(folder / (std::string(name) + ".conf")));
        EXPECT_EQ(0u, r.exitCode) << name << ": " << r.output;
    }
    const std::string expected = readFile(folder / "plain.exe");
    EXPECT_NE(readFile(launcherImage()), expected);
    EXPECT_TRUE(expected == readFile(folder / "marked.exe"));
}
