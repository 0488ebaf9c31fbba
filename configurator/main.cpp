// launcher-config: configures a prebuilt launcher.exe without a C++
// toolchain, on Linux, macOS or Windows. See usage() and the README,
// "Configuring your launcher".
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

#include "configurator/config_file.h"
#include "configurator/icon_file.h"
#include "configurator/launcher_resources.h"
#include "configurator/manifest.h"
#include "configurator/picture_check.h"
#include "configurator/version_info.h"

namespace {

const char USAGE[] =
    "usage:\n"
    "  launcher-config show LAUNCHER.exe\n"
    "  launcher-config configure INPUT.exe OUTPUT.exe [options]\n"
    "\n"
    "options (applied after --config, in this order):\n"
    "  --config FILE            settings, pictures and version information from a file\n"
    "  --set NAME=VALUE         a launch setting, e.g. --set PROP_START_JAR=myapp.jar\n"
    "  --remove NAME            remove a launch setting (the same as an empty value)\n"
    "  --splash FILE            splash picture: a complete BMP, JPEG or GIF file\n"
    "  --no-splash              remove the splash picture\n"
    "  --icon FILE.ico          application icon, with all its images\n"
    "  --file-description TEXT  --product-name TEXT  --company TEXT  --copyright TEXT\n"
    "  --version 1.2.3.4        file version     --product-version 1.2.3.4\n"
    "  --unicode on|off         Unicode mode: the launcher's texts, paths and command\n"
    "                           lines in UTF-8 (Windows 10 1903 and later)\n"
    "\n"
    "launch settings: PROP_SPLASH PROP_STAY_ALIVE PROP_SPLASH_TIMEOUT PROP_JRE_PATH\n"
    "  PROP_VM_OPTIONS PROP_START_JAR PROP_WAIT_FOR_WINDOW PROP_WORK_DIR PROP_MIN_VERSION\n"
    "  PROP_SEARCH_JDK_ONLY PROP_MODERN_SEARCH PROP_MAX_VERSION PROP_RUNTIME_BITS\n"
    "  PROP_WAIT_FOR_EXIT PROP_SINGLE_INSTANCE PROP_USER_OPTIONS PROP_EXPAND_VARIABLES\n"
    "  PROP_START_CHECK\n"
    "\n"
    "The input is never changed; the output is written whole or not at all.\n";

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

LauncherResources loadLauncher(const std::string& path) {
    Bytes image = readWholeFile(path, "launcher");
    try {
        return LauncherResources(std::move(image));
    } catch (const FormatError& e) {
        throw FormatError(path + ": " + e.what());
    }
}

void show(const std::string& path) {
    LauncherResources launcher = loadLauncher(path);
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
    changes.versionStrings.insert(changes.versionStrings.end(), late.versionStrings.begin(), late.versionStrings.end());
    return changes;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    if (!x || !y) return false;
#ifdef _WIN32
    char fa[MAX_PATH * 4], fb[MAX_PATH * 4];
    return GetFullPathNameA(a.c_str(), sizeof fa, fa, nullptr) && GetFullPathNameA(b.c_str(), sizeof fb, fb, nullptr) &&
           lstrcmpiA(fa, fb) == 0;
#else
    char* ra = realpath(a.c_str(), nullptr);
    char* rb = realpath(b.c_str(), nullptr);
    bool same = ra && rb && std::strcmp(ra, rb) == 0;
    free(ra);
    free(rb);
    return same;
#endif
}

// Writes beside the target and renames, so that the output appears whole
// or not at all.
void writeWhole(const std::string& path, const Bytes& bytes) {
#ifdef _WIN32
    const std::string temporary = path + ".partial-" + std::to_string(GetCurrentProcessId());
#else
    const std::string temporary = path + ".partial-" + std::to_string(getpid());
#endif
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            throw FormatError("cannot write " + path);
        }
    }
#ifdef _WIN32
    const bool moved = MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    const bool moved = std::rename(temporary.c_str(), path.c_str()) == 0;
#endif
    if (!moved) {
        std::remove(temporary.c_str());
        throw FormatError("cannot write " + path);
    }
}

void configure(const std::vector<std::string>& args) {
    if (args.size() < 3) throw UsageError("configure needs INPUT.exe and OUTPUT.exe");
    const std::string& input = args[1];
    const std::string& output = args[2];
    Changes changes = parseOptions(args, 3);
    LauncherResources launcher = loadLauncher(input);
    if (sameFile(input, output)) throw FormatError("the output must be another file than the input");
    // Checked whether or not the Unicode mode is touched: a configured
    // launcher that Windows refuses to start is no result.
    try {
        checkManifests(launcher.tree());
    } catch (const FormatError& e) {
        throw FormatError(input + ": " + e.what());
    }
    applyChanges(launcher, changes);
    Bytes built;
    try {
        built = launcher.build();
    } catch (const FormatError& e) {
        throw FormatError(input + ": " + e.what());
    }
    writeWhole(output, built);
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
