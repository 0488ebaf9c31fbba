#include "fetch/proxy_settings.h"

#include <windows.h>
#include <winhttp.h>

#include "base/handle.h"
#include "base/system_library.h"
#include "base/trace.h"
#include "fetch/http_download.h"

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

Text lowered(const Text& text) {
    Text out;
    for (size_t i = 0; i < text.length(); ++i) out += lower(text[i]);
    return out;
}

Text trimmed(const Text& text) {
    size_t from = 0, to = text.length();
    while (from < to && (text[from] == ' ' || text[from] == '\t')) ++from;
    while (to > from && (text[to - 1] == ' ' || text[to - 1] == '\t')) --to;
    return text.substr(from, to - from);
}

bool endsWith(const Text& text, const Text& tail) {
    return text.length() >= tail.length() && text.substr(text.length() - tail.length()) == tail;
}

// "host" from "host" or "host:port" (an IPv6 address keeps its brackets).
Text hostOfEntry(const Text& entry) {
    if (!entry.empty() && entry[0] == '[') return entry.substr(0, entry.find("]") + 1);
    return entry.substr(0, entry.find(":"));
}

Text environment(const char* name) {
    char value[1024];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? Text(value, length) : Text();
}

Text environmentEither(const char* lowerName, const char* upperName) {
    const Text value = environment(lowerName);
    return value.empty() ? environment(upperName) : value;
}

Text narrow(const wchar_t* wide) {
    Text text;
    for (size_t i = 0; wide && wide[i] && i < 4096; ++i) text += wide[i] < 128 ? static_cast<char>(wide[i]) : '?';
    return text;
}

void freeWide(wchar_t* text) {
    if (text) GlobalFree(text);
}

// What the look-up thread learns, in the system's own form. It outlives
// the wait when the wait ends first; the last of the two frees it.
struct Lookup {
    volatile LONG references;
    decltype(&WinHttpGetIEProxyConfigForCurrentUser) ieConfig;
    decltype(&WinHttpOpen) open;
    decltype(&WinHttpSetTimeouts) timeouts;
    decltype(&WinHttpGetProxyForUrl) forUrl;
    decltype(&WinHttpCloseHandle) close;
    BOOL configured;  // ie holds the user's settings
    BOOL automatic;   // info holds the look-up's answer
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG ie;
    WINHTTP_PROXY_INFO info;
    wchar_t address[1];  // the rest follows
};

void releaseLookup(Lookup* lookup) {
    if (InterlockedDecrement(&lookup->references)) return;
    freeWide(lookup->ie.lpszAutoConfigUrl);
    freeWide(lookup->ie.lpszProxy);
    freeWide(lookup->ie.lpszProxyBypass);
    freeWide(lookup->info.lpszProxy);
    freeWide(lookup->info.lpszProxyBypass);
    HeapFree(GetProcessHeap(), 0, lookup);
}

// The configuration script's download has the download's bounds; whether
// the system applies them or not, the wait for the thread has its own.
DWORD WINAPI lookUp(void* context) {
    Lookup& lookup = *static_cast<Lookup*>(context);
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG& ie = lookup.ie;
    lookup.configured = lookup.ieConfig(&ie);
    if (lookup.configured && (ie.fAutoDetect || ie.lpszAutoConfigUrl)) {
        WINHTTP_AUTOPROXY_OPTIONS options = {};
        if (ie.lpszAutoConfigUrl) {
            options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
            options.lpszAutoConfigUrl = ie.lpszAutoConfigUrl;
        } else {
            options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
            options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
        }
        options.fAutoLogonIfChallenged = TRUE;
        if (HINTERNET session = lookup.open(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                            WINHTTP_NO_PROXY_BYPASS, 0)) {
            lookup.timeouts(session, RESOLVE_TIMEOUT_MS, CONNECT_TIMEOUT_MS, SEND_TIMEOUT_MS, RECEIVE_TIMEOUT_MS);
            lookup.automatic = lookup.forUrl(session, lookup.address, &options, &lookup.info);
            lookup.close(session);
        }
    }
    releaseLookup(&lookup);
    return 0;
}

template <typename Function>
Function winHttp(const char* name) {
    return systemFunction<Function>("winhttp.dll", name);
}

