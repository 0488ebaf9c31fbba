// The keys where Java installers register runtimes (the JavaSoft keys and
// the vendors' own), written in a chosen registry view and emptied in both
// views before and after each test that uses them. Also what the test
// machine is: the width of its Windows and whether it can start 32-bit
// programs.
#pragma once

#include <windows.h>

#include <string>

class RuntimeRegistry {
public:
    RuntimeRegistry();
    ~RuntimeRegistry();
    RuntimeRegistry(const RuntimeRegistry&) = delete;
    RuntimeRegistry& operator=(const RuntimeRegistry&) = delete;

    // Sets the string value under root\keyPath in the 64-bit or the 32-bit
    // view (the same key where Windows has only one).
    void set(HKEY root, int view, const std::string& keyPath, const char* name, const std::string& value);

    static void clear();
};

bool windowsIs64BitForTests();

// Whether this Windows (or Wine prefix) starts a 32-bit program; a
// machine whose kernel cannot run 32-bit code does not. Found out once, by
// a start that is given at most 20 seconds.
bool canStart32BitPrograms();
