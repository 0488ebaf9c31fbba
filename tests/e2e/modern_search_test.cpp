// The modern runtime search, end to end, on a PC with several runtimes:
// vendor keys in both registry views, the JavaSoft key of a 9+ JDK, a key
// left behind by an uninstall, JAVA_HOME, a folder on PATH and zip installs
// in the vendors' folders; runtimes of both widths, all but one with a
// release file. The Program Files folders, the user's programs folder and
// PATH are the scenario's own.
//
// On 32-bit Windows the 64-bit runtimes are rejected and the one registry
// view holds every key. Where this Windows (or Wine prefix) cannot start a
// 32-bit program, the choice of a 32-bit runtime is checked in the trace
// and its start is not.
#include <gtest/gtest.h>

#include <windows.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "java_home.h"
#include "runtime_registry.h"
#include "scenario.h"
#include "window_driver.h"

using Lines = std::vector<std::string>;

namespace {

const int NATIVE = static_cast<int>(sizeof(void*) * 8);

bool windows64() {
    static const bool answer = windowsIs64BitForTests();
    return answer;
}

bool canStart(int bits) { return bits == 32 ? canStart32BitPrograms() : windows64(); }

std::string widthText(int bits) { return bits == 64 ? "64-bit" : "32-bit"; }

// Keys written to the 64-bit view are in the only view of 32-bit Windows.
std::string view(int bits) { return bits == 64 && windows64() ? " (64-bit view)" : " (32-bit view)"; }

std::string systemPath() {
    char system[MAX_PATH], windows[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(system) + ";" + windows;
}

struct Runtime {
    std::string home;
    int bits = 0;
    std::string version;
};

// The trace line of an examined candidate that passes everything but
// perhaps its width on 32-bit Windows.
std::string candidate(const Runtime& r, const std::string& source, const std::string& versionSource) {
    const std::string verdict = r.bits == 64 && !windows64() ? "rejected: 64-bit runtime on 32-bit Windows" : "accepted";
    return "Candidate: " + r.home + " | " + source + " | version " + r.version + " (" + versionSource + ") | " +
           widthText(r.bits) + " | " + verdict;
}

struct ModernPc : Scenario {
    RuntimeRegistry registry;
    std::string programFiles = root() + "\\Program Files";
    std::string programFilesX86 = root() + "\\Program Files (x86)";
    std::string localAppData = root() + "\\Local";
    std::string javaHome;     // empty: unset
    std::string pathFolders;  // before the system folders
    std::vector<std::unique_ptr<JavaHome>> homes;

    explicit ModernPc(LauncherSpec spec = LauncherSpec::shipped()) { useLauncher(spec.set(106, "on")); }

    Runtime add(const std::string& home, int bits, bool kit, const std::string& version) {
        homes.push_back(std::make_unique<JavaHome>(home, kit, bits));
        homes.back()->release(version);
        return Runtime{home, bits, version};
    }

    RunOptions options() const {
        RunOptions o;
        if (!javaHome.empty()) o.environment["JAVA_HOME"] = javaHome;
        o.environment["PATH"] = pathFolders + systemPath();
        o.environment["ProgramW6432"] = programFiles;
        o.environment["ProgramFiles(x86)"] = programFilesX86;
        o.environment["ProgramFiles"] = NATIVE == 64 ? programFiles : programFilesX86;
        o.environment["LOCALAPPDATA"] = localAppData;
        return o;
    }

    // Runs the launcher; `window` says that it ends in a dialog or a box,
    // which is read and closed.
    TracedRun run(bool window, WindowVisit* visit) const {
        RunOptions o = options();
        if (window) {
            o.whileRunning = visitLauncherWindow;
            o.context = visit;
        }
        return Scenario::run("", o);
    }
};

// The PC of every scenario below.
struct SeveralRuntimes : ModernPc {
    Runtime jdk21, zulu17x86, adoptium17, javaHomeJre11, earlyAccess22, corretto8, jre8x86;
    std::string staleHome = root() + "\\removed\\jre-11";

    explicit SeveralRuntimes(const LauncherSpec& spec = LauncherSpec::shipped().set(104, "1.8")) : ModernPc(spec) {
        jdk21 = add(root() + "\\jdks\\jdk-21", 64, true, "21");
        registry.set(HKEY_LOCAL_MACHINE, 64, "SOFTWARE\\JavaSoft\\JDK\\21", "JavaHome", jdk21.home);

        zulu17x86 = add(programFilesX86 + "\\Zulu\\zulu-17", 32, false, "17.0.2");
        registry.set(HKEY_LOCAL_MACHINE, 32, "SOFTWARE\\Azul Systems\\Zulu\\zulu-17", "InstallationPath",
                     zulu17x86.home);

        registry.set(HKEY_CURRENT_USER, 64, "SOFTWARE\\JavaSoft\\JRE\\11", "JavaHome", staleHome);

        adoptium17 = add(programFiles + "\\Eclipse Adoptium\\jdk-17.0.2.8-hotspot", 64, true, "17.0.2");
        registry.set(HKEY_CURRENT_USER, 64, "SOFTWARE\\Eclipse Adoptium\\JDK\\17.0.2.8\\hotspot\\MSI", "Path",
                     adoptium17.home + "\\");

        // No release file: its version comes from a probe, so it is of the
        // width this machine can start.
        javaHomeJre11 = Runtime{root() + "\\jre-11", NATIVE, "11.0.22"};
        homes.push_back(std::make_unique<JavaHome>(javaHomeJre11.home, false, NATIVE));
        homes.back()->configure("version_text=Picked up _JAVA_OPTIONS: -Xmx1g\\r\\nopenjdk version \"11.0.22\" "
                                "2024-01-16\\r\\nOpenJDK Runtime Environment (stand-in)\\r\\n");
        javaHome = "\"" + javaHomeJre11.home + "\\\"";

        earlyAccess22 = add(root() + "\\tools\\jdk-22", 64, true, "22-ea");
        pathFolders = earlyAccess22.home + "\\bin;";

        corretto8 = add(programFiles + "\\Amazon Corretto\\jdk1.8.0_402", 64, true, "1.8.0_402");
        jre8x86 = add(localAppData + "\\Programs\\Java\\jre-1.8.0_401", 32, false, "1.8.0_401");
    }
};

std::string chosenLine(const Runtime& r) {
    return "Chosen runtime: " + r.home + " | version " + r.version + " | " + widthText(r.bits);
}

std::string javaw(const Runtime& r) { return r.home + "\\bin\\javaw.exe"; }

// The lines from the first that starts with `first` to the first after it
// that starts with `last`, both included.
Lines section(const TracedRun& run, const std::string& first, const std::string& last) {
    const Lines tail = run.from(first);
    for (size_t i = 0; i < tail.size(); ++i) {
        if (tail[i].compare(0, last.size(), last) == 0) return Lines(tail.begin(), tail.begin() + i + 1);
    }
    return tail;
}

}  // namespace

TEST(ModernSearch, TracesEveryRuntimeOfThePcAndStartsTheNewest) {
    SeveralRuntimes pc;
    const Runtime& chosen = windows64() ? pc.earlyAccess22 : pc.zulu17x86;
    const bool startable = canStart(chosen.bits);
    WindowVisit visit;
    TracedRun run = pc.run(!startable, &visit);
    const std::string probeOutput =
        "Picked up _JAVA_OPTIONS: -Xmx1g\r\nopenjdk version \"11.0.22\" 2024-01-16\r\nOpenJDK Runtime Environment "
        "(stand-in)\r\n";
    EXPECT_EQ((Lines{
                  "Bundled Jre not found",
                  "Modern search: minimum 1.8, maximum none, width any",
                  candidate(pc.jdk21, "HKLM\\SOFTWARE\\JavaSoft\\JDK\\21" + view(64), "release file"),
                  candidate(pc.zulu17x86, "HKLM\\SOFTWARE\\Azul Systems\\Zulu\\zulu-17" + view(32), "release file"),
                  "Candidate: " + pc.staleHome + " | HKCU\\SOFTWARE\\JavaSoft\\JRE\\11" + view(64) +
                      " | version not read | width not read | rejected: no bin\\javaw.exe",
                  candidate(pc.adoptium17,
                            "HKCU\\SOFTWARE\\Eclipse Adoptium\\JDK\\17.0.2.8\\hotspot\\MSI" + view(64), "release file"),
                  "CreateProcess: \"" + pc.javaHomeJre11.home + "\\bin\\java.exe\" -version",
                  probeOutput,
                  candidate(pc.javaHomeJre11, "JAVA_HOME", "java -version"),
                  candidate(pc.earlyAccess22, "PATH", "release file"),
                  candidate(pc.corretto8, "vendor folder", "release file"),
                  candidate(pc.jre8x86, "vendor folder", "release file"),
                  chosenLine(chosen),
                  "Jre path: " + javaw(chosen),
              }),
              section(run, "Bundled Jre not found", "Jre path: "));
    if (startable) {
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_TRUE(run.has("Full command line: \"" + javaw(chosen) + "\" " +
                            "-Xmx1024m -Dapple.laf.useScreenMenuBar=true "
                            "-Dcom.apple.mrj.application.apple.menu.about.name=Marblewright -jar marblewright.jar "));
    } else {
        std::cout << "NOTE: this Windows cannot start 32-bit programs; the start of " << javaw(chosen)
                  << " is not checked\n";
        EXPECT_EQ(0u, visit.waitExit) << "no launch-failure box";
    }
}

TEST(ModernSearch, ChoosesByMaximumWidthAndKindAndOmitsTheBootClassPathFrom9On) {
    struct Case {
        const char* name;
        LauncherSpec settings;
        Runtime SeveralRuntimes::*on64;  // the choice on 64-bit Windows
        Runtime SeveralRuntimes::*on32;  // on 32-bit Windows; null: none
    };
    const LauncherSpec base = LauncherSpec::shipped().set(104, "1.8");
    const Case cases[] = {
        // The two 17.0.2 runtimes tie; the 64-bit one wins, found later.
        {"max 17", LauncherSpec(base).set(107, "17"), &SeveralRuntimes::adoptium17, &SeveralRuntimes::zulu17x86},
        {"max 1.8", LauncherSpec(base).set(107, "1.8"), &SeveralRuntimes::corretto8, &SeveralRuntimes::jre8x86},
        {"32-bit", LauncherSpec(base).set(108, "32"), &SeveralRuntimes::zulu17x86, &SeveralRuntimes::zulu17x86},
        {"JDK 17", LauncherSpec(base).set(105, "on").set(107, "17"), &SeveralRuntimes::adoptium17, nullptr},
        {"JDK 8", LauncherSpec(base).set(105, "on").set(107, "1.8"), &SeveralRuntimes::corretto8, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SeveralRuntimes pc(c.settings);
        Runtime SeveralRuntimes::*member = windows64() ? c.on64 : c.on32;
        const Runtime* chosen = member ? &(pc.*member) : nullptr;
        const bool startable = chosen && canStart(chosen->bits);
        WindowVisit visit;
        TracedRun run = pc.run(!startable, &visit);
        if (!chosen) {
            EXPECT_EQ((Lines{"No acceptable runtime found", "Try current dir.", "Jre path: javaw.exe"}),
                      run.from("No acceptable runtime found"));
            EXPECT_EQ(0u, visit.waitExit) << "no missing-runtime dialog";
            continue;
        }
        EXPECT_TRUE(run.has(chosenLine(*chosen))) << chosenLine(*chosen);
        EXPECT_TRUE(run.has("Jre path: " + javaw(*chosen)));
        if (!startable) {
            std::cout << "NOTE: this Windows cannot start 32-bit programs; the start of " << javaw(*chosen)
                      << " is not checked\n";
            EXPECT_EQ(0u, visit.waitExit) << "no launch-failure box";
            continue;
        }
        const bool jdkOnly = c.settings.strings.count(105) != 0;
        const bool before9 = chosen->version.compare(0, 2, "1.") == 0;
        const std::string jars = jdkOnly && before9 ? " -Xbootclasspath/p:\"" + chosen->home + "\\lib\\tools.jar\"" : "";
        EXPECT_TRUE(run.has("Full argument line: -Xmx1024m -Dapple.laf.useScreenMenuBar=true "
                            "-Dcom.apple.mrj.application.apple.menu.about.name=Marblewright" +
                            jars + " -jar marblewright.jar "));
        EXPECT_EQ(jdkOnly && !before9, run.has("No boot class path: Java 9 or later"));
        EXPECT_EQ(0u, run.exitCode);
    }
}

TEST(ModernSearch, DialogNamesTheMinimumAndTheMaximumAndWidthWhenSet) {
    struct Case {
        LauncherSpec settings;
        const char* requirement;
    };
    const Case cases[] = {
        {LauncherSpec::shipped().set(104, "25").set(107, "26").set(108, "64"), "64-bit JRE version 25 up to 26"},
        {LauncherSpec::shipped().set(104, "11").set(105, "on"), "JDK version 11 or higher"},
    };
    for (const Case& c : cases) {
        ModernPc pc(c.settings);
        WindowVisit visit;
        TracedRun run = pc.run(true, &visit);
        EXPECT_EQ((Lines{"No acceptable runtime found", "Try current dir.", "Jre path: javaw.exe"}),
                  run.from("No acceptable runtime found"));
        const WindowReport* text = findChild(visit.seen, "RichEdit20A");
        ASSERT_NE(nullptr, text) << c.requirement;
        EXPECT_EQ("This application cannot start since no appropriate JVM was found.\r\nIt is required to have " +
                      std::string(c.requirement) +
                      " installed on your computer.\r\nPlease go to https://www.java.com/download/ for installation "
                      "instructions.",
                  text->text);
        EXPECT_EQ(1u, run.exitCode);
    }
}

// The private runtime comes first, as in the classic search; a private
// 9+ JDK in JDK-only mode is not given the boot class path option it
// would refuse.
TEST(ModernSearch, PrivateRuntimeComesFirstAndA9PlusKitGetsNoBootClassPath) {
    ModernPc pc(LauncherSpec::shipped().set(105, "on"));
    JavaHome privateKit(pc.folder() + "\\jre", true);
    privateKit.release("17.0.2");
    TracedRun run = pc.run(false, nullptr);
    EXPECT_EQ((Lines{"Try bundled JRE or JDK path: " + privateKit.javaw(), "Bundled Jre or jdk found",
                     "Jre path: " + privateKit.javaw(), "No boot class path: Java 9 or later"}),
              section(run, "Try bundled", "No boot class path"));
    EXPECT_TRUE(run.has("Full argument line: -Xmx1024m -Dapple.laf.useScreenMenuBar=true "
                        "-Dcom.apple.mrj.application.apple.menu.about.name=Marblewright -jar marblewright.jar "));
    EXPECT_EQ(0u, run.exitCode);
}
