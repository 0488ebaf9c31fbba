// Names outside the ANSI code page, end to end: a launcher in Unicode mode
// (its ANSI code page is UTF-8) against the same launcher without it.
//
// This program's own ANSI code page is UTF-8, so every text here is UTF-8.
// A launcher without Unicode mode runs in 1252, the code page Wine gives a
// program without the manifest entry in the UTF-8 locale of these tests.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "java_home.h"
#include "launcher_builder.h"
#include "configurator/launcher_resources.h"
#include "process_run.h"
#include "temp_folder.h"
#include "test_paths.h"
#include "traced_run.h"
#include "window_driver.h"

namespace {

const UINT ANSI_MODE_CODE_PAGE = 1252;

const std::string FOLDER = "Приложение 日本";
const std::string WORK_DIR = "рабочая папка 作業";
// Long enough that the string loader's first buffer ends inside a letter.
const std::string JAR = "app-приложение-" + [] {
    std::string letters;
    for (int i = 0; i < 100; ++i) letters += "日";
    return letters;
}() + ".jar";
const std::string ARGUMENTS = "Καλημέρα \"κόσμε μου\"";
const std::string OPTIONS_FILE = "\xEF\xBB\xBF-Dname=Дмитрий\r\n-Dcity=東京\r\n";
const std::string OPTIONS = "-Dname=Дмитрий -Dcity=東京  ";
const std::string SHIPPED_OPTIONS =
    "-Xmx1024m -Dapple.laf.useScreenMenuBar=true -Dcom.apple.mrj.application.apple.menu.about.name=Marblewright";
// What the stand-in prints for "-version": "caf" and e acute in the OEM
// code page (437), then more of it than one read of the launcher takes.
const std::string VERSION_CONFIG =
    "version_text=java version \"1.6.0_45\"\\r\\nStand-in caf\\x82" + std::string(300, 'e') + "\\x82\\r\\n";
const std::string VERSION_OUTPUT = "java version \"1.6.0_45\"\r\nStand-in café" + std::string(300, 'e') + "é\r\n";

std::wstring wide(const std::string& text, UINT codePage) {
    int n = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(codePage, 0, text.c_str(), -1, &result[0], n);
    return result;
}

std::string narrow(const std::wstring& text, UINT codePage) {
    int n = WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(codePage, 0, text.c_str(), -1, &result[0], n, nullptr, nullptr);
    return result;
}

// A text as the launcher holds it: UTF-8 in Unicode mode, else the ANSI
// code page's bytes, in which what it lacks has become "?".
std::string asLauncherText(const std::string& text, bool unicode) {
    return unicode ? text : narrow(wide(text, CP_UTF8), ANSI_MODE_CODE_PAGE);
}

// What the application receives of a text the launcher passes on, as UTF-8.
std::string asReceived(const std::string& text, bool unicode) {
    return narrow(wide(asLauncherText(text, unicode), unicode ? CP_UTF8 : ANSI_MODE_CODE_PAGE), CP_UTF8);
}

}  // namespace

