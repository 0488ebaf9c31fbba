// The VM options files, the variables in the options, and the console and
// debug switches, end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
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

namespace {

const int PROP_USER_OPTIONS = 111;
const int PROP_EXPAND_VARIABLES = 112;

}  // namespace

// The user's own file under %APPDATA% comes first, then the file beside the
// launcher, then the setting; each file tried is traced alike. Without
// %APPDATA% there is no user file to try.
TEST(UserVmOptions, UserFileFirstThenTheOneBesideTheLauncherThenTheSetting) {
    struct Case {
        bool appData, userFile, besideFile;
        const char* options;
    };
    const Case cases[] = {
        {true, true, true, "-Dfrom=user "},
        {true, false, true, "-Dfrom=beside "},
        {true, false, false, "-Dfrom=setting"},
        {false, true, true, "-Dfrom=beside "},
    };
    for (const Case& c : cases) {
        Scenario s;
        s.useLauncher(LauncherSpec::shipped().set(PROP_USER_OPTIONS, "My App").set(100, "-Dfrom=setting"));
        JavaHome privateRuntime(s.folder() + "\\jre");
        const std::string user = s.root() + "\\roaming\\My App\\launcher.exe.vmoptions";
        const std::string beside = s.launcher() + ".vmoptions";
        if (c.userFile) writeFile(user, "-Dfrom=user");
        if (c.besideFile) writeFile(beside, "-Dfrom=beside");
        RunOptions options;
        options.environment["APPDATA"] = c.appData ? std::optional<std::string>(s.root() + "\\roaming") : std::nullopt;
        TracedRun run = s.run("", options);

        Lines expected{"Loading VM options."};
        for (const std::string& file : c.appData ? Lines{user, beside} : Lines{beside}) {
            const bool found = file == user ? c.userFile : c.besideFile;
            expected.push_back("Try to load VM options from file: " + file);
            expected.push_back((found ? "File was found: " : "File was not found: ") + file);
            if (found) break;
        }
        expected.push_back(std::string("Loaded VM parametrers: ") + c.options);
        const Lines traced = run.from("Loading VM options.");
        EXPECT_EQ(expected, Lines(traced.begin(), traced.begin() + std::min(expected.size(), traced.size())))
            << c.appData << c.userFile << c.besideFile;
    }
}

// %NAME% in the VM options and the working directory: the environment, the
// launcher's own names, an unknown name and %% (nothing at all without the
// setting). An option a value changed reaches Java as one argument, its
// blanks, quotes and trailing backslash kept; an absolute working directory
// stands alone once expanded; a text that would grow too long is kept as
// written.
TEST(ExpandVariables, OptionsAndWorkingDirectoryTakeTheValues) {
    const std::string overflow = "Variables not expanded: the text would be longer than 32767 characters.";
    const std::string all = "-Da=%TEST_VALUE% -Db=%LAUNCHER_DIR% -Dc=%LAUNCHER_FILE% -Dd=%JAVA_HOME_FOUND% "
                            "-De=%NO_SUCH_NAME% -Df=100%% \"-Dg=%TEST_VALUE%\" -Dh=%TEST_QUOTE% \"-Di=%TEST_DIR%\" -Dj";
    struct Case {
        bool expand;
        std::string options;
        bool overflows;
    };
    const Case cases[] = {
        {false, all, false},
        {true, all, false},
        {true, "-Dbig=%TEST_BIG% -Dbig2=%TEST_BIG%", true},
    };
    for (const Case& c : cases) {
        Scenario s;
        LauncherSpec spec = LauncherSpec::shipped().set(100, c.options).set(103, "%TEST_WORK%\\work");
        if (c.expand) spec.set(PROP_EXPAND_VARIABLES, "on");
        s.useLauncher(spec);
        JavaHome privateRuntime(s.folder() + "\\jre");
        makeFolders(s.root() + "\\elsewhere\\work");
        RunOptions options;
        options.environment["TEST_VALUE"] = "v a l";
        options.environment["TEST_QUOTE"] = "say \"hi\"";
        options.environment["TEST_DIR"] = "C:\\dir\\";
        options.environment["TEST_WORK"] = s.root() + "\\elsewhere";
        options.environment["TEST_BIG"] = std::string(20000, 'b');
        options.environment["NO_SUCH_NAME"] = std::nullopt;
        TracedRun run = s.run("", options);

        Lines passed{"-Da=%TEST_VALUE%", "-Db=%LAUNCHER_DIR%", "-Dc=%LAUNCHER_FILE%", "-Dd=%JAVA_HOME_FOUND%",
                     "-De=%NO_SUCH_NAME%", "-Df=100%%", "-Dg=%TEST_VALUE%", "-Dh=%TEST_QUOTE%", "-Di=%TEST_DIR%", "-Dj"};
        if (c.overflows) passed = {"-Dbig=%TEST_BIG%", "-Dbig2=%TEST_BIG%"};
        if (c.expand && !c.overflows) {
            passed = {"-Da=v a l", "-Db=" + s.folder(), "-Dc=" + s.launcher(), "-Dd=" + s.folder() + "\\jre",
                      "-De=%NO_SUCH_NAME%", "-Df=100%", "-Dg=v a l", "-Dh=say \"hi\"", "-Di=C:\\dir\\", "-Dj"};
        }
        EXPECT_TRUE(run.has("Loaded VM parametrers: " + c.options));
        if (c.expand && !c.overflows) {
            std::string expanded;
            for (const std::string& argument : passed) expanded += (expanded.empty() ? "" : " ") + quoteArgument(argument);
            EXPECT_TRUE(run.has("VM options after expansion: " + expanded)) << expanded;
        }
        EXPECT_EQ(c.expand, run.indexOf("VM options after expansion: ") >= 0) << c.options;
        EXPECT_EQ(c.overflows, run.has(overflow)) << c.options;
        const std::string workDir = c.expand ? s.root() + "\\elsewhere\\work" : s.folder() + "\\%TEST_WORK%\\work";
        EXPECT_TRUE(run.has("Working dir: " + workDir)) << c.options;
        ASSERT_TRUE(waitForStarts(privateRuntime, 1, 60000));
        const StandinStart start = privateRuntime.starts().at(0);
        Lines arguments{privateRuntime.javaw()};
        arguments.insert(arguments.end(), passed.begin(), passed.end());
        arguments.insert(arguments.end(), {"-jar", "marblewright.jar"});
        EXPECT_EQ(arguments, start.arguments()) << c.options;
        if (c.expand) {
            EXPECT_EQ(workDir, start.currentFolder);
        } else {
            EXPECT_EQ("\"" + privateRuntime.javaw() + "\" " + c.options + " -jar marblewright.jar ", start.commandLine);
        }
    }
}
