#include "configurator/tests/image_checks.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include <unistd.h>

namespace {

bool isPe32Plus(const Bytes& bytes) {
    const std::uint32_t peOffset = read32(bytes, 0x3C);
    return bytes.size() > peOffset + 26 && (bytes[peOffset + 24] | bytes[peOffset + 25] << 8) == 0x20B;
}

}  // namespace

std::uint32_t dataDirectoriesOffset(const Bytes& image) {
    // PE32+ has a 64-bit image base, which moves the data directories.
    return read32(image, 0x3C) + 24 + (isPe32Plus(image) ? 112 : 96);
}

std::string launcherImagePath() {
    const char* chosen = std::getenv("LAUNCHER_IMAGE");
    return chosen && *chosen ? chosen : LAUNCHER_IMAGE;
}

Bytes readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string imageProblems(const Bytes& bytes) {
    try {
        PeImage image(bytes);
        std::ostringstream problems;
        const std::uint32_t peOffset = read32(bytes, 0x3C), optional = peOffset + 24;
        const std::uint32_t sectionAlignment = read32(bytes, optional + 32), fileAlignment = read32(bytes, optional + 36);
        std::uint32_t previousEnd = 0, fileEnd = 0;
        for (const Section& s : image.sections()) {
            if (s.virtualAddress < previousEnd) problems << s.name << " overlaps the section before it; ";
            if (s.virtualAddress % sectionAlignment) problems << s.name << " is not aligned; ";
            if (s.rawOffset % fileAlignment || s.rawSize % fileAlignment) problems << s.name << " raw data not aligned; ";
            previousEnd = s.virtualAddress + std::max(s.virtualSize, s.rawSize);
            fileEnd = std::max(fileEnd, s.rawOffset + s.rawSize);
        }
        const Section& last = image.sections().back();
        if (read32(bytes, optional + 56) != alignUp(last.virtualAddress + last.virtualSize, sectionAlignment)) {
            problems << "SizeOfImage does not match the sections; ";
        }
        if (image.checksumField() != PeImage::computeChecksum(bytes, optional + 64)) problems << "wrong checksum; ";
        if (fileEnd > bytes.size()) problems << "sections past the end of the file; ";
        const std::uint32_t resourceRva = read32(bytes, dataDirectoriesOffset(bytes) + 2 * 8);
        bool resourcesFound = false;
        for (const Section& s : image.sections()) resourcesFound = resourcesFound || s.virtualAddress == resourceRva;
        if (!resourcesFound) problems << "the resource directory does not start a section; ";
        image.resources();  // must read back
        return problems.str();
    } catch (const FormatError& e) {
        return std::string("unreadable: ") + e.what();
    }
}

std::string objdumpProblems(const Bytes& image) {
    char path[] = "/tmp/configured-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) return "cannot write a temporary file";
    close(fd);
    writeFileBytes(path, image);
    std::string output;
    const std::string objdump = isPe32Plus(image) ? "x86_64-w64-mingw32-objdump" : "i686-w64-mingw32-objdump";
    FILE* pipe = popen((objdump + " -p -h '" + std::string(path) + "' 2>&1").c_str(), "r");
    if (!pipe) return "cannot run objdump";
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    const int status = pclose(pipe);
    unlink(path);
    if (status != 0) return "objdump failed: " + output.substr(0, 500);
    for (const char* complaint : {"warning", "Warning", "error", "corrupt", "Corrupt", "truncated"}) {
        size_t at = output.find(complaint);
        if (at != std::string::npos) return "objdump: " + output.substr(at > 80 ? at - 80 : 0, 200);
    }
    if (output.find("Resource Directory [.rsrc]") == std::string::npos) return "objdump finds no resource directory";
    if (output.find("The .rsrc Resource Directory section") == std::string::npos) return "objdump cannot read the resources";
    return std::string();
}
