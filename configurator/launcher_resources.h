// A launcher image's configuration: its launch settings (strings 96 to 127
// of the string table), the splash picture (RT_BITMAP 104), the application
// icon and the version information. Reads an image, changes it, and builds
// the new image bytes; the input is never changed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "configurator/byte_io.h"
#include "configurator/pe_image.h"

enum class SettingKind { Flag, Integer, Text };

struct SettingInfo {
    const char* name;
    std::uint16_t id;
    SettingKind kind;
};

// PROP_SPLASH (96) onwards, in string order.
const std::vector<SettingInfo>& launchSettings();

// The setting of that name (PROP_START_JAR, ...), or null.
const SettingInfo* findSetting(const std::string& name);

const std::uint16_t SPLASH_RESOURCE = 104;
// On exactly when the file carries the application's jar (embedded_jar.h).
const std::uint16_t JAR_IN_IMAGE_SETTING = 114;
const std::uint16_t IN_PROCESS_SETTING = 119;
const std::uint16_t APP_ID_SETTING = 120;

class LauncherResources {
public:
    explicit LauncherResources(Bytes image);

    // Any string 0 to 65535, as UTF-8; nullopt when absent or empty.
    std::optional<std::string> string(std::uint16_t id) const;
    // An empty value removes the string.
    void setString(std::uint16_t id, const std::string& utf8);

    std::optional<Bytes> splash() const;
    // Any bytes: the launcher checks the picture when it loads it.
    void setSplashBytes(Bytes bytes);
    void removeSplash();

    bool is64Bit() const { return image_.is64Bit(); }

    ResourceTree& tree() { return tree_; }
    const ResourceTree& tree() const { return tree_; }

    // The new image, with sizes and checksum consistent.
    Bytes build() const;

private:
    PeImage image_;
    ResourceTree tree_;
};
