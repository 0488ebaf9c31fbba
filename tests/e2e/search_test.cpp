// The runtime search, end to end: the private runtime, the registry as a
// 32-bit process sees it, JAVA_HOME and the current directory, with
// stand-in runtimes that answer "-version".
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/handle.h"
#include "java_home.h"
#include "java_registry.h"
#include "scenario.h"
#include "window_driver.h"

using Lines = std::vector<std::string>;

namespace {

const char* const DEFAULT_VERSION_OUTPUT = "java version \"1.6.0_45\"\r\nJava(TM) SE Runtime Environment (stand-in)\r\n";

// The lines of one probe of `home` that printed `output`.
Lines probe(const std::string& home, const std::string& output = DEFAULT_VERSION_OUTPUT) {
    Lines lines = {"CreateProcess: \"" + home + "\\bin\\java.exe\" -version"};
    if (!output.empty()) lines.push_back(output);
    lines.push_back("Info = ");
    lines.push_back(output);
    return lines;
}

Lines lines(std::initializer_list<std::string> items) { return Lines(items); }

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The lines from `first` up to and including the line that starts with
// `last`.
Lines between(const TracedRun& run, const std::string& first, const std::string& last) {
    int from = run.indexOf(first);
    if (from < 0) return {"(no line " + first + ")"};
    for (size_t i = from; i < run.lines.size(); ++i) {
        if (run.lines[i].compare(0, last.size(), last) == 0) return Lines(run.lines.begin() + from, run.lines.begin() + i + 1);
    }
    return Lines(run.lines.begin() + from, run.lines.end());
}

struct SearchScenario : Scenario {
    JavaRegistry registry;
    explicit SearchScenario(const LauncherSpec& spec = LauncherSpec::shipped()) { useLauncher(spec); }
    std::string bundled() const { return folder() + "\\jre\\bin\\javaw.exe"; }
    std::string home(const std::string& name) const { return root() + "\\" + name; }
};

// A stand-in runtime in "\bin" on the root of a drive, removed again.
struct RootRuntime {
    std::unique_ptr<JavaHome> runtime;
    explicit RootRuntime(const std::string& drive) : runtime(std::make_unique<JavaHome>(drive)) {}
    ~RootRuntime() {
        const std::string folder = runtime->home() + "\\bin";
        runtime.reset();
        removeTree(folder);
    }
};

RunOptions withJavaHome(const std::string& value) {
    RunOptions options;
    options.environment["JAVA_HOME"] = value;
    return options;
}

// Runs a launcher that ends in the missing-runtime dialog and closes it.
TracedRun runToDialog(const Scenario& s, RunOptions options = RunOptions()) {
    WindowVisit visit;
    options.whileRunning = visitLauncherWindow;
    options.context = &visit;
    TracedRun run = s.run("", options);
    EXPECT_EQ(0u, visit.waitExit) << "no missing-runtime dialog";
    EXPECT_EQ(1u, run.exitCode);
    return run;
}

}  // namespace

TEST(RuntimeSearch, PrivateRuntimeIsTakenWithoutRegistryOrProbe) {
    for (bool jdkOnly : {false, true}) {
        SearchScenario s(jdkOnly ? LauncherSpec::shipped().set(105, "on") : LauncherSpec::shipped());
        JavaHome privateRuntime(s.folder() + "\\jre");
        JavaHome registered(s.home("registered"));
        s.registry.setCurrentVersion(HKEY_LOCAL_MACHINE, "1.6");
        s.registry.addVersion(HKEY_LOCAL_MACHINE, JRE_KEY_PATH, "1.6", registered.home());
        TracedRun run = s.run();
        EXPECT_EQ((lines({jdkOnly ? "Search for Jdk only..." : "Search for Jre...", "PROP_JRE_PATH: jre\\bin\\javaw.exe",
                         "Try bundled JRE or JDK path: " + s.bundled(), "Bundled Jre or jdk found",
                         "Jre path: " + s.bundled()})),
                  between(run, "Search for", "Jre path: "));
        EXPECT_TRUE(registered.starts().empty());
        EXPECT_EQ(0u, run.exitCode);
    }
}

TEST(RuntimeSearch, CurrentVersionUnderLocalMachineIsProbedAndAccepted) {
    SearchScenario s;
    JavaHome jre(s.home("jre six"));
    s.registry.setCurrentVersion(HKEY_LOCAL_MACHINE, "1.6");
    s.registry.addVersion(HKEY_LOCAL_MACHINE, JRE_KEY_PATH, "1.6", jre.home());
    TracedRun run = s.run();
    EXPECT_EQ(lines({"Bundled Jre not found"}) + probe(jre.home()) +
                  lines({"Jre key found in registry", "Jre path: " + jre.javaw()}),
              between(run, "Bundled Jre not found", "Jre path: "));
    ASSERT_TRUE(waitForStarts(jre, 2));
    EXPECT_EQ(1u, jre.applicationStarts().size());
}