Lookup* newLookup(const wchar_t* address) {
    size_t length = 0;
    while (address[length]) ++length;
    Lookup* lookup = static_cast<Lookup*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Lookup) + length * sizeof(wchar_t)));
    if (!lookup) return nullptr;
    for (size_t i = 0; i < length; ++i) lookup->address[i] = address[i];
    lookup->references = 2;
    lookup->ieConfig = winHttp<decltype(&WinHttpGetIEProxyConfigForCurrentUser)>("WinHttpGetIEProxyConfigForCurrentUser");
    lookup->open = winHttp<decltype(&WinHttpOpen)>("WinHttpOpen");
    lookup->timeouts = winHttp<decltype(&WinHttpSetTimeouts)>("WinHttpSetTimeouts");
    lookup->forUrl = winHttp<decltype(&WinHttpGetProxyForUrl)>("WinHttpGetProxyForUrl");
    lookup->close = winHttp<decltype(&WinHttpCloseHandle)>("WinHttpCloseHandle");
    if (lookup->ieConfig && lookup->open && lookup->timeouts && lookup->forUrl && lookup->close) return lookup;
    HeapFree(GetProcessHeap(), 0, lookup);
    return nullptr;
}

// False when cancelled; `found` tells whether the system settings decided.
bool systemProxy(const wchar_t* address, const volatile LONG* cancel, ProxyChoice* choice, bool* found) {
    Lookup* lookup = newLookup(address);
    if (!lookup) return true;
    ThreadHandle thread(CreateThread(nullptr, 0, lookUp, lookup, 0, nullptr));
    if (!thread) lookup->references = 1;
    const DWORD start = GetTickCount();
    while (thread && WaitForSingleObject(thread.get(), 50) == WAIT_TIMEOUT) {
        if (*cancel || GetTickCount() - start >= PROXY_LOOKUP_TIMEOUT_MS) {
            if (!*cancel) traceDirect("Runtime download: the system's proxy look-up did not end in time");
            const bool cancelled = *cancel != 0;
            releaseLookup(lookup);
            return !cancelled;
        }
    }
    const WINHTTP_PROXY_INFO& info = lookup->info;
    const WINHTTP_CURRENT_USER_IE_PROXY_CONFIG& ie = lookup->ie;
    // The script's or the detection's answer holds, DIRECT included.
    if (lookup->automatic) {
        if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
            choice->proxy = narrow(info.lpszProxy);
            choice->bypass = narrow(info.lpszProxyBypass);
        }
        choice->source = "automatic";
    } else if (lookup->configured && ie.lpszProxy) {
        choice->proxy = narrow(ie.lpszProxy);
        choice->bypass = narrow(ie.lpszProxyBypass);
        choice->source = "system";
    }
    *found = *choice->source != 'n';
    releaseLookup(lookup);
    return true;
}

}  // namespace

bool isExcludedFromProxy(const Text& host, const Text& noProxy) {
    const Text name = lowered(hostOfEntry(host));
    const Text list = lowered(noProxy);
    for (size_t from = 0; from <= list.length();) {
        size_t comma = list.find(",", from);
        if (comma == Text::npos) comma = list.length();
        Text entry = hostOfEntry(trimmed(list.substr(from, comma - from)));
        from = comma + 1;
        if (entry == "*") return true;
        if (!entry.empty() && entry[0] == '.') entry = entry.substr(1);
        if (entry.empty()) continue;
        if (name == entry || endsWith(name, "." + entry)) return true;
    }
    return false;
}

bool isLoopbackHost(const Text& host) {
    Text name = lowered(host);
    if (name == "localhost" || name == "[::1]" || name == "::1") return true;
    name.truncate(4);
    return name == "127.";
}

Text environmentProxy(const Text& host, const Text& proxyValue, const Text& noProxy) {
    Text value = trimmed(proxyValue);
    if (value.empty() || isExcludedFromProxy(host, noProxy)) return Text();
    const size_t scheme = value.find("://");
    if (scheme != Text::npos) value = value.substr(scheme + 3);
    const size_t slash = value.find("/");
    if (slash != Text::npos) value.truncate(slash);
    const size_t at = value.findLast('@');
    if (at != Text::npos) value = value.substr(at + 1);
    return value;
}

bool chooseProxy(bool https, const Text& host, const wchar_t* address, const volatile LONG* cancel,
                 ProxyChoice* choice) {
    bool found = false;
    if (isLoopbackHost(host)) return true;
    if (!systemProxy(address, cancel, choice, &found)) return false;
    if (found) return true;
    choice->proxy = environmentProxy(host, https ? environmentEither("https_proxy", "HTTPS_PROXY")
                                                 : environmentEither("http_proxy", "HTTP_PROXY"),
                                     environmentEither("no_proxy", "NO_PROXY"));
    if (!choice->proxy.empty()) choice->source = "environment";
    return true;
}
