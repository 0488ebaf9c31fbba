#include "configurator/jar_manifest.h"

#include <cctype>

namespace {

const char MANIFEST_NAME[] = "META-INF/MANIFEST.MF";
// Far above any real manifest, even a signed jar's with a digest per entry.
const std::size_t MANIFEST_MAX = 64 * 1024 * 1024;

bool equalWithoutCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

// The next line without its end (CR LF, LF or CR); false at the end.
bool nextLine(const std::string& text, std::size_t& at, std::string& line) {
    if (at >= text.size()) return false;
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    line = text.substr(at, end - at);
    at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    return true;
}

}  // namespace

std::optional<std::string> manifestMainClass(const std::string& manifest) {
    std::size_t at = 0;
    std::string line, header;
    std::optional<std::string> found;
    auto finish = [&] {
        const std::size_t colon = header.find(": ");
        if (colon != std::string::npos && equalWithoutCase(header.substr(0, colon), "Main-Class")) {
            found = header.substr(colon + 2);
        }
        header.clear();
    };
    // The main section ends at the first empty line.
    while (nextLine(manifest, at, line) && !line.empty()) {
        if (line[0] == ' ') {
            header += line.substr(1);
            continue;
        }
        finish();
        header = line;
    }
    finish();
    if (found && found->empty()) return std::nullopt;
    return found;
}

JarFacts readJarFacts(const Bytes& bytes, const ZipArchive& zip) {
    for (const ZipEntry& entry : zip.entries) {
        if (!equalWithoutCase(entry.name, MANIFEST_NAME)) continue;
        const Bytes manifest = readZipEntry(bytes, entry, MANIFEST_MAX);
        const std::optional<std::string> mainClass = manifestMainClass(std::string(manifest.begin(), manifest.end()));
        require(mainClass.has_value(), "the jar's manifest names no Main-Class: java -jar cannot start it");
        return JarFacts{zip.entryCount, *mainClass};
    }
    throw FormatError("the jar has no META-INF/MANIFEST.MF: java -jar cannot start it");
}
