#include "java_home.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "runtime_registry.h"
#include "temp_folder.h"
#include "test_paths.h"

namespace {

// Where this Windows cannot start a 32-bit program, a 32-bit runtime is
// this tree's stand-in marked as x86 in its PE header: the search reads its
// width as 32 bits, and its start fails at once, in the starting process,
// instead of being handed to a system that may never return from it.
std::string unstartable32BitImage() {
    std::string image = readFile(standinImage());
    uint32_t header = 0;
    memcpy(&header, &image[0x3C], sizeof header);
    image[header + 4] = 0x4C;
    image[header + 5] = 0x01;
    return image;
}

void endIfRunningFrom(unsigned long processId, const std::string& home) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId);
    if (!process) return;
    char image[MAX_PATH * 4];
    DWORD size = sizeof image;
    const std::string bin = home + "\\bin\\";
    if (QueryFullProcessImageNameA(process, 0, image, &size) && _strnicmp(image, bin.c_str(), bin.size()) == 0 &&
        TerminateProcess(process, 1)) {
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
}

}  // namespace

JavaHome::JavaHome(const std::string& home, bool developmentKit, int bits) : home_(home) {
    if (bits == 32 && !canStart32BitPrograms()) {
        writeFile(java(), unstartable32BitImage());
        writeFile(javaw(), unstartable32BitImage());
    } else {
        const std::string image = bits ? standinImage(bits) : standinImage();
        copyFile(image, java());
        copyFile(image, javaw());
    }
    if (developmentKit) {
        writeFile(home_ + "\\bin\\javac.exe", "MZ");
        addLibrary("tools.jar");
    }
    writeConfiguration();
}

JavaHome::~JavaHome() {
    if (!fileExists(home_ + "\\bin\\standin-record.txt")) return;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        endIfRunningFrom(entry.th32ProcessID, home_);
    }
    CloseHandle(snapshot);
}

JavaHome& JavaHome::release(const std::string& version) {
    writeFile(home_ + "\\release", "IMPLEMENTOR=\"Stand-in\"\nJAVA_VERSION_DATE=\"2024-01-16\"\nJAVA_VERSION=\"" + version +
                                        "\"\nOS_ARCH=\"stand-in\"\n");
    return *this;
}

JavaHome& JavaHome::version(const std::string& version) {
    return configure("version_text=java version \"" + version + "\"\\r\\nStand-in Runtime Environment\\r\\n");
}

JavaHome& JavaHome::configure(const std::string& line) {
    lines_.push_back(line);
    writeConfiguration();
    return *this;
}

void JavaHome::addLibrary(const std::string& fileName) { writeFile(home_ + "\\lib\\" + fileName, "PK"); }

JavaHome& JavaHome::consoleJava() {
    copyFile(consoleStandinImage(), java());
    return *this;
}

JavaHome& JavaHome::hostable(const std::string& library) {
    copyFile(binFolder() + "\\" + library, home_ + "\\bin\\jli.dll");
    copyFile(binFolder() + "\\riched32.dll", home_ + "\\bin\\java.dll");
    copyFile(binFolder() + "\\riched32.dll", home_ + "\\bin\\server\\jvm.dll");
    writeFile(home_ + "\\lib\\jvm.cfg", "# VMs\r\n-server KNOWN\r\n-client IGNORE\r\n");
    return release("17.0.9");
}

void JavaHome::writeConfiguration() {
    std::string text;
    for (const std::string& line : lines_) text += line + "\r\n";
    writeFile(home_ + "\\bin\\standin.cfg", text);
}

std::vector<StandinStart> JavaHome::starts() const { return startsRecordedIn(home_); }

std::vector<StandinStart> JavaHome::applicationStarts() const { return applicationStartsIn(home_); }

std::vector<StandinStart> startsRecordedIn(const std::string& home) {
    std::vector<StandinStart> starts;
    std::string text = readFile(home + "\\bin\\standin-record.txt");
    StandinStart current;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) break;
        std::string line = text.substr(at, end - at);
        at = end + 2;
        size_t eq = line.find('=');
        std::string key = line.substr(0, eq), value = eq == std::string::npos ? "" : line.substr(eq + 1);
        if (key == "commandline") current.commandLine = value;
        else if (key == "cwd") current.currentFolder = value;
        else if (key == "commandline_utf8") current.commandLineUtf8 = value;
        else if (key == "cwd_utf8") current.currentFolderUtf8 = value;
        else if (key == "flags") current.flags = strtoul(value.c_str(), nullptr, 16);
        else if (key == "show") current.showCommand = static_cast<unsigned>(atoi(value.c_str()));
        else if (key == "stdin") current.stdinKind = value;
        else if (key == "stdout") current.stdoutKind = value;
        else if (key == "stderr") current.stderrKind = value;
        else if (key == "pid") current.processId = strtoul(value.c_str(), nullptr, 10);
        else if (key == "tick") current.tick = strtoul(value.c_str(), nullptr, 10);
        else if (key == "hosted") current.hosted = true;
        else if (key == "exe") current.program = value;
        else if (key == "home") current.home = value;
        else if (key == "java_dll") current.javaLibrary = value;
        else if (key == "call") current.call = value;
        else if (key == "arg") current.hostedArguments.push_back(value);
        else if (key == "end") {
            starts.push_back(current);
            current = StandinStart();
        }
    }
    return starts;
}

std::vector<std::string> StandinStart::arguments() const {
    if (hosted) return hostedArguments;
    const int wideSize = MultiByteToWideChar(CP_UTF8, 0, commandLineUtf8.c_str(), -1, nullptr, 0);
    std::wstring wide(wideSize, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, commandLineUtf8.c_str(), -1, &wide[0], wideSize);
    int count = 0;
    LPWSTR* split = CommandLineToArgvW(wide.c_str(), &count);
    std::vector<std::string> result;
    for (int i = 0; split && i < count; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, split[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(size > 0 ? size - 1 : 0, '\0');
        if (size > 1) WideCharToMultiByte(CP_UTF8, 0, split[i], -1, &argument[0], size, nullptr, nullptr);
        result.push_back(argument);
    }
    LocalFree(split);
    return result;
}

std::vector<StandinStart> applicationStartsIn(const std::string& home) {
    std::vector<StandinStart> result;
    for (const StandinStart& s : startsRecordedIn(home)) {
        if (s.commandLine.find(" -version") == std::string::npos) result.push_back(s);
    }
    return result;
}

bool waitForStarts(const JavaHome& home, size_t count, unsigned ms) {
    for (unsigned waited = 0;; waited += 20) {
        if (home.starts().size() >= count) return true;
        if (waited >= ms) return false;
        Sleep(20);
    }
}
