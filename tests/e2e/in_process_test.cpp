// The runtime inside the launcher (PROP_IN_PROCESS), end to end with the
// stand-in launcher library: what the application gets, how the launcher
// ends with it, and each guard that makes it start a child instead.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "java_home.h"
#include "scenario.h"
#include "test_paths.h"

namespace {

// A private runtime that can run inside the launcher.
struct HostedScenario : Scenario {
    JavaHome app;
    explicit HostedScenario(const std::string& folderName = "app folder", const std::string& runtime = "app folder\\jre")
        : Scenario(folderName), app(root() + "\\" + runtime) {
        app.hostable();
    }
};

}  // namespace

// The same settings as a child and inside the launcher: the same arguments,
// as the library's own parser splits them, in the launcher's own process.
TEST(InProcess, RuntimeGetsWhatAChildGetsInsideTheLaunchersProcess) {
    const std::map<int, std::string> cases[] = {
        {{100, "-Xmx64m \"-Dname=a b\" -Dq=\\\"x\\\""}, {0, "\"arg one\" two \"say \\\"hi\\\"\""}},
        {{100, "-Dhome=%LAUNCHER_DIR% -Dvalue=%TEST_VALUE%"}, {112, "on"}},  // variables
        {{111, "Test App"}},                                                  // the user's options file
        {{114, "on"}, {0, "b"}},                                              // the jar in the image
    };
    for (const auto& settings : cases) {
        HostedScenario s;
        RunOptions options;
        options.environment["APPDATA"] = s.root() + "\\appdata";
        options.environment["TEST_VALUE"] = "v a l";
        writeFile(s.root() + "\\appdata\\Test App\\launcher.exe.vmoptions", "-Duser=1\r\n\"-Dsecond=x y\"\r\n");
        std::vector<std::string> received[2];
        for (int inside = 0; inside < 2; ++inside) {
            LauncherSpec spec = LauncherSpec::shipped();
            for (const auto& setting : settings) spec.set(setting.first, setting.second);
            s.useLauncher(inside ? spec.set(119, "on") : spec);
            if (settings.count(114)) writeFile(s.launcher(), readFile(s.launcher()) + "PK\x05\x06" + std::string(18, '\0'));
            TracedRun run = s.run(settings.count(0) ? settings.at(0) : "", options);
            ASSERT_TRUE(waitForStarts(s.app, inside + 1)) << settings.begin()->second;
            const StandinStart started = s.app.starts().at(inside);
            EXPECT_EQ(inside != 0, started.hosted && run.indexOf("CreateProcess: ") < 0 && started.program == s.launcher());
            received[inside] = started.arguments();
        }
        EXPECT_EQ(s.app.javaw(), received[0].at(0));
        EXPECT_EQ(s.launcher(), received[1].at(0));
        EXPECT_EQ(std::vector<std::string>(received[0].begin() + 1, received[0].end()),
                  std::vector<std::string>(received[1].begin() + 1, received[1].end()));
    }
}

