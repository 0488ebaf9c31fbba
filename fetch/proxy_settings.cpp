#include "fetch/proxy_settings.h"

#include <windows.h>
#include <winhttp.h>

#include "base/system_library.h"

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

bool automaticProxy(void* session, const wchar_t* wideAddress, const WINHTTP_CURRENT_USER_IE_PROXY_CONFIG& ie,
                    ProxyChoice* choice) {
    auto forUrl = systemFunction<decltype(&WinHttpGetProxyForUrl)>("winhttp.dll", "WinHttpGetProxyForUrl");
    if (!forUrl) return false;
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    if (ie.lpszAutoConfigUrl) {
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = ie.lpszAutoConfigUrl;
    } else {
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info = {};
    if (!forUrl(session, wideAddress, &options, &info)) return false;
    const bool named = info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && info.lpszProxy;
    if (named) {
        choice->proxy = narrow(info.lpszProxy);
        choice->bypass = narrow(info.lpszProxyBypass);
        choice->source = "automatic";
    }
    freeWide(info.lpszProxy);
    freeWide(info.lpszProxyBypass);
    return named;
}

bool systemProxy(void* session, const wchar_t* wideAddress, ProxyChoice* choice) {
    auto ieConfig = systemFunction<decltype(&WinHttpGetIEProxyConfigForCurrentUser)>(
        "winhttp.dll", "WinHttpGetIEProxyConfigForCurrentUser");
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG ie = {};
    if (!ieConfig || !ieConfig(&ie)) return false;
    bool found = (ie.fAutoDetect || ie.lpszAutoConfigUrl) && automaticProxy(session, wideAddress, ie, choice);
    if (!found && ie.lpszProxy) {
        choice->proxy = narrow(ie.lpszProxy);
        choice->bypass = narrow(ie.lpszProxyBypass);
        choice->source = "system";
        found = true;
    }
    freeWide(ie.lpszAutoConfigUrl);
    freeWide(ie.lpszProxy);
    freeWide(ie.lpszProxyBypass);
    return found;
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

ProxyChoice chooseProxy(void* session, bool https, const Text& host, const wchar_t* address) {
    ProxyChoice choice;
    if (isLoopbackHost(host)) return choice;
    if (systemProxy(session, address, &choice)) return choice;
    choice.proxy = environmentProxy(host, https ? environmentEither("https_proxy", "HTTPS_PROXY")
                                                : environmentEither("http_proxy", "HTTP_PROXY"),
                                    environmentEither("no_proxy", "NO_PROXY"));
    if (!choice.proxy.empty()) choice.source = "environment";
    return choice;
}
