#include "runtime_registry.h"

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

bool canStart32BitPrograms() {
    static const bool answer = [] {
        if (sizeof(void*) == 4) return true;
        TempFolder folder("width check");
        const std::string program = folder / "standin32.exe";
        copyFile(standinImage(32), program);
        std::string commandLine = "\"" + program + "\" -version";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                            &startup, &process)) {
            return false;
        }
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }();
    return answer;
}