// The launcher is the application: it ends with the application's code
// however the application ends, and its output reaches the trace and the
// debug log; the library is called as javaw.exe calls it, or java.exe.
TEST(InProcess, LauncherEndsWithTheApplicationHoweverItEnds) {
    struct Case {
        std::vector<std::string> behaviour;
        std::string arguments;
        unsigned long exitCode;
        const char* library;
    };
    const Case cases[] = {
        {{"exit_code=3", "output=out line\\n"}, "-Xdebug", 3, "jli_standin.dll"},
        {{"exit_code=5", "exit_process=1"}, "", 5, "jli_standin.dll"},  // System.exit
        {{"crash=1"}, "", 0xC0000005ul, "jli_standin.dll"},
        {{"run_ms=200"}, "-Xconsole", 0, "jli_standin.dll"},
        {{"exit_code=4"}, "", 4, "jli_standin_java8.dll"},  // cdecl, no argument files
    };
    for (const Case& c : cases) {
        HostedScenario s;
        s.app.hostable(c.library);
        for (const std::string& line : c.behaviour) s.app.configure(line);
        s.useLauncher(LauncherSpec::shipped().set(119, "on").set(120, "com.example.app"));
        TracedRun run = s.run(c.arguments);
        EXPECT_EQ(c.exitCode, run.exitCode);
        const std::string jre = s.folder() + "\\jre", code = std::to_string(c.exitCode);
        std::vector<std::string> expected{"Jre path: " + jre + "\\bin\\javaw.exe", "In-process: no stay-alive window",
                                          run.lines.at(run.indexOf("Full argument line: "))};
        // The caller's pipes and NUL, passed on as to java.exe.
        if (c.arguments == "-Xconsole") expected.push_back("Console pass-through: stdin=device, stdout=pipe, stderr=pipe");
        expected.push_back("In-process: " + jre + "\\bin\\jli.dll");
        if (c.exitCode < 0xC0000005ul && c.exitCode != 5) expected.push_back("Application exit code: " + code);
        // The reader traces the output as it comes, the exit code possibly first.
        std::vector<std::string> traced = run.from("Jre path: ");
        EXPECT_EQ(c.exitCode == 3, run.has("out line\n"));
        traced.erase(std::remove(traced.begin(), traced.end(), "out line\n"), traced.end());
        EXPECT_EQ(expected, traced) << code;
        EXPECT_TRUE(run.has("PROP_APP_ID: com.example.app (SetCurrentProcessExplicitAppUserModelID: 0x00000000)"));
        ASSERT_TRUE(waitForStarts(s.app, 1));
        EXPECT_EQ("java 17.0.9 jargc=0 appclassc=0 cpwildcard=1 javaw=" + std::string(c.arguments == "-Xconsole" ? "0" : "1") +
                      " argument_files=" + (c.exitCode == 4 ? "0" : "1"),
                  s.app.starts().at(0).call);
        EXPECT_EQ(jre + "\\bin\\java.dll", s.app.starts().at(0).javaLibrary);  // by name, from its bin
        EXPECT_EQ(c.exitCode == 3 ? "out line\r\n" : "", readFile(s.root() + "\\log.txt"));
    }
}

// Each guard that fails starts the child as without the setting, after the
// line that names it; a java.dll that the library would take before its
// own is never loaded. One where the library looks first that is the
// runtime's own is no obstacle.
TEST(InProcess, EachFailedGuardStartsAChildAfterSayingWhy) {
    struct Case {
        std::string folder, runtime, jrePath, file;  // the file (under the root) changed, or deleted
        std::optional<std::string> content;
        std::string obstacle;  // none: the runtime runs inside
    };
    const std::string release = "app\\jre\\release", otherWidth = standinImage(sizeof(void*) == 8 ? 32 : 64);
    const Case cases[] = {
        {"app", "app\\jre", "", release, "JAVA_VERSION=\"1.8.0_392\"\n", "no release file of Java 9 or later"},
        {"app", "app\\jre", "", release, std::nullopt, "no release file of Java 9 or later"},
        {"app", "app\\jre", "", "app\\jre\\bin\\jli.dll", readFile(otherWidth), "no bin\\jli.dll of the launcher's width"},
        {"app", "app\\jre", "", "app\\jre\\bin\\server\\jvm.dll", std::nullopt, "lib\\jvm.cfg names no VM of the launcher's width"},
        {"app", "app\\jre", "", "bin\\java.dll", readFile(binFolder() + "\\riched32.dll"), "\\bin\\java.dll lies outside the runtime"},
        {"jre\\bin", "jre", "javaw.exe", "", std::nullopt, ""},           // the launcher in the runtime's bin
        {"app", "jre", "..\\jre\\bin\\javaw.exe", "", std::nullopt, ""},  // the runtime reached by ..
    };
    for (const Case& c : cases) {
        HostedScenario s(c.folder, c.runtime);
        if (c.content) writeFile(s.root() + "\\" + c.file, *c.content);
        else if (!c.file.empty()) DeleteFileA((s.root() + "\\" + c.file).c_str());
        LauncherSpec spec = LauncherSpec::shipped().set(119, "on");
        s.useLauncher(c.jrePath.empty() ? spec : spec.set(99, c.jrePath));
        TracedRun run = s.run();
        EXPECT_EQ(0u, run.exitCode);
        const std::string obstacle = (c.obstacle[0] == '\\' ? s.root() : "") + c.obstacle;
        EXPECT_EQ(!c.obstacle.empty(), run.has("In-process: not possible (" + obstacle + "), starting a child process"))
            << c.obstacle;
        ASSERT_TRUE(waitForStarts(s.app, 1));
        EXPECT_EQ(c.obstacle.empty(), s.app.starts().at(0).hosted) << c.folder;
        EXPECT_EQ(c.obstacle.empty() ? s.app.home() : "", s.app.starts().at(0).home) << c.folder;
        EXPECT_FALSE(fileExists(s.root() + "\\bin\\planted-dll-loaded.txt"));
    }
}