// No key under HKLM gives no home there, and so no probe.
TEST(RuntimeSearch, CurrentVersionUnderCurrentUserIsTheOnlyOneProbed) {
    SearchScenario s;
    JavaHome jre(s.home("jre six"));
    s.registry.setCurrentVersion(HKEY_CURRENT_USER, "1.6");
    s.registry.addVersion(HKEY_CURRENT_USER, JRE_KEY_PATH, "1.6", jre.home());
    TracedRun run = s.run();
    EXPECT_EQ(lines({"Bundled Jre not found"}) + probe(jre.home()) +
                  lines({"Jre key found in registry", "Jre path: " + jre.javaw()}),
              between(run, "Bundled Jre not found", "Jre path: "));
}

// A registered runtime that never answers "-version" fails the current-
// version step once the probe's bound has passed, and the search goes on:
// its key name passes the version rule.
TEST(RuntimeSearch, SilentCurrentVersionIsAcceptedByItsKeyName) {
    SearchScenario s;
    JavaHome jre(s.home("silent jre"));
    jre.configure("version_delay_ms=60000");
    s.registry.setCurrentVersion(HKEY_LOCAL_MACHINE, "1.6");
    s.registry.addVersion(HKEY_LOCAL_MACHINE, JRE_KEY_PATH, "1.6", jre.home());
    TracedRun run = s.run();
    EXPECT_EQ(lines({"Bundled Jre not found"}) + probe(jre.home(), "") +
                  lines({"1.6", "found", jre.javaw(), "Jre key found in registry", "Jre path: " + jre.javaw()}),
              between(run, "Bundled Jre not found", "Jre path: "));
}

TEST(RuntimeSearch, JreSearchAcceptsADevelopmentKitAndSaysSoTwice) {
    SearchScenario s;
    JavaHome jdk(s.home("jdk six"), true);
    s.registry.addVersion(HKEY_CURRENT_USER, JDK_KEY_PATH, "1.6.0_20", jdk.home());
    TracedRun run = s.run();
    EXPECT_EQ(lines({"Bundled Jre not found", "1.6.0_20", "found", jdk.javaw(), "Jre key found in registry",
                     "Jre key found in registry", "Jre path: " + jdk.javaw()}),
              between(run, "Bundled Jre not found", "Jre path: "));
    // No boot class path in the JRE search.
    EXPECT_EQ(std::string::npos, run.lines[run.indexOf("Full argument line: ")].find("bootclasspath"));
}

TEST(RuntimeSearch, JdkOnlyFindsTheRegisteredKitAndPutsItsJarsOnTheBootClassPath) {
    SearchScenario s(LauncherSpec::shipped().set(105, "yes"));
    JavaHome jre(s.home("jre only"));
    s.registry.setCurrentVersion(HKEY_LOCAL_MACHINE, "1.6");
    s.registry.addVersion(HKEY_LOCAL_MACHINE, JRE_KEY_PATH, "1.6", jre.home());
    JavaHome jdk(s.home("jdk six"), true);
    s.registry.addVersion(HKEY_LOCAL_MACHINE, JDK_KEY_PATH, "1.6.0_20", jdk.home());
    TracedRun run = s.run("arg");
    const std::string jars = "\"" + jdk.home() + "\\lib\\tools.jar\"";
    EXPECT_EQ((lines({"Search in registry for Jdk only...", "1.6.0_20", "found", jdk.javaw(), "Jre key found in registry",
                     "Jdk key found in registry", "Jre path: " + jdk.javaw(), "JDK PATH...", jdk.home(), jars})),
              between(run, "Search in registry for Jdk only...", jars));
    const std::string argumentLine = std::string("-Xmx1024m -Dapple.laf.useScreenMenuBar=true ") +
                                     "-Dcom.apple.mrj.application.apple.menu.about.name=Marblewright" +
                                     " -Xbootclasspath/p:" + jars + " -jar marblewright.jar arg";
    EXPECT_TRUE(run.has("Full argument line: " + argumentLine));
    ASSERT_TRUE(waitForStarts(jdk, 1));
    EXPECT_EQ("\"" + jdk.javaw() + "\" " + argumentLine, jdk.applicationStarts().at(0).commandLine);
    EXPECT_TRUE(jre.starts().empty());
}

