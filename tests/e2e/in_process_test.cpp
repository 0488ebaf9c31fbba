// The runtime inside the launcher (PROP_IN_PROCESS), end to end with the
// stand-in launcher library: what the application gets, how the launcher
// ends with it, and each guard that makes it start a child instead.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "java_home.h"
#include "scenario.h"
#include "test_paths.h"

using Lines = std::vector<std::string>;

namespace {

const int PROP_IN_PROCESS = 119;
const std::string EMPTY_ZIP("PK\x05\x06" + std::string(18, '\0'));
const std::string WIDTH = std::to_string(sizeof(void*) * 8);

// The shipped settings and a private runtime that can run inside the
// launcher, which runs it when told to.
struct HostedScenario : Scenario {
    JavaHome app;
    explicit HostedScenario(const std::string& folderName = "app folder", const std::string& runtime = "app folder\\jre")
        : Scenario(folderName), app(root() + "\\" + runtime) {
        app.hostable();
    }
    void useLauncher(LauncherSpec spec, bool inProcess = true) {
        Scenario::useLauncher(inProcess ? spec.set(PROP_IN_PROCESS, "on") : spec);
    }
};

}  // namespace

// The same settings, started as a child and inside the launcher: the
// runtime gets the same arguments, as the library's own parser splits them,
// and runs in the launcher's process without a javaw.exe.
TEST(InProcess, RuntimeGetsWhatAChildGetsInsideTheLaunchersProcess) {
    struct Case {
        const char* name;
        std::map<int, std::string> settings;
        std::string arguments;
    };
    const Case cases[] = {
        {"options with blanks and quotes", {{100, "-Xmx64m \"-Dname=a b\" -Dq=\\\"x\\\""}}, "\"arg one\" two \"say \\\"hi\\\"\""},
        {"variables", {{100, "-Dhome=%LAUNCHER_DIR% -Dvalue=%TEST_VALUE%"}, {112, "on"}}, "a"},
        {"the user's options file", {{111, "Test App"}}, ""},
        {"the jar in the image", {{114, "on"}}, "b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostedScenario s;
        RunOptions options;
        options.environment["APPDATA"] = s.root() + "\\appdata";
        options.environment["TEST_VALUE"] = "v a l";
        writeFile(s.root() + "\\appdata\\Test App\\launcher.exe.vmoptions", "-Duser=1\r\n\"-Dsecond=x y\"\r\n");
        std::vector<std::string> received[2];
        for (bool inProcess : {false, true}) {
            LauncherSpec spec = LauncherSpec::shipped();
            for (const auto& setting : c.settings) spec.set(setting.first, setting.second);
            s.useLauncher(spec, inProcess);
            if (c.settings.count(114)) writeFile(s.launcher(), readFile(s.launcher()) + EMPTY_ZIP);
            TracedRun run = s.run(c.arguments, options);
            EXPECT_EQ(0u, run.exitCode);
            ASSERT_TRUE(waitForStarts(s.app, inProcess + 1));
            const StandinStart started = s.app.starts().at(inProcess);
            EXPECT_EQ(inProcess, started.hosted);
            EXPECT_EQ(inProcess ? -1 : run.indexOf("CreateProcess: "), run.indexOf("CreateProcess: "));
            received[inProcess] = started.arguments();
            ASSERT_FALSE(received[inProcess].empty());
            EXPECT_EQ(inProcess ? s.launcher() : s.app.javaw(), received[inProcess][0]);
            EXPECT_EQ(inProcess ? s.launcher() : "", started.program);
        }
        received[0].erase(received[0].begin());
        received[1].erase(received[1].begin());
        EXPECT_EQ(received[0], received[1]);
    }
}

// The launcher is the application: it ends with the application's exit
// code however the application ends, and its output reaches the trace and
// the debug log as a child's does.
TEST(InProcess, LauncherEndsWithTheApplicationHoweverItEnds) {
    struct Case {
        const char* name;
        Lines configuration;
        std::string arguments;
        unsigned long exitCode;
        bool returns;  // to the launcher, which traces the code
        std::string library = "jli_standin.dll";
    };
    const Case cases[] = {
        {"returns", {"exit_code=3", "output=out line\\n"}, "-Xdebug", 3, true},
        {"System.exit", {"exit_code=5", "exit_process=1"}, "", 5, false},
        {"a crash", {"crash=1"}, "", 0xC0000005ul, false},
        {"console", {"run_ms=200"}, "-Xconsole", 0, true},
        {"a cdecl library without argument files", {"exit_code=4"}, "", 4, true, "jli_standin_java8.dll"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostedScenario s;
        s.app.hostable(c.library);
        for (const std::string& line : c.configuration) s.app.configure(line);
        s.useLauncher(LauncherSpec::shipped().set(120, "com.example.app"));
        TracedRun run = s.run(c.arguments);
        EXPECT_EQ(c.exitCode, run.exitCode);
        const std::string jre = s.folder() + "\\jre";
        Lines expected{"Jre path: " + jre + "\\bin\\javaw.exe",
                       "In-process: no stay-alive window", run.lines.at(run.indexOf("Full argument line: "))};
        // The caller's pipes and NUL: what java.exe would get
        if (c.arguments == "-Xconsole") expected.push_back("Console pass-through: stdin=device, stdout=pipe, stderr=pipe");
        expected.push_back("In-process: " + jre + "\\bin\\jli.dll");
        if (c.exitCode == 3) expected.push_back("out line\n");
        if (c.returns) expected.push_back("Application exit code: " + std::to_string(c.exitCode));
        EXPECT_EQ(expected, run.from("Jre path: "));
        EXPECT_TRUE(run.has("PROP_APP_ID: com.example.app (SetCurrentProcessExplicitAppUserModelID: 0x00000000)"));
        ASSERT_TRUE(waitForStarts(s.app, 1));
        const std::string javaw = c.arguments == "-Xconsole" ? "0" : "1";
        const std::string argumentFiles = c.library == "jli_standin.dll" ? "1" : "0";
        EXPECT_EQ("java 17.0.9 jargc=0 appclassc=0 cpwildcard=1 javaw=" + javaw + " parsed=1 argument_files=" + argumentFiles,
                  s.app.starts().at(0).call);
        EXPECT_EQ(jre + "\\bin\\java.dll", s.app.starts().at(0).javaLibrary);  // by name, from its bin
        EXPECT_EQ(c.exitCode == 3 ? "out line\r\n" : "", readFile(s.root() + "\\log.txt"));
    }
}

// Each guard that fails starts the child as without the setting, after the
// line that names it; a java.dll that the runtime's library would take
// before its own is never loaded. A java.dll where the library looks first
// that is the runtime's own is no obstacle.
TEST(InProcess, EachFailedGuardStartsAChildAfterSayingWhy) {
    struct Case {
        const char* name;
        std::string folder, runtime, jrePath, obstacle;  // no obstacle: the runtime runs inside
    };
    const Case cases[] = {
        {"Java 8", "app", "app\\jre", "", "no release file of Java 9 or later"},
        {"no release file", "app", "app\\jre", "", "no release file of Java 9 or later"},
        {"a library of the other width", "app", "app\\jre", "", "no bin\\jli.dll of the launcher's width"},
        {"no jvm.dll", "app", "app\\jre", "", "lib\\jvm.cfg names no VM of the launcher's width"},
        {"a planted java.dll", "app", "app\\jre", "", "ROOT\\bin\\java.dll lies outside the runtime"},
        {"the launcher in the runtime's bin", "jre\\bin", "jre", "javaw.exe", ""},
        {"the runtime reached by ..", "app", "jre", "..\\jre\\bin\\javaw.exe", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostedScenario s(c.folder, c.runtime);
        const std::string home = s.app.home();
        if (c.name == std::string("Java 8")) s.app.release("1.8.0_392");
        if (c.name == std::string("no release file")) DeleteFileA((home + "\\release").c_str());
        if (c.name == std::string("a library of the other width")) {
            copyFile(standinImage(sizeof(void*) == 8 ? 32 : 64), home + "\\bin\\jli.dll");
        }
        if (c.name == std::string("no jvm.dll")) DeleteFileA((home + "\\bin\\server\\jvm.dll").c_str());
        if (c.name == std::string("a planted java.dll")) copyFile(binFolder() + "\\riched32.dll", s.root() + "\\bin\\java.dll");
        s.useLauncher(c.jrePath.empty() ? LauncherSpec::shipped() : LauncherSpec::shipped().set(99, c.jrePath));
        TracedRun run = s.run();
        EXPECT_EQ(0u, run.exitCode);
        std::string obstacle = c.obstacle;
        if (obstacle.compare(0, 4, "ROOT") == 0) obstacle.replace(0, 4, s.root());
        EXPECT_EQ(!obstacle.empty(), run.has("In-process: not possible (" + obstacle + "), starting a child process"));
        ASSERT_TRUE(waitForStarts(s.app, 1));
        EXPECT_EQ(obstacle.empty(), s.app.starts().at(0).hosted);
        EXPECT_EQ(home, obstacle.empty() ? s.app.starts().at(0).home : home);
        EXPECT_FALSE(fileExists(s.root() + "\\bin\\planted-dll-loaded.txt"));
    }
}
