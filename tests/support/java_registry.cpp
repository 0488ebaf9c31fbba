#include "java_registry.h"

const char* const JRE_KEY_PATH = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char* const JDK_KEY_PATH = "SOFTWARE\\JavaSoft\\Java Development Kit";

JavaRegistry::JavaRegistry() { clear(); }

JavaRegistry::~JavaRegistry() { clear(); }

void JavaRegistry::clear() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegDeleteTreeA(root, "SOFTWARE\\JavaSoft");
}

void JavaRegistry::setValue(HKEY root, const std::string& keyPath, const char* name, const std::string& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    if (name) {
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }
    RegCloseKey(key);
}

void JavaRegistry::addVersion(HKEY root, const char* keyPath, const std::string& version, const std::string& home) {
    setValue(root, std::string(keyPath) + "\\" + version, "JavaHome", home);
}

void JavaRegistry::addVersionWithoutHome(HKEY root, const char* keyPath, const std::string& version) {
    setValue(root, std::string(keyPath) + "\\" + version, nullptr, "");
}

void JavaRegistry::setCurrentVersion(HKEY root, const std::string& version) {
    setValue(root, JRE_KEY_PATH, "CurrentVersion", version);
}