// It answers "-version" after a second, as a runtime on a cold disk or
// under a virus scanner may: the probe waits for its answer.
TEST(RuntimeSearch, SlowJavaHomeIsUsedWhenTheRegistryHasNothing) {
    SearchScenario s;
    JavaHome home(s.home("java home"));
    home.configure("version_delay_ms=1000");
    TracedRun run = s.run("", withJavaHome(home.home()));
    EXPECT_EQ(lines({"Bundled Jre not found", "Jre key not found in registry"}) + probe(home.home()) +
                  lines({"JAVA_HOME found", "Jre path: " + home.javaw()}),
              between(run, "Bundled Jre not found", "Jre path: "));
    EXPECT_EQ(0u, run.exitCode);
}

// It answers at once and stays, as every runtime does when the user's
// JAVA_TOOL_OPTIONS make it wait for a debugger: the launcher goes on
// before the probe's bound, and the probe does not outlive the launcher.
TEST(RuntimeSearch, RuntimeThatAnswersAndStaysIsEndedAtItsAnswer) {
    const DWORD PROBE_BOUND_MS = 5000;
    SearchScenario s;
    JavaHome home(s.home("java home"));
    home.configure("version_late_ms=30000");
    TracedRun run = s.run("", withJavaHome(home.home()));
    EXPECT_EQ(0u, run.exitCode);
    ASSERT_TRUE(waitForStarts(home, 2));
    const std::vector<StandinStart> starts = home.starts();
    EXPECT_LT(starts.at(1).tick - starts.at(0).tick, PROBE_BOUND_MS);
    ProcessHandle probe(OpenProcess(SYNCHRONIZE, FALSE, starts.at(0).processId));
    EXPECT_TRUE(!probe || WaitForSingleObject(probe.get(), 0) == WAIT_OBJECT_0) << "the probe still runs";
}

TEST(RuntimeSearch, JavaHomeBelowTheMinimumIsRejectedWithoutTryingTheCurrentDirectory) {
    SearchScenario s;
    JavaHome home(s.home("old java"));
    home.version("1.4.2_08");
    JavaHome beside(s.folder());  // a javaw.exe in the working directory
    TracedRun run = runToDialog(s, withJavaHome(home.home()));
    const std::string output = "java version \"1.4.2_08\"\r\nStand-in Runtime Environment\r\n";
    EXPECT_EQ(lines({"Jre key not found in registry"}) + probe(home.home(), output) + lines({"Incorrect version", "Jre path: "}),
              run.from("Jre key not found in registry"));
    EXPECT_TRUE(beside.starts().empty());
}

// Today's runtimes answer "openjdk version": the quoted version meets the
// minimum 11 or not; the classic answer is judged as ever.
TEST(RuntimeSearch, OpenJdkAnswersAreJudgedByTheQuotedVersion) {
    const std::pair<const char*, bool> cases[] = {{"openjdk version \"1.8.0_452\"", false},
                                                  {"openjdk version \"17.0.15\" 2025-04-15", true},
                                                  {"java version \"1.8.0_301\"", false}};
    for (const auto& [answer, taken] : cases) {
        SCOPED_TRACE(answer);
        SearchScenario s(LauncherSpec::shipped().set(104, "11"));
        JavaHome home(s.home("java home"));
        home.configure(std::string("version_text=") + answer + "\\r\\nRuntime Environment\\r\\n");
        TracedRun run = taken ? s.run("", withJavaHome(home.home())) : runToDialog(s, withJavaHome(home.home()));
        EXPECT_TRUE(run.has("Jre path: " + (taken ? home.javaw() : "")));
        EXPECT_EQ(taken, waitForStarts(home, 2, taken ? 30000 : 0));
    }
}

TEST(RuntimeSearch, VersionRuleComparesTextSo110IsBelow15) {
    SearchScenario s;
    JavaHome home(s.home("java ten"));
    home.version("1.10.0");
    s.registry.addVersion(HKEY_LOCAL_MACHINE, JRE_KEY_PATH, "1.10", home.home());
    TracedRun run = runToDialog(s, withJavaHome(home.home()));
    EXPECT_FALSE(run.has("1.10"));  // the key name fails the rule and writes nothing
    EXPECT_TRUE(run.has("Incorrect version"));
}

TEST(RuntimeSearch, NothingAnywhereFallsBackToTheBareNameAndTheDialog) {
    SearchScenario s;
    TracedRun run = runToDialog(s);
    EXPECT_EQ((lines({"Jre key not found in registry", "JAVA_HOME not found", "Try current dir.", "Jre path: javaw.exe"})),
              run.from("Jre key not found in registry"));
}

