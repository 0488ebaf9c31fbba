// Which proxy the runtime download goes through: the user's system proxy
// settings first (automatic detection or a configuration script, whose
// answer holds, DIRECT included; then a named proxy), then the https_proxy /
// http_proxy / no_proxy environment variables as command-line tools read
// them, else none. A host on this computer is always reached directly: no
// proxy can reach it. The system's look-up runs on a thread of its own,
// waited for at most PROXY_LOOKUP_TIMEOUT_MS and no longer than a cancel.
#pragma once

#include <windows.h>

#include "base/text.h"

// The system's look-up: automatic detection, a configuration script.
const DWORD PROXY_LOOKUP_TIMEOUT_MS = 15000;

struct ProxyChoice {
    Text proxy;                   // WinHTTP's form, "host:port"; empty: direct
    Text bypass;                  // the system setting's bypass list, if any
    const char* source = "none";  // for the trace: "system", "automatic", "environment", "none"
};

// A host on this computer: "localhost", 127.x.x.x or [::1] (brackets
// optional).
bool isLoopbackHost(const Text& host);

// Whether the no_proxy list ("*", or host names and ".domain" suffixes,
// separated by commas, ports ignored) names the host.
bool isExcludedFromProxy(const Text& host, const Text& noProxy);

// The environment's proxy from a variable's value: its scheme, user
// information and path dropped ("http://user@proxy:3128/" gives
// "proxy:3128"); empty when the host is excluded by no_proxy.
Text environmentProxy(const Text& host, const Text& proxyValue, const Text& noProxy);

// Gathers the settings for the address. False when `cancel` became
// non-zero during the look-up.
bool chooseProxy(bool https, const Text& host, const wchar_t* address, const volatile LONG* cancel, ProxyChoice* choice);
