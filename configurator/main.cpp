// launcher-config: configures a prebuilt launcher.exe without a C++
// toolchain, on Linux, macOS or Windows. See usage() and
// docs/configuring.md.
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include "configurator/config_file.h"
#include "configurator/embedded_jar.h"
#include "configurator/file_system.h"
#include "configurator/icon_file.h"
#include "configurator/launcher_resources.h"
#include "configurator/manifest.h"
#include "configurator/picture_check.h"
#include "configurator/runtime_settings.h"
#include "configurator/sample_names.h"
#include "configurator/signing.h"
#include "configurator/version_info.h"

namespace {

const char USAGE[] =
    "usage:\n"
    "  launcher-config show LAUNCHER.exe\n"
    "  launcher-config configure INPUT.exe OUTPUT.exe [options]\n"
    "  launcher-config sign LAUNCHER.exe -- COMMAND...\n"
    "\n"
    "options (applied after --config, in this order):\n"
    "  --config FILE            settings, pictures and version information from a file\n"
    "  --set NAME=VALUE         a launch setting, e.g. --set PROP_START_JAR=myapp.jar\n"
    "  --remove NAME            remove a launch setting (the same as an empty value)\n"
    "  --splash FILE            splash picture: a complete BMP, JPEG or GIF file\n"
    "  --no-splash              remove the splash picture\n"
    "  --icon FILE.ico          application icon, with all its images\n"
    "  --file-description TEXT  --product-name TEXT  --company TEXT  --copyright TEXT\n"
    "  --original-filename TEXT --internal-name TEXT: with --file-description or\n"
    "                           --version they follow OUTPUT's name unless given\n"
    "  --version 1.2.3.4        file version     --product-version 1.2.3.4\n"
    "  --unicode on|off         Unicode mode: the launcher's texts, paths and command\n"
    "                           lines in UTF-8 (Windows 10 1903 and later)\n"
    "  --embed-jar FILE.jar     carry the application's jar inside the launcher, which\n"
    "                           java then starts as the jar (PROP_JAR_IN_IMAGE); replaces\n"
    "                           a jar embedded before, which is kept otherwise\n"
    "  --no-embedded-jar        take the embedded jar out\n"
    "  --in-process             run the Java runtime inside the launcher's own process\n"
    "                           (PROP_IN_PROCESS), so that Windows shows it as the application\n"
    "  --app-id ID              the AppUserModelID of the launcher's process (PROP_APP_ID)\n"
    "\n"
    "launch settings: PROP_SPLASH PROP_STAY_ALIVE PROP_SPLASH_TIMEOUT PROP_JRE_PATH\n"
    "  PROP_VM_OPTIONS PROP_START_JAR PROP_WAIT_FOR_WINDOW PROP_WORK_DIR PROP_MIN_VERSION\n"
    "  PROP_SEARCH_JDK_ONLY PROP_MODERN_SEARCH PROP_MAX_VERSION PROP_RUNTIME_BITS\n"
    "  PROP_WAIT_FOR_EXIT PROP_SINGLE_INSTANCE PROP_USER_OPTIONS PROP_EXPAND_VARIABLES\n"
    "  PROP_START_CHECK PROP_JAR_IN_IMAGE PROP_RUNTIME_URL PROP_RUNTIME_SHA256\n"
    "  PROP_RUNTIME_SIZE PROP_RUNTIME_FOLDER PROP_IN_PROCESS PROP_APP_ID\n"
    "\n"
    "The input is never changed; the output is written whole or not at all.\n"
    "\n"
    "sign runs your signing command on the launcher, on a copy first when it carries\n"
    "a jar, so that java -jar still reads the signed file. In the command's words,\n"
    "{in} stands for the file to sign and {out} for the signed file the tool writes;\n"
    "a tool that signs in place takes {in} alone. The file is replaced only when all\n"
    "went well:\n"
    "  launcher-config sign MyApp.exe -- osslsigncode sign -pkcs12 my.pfx -h sha256 -in {in} -out {out}\n"
    "  launcher-config sign MyApp.exe -- signtool sign /fd SHA256 /f my.pfx {in}\n";

const int EXIT_REFUSED = 1;
const int EXIT_USAGE = 2;

struct UsageError : std::runtime_error {
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

std::vector<std::string> arguments(int argc, char** argv) {
#ifdef _WIN32
    // Texts arrive as UTF-16 from the system; the configurator works in UTF-8.
    (void)argv;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
        int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(size > 0 ? size - 1 : 0, '\0');
        if (size > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &arg[0], size, nullptr, nullptr);
        args.push_back(arg);
    }
    LocalFree(wide);
    (void)argc;
    return args;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

std::string describeSetting(const LauncherResources& launcher, const SettingInfo& s) {
    std::optional<std::string> value = launcher.string(s.id);
    const char* kind = s.kind == SettingKind::Flag ? "flag" : s.kind == SettingKind::Integer ? "integer" : "text";
    std::string line = "  " + std::to_string(s.id) + "  " + s.name;
    line.append(24 - std::min<std::size_t>(23, std::strlen(s.name)), ' ');
    line += std::string(kind) + std::string(9 - std::strlen(kind), ' ');
    if (!value) {
        line += "(absent)";
        if (s.kind == SettingKind::Flag) line += "  -> off";
    } else {
        line += "\"" + *value + "\"";
        if (s.kind == SettingKind::Flag) line += "  -> on";
    }
    return line;
}

LauncherResources loadLauncher(const std::string& path, Bytes image) {
    try {
        return LauncherResources(std::move(image));
    } catch (const FormatError& e) {
        throw FormatError(path + ": " + e.what());
    }
}

void show(const std::string& path) {
    const Bytes file = readWholeFile(path, "launcher");
    LauncherResources launcher = loadLauncher(path, file);
    std::cout << "Launch settings (string table, language 1033):\n";
    for (const SettingInfo& s : launchSettings()) std::cout << describeSetting(launcher, s) << "\n";
    for (std::uint16_t id = 106; id <= 127; ++id) {
        std::optional<std::string> extra = launcher.string(id);
        if (extra && id > launchSettings().back().id) std::cout << "  " << id << "  (unused)  \"" << *extra << "\"\n";
    }
    std::cout << "Splash picture (RT_BITMAP 104): ";
    if (std::optional<Bytes> splash = launcher.splash()) {
        std::string format;
        try {
            format = checkSplashPicture(*splash);
        } catch (const FormatError& e) {
            format = std::string("not loadable: ") + e.what();
        }
        int width = 0, height = 0;
        pictureSize(*splash, width, height);
        std::cout << format << ", " << width << " x " << height << ", " << splash->size() << " bytes\n";
    } else {
        std::cout << "none\n";
    }
    std::vector<IconImage> icon = applicationIcon(launcher.tree());
    std::cout << "Icon: " << icon.size() << (icon.size() == 1 ? " image" : " images");
    for (std::size_t i = 0; i < icon.size(); ++i) {
        std::cout << (i ? ", " : ": ") << icon[i].width << "x" << icon[i].height << " " << icon[i].bitCount << "-bit";
    }
    std::cout << "\n";
    VersionInfo version = readVersionInfo(launcher.tree());
    std::cout << "Version information: file " << formatVersionNumber(version.fileVersion) << ", product "
              << formatVersionNumber(version.productVersion) << "\n";
    for (const auto& s : version.strings) std::cout << "  " << s.first << ": " << s.second << "\n";
    std::cout << "Unicode mode: "
              << (unicodeMode(launcher.tree()) ? "on (UTF-8 as the ANSI code page, Windows 10 1903 and later)" : "off")
              << "\n";
    std::cout << describeEmbeddedJar(file);
}

std::string takeValue(const std::vector<std::string>& args, std::size_t& i) {
    if (i + 1 >= args.size()) throw UsageError(args[i] + " needs a value");
    return args[++i];
}

Changes parseOptions(const std::vector<std::string>& args, std::size_t from) {
    Changes changes;
    std::vector<std::string> configs;
    Changes late;
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--config") {
            configs.push_back(takeValue(args, i));
        } else if (a == "--set") {
            const std::string v = takeValue(args, i);
            const std::size_t eq = v.find('=');
            if (eq == std::string::npos) throw UsageError("--set takes NAME=VALUE");
            late.settings.push_back({v.substr(0, eq), v.substr(eq + 1)});
        } else if (a == "--remove") {
            late.settings.push_back({takeValue(args, i), ""});
        } else if (a == "--splash") {
            late.splashFile = takeValue(args, i);
        } else if (a == "--no-splash") {
            late.splashFile = std::string();
        } else if (a == "--icon") {
            late.iconFile = takeValue(args, i);
        } else if (a == "--version") {
            late.fileVersion = takeValue(args, i);
        } else if (a == "--product-version") {
            late.productVersion = takeValue(args, i);
        } else if (a == "--embed-jar") {
            late.embedJar = takeValue(args, i);
            if (late.embedJar->empty()) throw UsageError("--embed-jar needs a jar file");
        } else if (a == "--no-embedded-jar") {
            late.embedJar = std::string();
        } else if (a == "--in-process") {
            late.settings.push_back({"PROP_IN_PROCESS", "on"});
        } else if (a == "--app-id") {
            late.settings.push_back({"PROP_APP_ID", takeValue(args, i)});
        } else if (a == "--unicode") {
            late.unicode = parseOnOff(takeValue(args, i));
            if (!late.unicode) throw UsageError("--unicode takes on or off");
        } else if (a.compare(0, 2, "--") == 0 && !versionStringName(a.substr(2)).empty()) {
            late.versionStrings.emplace_back(versionStringName(a.substr(2)), takeValue(args, i));
        } else {
            throw UsageError("unknown option " + a);
        }
    }
    for (const std::string& config : configs) readConfigFile(config, changes);
    changes.settings.insert(changes.settings.end(), late.settings.begin(), late.settings.end());
    if (late.splashFile) changes.splashFile = late.splashFile;
    if (late.iconFile) changes.iconFile = late.iconFile;
    if (late.fileVersion) changes.fileVersion = late.fileVersion;
    if (late.productVersion) changes.productVersion = late.productVersion;
    if (late.unicode) changes.unicode = late.unicode;
    if (late.embedJar) changes.embedJar = late.embedJar;
    changes.versionStrings.insert(changes.versionStrings.end(), late.versionStrings.begin(), late.versionStrings.end());
    return changes;
}

