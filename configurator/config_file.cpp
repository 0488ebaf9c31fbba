#include "configurator/config_file.h"

#include <fstream>
#include <iterator>

#include "configurator/icon_file.h"
#include "configurator/manifest.h"
#include "configurator/picture_check.h"
#include "configurator/string_table.h"
#include "configurator/version_info.h"

namespace {

const std::size_t CONFIG_FILE_MAX = 16 * 1024 * 1024;
const std::string UTF8_BYTE_ORDER_MARK = "\xEF\xBB\xBF";

std::string trim(const std::string& s) {
    const char* blanks = " \t\r";
    std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// A value in double quotes keeps its blanks; \" and \\ stand for a quote
// and a backslash there.
std::string unquote(const std::string& value, int lineNumber) {
    if (value.size() < 2 || value.front() != '"') return value;
    require(value.back() == '"', ("line " + std::to_string(lineNumber) + ": a quoted value has no closing quote").c_str());
    std::string out;
    for (std::size_t i = 1; i + 1 < value.size(); ++i) {
        if (value[i] == '\\' && i + 2 < value.size() && (value[i + 1] == '"' || value[i + 1] == '\\')) ++i;
        out += value[i];
    }
    return out;
}

std::string folderOf(const std::string& path) {
    std::size_t at = path.find_last_of("/\\");
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string relativeTo(const std::string& folder, const std::string& path) {
    if (path.empty() || path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':')) return path;
    return folder + path;
}

}  // namespace

Bytes readWholeFile(const std::string& path, const char* what) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FormatError(std::string("cannot read the ") + what + " " + path);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw FormatError(std::string("cannot read the ") + what + " " + path);
    return bytes;
}

std::optional<bool> parseOnOff(const std::string& value) {
    if (value == "on") return true;
    if (value == "off") return false;
    return std::nullopt;
}

std::string versionStringName(const std::string& key) {
    if (key == "file-description") return "FileDescription";
    if (key == "product-name") return "ProductName";
    if (key == "company") return "CompanyName";
    if (key == "copyright") return "LegalCopyright";
    if (key == "original-filename") return "OriginalFilename";
    if (key == "internal-name") return "InternalName";
    return std::string();
}

void readConfigFile(const std::string& path, Changes& changes) {
    const Bytes bytes = readWholeFile(path, "configuration file");
    require(bytes.size() <= CONFIG_FILE_MAX, "the configuration file is too large");
    std::string text(bytes.begin(), bytes.end());
    // Notepad and PowerShell begin UTF-8 files with a byte-order mark.
    if (text.compare(0, UTF8_BYTE_ORDER_MARK.size(), UTF8_BYTE_ORDER_MARK) == 0) text.erase(0, UTF8_BYTE_ORDER_MARK.size());
    const std::string folder = folderOf(path);
    std::size_t start = 0;
    for (int lineNumber = 1; start < text.size(); ++lineNumber) {
        // A line ends at CR LF, LF or a lone CR alike.
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = trim(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        if (line.empty() || line[0] == '#') continue;
        const std::string where = path + ", line " + std::to_string(lineNumber) + ": ";
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) throw FormatError(where + "expected NAME = value");
        const std::string key = trim(line.substr(0, eq));
        const std::string value = unquote(trim(line.substr(eq + 1)), lineNumber);
        if (findSetting(key)) {
            changes.settings.push_back({key, value});
        } else if (key == "splash") {
            changes.splashFile = value.empty() ? value : relativeTo(folder, value);
        } else if (key == "embed-jar") {
            changes.embedJar = value.empty() ? value : relativeTo(folder, value);
        } else if (key == "icon") {
            changes.iconFile = relativeTo(folder, value);
        } else if (key == "version") {
            changes.fileVersion = value;
        } else if (key == "product-version") {
            changes.productVersion = value;
        } else if (key == "in-process") {
            const std::optional<bool> on = parseOnOff(value);
            if (!on) throw FormatError(where + "in-process takes on or off");
            changes.settings.push_back({"PROP_IN_PROCESS", *on ? "on" : ""});
        } else if (key == "app-id") {
            changes.settings.push_back({"PROP_APP_ID", value});
        } else if (key == "unicode") {
            changes.unicode = parseOnOff(value);
            if (!changes.unicode) throw FormatError(where + "unicode takes on or off");
        } else if (!versionStringName(key).empty()) {
            changes.versionStrings.emplace_back(versionStringName(key), value);
        } else {
            throw FormatError(where + "unknown setting \"" + key + "\"");
        }
    }
}

void applyChanges(LauncherResources& launcher, const Changes& changes) {
    // Everything is read and checked before the first change.
    for (const SettingChange& c : changes.settings) {
        const SettingInfo* setting = findSetting(c.name);
        if (!setting) throw FormatError("unknown setting \"" + c.name + "\" (see launcher-config --help)");
        if (utf8ToUtf16(c.value).size() > STRING_UNITS_MAX) {
            throw FormatError("the text of " + c.name + " does not fit a string resource (65535 characters at most)");
        }
        // The launcher puts this name under %APPDATA%: it must stay there.
        const bool leavesItsFolder =
            c.value.find_first_of("\\/") != std::string::npos || c.value.find("..") != std::string::npos;
        if (setting->id == 111 && leavesItsFolder) {
            throw FormatError("PROP_USER_OPTIONS is one folder name: no \\, / or .. in it");
        }
        // The system takes at most 128 characters and no blanks.
        if (setting->id == APP_ID_SETTING &&
            (utf8ToUtf16(c.value).size() > 128 || c.value.find_first_of(" \t\r\n") != std::string::npos)) {
            throw FormatError("PROP_APP_ID is an AppUserModelID: at most 128 characters, no blanks");
        }
        if (setting->id == JAR_IN_IMAGE_SETTING) {
            throw FormatError("PROP_JAR_IN_IMAGE follows --embed-jar and --no-embedded-jar: it is on when a jar is embedded");
        }
    }
    Bytes splash;
    if (changes.splashFile && !changes.splashFile->empty()) {
        splash = readWholeFile(*changes.splashFile, "splash picture");
        checkSplashPicture(splash);
    }
    std::vector<IconImage> icon;
    if (changes.iconFile) icon = readIconFile(readWholeFile(*changes.iconFile, "icon"));
    VersionInfo version = readVersionInfo(launcher.tree());
    if (changes.fileVersion) version.fileVersion = parseVersionNumber(*changes.fileVersion);
    if (changes.productVersion) version.productVersion = parseVersionNumber(*changes.productVersion);
    for (const auto& s : changes.versionStrings) {
        utf8ToUtf16(s.second);  // refused here, before any change, if it is no UTF-8
        if (s.second.empty()) version.strings.erase(s.first);
        else version.strings[s.first] = s.second;
    }
    if (changes.fileVersion) version.strings["FileVersion"] = formatVersionNumber(version.fileVersion);
    if (changes.productVersion) version.strings["ProductVersion"] = formatVersionNumber(version.productVersion);

    for (const SettingChange& c : changes.settings) launcher.setString(findSetting(c.name)->id, c.value);
    if (changes.splashFile) {
        if (changes.splashFile->empty()) launcher.removeSplash();
        else launcher.setSplashBytes(splash);
    }
    if (!icon.empty()) setApplicationIcon(launcher.tree(), icon);
    if (changes.fileVersion || changes.productVersion || !changes.versionStrings.empty()) {
        writeVersionInfo(launcher.tree(), version);
    }
    if (changes.unicode) setUnicodeMode(launcher.tree(), *changes.unicode);
}