TEST(UnicodeMode, NamesOutsideTheAnsiCodePageReachTheApplicationExactly) {
    for (bool unicode : {true, false}) {
        SCOPED_TRACE(unicode ? "Unicode mode" : "ANSI mode");
        auto launcherText = [&](const std::string& text) { return asLauncherText(text, unicode); };
        auto received = [&](const std::string& text) { return asReceived(text, unicode); };
        TempFolder root("unicode");
        const std::string folder = root / FOLDER;
        const std::string launcher = folder + "\\launcher.exe";
        writeLauncher(launcher,
                      LauncherSpec::shipped().remove(99).set(101, JAR).set(103, WORK_DIR).unicodeMode(unicode));
        makeFolders(folder + "\\" + WORK_DIR);
        writeFile(launcher + ".vmoptions", OPTIONS_FILE);
        // An ANSI launcher cannot read such a JAVA_HOME: it takes the runtime
        // from its current folder instead.
        JavaHome home(root / (unicode ? "Java Ελληνικά 日本" : "java"));
        home.configure(VERSION_CONFIG);
        RunOptions options;
        options.startFolder = unicode ? root.path() : home.home() + "\\bin";
        options.environment["JAVA_HOME"] = unicode ? std::optional<std::string>(home.home()) : std::nullopt;
        const std::string java = unicode ? home.javaw() : "javaw.exe";

        TracedRun run = runTraced("\"" + launcher + "\" " + ARGUMENTS, options);
        EXPECT_EQ(0u, run.exitCode);
        ASSERT_FALSE(run.lines.empty());
        EXPECT_EQ("Launcher executed with command line: " + launcherText(ARGUMENTS), run.lines[0]);
        EXPECT_TRUE(run.has("PROP_START_JAR: " + launcherText(JAR)));
        EXPECT_TRUE(run.has("Path to exe file of launcher: " + launcherText(folder)));
        EXPECT_TRUE(run.has("Jre path: " + java));
        // The version probe's output, converted from the OEM code page.
        if (unicode) {
            EXPECT_TRUE(run.has(VERSION_OUTPUT));
        }
        // Without Unicode mode the launcher cannot name its own folder: no
        // options file, no working directory.
        const std::string vmOptions = unicode ? OPTIONS : SHIPPED_OPTIONS;
        EXPECT_TRUE(run.has("Loaded VM parametrers: " + launcherText(vmOptions)));
        EXPECT_EQ(!unicode, run.has("ERROR: Cannot set working dir."));

        ASSERT_TRUE(waitForStarts(home, unicode ? 2 : 1));
        const StandinStart started = home.applicationStarts().at(0);
        EXPECT_EQ("\"" + java + "\" " + received(vmOptions) + " -jar " + received(JAR) + " " + received(ARGUMENTS),
                  started.commandLineUtf8);
        EXPECT_EQ(unicode ? folder + "\\" + WORK_DIR : options.startFolder, started.currentFolderUtf8);
    }
}

// Scripts and some shortcuts start a program by its path without quotes:
// a letter above 127 in it must not cut into the arguments.
TEST(UnquotedLauncherPath, LettersAbove127LeaveTheArgumentsWhole) {
    for (bool unicode : {false, true}) {
        SCOPED_TRACE(unicode ? "Unicode mode" : "ANSI mode");
        TempFolder root("unicode");
        const std::string launcher = root / "Données\\launcher.exe";
        writeLauncher(launcher, LauncherSpec::shipped().set(100, "-Dx=1").unicodeMode(unicode));
        JavaHome privateRuntime(root / "Données\\jre");
        RunOptions options;
        options.startFolder = root.path();
        TracedRun run = runTraced(launcher + " hello wörld", options);
        ASSERT_FALSE(run.lines.empty());
        EXPECT_EQ("Launcher executed with command line: " + asLauncherText("hello wörld", unicode), run.lines[0]);
        ASSERT_TRUE(waitForStarts(privateRuntime, 1));
        EXPECT_EQ("\"" + privateRuntime.javaw() + "\" -Dx=1 -jar marblewright.jar hello wörld",
                  privateRuntime.starts().at(0).commandLineUtf8);
    }
}

// The Windows configurator takes files of any name.
TEST(LauncherConfigUnderWine, FilesNamedInAnyScriptAreReadAndWritten) {
    TempFolder root("unicode");
    writeFile(root / "Настройки 設定\\приложение.conf", "PROP_START_JAR = приложение.jar\n");
    makeFolders(root / "Приложение");
    RunResult r = runProcess(quoteArgument(binFolder() + "\\launcher-config.exe") + " configure " +
                             quoteArgument(launcherImage()) + " " + quoteArgument(root / "Приложение\\Приложение.exe") +
                             " --config " + quoteArgument(root / "Настройки 設定\\приложение.conf"));
    ASSERT_EQ(0u, r.exitCode) << r.output;
    const std::string image = readFile(root / "Приложение\\Приложение.exe");
    EXPECT_EQ("приложение.jar", LauncherResources(Bytes(image.begin(), image.end())).string(101).value_or("?"));
}

