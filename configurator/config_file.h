// The configurator's changes, from its command line or a configuration
// file, and their application to a launcher image.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "configurator/launcher_resources.h"

struct SettingChange {
    std::string name;  // PROP_...
    std::string value; // UTF-8; empty removes the setting
};

struct Changes {
    std::vector<SettingChange> settings;
    std::optional<std::string> splashFile;  // a path; "" removes the picture
    std::optional<std::string> iconFile;
    std::vector<std::pair<std::string, std::string>> versionStrings;  // "FileDescription", text
    std::optional<std::string> fileVersion, productVersion;
    std::optional<bool> unicode;  // Unicode mode: the manifest's UTF-8 entry
    std::optional<std::string> embedJar;  // a jar to embed; "" takes the embedded jar out
};

// Reads a configuration file (see docs/configuring.md, "The configuration
// file"); file paths in it are taken relative to the file's folder.
// Throws FormatError with the line number.
void readConfigFile(const std::string& path, Changes& changes);

// Checks every change and applies it; throws FormatError and leaves the
// image as it was when any change is refused.
void applyChanges(LauncherResources& launcher, const Changes& changes);

// "on" or "off" as a flag; nullopt for anything else.
std::optional<bool> parseOnOff(const std::string& value);

// The version string a configuration key or option names
// ("file-description" is "FileDescription"), or "" when it names none.
std::string versionStringName(const std::string& key);

Bytes readWholeFile(const std::string& path, const char* what);
