#include "process/child_text.h"

#include <stdlib.h>

#include "base/code_pages.h"

namespace {

const char CODE_PAGE_KEY[] = "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage";

}  // namespace

size_t wholeCharacterLength(const char* bytes, size_t length, UINT codePage) {
    size_t at = 0;
    while (at < length) {
        const size_t size = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[at])) ? 2 : 1;
        if (at + size > length) break;
        at += size;
    }
    return at;
}

Text CodePageStream::convert(const char* bytes, size_t length) {
    // A system whose OEM code page is UTF-8 already: a character cut by a
    // read stays cut in the chunk, and the chunks together are whole.
    if (from_ == to_) return Text(bytes, length);
    Text input;
    if (hasPending_) input.append(pending_);
    input.append(bytes, length);
    const size_t whole = wholeCharacterLength(input.c_str(), input.length(), from_);
    hasPending_ = whole < input.length();
    if (hasPending_) pending_ = input[whole];
    return convertCodePage(input.c_str(), whole, from_, to_);
}

// The system's OEM code page as the registry records it (the system-wide
// UTF-8 option changes it there), or else as the system locale gives it.
UINT systemOemCodePage() {
    char value[16];
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, CODE_PAGE_KEY, "OEMCP", RRF_RT_REG_SZ, nullptr, value, &size) ==
        ERROR_SUCCESS) {
        const UINT codePage = static_cast<UINT>(strtoul(value, nullptr, 10));
        if (IsValidCodePage(codePage)) return codePage;
    }
    DWORD localeCodePage = 0;
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTCODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&localeCodePage), sizeof localeCodePage / sizeof(WCHAR)) &&
        IsValidCodePage(localeCodePage)) {
        return localeCodePage;
    }
    return CP_OEMCP;
}

ChildOutputDecoder::ChildOutputDecoder(bool raw)
    : way_(raw ? Way::Raw : !isUnicodeMode() ? Way::InPlace : Way::Stream),
      stream_(way_ == Way::Stream ? systemOemCodePage() : CP_OEMCP, CP_UTF8) {}

const char* ChildOutputDecoder::decode(char* chunk, DWORD length) {
    switch (way_) {
    case Way::Raw:
        return chunk;
    case Way::InPlace:
        OemToCharBuffA(chunk, chunk, length);
        return chunk;
    case Way::Stream:
        break;
    }
    decoded_ = stream_.convert(chunk, length);
    return decoded_.empty() ? nullptr : decoded_.c_str();
}

Text childInputText(const char* text, size_t length, bool raw) {
    Text converted(text, length);
    if (raw) return converted;
    if (isUnicodeMode()) return convertCodePage(text, length, CP_UTF8, systemOemCodePage());
    CharToOemBuffA(text, const_cast<char*>(converted.c_str()), static_cast<DWORD>(length));
    return converted;
}
