// launcher-config as a user runs it on the build machine.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "configurator/tests/image_checks.h"
#include "configurator/launcher_resources.h"

namespace {

struct CliRun {
    int exitCode;
    std::string output;  // standard output and error
};

CliRun runCli(const std::string& arguments) {
    FILE* pipe = popen((std::string("'") + CONFIGURATOR + "' " + arguments + " 2>&1").c_str(), "r");
    CliRun r{-1, ""};
    if (!pipe) return r;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.output.append(buffer, n);
    const int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

struct Folder {
    std::string path;
    Folder() {
        char name[] = "/tmp/launcher-config-XXXXXX";
        path = mkdtemp(name);
    }
    ~Folder() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

bool exists(const std::string& path) {
    struct stat s;
    return stat(path.c_str(), &s) == 0;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

}  // namespace

TEST(LauncherConfig, ShowListsTheShippedSettingsPictureIconAndVersion) {
    CliRun r = runCli("show " + quoted(launcherImagePath()));
    EXPECT_EQ(0, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("101  PROP_START_JAR"));
    EXPECT_NE(std::string::npos, r.output.find("\"marblewright.jar\""));
    EXPECT_NE(std::string::npos, r.output.find("PROP_SPLASH             flag     (absent)  -> off"));
    for (const char* added : {"106  PROP_MODERN_SEARCH      flag     (absent)", "107  PROP_MAX_VERSION        text     (absent)",
                              "108  PROP_RUNTIME_BITS       text     (absent)", "109  PROP_WAIT_FOR_EXIT      flag     (absent)",
                              "110  PROP_SINGLE_INSTANCE    text     (absent)", "111  PROP_USER_OPTIONS       text     (absent)",
                              "112  PROP_EXPAND_VARIABLES   flag     (absent)",
                              "113  PROP_START_CHECK        integer  (absent)"}) {
        EXPECT_NE(std::string::npos, r.output.find(added)) << added << "\n" << r.output;
    }
    EXPECT_NE(std::string::npos, r.output.find("Splash picture (RT_BITMAP 104): none"));
    EXPECT_NE(std::string::npos, r.output.find("Icon: 2 images: 16x16 8-bit, 32x32 8-bit"));
    EXPECT_NE(std::string::npos, r.output.find("ProductName: Marblewright"));
}

TEST(LauncherConfig, ConfiguresFromAFileAndOptionsWithoutTouchingTheInput) {
    Folder f;
    const Bytes input = readFileBytes(launcherImagePath());
    writeFileBytes(f / "launcher.exe", input);
    const std::string gif = std::string(TEST_DATA) + "/splash-400x300.gif";
    writeFileBytes(f / "splash.gif", readFileBytes(gif));
    const std::string config =
        "# My application\n"
        "PROP_START_JAR = my app.jar\n"
        "PROP_SPLASH = on\n"
        "PROP_STAY_ALIVE =\n"
        "PROP_VM_OPTIONS = \"  -Xmx256m \\\"quoted\\\"  \"\n"
        "PROP_MIN_VERSION = 1.8\n"
        "PROP_USER_OPTIONS = My App.v2\n"
        "splash = splash.gif\n"
        "file-description = My Application\n"
        "version = 3.1.4.1\n";
    const Bytes configBytes(config.begin(), config.end());
    writeFileBytes(f / "app.conf", configBytes);
    CliRun r = runCli("configure " + quoted(f / "launcher.exe") + " " + quoted(f / "MyApp.exe") + " --config " +
                quoted(f / "app.conf") + " --set PROP_MIN_VERSION=1.7 --company 'Example Ltd'");
    ASSERT_EQ(0, r.exitCode) << r.output;
    EXPECT_EQ(input, readFileBytes(f / "launcher.exe"));
    const Bytes output = readFileBytes(f / "MyApp.exe");
    EXPECT_EQ("", imageProblems(output));
    EXPECT_EQ("", objdumpProblems(output));
    LauncherResources configured(output);
    EXPECT_EQ("my app.jar", configured.string(101).value_or("?"));
    EXPECT_EQ("on", configured.string(96).value_or("?"));
    EXPECT_FALSE(configured.string(97));
    EXPECT_EQ("  -Xmx256m \"quoted\"  ", configured.string(100).value_or("?"));
    EXPECT_EQ("1.7", configured.string(104).value_or("?"));  // the option comes after the file
    EXPECT_EQ("My App.v2", configured.string(111).value_or("?"));
    EXPECT_EQ(readFileBytes(gif), configured.splash().value_or(Bytes()));

    CliRun shown = runCli("show " + quoted(f / "MyApp.exe"));
    EXPECT_NE(std::string::npos, shown.output.find("Splash picture (RT_BITMAP 104): GIF, 400 x 300")) << shown.output;
    EXPECT_NE(std::string::npos, shown.output.find("FileDescription: My Application"));
    EXPECT_NE(std::string::npos, shown.output.find("CompanyName: Example Ltd"));
    EXPECT_NE(std::string::npos, shown.output.find("file 3.1.4.1"));
}

// Bad input: one clear message, a non-zero exit code, and nothing written.
TEST(LauncherConfig, RefusesBadInputWithOneMessageAndWritesNothing) {
    Folder f;
    const Bytes launcher = readFileBytes(launcherImagePath());
    writeFileBytes(f / "launcher.exe", launcher);
    writeFileBytes(f / "text.exe", Bytes{'h', 'e', 'l', 'l', 'o'});
    writeFileBytes(f / "truncated.exe", Bytes(launcher.begin(), launcher.begin() + 700));
    Bytes malformed = launcher;
    write32(malformed, 0x3C, 0x7FFFFFF0);
    writeFileBytes(f / "malformed.exe", malformed);
    // Relocations no longer recorded as such: the section behind the
    // resources is then one the configurator cannot move.
    Bytes fixedSection = launcher;
    const std::uint32_t relocations = dataDirectoriesOffset(launcher) + 5 * 8;
    write32(fixedSection, relocations, 0);
    write32(fixedSection, relocations + 4, 0);
    writeFileBytes(f / "fixed.exe", fixedSection);
    writeFileBytes(f / "bad.gif", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 2, 3});
    writeFileBytes(f / "bad.ico", Bytes{0, 0, 1, 0, 1, 0});
    writeFileBytes(f / "unknown.conf", Bytes{'P', 'R', 'O', 'P', '_', 'X', '=', '1', '\n'});
    LauncherResources brokenManifest(launcher);
    Resource manifest = *brokenManifest.tree().find(ResourceId::of(RT_MANIFEST_TYPE), ResourceId::of(1), 1033);
    const std::string text(manifest.data.begin(), manifest.data.end());
    const std::string mismatched = text.substr(0, text.rfind("</assembly>")) + "</assembli>\n";
    manifest.data.assign(mismatched.begin(), mismatched.end());
    brokenManifest.tree().put(manifest);
    writeFileBytes(f / "manifest.exe", brokenManifest.build());
    const std::string longLine = "PROP_VM_OPTIONS = " + std::string(65536, 'x') + "\n";
    writeFileBytes(f / "long.conf", Bytes(longLine.begin(), longLine.end()));

    const std::string in = quoted(f / "launcher.exe"), out = quoted(f / "out.exe");
    struct Case {
        std::string arguments;
        const char* message;
    };
    const Case cases[] = {
        {"configure " + quoted(f / "text.exe") + " " + out, "not a PE file"},
        {"configure " + quoted(f / "truncated.exe") + " " + out, "truncated"},
        {"configure " + quoted(f / "malformed.exe") + " " + out, "not a PE file"},
        {"configure " + quoted(f / "fixed.exe") + " " + out, "a section other than base relocations follows"},
        {"configure " + quoted(f / "missing.exe") + " " + out, "cannot read the launcher"},
        {"configure " + quoted(f / "manifest.exe") + " " + out, "manifest.exe: malformed manifest (tags do not match)"},
        {"configure " + quoted(f / "manifest.exe") + " " + out + " --unicode on", "malformed manifest"},
        {"configure " + in + " " + out + " --splash " + quoted(f / "bad.gif"), "cut GIF"},
        {"configure " + in + " " + out + " --splash " + quoted(f / "launcher.exe"), "not a picture file"},
        {"configure " + in + " " + out + " --icon " + quoted(f / "bad.ico"), "icon file is cut"},
        {"configure " + in + " " + out + " --icon " + quoted(f / "bad.gif"), "not an .ico file"},
        {"configure " + in + " " + out + " --set PROP_NO_SUCH=1", "unknown setting \"PROP_NO_SUCH\""},
        {"configure " + in + " " + out + " --config " + quoted(f / "unknown.conf"), "line 1: unknown setting"},
        {"configure " + in + " " + out + " --config " + quoted(f / "long.conf"), "does not fit"},
        {"configure " + in + " " + out + " --version 1.2.x", "version number"},
        {"configure " + in + " " + out + " --set 'PROP_USER_OPTIONS=My App\\logs'", "PROP_USER_OPTIONS is one folder name"},
        {"configure " + in + " " + out + " --set PROP_USER_OPTIONS=My/logs", "PROP_USER_OPTIONS is one folder name"},
        {"configure " + in + " " + out + " --set PROP_USER_OPTIONS=..", "PROP_USER_OPTIONS is one folder name"},
        // Folder names the launcher would ignore, and never download.
        {"configure " + in + " " + out + " --set 'PROP_RUNTIME_FOLDER=Vendor Inc.\\App'", "PROP_RUNTIME_FOLDER is a folder"},
        {"configure " + in + " " + out + " --set 'PROP_RUNTIME_FOLDER=App\\NUL'", "PROP_RUNTIME_FOLDER is a folder"},
        {"configure " + in + " " + out + " --set 'PROP_RUNTIME_FOLDER=A|B'", "PROP_RUNTIME_FOLDER is a folder"},
        {"configure " + in + " " + out + " --set PROP_RUNTIME_FOLDER=" + std::string(201, 'x'), "PROP_RUNTIME_FOLDER is a folder"},
        {"configure " + in + " " + in, "another file than the input"},
    };
    for (const Case& c : cases) {
        CliRun r = runCli(c.arguments);
        EXPECT_EQ(1, r.exitCode) << c.arguments << "\n" << r.output;
        EXPECT_EQ(0u, r.output.find("launcher-config: ")) << r.output;
        EXPECT_EQ(r.output.size() - 1, r.output.find('\n')) << "one line: " << r.output;
        EXPECT_NE(std::string::npos, r.output.find(c.message)) << r.output;
        EXPECT_FALSE(exists(f / "out.exe")) << c.arguments;
    }
    EXPECT_EQ(launcher, readFileBytes(f / "launcher.exe"));
    CliRun usage = runCli("configure " + in);
    EXPECT_EQ(2, usage.exitCode);
    CliRun unknownOption = runCli("configure " + in + " " + out + " --colour blue");
    EXPECT_EQ(2, unknownOption.exitCode);
    EXPECT_FALSE(exists(f / "out.exe"));
    // No partial file is left beside the output.
    EXPECT_EQ(0, std::system(("test -z \"$(ls '" + f.path + "' | grep partial)\"").c_str()));
}

// Editors write UTF-8 with a byte-order mark, and lines ended by CR LF, LF
// or CR: every form configures the same launcher.
TEST(LauncherConfig, ByteOrderMarkAndAnyLineEndsConfigureTheSameLauncher) {
    Folder f;
    const std::string lines[] = {"# \xC3\xA9" "dition", "PROP_START_JAR = caf\xC3\xA9.jar", "PROP_MIN_VERSION = 1.8",
                                 "", "product-name = Caf\xC3\xA9"};
    auto configured = [&](const std::string& name, const std::string& start, const std::string& lineEnd) {
        std::string text = start;
        for (const std::string& line : lines) text += line + lineEnd;
        writeFileBytes(f / (name + ".conf"), Bytes(text.begin(), text.end()));
        CliRun r = runCli("configure " + quoted(launcherImagePath()) + " " + quoted(f / (name + ".exe")) + " --config " +
                          quoted(f / (name + ".conf")));
        EXPECT_EQ(0, r.exitCode) << name << ": " << r.output;
        return readFileBytes(f / (name + ".exe"));
    };
    const Bytes reference = configured("lf", "", "\n");
    LauncherResources launcher(reference);
    EXPECT_EQ("caf\xC3\xA9.jar", launcher.string(101).value_or("?"));
    EXPECT_EQ("1.8", launcher.string(104).value_or("?"));
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_TRUE(reference == configured("crlf", "", "\r\n")) << "crlf";
    EXPECT_TRUE(reference == configured("cr", "", "\r")) << "cr";
    EXPECT_TRUE(reference == configured("bom-crlf", bom, "\r\n")) << "bom-crlf";
    EXPECT_TRUE(reference == configured("bom-cr", bom, "\r")) << "bom-cr";
}

// Unicode mode from the file or the option, shown by show, and undone
// without a trace.
TEST(LauncherConfig, UnicodeModeIsSetShownAndUndone) {
    Folder f;
    writeFileBytes(f / "unicode.conf", Bytes{'u', 'n', 'i', 'c', 'o', 'd', 'e', ' ', '=', ' ', 'o', 'n', '\n'});
    const std::string image = quoted(launcherImagePath());
    ASSERT_EQ(0, runCli("configure " + image + " " + quoted(f / "on.exe") + " --config " + quoted(f / "unicode.conf")).exitCode);
    ASSERT_EQ(0, runCli("configure " + quoted(f / "on.exe") + " " + quoted(f / "undone.exe") + " --unicode off").exitCode);
    ASSERT_EQ(0, runCli("configure " + image + " " + quoted(f / "off.exe") + " --unicode off").exitCode);
    EXPECT_NE(std::string::npos, runCli("show " + quoted(f / "on.exe")).output.find("\nUnicode mode: on ("));
    EXPECT_NE(std::string::npos, runCli("show " + image).output.find("\nUnicode mode: off\n"));
    EXPECT_EQ("", imageProblems(readFileBytes(f / "on.exe")));
    EXPECT_TRUE(readFileBytes(f / "off.exe") == readFileBytes(f / "undone.exe"));

    writeFileBytes(f / "bad.conf", Bytes{'u', 'n', 'i', 'c', 'o', 'd', 'e', '=', 'y', 'e', 's', '\n'});
    CliRun badFile = runCli("configure " + image + " " + quoted(f / "out.exe") + " --config " + quoted(f / "bad.conf"));
    EXPECT_EQ(1, badFile.exitCode);
    EXPECT_NE(std::string::npos, badFile.output.find("line 1: unicode takes on or off")) << badFile.output;
    EXPECT_EQ(2, runCli("configure " + image + " " + quoted(f / "out.exe") + " --unicode yes").exitCode);
    EXPECT_FALSE(exists(f / "out.exe"));
}

// The runtime inside the launcher and its AppUserModelID, from the options
// or a configuration file; the 32-bit launcher says that it hosts 32-bit
// runtimes only; an ID the system would refuse is refused.
TEST(LauncherConfig, InProcessAndAppIdFromOptionsOrAFile) {
    Folder f;
    const std::string file = "in-process = on\napp-id = com.example.file\n", bad = "in-process = yes\n";
    writeFileBytes(f / "app.conf", Bytes(file.begin(), file.end()));
    writeFileBytes(f / "bad.conf", Bytes(bad.begin(), bad.end()));
    const bool is32Bit = !LauncherResources(readFileBytes(launcherImagePath())).is64Bit();
    const std::string refused = "PROP_APP_ID is an AppUserModelID: at most 128 characters, no blanks";
    const std::pair<std::string, std::string> cases[] = {  // options, the ID written or the refusal
        {"--in-process --app-id com.example.app", "com.example.app"}, {"--config " + quoted(f / "app.conf"), "com.example.file"},
        {"--app-id 'a blank'", refused}, {"--app-id " + std::string(129, 'x'), refused},
        {"--config " + quoted(f / "bad.conf"), "in-process takes on or off"},
    };
    for (const auto& c : cases) {
        std::remove((f / "out.exe").c_str());
        CliRun r = runCli("configure " + quoted(launcherImagePath()) + " " + quoted(f / "out.exe") + " " + c.first);
        const bool written = c.second.compare(0, 4, "com.") == 0;
        EXPECT_EQ(written ? 0 : 1, r.exitCode) << c.first << "\n" << r.output;
        EXPECT_EQ(written, r.output.find(c.second) == std::string::npos) << c.first << "\n" << r.output;
        EXPECT_EQ(written && is32Bit, r.output.find("use launcher-x64.exe for PROP_IN_PROCESS") != std::string::npos);
        const std::string shown = written ? runCli("show " + quoted(f / "out.exe")).output : "";
        EXPECT_EQ(written, shown.find("119  PROP_IN_PROCESS         flag     \"on\"  -> on") != std::string::npos) << shown;
        EXPECT_EQ(written, shown.find("120  PROP_APP_ID             text     \"" + c.second + "\"") != std::string::npos);
    }
}
