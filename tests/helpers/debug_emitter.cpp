// Sends a known set of strings to the debugger output, for the tests of
// the trace capture, and ends with the exit code given as its argument.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "debug_emitter_strings.h"

namespace {

DWORD WINAPI emitFromThread(void* name) {
    for (int i = 0; i < EMITTER_THREAD_LINES; ++i) {
        OutputDebugStringA(emitterThreadLine(static_cast<const char*>(name), i).c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (const std::string& s : emitterStrings()) OutputDebugStringA(s.c_str());
    HANDLE threads[2] = {CreateThread(nullptr, 0, emitFromThread, const_cast<char*>("A"), 0, nullptr),
                         CreateThread(nullptr, 0, emitFromThread, const_cast<char*>("B"), 0, nullptr)};
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    OutputDebugStringA("last");
    return argc > 1 ? atoi(argv[1]) : 0;
}