// A path of fewer than MAX_PATH characters may take more than MAX_PATH
// bytes in UTF-8; the launcher still knows where it is.
TEST(UnicodeMode, LauncherPathLongerInBytesThanCharacters) {
    std::string name;
    for (int i = 0; i < 45; ++i) name += "日";  // a file name holds at most 255 bytes on Linux
    TempFolder root("unicode");
    const std::string folder = root / (name + "\\" + name);
    writeLauncher(folder + "\\launcher.exe", LauncherSpec::shipped().unicodeMode());
    JavaHome privateRuntime(folder + "\\jre");
    writeFile(folder + "\\launcher.exe.vmoptions", "-Dx=1");
    RunOptions options;
    options.startFolder = root.path();
    TracedRun run = runTraced("\"" + folder + "\\launcher.exe\"", options);
    ASSERT_GT(folder.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_TRUE(run.has("Path to exe file of launcher: " + folder));
    EXPECT_TRUE(run.has("Loaded VM parametrers: -Dx=1 "));
    ASSERT_TRUE(waitForStarts(privateRuntime, 1));
    EXPECT_EQ(folder, privateRuntime.starts().at(0).currentFolderUtf8);
}

// With the jar inside the launcher, Java gets the launcher's own path as
// the jar, quoted: from a folder with a blank, and from one the ANSI code
// page cannot write, where only its short form reaches Java whole.
TEST(JarInImage, JavaGetsTheLaunchersOwnPath) {
    const int PROP_JAR_IN_IMAGE = 114;
    const std::string EMPTY_ZIP("PK\x05\x06" + std::string(18, '\0'));
    struct Case {
        std::string folder;
        bool unicode, shortForm;
    };
    const Case cases[] = {{"app folder", false, false}, {FOLDER, false, true}, {FOLDER, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder + (c.unicode ? ", Unicode mode" : ", ANSI mode"));
        TempFolder root("jar in image");
        const std::string launcher = root / c.folder + "\\App.exe";
        writeLauncher(launcher, LauncherSpec::shipped().set(100, "-Dx=1").set(PROP_JAR_IN_IMAGE, "on").unicodeMode(c.unicode));
        writeFile(launcher, readFile(launcher) + EMPTY_ZIP);
        JavaHome home(root / "java");
        RunOptions options;
        options.environment["JAVA_HOME"] = home.home();
        TracedRun run = runTraced("\"" + launcher + "\" a", options);
        EXPECT_EQ(0u, run.exitCode);
        ASSERT_TRUE(waitForStarts(home, 2));
        const std::vector<std::string> arguments = home.applicationStarts().at(0).arguments();
        ASSERT_EQ(5u, arguments.size());
        EXPECT_EQ("-jar", arguments[2]);
        EXPECT_EQ("a", arguments[4]);
        const std::string jar = arguments[3];
        EXPECT_EQ(c.shortForm, jar != launcher) << jar;
        EXPECT_EQ(readFile(launcher), readFile(jar)) << jar;
        EXPECT_TRUE(run.has("Jar in image: " + asLauncherText(jar, c.unicode)));
    }
}

// No short form Java can open (no 8.3 names; here, one past MAX_PATH): the
// jar is read by its wide path, and the box names the path as the problem.
TEST(JarInImage, PathWithoutAShortFormJavaCanOpenIsNamedAsTheProblem) {
    TempFolder root("jar in image");
    std::string folder = root.path();
    while (GetShortPathNameW(wide(folder, CP_UTF8).c_str(), nullptr, 0) <= MAX_PATH && folder.size() < 2 * MAX_PATH) {
        makeFolders(folder += "\\Ω");
    }
    writeLauncher(folder + "\\App.exe", LauncherSpec::shipped().set(114, "on"));
    writeFile(folder + "\\App.exe", readFile(folder + "\\App.exe") + "PK\x05\x06" + std::string(18, '\0'));
    JavaHome home(root / "java");
    WindowVisit visit;
    RunOptions options;
    options.environment["JAVA_HOME"] = home.home();
    options.whileRunning = visitLauncherWindow;
    options.context = &visit;
    TracedRun run = runTraced("\"" + folder + "\\App.exe\"", options);
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ((std::vector<std::string>{"Jar in image: the path is outside the ANSI code page", "Jar in image: ",
                                        "Jar in image: no path of this file that Java can open"}),
              run.from("Jar in image: "));
    const WindowReport* text = findChild(visit.seen, "Static", true);
    EXPECT_EQ("The application cannot start: Java cannot open this program by its path.\n"
              "Move it to a folder whose name has only letters of the system's code page.",
              text ? text->text : "(no box)");
    EXPECT_TRUE(home.starts().empty());
}
