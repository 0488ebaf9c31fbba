#include "test_paths.h"

#include <windows.h>

std::string binFolder() {
    char path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p(path, n);
    return p.substr(0, p.find_last_of('\\'));
}

std::string launcherImage() { return binFolder() + "\\launcher.exe"; }
std::string tracecapImage() { return binFolder() + "\\tracecap.exe"; }
std::string standinImage() { return binFolder() + "\\java_standin.exe"; }
std::string standinImage(int bits) {
    if (bits == static_cast<int>(sizeof(void*) * 8)) return standinImage();
    return binFolder() + "\\java_standin" + std::to_string(bits) + ".exe";
}
std::string consoleStandinImage() { return binFolder() + "\\java_standin_console.exe"; }
std::string consoleHostImage() { return binFolder() + "\\console_host.exe"; }
std::string driverImage() { return binFolder() + "\\windriver.exe"; }