// The jar the output carries: the one named, none, or the input's own.
std::optional<Bytes> jarToCarry(const Changes& changes, std::optional<Bytes> inputJar) {
    if (!changes.embedJar) return inputJar;
    if (changes.embedJar->empty()) return std::nullopt;
    Bytes jar = readWholeFile(*changes.embedJar, "jar");
    checkApplicationJar(jar, *changes.embedJar);
    return jar;
}

void configure(const std::vector<std::string>& args) {
    if (args.size() < 3) throw UsageError("configure needs INPUT.exe and OUTPUT.exe");
    const std::string& input = args[1];
    const std::string& output = args[2];
    Changes changes = parseOptions(args, 3);
    nameAfterOutput(changes, output);
    // The embedded jar is kept apart while the resources change size.
    const Bytes inputFile = readWholeFile(input, "launcher");
    LauncherParts parts;
    try {
        parts = splitEmbeddedJar(inputFile);
    } catch (const FormatError& e) {
        throw FormatError(input + ": " + e.what());
    }
    LauncherResources launcher = loadLauncher(input, std::move(parts.image));
    if (sameFile(input, output)) throw FormatError("the output must be another file than the input");
    // Checked whether or not the Unicode mode is touched: a configured
    // launcher that Windows refuses to start is no result.
    try {
        checkManifests(launcher.tree());
    } catch (const FormatError& e) {
        throw FormatError(input + ": " + e.what());
    }
    const std::optional<Bytes> jar = jarToCarry(changes, std::move(parts.jar));
    applyChanges(launcher, changes);
    launcher.setString(JAR_IN_IMAGE_SETTING, jar ? "on" : "");
    checkRuntimeSettings(launcher);
    Bytes built;
    try {
        built = launcher.build();
    } catch (const FormatError& e) {
        throw FormatError(input + ": " + e.what());
    }
    writeWhole(output, jar ? appendJar(built, *jar) : built);
    const std::string warning = sampleNamesWarning(readVersionInfo(launcher.tree()));
    if (!warning.empty()) std::cerr << "launcher-config: " << warning << "\n";
    if (launcher.string(IN_PROCESS_SETTING) && !launcher.is64Bit()) {
        std::cerr << "launcher-config: note: a 32-bit launcher runs only 32-bit runtimes inside itself, and most PCs "
                     "have 64-bit ones: use launcher-x64.exe for PROP_IN_PROCESS\n";
    }
}

