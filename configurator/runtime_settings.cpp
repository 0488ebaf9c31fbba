#include "configurator/runtime_settings.h"

#include <cctype>

#include "fetch/name_rule.h"

namespace {

const std::uint16_t RUNTIME_URL = 115;
const std::uint16_t RUNTIME_SHA256 = 116;
const std::uint16_t RUNTIME_SIZE = 117;
const std::uint16_t RUNTIME_FOLDER = 118;

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

bool isWebAddress(const std::string& url) {
    std::size_t host = 0;
    if (startsWithNoCase(url, "https://")) host = 8;
    else if (startsWithNoCase(url, "http://")) host = 7;
    if (host == 0 || host >= url.size() || url[host] == '/') return false;
    for (unsigned char c : url) {
        // The launcher takes ASCII addresses only: %-escape anything else.
        if (c <= ' ' || c >= 0x7F) return false;
    }
    return true;
}

bool isSha256(const std::string& text) {
    if (text.size() != 64) return false;
    for (unsigned char c : text) {
        if (!std::isxdigit(c)) return false;
    }
    return true;
}

// 1 to 2^63 - 1, digits only.
bool isPositiveDecimal(const std::string& text) {
    if (text.empty() || text.size() > 19) return false;
    std::uint64_t value = 0;
    for (unsigned char c : text) {
        if (!std::isdigit(c)) return false;
        value = value * 10 + (c - '0');
    }
    return value > 0 && value <= 0x7FFFFFFFFFFFFFFFull;
}

}  // namespace

void checkRuntimeSettings(const LauncherResources& launcher) {
    const std::optional<std::string> url = launcher.string(RUNTIME_URL), sha256 = launcher.string(RUNTIME_SHA256),
                                     size = launcher.string(RUNTIME_SIZE), folder = launcher.string(RUNTIME_FOLDER);
    require(!url || isWebAddress(*url), "PROP_RUNTIME_URL is an https:// or http:// address");
    require(!sha256 || isSha256(*sha256), "PROP_RUNTIME_SHA256 is the archive's SHA-256: 64 hex digits");
    require(!url || sha256, "PROP_RUNTIME_URL needs PROP_RUNTIME_SHA256, the archive's SHA-256 (64 hex digits)");
    require(!url || size, "PROP_RUNTIME_URL needs PROP_RUNTIME_SIZE, the archive's size in bytes");
    require(!size || isPositiveDecimal(*size), "PROP_RUNTIME_SIZE is the archive's size in bytes: a positive decimal number");
    // The launcher puts this name under %LOCALAPPDATA%: it must stay there.
    require(!folder || (folder->find('\0') == std::string::npos && isPlainFolderName(folder->c_str())),
            "PROP_RUNTIME_FOLDER is a folder under %LOCALAPPDATA%: at most 200 characters, names between single "
            "backslashes, no /, :, <>\"|?* or control characters, no . or .. and no name ending in a dot or blank, "
            "no device name (CON, NUL, COM1...)");
}
