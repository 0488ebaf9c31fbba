#include "base/code_pages.h"

#include "base/handle.h"

namespace {

const DWORD ENVIRONMENT_VALUE_MAX = 32767;  // the system's limit, in UTF-16 units
const int VARIABLE_NAME_MAX = 256;

Text fromUtf16(const WCHAR* wide, int units, UINT to) {
    const int size = WideCharToMultiByte(to, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return Text();
    HeapMemory converted(HeapAlloc(GetProcessHeap(), 0, size));
    if (!converted) return Text();
    WideCharToMultiByte(to, 0, wide, units, static_cast<char*>(converted.get()), size, nullptr, nullptr);
    return Text(static_cast<const char*>(converted.get()), size);
}

}  // namespace

bool isUnicodeMode() { return GetACP() == CP_UTF8; }

Text convertCodePage(const char* bytes, size_t length, UINT from, UINT to) {
    if (length == 0 || length > MAX_CONVERTED_INPUT) return Text();
    const int inLength = static_cast<int>(length);
    const int units = MultiByteToWideChar(from, 0, bytes, inLength, nullptr, 0);
    if (units <= 0) return Text();
    HeapMemory wide(HeapAlloc(GetProcessHeap(), 0, units * sizeof(WCHAR)));
    if (!wide) return Text();
    MultiByteToWideChar(from, 0, bytes, inLength, static_cast<WCHAR*>(wide.get()), units);
    return fromUtf16(static_cast<WCHAR*>(wide.get()), units, to);
}

size_t characterStartFrom(const char* text, size_t length, size_t at, UINT codePage) {
    if (codePage == CP_ACP) codePage = GetACP();
    if (at >= length) return length;
    if (codePage == CP_UTF8) {
        while (at < length && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
        return at;
    }
    size_t start = 0;
    while (start < at) start += IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[start])) ? 2 : 1;
    return start < length ? start : length;
}

Text environmentVariableThroughUtf16(const char* name) {
    WCHAR wideName[VARIABLE_NAME_MAX];
    if (!MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, VARIABLE_NAME_MAX)) return Text();
    HeapMemory value(HeapAlloc(GetProcessHeap(), 0, ENVIRONMENT_VALUE_MAX * sizeof(WCHAR)));
    if (!value) return Text();
    WCHAR* wideValue = static_cast<WCHAR*>(value.get());
    const DWORD units = GetEnvironmentVariableW(wideName, wideValue, ENVIRONMENT_VALUE_MAX);
    if (units == 0 || units >= ENVIRONMENT_VALUE_MAX) return Text();
    return fromUtf16(wideValue, static_cast<int>(units), CP_ACP);
}

Text environmentVariable(const char* name) {
    if (isUnicodeMode()) return environmentVariableThroughUtf16(name);
    char* value = new char[ENVIRONMENT_VALUE_MAX];
    const DWORD length = GetEnvironmentVariableA(name, value, ENVIRONMENT_VALUE_MAX);
    Text result;
    if (length > 0 && length < ENVIRONMENT_VALUE_MAX) result = Text(value, length);
    delete[] value;
    return result;
}