int sign(const std::vector<std::string>& args) {
    if (args.size() < 4 || args[2] != "--") throw UsageError("sign needs LAUNCHER.exe -- COMMAND...");
    const std::optional<SignCommand> command =
        parseSignCommand(std::vector<std::string>(args.begin() + 3, args.end()));
    if (!command) throw UsageError("the signing command must name the file to sign as {in}");
    try {
        const std::string done = signLauncher(args[1], *command, std::cout);
        std::cout << done << "\n";
        return 0;
    } catch (const SigningFailed& e) {
        std::cerr << "launcher-config: " << e.what() << "\n";
        return static_cast<int>(e.status);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = arguments(argc, argv);
    try {
        if (args.empty() || args[0] == "--help" || args[0] == "-h") {
            std::cout << USAGE;
            return args.empty() ? EXIT_USAGE : 0;
        }
        if (args[0] == "show" && args.size() == 2) {
            show(args[1]);
            return 0;
        }
        if (args[0] == "configure") {
            configure(args);
            return 0;
        }
        if (args[0] == "sign") return sign(args);
        throw UsageError("unknown command " + args[0]);
    } catch (const UsageError& e) {
        std::cerr << "launcher-config: " << e.what() << "\n" << USAGE;
        return EXIT_USAGE;
    } catch (const FormatError& e) {
        std::cerr << "launcher-config: " << e.what() << "\n";
        return EXIT_REFUSED;
    } catch (const std::exception& e) {
        std::cerr << "launcher-config: " << e.what() << "\n";
        return EXIT_REFUSED;
    }
}
