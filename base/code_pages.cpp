#include "base/code_pages.h"

#include "base/handle.h"

bool isUnicodeMode() { return GetACP() == CP_UTF8; }

Text convertCodePage(const char* bytes, size_t length, UINT from, UINT to) {
    if (length == 0 || length > MAX_CONVERTED_INPUT) return Text();
    const int inLength = static_cast<int>(length);
    const int units = MultiByteToWideChar(from, 0, bytes, inLength, nullptr, 0);
    if (units <= 0) return Text();
    HeapMemory wide(HeapAlloc(GetProcessHeap(), 0, units * sizeof(WCHAR)));
    if (!wide) return Text();
    WCHAR* wideText = static_cast<WCHAR*>(wide.get());
    MultiByteToWideChar(from, 0, bytes, inLength, wideText, units);
    const int size = WideCharToMultiByte(to, 0, wideText, units, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return Text();
    HeapMemory converted(HeapAlloc(GetProcessHeap(), 0, size));
    if (!converted) return Text();
    WideCharToMultiByte(to, 0, wideText, units, static_cast<char*>(converted.get()), size, nullptr, nullptr);
    return Text(static_cast<const char*>(converted.get()), size);
}
