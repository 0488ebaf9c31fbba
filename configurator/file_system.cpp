#include "configurator/file_system.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

std::string processId() {
#ifdef _WIN32
    return std::to_string(GetCurrentProcessId());
#else
    return std::to_string(getpid());
#endif
}

}  // namespace

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

void writeWhole(const std::string& path, const Bytes& bytes) {
    const std::string temporary = path + ".partial-" + processId();
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

std::string temporaryBeside(const std::string& path, const std::string& tag) {
    std::string stem = path;
    const std::size_t dot = stem.find_last_of('.');
    if (dot != std::string::npos && stem.find_first_of("/\\", dot) == std::string::npos) stem.erase(dot);
    return stem + "." + tag + "-" + processId() + ".exe";
}

void removeFile(const std::string& path) { std::remove(path.c_str()); }

std::string fileNameOf(const std::string& path) {
    const std::size_t at = path.find_last_of("/\\");
    return at == std::string::npos ? path : path.substr(at + 1);
}
