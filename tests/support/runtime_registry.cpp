#include "runtime_registry.h"

#include <iostream>

#include "temp_folder.h"
#include "test_paths.h"

namespace {

const char* const REGISTERED_TREES[] = {
    "JavaSoft",           "Eclipse Adoptium", "AdoptOpenJDK",        "Eclipse Foundation", "Microsoft\\JDK",
    "Microsoft\\JRE",     "Semeru",           "Azul Systems\\Zulu", "BellSoft\\Liberica", "SapMachine\\JDK",
};

REGSAM viewFlag(int view) { return view == 32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

}  // namespace

RuntimeRegistry::RuntimeRegistry() { clear(); }

RuntimeRegistry::~RuntimeRegistry() { clear(); }

void RuntimeRegistry::clear() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        for (int view : {64, 32}) {
            HKEY software = nullptr;
            if (RegOpenKeyExA(root, "SOFTWARE", 0, KEY_ALL_ACCESS | viewFlag(view), &software) != ERROR_SUCCESS) continue;
            for (const char* tree : REGISTERED_TREES) RegDeleteTreeA(software, tree);
            RegCloseKey(software);
        }
    }
}

void RuntimeRegistry::set(HKEY root, int view, const std::string& keyPath, const char* name, const std::string& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE | viewFlag(view), nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

bool windowsIs64BitForTests() {
    if (sizeof(void*) == 8) return true;
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

namespace {

const DWORD WIDTH_CHECK_MS = 10000;

struct WidthCheck {
    std::string commandLine;
    bool ended = false;
};

DWORD WINAPI startAndWait(void* context) {
    auto* check = static_cast<WidthCheck*>(context);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, &check->commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                       &startup, &process)) {
        check->ended = WaitForSingleObject(process.hProcess, WIDTH_CHECK_MS) == WAIT_OBJECT_0;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return 0;
}

}  // namespace

// Wine sometimes never returns from starting a 32-bit program where none
// can run: the start runs on a thread of its own, and one that has not come
// back in time counts as a "no". A program that ran has recorded its start.
bool canStart32BitPrograms() {
    static const bool answer = [] {
        if (sizeof(void*) == 4) return true;
        // Left behind when the start hangs: that thread may still use them.
        auto* folder = new TempFolder("width check");
        auto* check = new WidthCheck{"\"" + (*folder / "standin32.exe") + "\" -version"};
        copyFile(standinImage(32), *folder / "standin32.exe");
        HANDLE thread = CreateThread(nullptr, 0, startAndWait, check, 0, nullptr);
        const bool returned = thread && WaitForSingleObject(thread, 2 * WIDTH_CHECK_MS) == WAIT_OBJECT_0;
        if (thread) CloseHandle(thread);
        if (!returned) {
            std::cout << "NOTE: starting a 32-bit program did not return within " << 2 * WIDTH_CHECK_MS / 1000
                      << " s; taken as: this Windows cannot start 32-bit programs\n";
            return false;
        }
        const bool ran = check->ended && fileExists(*folder / "standin-record.txt");
        delete check;
        delete folder;
        return ran;
    }();
    return answer;
}
