#include "discovery/runtime_facts.h"

#include <windows.h>

#include "base/handle.h"
#include "discovery/java_version.h"
#include "discovery/version_probe.h"

namespace {

const DWORD RUNTIME_FILE_MAX = 65536;

// The PE header follows the DOS stub; real images put it within the first
// few hundred bytes, and a field beyond this is no image of any use.
const DWORD PE_HEADER_OFFSET_MAX = 0x10000;
const DWORD PE_OFFSET_FIELD = 0x3C;

const unsigned MACHINE_X86 = 0x014C;
const unsigned MACHINE_X64 = 0x8664;
const unsigned MACHINE_ARM64 = 0xAA64;

FileHandle openForReading(const char* path) {
    return FileHandle(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool readAt(HANDLE file, DWORD offset, BYTE* buffer, DWORD size) {
    LARGE_INTEGER at;
    at.QuadPart = offset;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return false;
    DWORD read = 0;
    return ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

unsigned littleEndian(const BYTE* bytes, int size) {
    unsigned value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

int widthOfMachine(unsigned machine) {
    if (machine == MACHINE_X86) return 32;
    if (machine == MACHINE_X64 || machine == MACHINE_ARM64) return 64;
    return 0;
}

}  // namespace

bool isExistingFile(const Text& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int executableWidth(const char* path) {
    const int machine = executableMachine(path);
    return machine <= 0 ? machine : widthOfMachine(machine);
}

int executableMachine(const char* path) {
    FileHandle file = openForReading(path);
    if (!file) return -1;
    BYTE dos[PE_OFFSET_FIELD + 4];
    if (!readAt(file.get(), 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return 0;
    const DWORD offset = littleEndian(dos + PE_OFFSET_FIELD, 4);
    BYTE pe[6];
    if (offset > PE_HEADER_OFFSET_MAX || !readAt(file.get(), offset, pe, sizeof pe)) return 0;
    if (pe[0] != 'P' || pe[1] != 'E' || pe[2] != 0 || pe[3] != 0) return 0;
    return static_cast<int>(littleEndian(pe + 4, 2));
}

Text readFileStart(const char* path) {
    FileHandle file = openForReading(path);
    if (!file) return Text();
    char* buffer = new char[RUNTIME_FILE_MAX];
    DWORD read = 0;
    Text contents;
    if (ReadFile(file.get(), buffer, RUNTIME_FILE_MAX, &read, nullptr)) contents = Text(buffer, read);
    delete[] buffer;
    return contents;
}

Text readReleaseVersion(const Text& home) { return versionInReleaseFile(readFileStart((home + "\\release").c_str())); }

Text probeVersionOutput(const Text& home) {
    CapturingRunner* runner = startVersionProbe(home);
    Text output = runner->capturedOutput();
    // A runtime that still prints after the wait keeps its runner until its
    // output ends.
    runner->abandon();
    return output;
}

bool windowsIs64Bit() {
#ifdef _WIN64
    return true;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}
