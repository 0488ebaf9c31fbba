// The Java keys of the registry, as a 32-bit process sees them, emptied
// before and after each test that uses them.
#pragma once

#include <windows.h>

#include <string>

extern const char* const JRE_KEY_PATH;
extern const char* const JDK_KEY_PATH;

class JavaRegistry {
public:
    JavaRegistry();
    ~JavaRegistry();
    JavaRegistry(const JavaRegistry&) = delete;
    JavaRegistry& operator=(const JavaRegistry&) = delete;

    // Adds the version subkey with its "JavaHome" value.
    void addVersion(HKEY root, const char* keyPath, const std::string& version, const std::string& home);
    // A version subkey with no "JavaHome" value.
    void addVersionWithoutHome(HKEY root, const char* keyPath, const std::string& version);
    void setCurrentVersion(HKEY root, const std::string& version);
    void setValue(HKEY root, const std::string& keyPath, const char* name, const std::string& value);

    static void clear();
};