// A home nobody configured is no candidate, in either search: "\bin\java.exe"
// made from it names the root of the working directory's drive, where every
// user of the PC may put a program of theirs.
TEST(RuntimeSearch, NoHomeNobodyConfiguredRunsAProgramOnTheDrivesRoot) {
    enum JavaHomeValue { Unset, DriveAlone, Root };  // "C:", "\"
    struct Case {
        const char* name;
        bool modern;
        bool emptyRegisteredHome;
        JavaHomeValue javaHome;
    };
    const Case cases[] = {
        {"no key, JAVA_HOME unset", false, false, Unset},
        {"a key with an empty JavaHome", false, true, Unset},
        {"JAVA_HOME is the drive alone", false, false, DriveAlone},
        {"modern search, JAVA_HOME is the root", true, false, Root},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SearchScenario s(c.modern ? LauncherSpec::shipped().set(106, "on") : LauncherSpec::shipped());
        const std::string drive = s.folder().substr(0, 2);
        ASSERT_EQ(':', drive[1]) << s.folder();
        ASSERT_FALSE(fileExists(drive + "\\bin")) << "someone else's folder";
        RootRuntime planted(drive);
        if (c.emptyRegisteredHome) {
            s.registry.setCurrentVersion(HKEY_LOCAL_MACHINE, "1.6");
            s.registry.addVersion(HKEY_LOCAL_MACHINE, JRE_KEY_PATH, "1.6", "");
        }
        RunOptions options;
        if (c.javaHome != Unset) options.environment["JAVA_HOME"] = c.javaHome == Root ? "\\" : drive;
        TracedRun run = runToDialog(s, options);
        Lines expected = {"Bundled Jre not found"};
        if (c.modern) {
            expected = expected + lines({"Modern search: minimum 1.5, maximum none, width any", "No acceptable runtime found"});
        } else {
            if (c.emptyRegisteredHome) expected = expected + lines({"1.6", "\\bin\\javaw.exe"});
            expected = expected + lines({"Jre key not found in registry", "JAVA_HOME not found"});
        }
        EXPECT_EQ(expected + lines({"Try current dir.", "Jre path: javaw.exe"}),
                  between(run, "Bundled Jre not found", "Jre path: "));
        EXPECT_TRUE(planted.runtime->starts().empty());
    }
}

TEST(RuntimeSearch, BareNameInTheWorkingDirectoryIsStartedQuoted) {
    SearchScenario s;
    JavaHome beside(s.folder());  // bin\javaw.exe below the launcher folder
    copyFile(beside.javaw(), s.folder() + "\\javaw.exe");
    writeFile(s.folder() + "\\standin.cfg", "");
    TracedRun run = s.run("x");
    EXPECT_TRUE(run.has("Jre path: javaw.exe"));
    EXPECT_TRUE(run.has(std::string("Full command line: \"javaw.exe\" ") + "-Xmx1024m -Dapple.laf.useScreenMenuBar=true " +
                        "-Dcom.apple.mrj.application.apple.menu.about.name=Marblewright -jar marblewright.jar x"));
    EXPECT_EQ(0u, run.exitCode);
}

TEST(RuntimeSearch, JdkOnlyWithAJreInJavaHomeEndsSilentlyInTheDialog) {
    SearchScenario s(LauncherSpec::shipped().set(105, "yes"));
    JavaHome jre(s.home("a jre"));
    TracedRun run = runToDialog(s, withJavaHome(jre.home()));
    EXPECT_EQ((lines({"Search in registry for Jdk only...", "Jre path: "})), run.from("Search in registry for Jdk only..."));
    EXPECT_TRUE(jre.starts().empty());
}

// With a registered home under a folder whose name holds a blank, an
// unquoted probe would first run "<parent>\Program.exe" if someone had
// put one there.
TEST(RuntimeSearch, ProbeNeverRunsAProgramPlantedBeforeABlankInTheHome) {
    SearchScenario s;
    JavaHome jre(s.home("Program Files\\Java\\jre6"));
    copyFile(jre.java(), s.home("Program.exe"));
    s.registry.setCurrentVersion(HKEY_LOCAL_MACHINE, "1.6");
    s.registry.addVersion(HKEY_LOCAL_MACHINE, JRE_KEY_PATH, "1.6", jre.home());
    TracedRun run = s.run();
    EXPECT_TRUE(run.has("CreateProcess: \"" + jre.java() + "\" -version"));
    EXPECT_TRUE(run.has("Jre path: " + jre.javaw()));
    EXPECT_FALSE(fileExists(s.home("standin-record.txt")));
}
