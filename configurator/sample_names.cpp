#include "configurator/sample_names.h"

#include "configurator/file_system.h"

namespace {

struct SampleName {
    const char* field;
    const char* value;
    const char* option;
};

// As resources/launcher.rc ships them.
const SampleName SAMPLE_NAMES[] = {
    {"CompanyName", "Marblewright", "--company"},
    {"FileDescription", "Marblewright", "--file-description"},
    {"ProductName", "Marblewright", "--product-name"},
    {"InternalName", "launcher", "--internal-name"},
    {"OriginalFilename", "launcher.exe", "--original-filename"},
};

bool setsString(const Changes& changes, const std::string& field) {
    for (const auto& s : changes.versionStrings) {
        if (s.first == field) return true;
    }
    return false;
}

}  // namespace

void nameAfterOutput(Changes& changes, const std::string& outputPath) {
    if (!setsString(changes, "FileDescription") && !changes.fileVersion) return;
    const std::string fileName = fileNameOf(outputPath);
    const std::size_t dot = fileName.find_last_of('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
    if (!setsString(changes, "OriginalFilename")) changes.versionStrings.emplace_back("OriginalFilename", fileName);
    if (!setsString(changes, "InternalName")) changes.versionStrings.emplace_back("InternalName", stem);
}

std::string sampleNamesWarning(const VersionInfo& info) {
    std::string fields, options;
    for (const SampleName& s : SAMPLE_NAMES) {
        const auto found = info.strings.find(s.field);
        if (found == info.strings.end() || found->second != s.value) continue;
        fields += std::string(fields.empty() ? "" : ", ") + s.field + " \"" + s.value + "\"";
        options += std::string(options.empty() ? "" : ", ") + s.option;
    }
    if (fields.empty()) return std::string();
    return "warning: the version information still holds the shipped sample's " + fields + " (set " + options + ")";
}
