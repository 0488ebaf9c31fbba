#include "configurator/launcher_resources.h"

#include "configurator/string_table.h"

const std::vector<SettingInfo>& launchSettings() {
    static const std::vector<SettingInfo> settings = {
        {"PROP_SPLASH", 96, SettingKind::Flag},
        {"PROP_STAY_ALIVE", 97, SettingKind::Flag},
        {"PROP_SPLASH_TIMEOUT", 98, SettingKind::Integer},
        {"PROP_JRE_PATH", 99, SettingKind::Text},
        {"PROP_VM_OPTIONS", 100, SettingKind::Text},
        {"PROP_START_JAR", 101, SettingKind::Text},
        {"PROP_WAIT_FOR_WINDOW", 102, SettingKind::Flag},
        {"PROP_WORK_DIR", 103, SettingKind::Text},
        {"PROP_MIN_VERSION", 104, SettingKind::Text},
        {"PROP_SEARCH_JDK_ONLY", 105, SettingKind::Flag},
        {"PROP_MODERN_SEARCH", 106, SettingKind::Flag},
        {"PROP_MAX_VERSION", 107, SettingKind::Text},
        {"PROP_RUNTIME_BITS", 108, SettingKind::Text},
        {"PROP_WAIT_FOR_EXIT", 109, SettingKind::Flag},
        {"PROP_SINGLE_INSTANCE", 110, SettingKind::Text},
        {"PROP_USER_OPTIONS", 111, SettingKind::Text},
        {"PROP_EXPAND_VARIABLES", 112, SettingKind::Flag},
        {"PROP_START_CHECK", 113, SettingKind::Integer},
        {"PROP_JAR_IN_IMAGE", 114, SettingKind::Flag},
        {"PROP_RUNTIME_URL", 115, SettingKind::Text},
        {"PROP_RUNTIME_SHA256", 116, SettingKind::Text},
        {"PROP_RUNTIME_SIZE", 117, SettingKind::Integer},
        {"PROP_RUNTIME_FOLDER", 118, SettingKind::Text},
        {"PROP_IN_PROCESS", 119, SettingKind::Flag},
        {"PROP_APP_ID", 120, SettingKind::Text},
    };
    return settings;
}

const SettingInfo* findSetting(const std::string& name) {
    for (const SettingInfo& s : launchSettings()) {
        if (name == s.name) return &s;
    }
    return nullptr;
}

LauncherResources::LauncherResources(Bytes image) : image_(std::move(image)), tree_(image_.resources()) {}

std::optional<std::string> LauncherResources::string(std::uint16_t id) const {
    std::u16string value = readString(tree_, id);
    if (value.empty()) return std::nullopt;
    return utf16ToUtf8(value);
}

void LauncherResources::setString(std::uint16_t id, const std::string& utf8) {
    writeString(tree_, id, utf8ToUtf16(utf8));
}

std::optional<Bytes> LauncherResources::splash() const {
    for (const Resource* r : tree_.ofType(ResourceId::of(RT_BITMAP_TYPE))) {
        if (r->name == ResourceId::of(SPLASH_RESOURCE)) return r->data;
    }
    return std::nullopt;
}

void LauncherResources::setSplashBytes(Bytes bytes) {
    removeSplash();
    Resource r;
    r.type = ResourceId::of(RT_BITMAP_TYPE);
    r.name = ResourceId::of(SPLASH_RESOURCE);
    r.language = ENGLISH_US;
    r.data = std::move(bytes);
    tree_.put(std::move(r));
}

void LauncherResources::removeSplash() {
    for (const Resource* r : tree_.ofType(ResourceId::of(RT_BITMAP_TYPE))) {
        if (r->name == ResourceId::of(SPLASH_RESOURCE)) {
            tree_.remove(r->type, r->name, r->language);
            removeSplash();
            return;
        }
    }
}

Bytes LauncherResources::build() const {
    PeImage copy = image_;
    copy.replaceResources(tree_);
    return copy.bytes();
}
