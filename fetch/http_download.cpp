#include "fetch/http_download.h"

#include <winhttp.h>

#include "base/handle.h"
#include "base/system_library.h"
#include "base/trace.h"
#include "base/worker_threads.h"
#include "fetch/proxy_settings.h"

namespace {

const DWORD CHUNK = 64 * 1024;
const DWORD WSA_TIMED_OUT = 10060;  // Wine reports the socket's own time-out
const size_t ADDRESS_MAX = 2048;
const wchar_t* const AGENT = L"JavaLauncher/1.0";

template <typename Function>
Function winHttp(const char* name) {
    return systemFunction<Function>("winhttp.dll", name);
}

void closeInternet(HINTERNET handle) {
    if (auto closeHandle = winHttp<decltype(&WinHttpCloseHandle)>("WinHttpCloseHandle")) closeHandle(handle);
}

struct InternetHandleTraits {
    using Type = HINTERNET;
    static Type empty() { return nullptr; }
    static void close(Type h) { closeInternet(h); }
};
using InternetHandle = UniqueHandle<InternetHandleTraits>;

// ASCII text as UTF-16, for WinHTTP, and back.
void widen(const Text& text, wchar_t (&wide)[ADDRESS_MAX + 1]) {
    size_t i = 0;
    for (; i < text.length() && i < ADDRESS_MAX; ++i) wide[i] = static_cast<unsigned char>(text[i]);
    wide[i] = 0;
}

Text narrowed(const wchar_t* wide, size_t length) {
    Text text;
    for (size_t i = 0; i < length && i < ADDRESS_MAX && wide[i]; ++i) {
        text += wide[i] < 128 ? static_cast<char>(wide[i]) : '?';
    }
    return text;
}

void trace(const Text& line) { traceDirect("Runtime download: " + line); }

void CALLBACK onRedirect(HINTERNET, DWORD_PTR, DWORD status, void* information, DWORD length) {
    if (status == WINHTTP_CALLBACK_STATUS_REDIRECT && information) {
        trace("redirected to " + narrowed(static_cast<const wchar_t*>(information), length));
    }
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithNoCase(const Text& text, const char* prefix) {
    for (size_t i = 0; prefix[i]; ++i) {
        if (i >= text.length() || lower(text[i]) != prefix[i]) return false;
    }
    return true;
}

class Download {
public:
    Download(const DownloadJob& job, DownloadShared* shared) : job_(job), shared_(shared) {}
    DownloadResult run();

private:
    bool fail(DownloadFailure failure, DWORD error = 0) {
        result_.failure = failure;
        result_.error = error;
        return false;
    }
    bool failCall(DWORD error);
    bool cancelled() const { return shared_->cancel != 0 || workerThreadsStopping(); }
    bool setOption(DWORD option, DWORD value);
    bool openSession(bool https, const Text& host);
    void askForSecureProtocols();
    bool openRequest();
    bool logOnToProxy(HINTERNET request);
    bool exchange();
    bool receiveBody();
    bool checkBody();

    const DownloadJob& job_;
    DownloadShared* shared_;
    wchar_t address_[ADDRESS_MAX + 1];
    InternetHandle session_;
    InternetHandle connection_;
    Sha256 hash_;
    ULONGLONG received_ = 0;
    DownloadResult result_;
};

bool Download::failCall(DWORD error) {
    if (cancelled()) return fail(DownloadFailure::Cancelled, error);
    switch (error) {
    case ERROR_WINHTTP_TIMEOUT:
    case WSA_TIMED_OUT: return fail(DownloadFailure::TimedOut, error);
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
    case ERROR_WINHTTP_CANNOT_CONNECT: return fail(DownloadFailure::NoConnection, error);
    case ERROR_WINHTTP_SECURE_FAILURE: return fail(DownloadFailure::SecureChannel, error);
    case ERROR_WINHTTP_REDIRECT_FAILED: return fail(DownloadFailure::TooManyRedirects, error);
    default: return fail(DownloadFailure::Network, error);
    }
}

bool Download::setOption(DWORD option, DWORD value) {
    auto set = winHttp<decltype(&WinHttpSetOption)>("WinHttpSetOption");
    return set(shared_->request, option, &value, sizeof value) || failCall(GetLastError());
}

// The proxy is the session's: a proxy set on a request alone is not
// honoured everywhere (Wine ignores it).
bool Download::openSession(bool https, const Text& host) {
    auto open = winHttp<decltype(&WinHttpOpen)>("WinHttpOpen");
    ProxyChoice choice;
    if (!chooseProxy(https, host, address_, &shared_->cancel, &choice)) return fail(DownloadFailure::Cancelled);
    Text line = choice.proxy.empty() ? Text("no proxy") : "proxy " + choice.proxy;
    if (*choice.source != 'n') line += Text(" (") + choice.source + ")";
    trace(line);
    wchar_t proxy[ADDRESS_MAX + 1], bypass[ADDRESS_MAX + 1];
    widen(choice.proxy, proxy);
    widen(choice.bypass, bypass);
    session_.reset(choice.proxy.empty()
                       ? open(AGENT, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0)
                       : open(AGENT, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy,
                              choice.bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : bypass, 0));
    if (!session_) return failCall(GetLastError());
    askForSecureProtocols();
    return true;
}

void Download::askForSecureProtocols() {
    auto set = winHttp<decltype(&WinHttpSetOption)>("WinHttpSetOption");
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1 |
                      WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
    const char* offered = "TLS 1.0 to 1.3";
    // A system that does not know a version refuses the whole value as an
    // invalid parameter: then without 1.3, else the system's own choice.
    if (!set(session_.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) {
        protocols &= ~WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
        offered = set(session_.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)
                      ? "TLS 1.0 to 1.2"
                      : "the system's TLS versions";
    }
    trace(Text("secure protocols: ") + offered);
}

bool Download::openRequest() {
    auto crack = winHttp<decltype(&WinHttpCrackUrl)>("WinHttpCrackUrl");
    auto connect = winHttp<decltype(&WinHttpConnect)>("WinHttpConnect");
    auto open = winHttp<decltype(&WinHttpOpenRequest)>("WinHttpOpenRequest");
    auto timeouts = winHttp<decltype(&WinHttpSetTimeouts)>("WinHttpSetTimeouts");
    auto callback = winHttp<decltype(&WinHttpSetStatusCallback)>("WinHttpSetStatusCallback");
    if (!crack || !connect || !open || !timeouts || !callback) return fail(DownloadFailure::NoWinHttp);
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!crack(address_, 0, 0, &parts)) return fail(DownloadFailure::BadAddress, GetLastError());
    const Text host = narrowed(parts.lpszHostName, parts.dwHostNameLength);
    // The path runs on into the query; the system leaves the fragment out.
    wchar_t path[ADDRESS_MAX + 1];
    widen(narrowed(parts.lpszUrlPath, parts.dwUrlPathLength + parts.dwExtraInfoLength), path);
    wchar_t hostName[ADDRESS_MAX + 1];
    widen(host, hostName);
    const bool https = parts.nScheme == INTERNET_SCHEME_HTTPS;
    if (!openSession(https, host)) return false;
    connection_.reset(connect(session_.get(), hostName, parts.nPort, 0));
    if (!connection_) return failCall(GetLastError());
    HINTERNET request = open(connection_.get(), L"GET", path[0] ? path : L"/", nullptr, WINHTTP_NO_REFERER,
                             WINHTTP_DEFAULT_ACCEPT_TYPES, https ? WINHTTP_FLAG_SECURE : 0);
    if (!request) return failCall(GetLastError());
    InterlockedExchangePointer(const_cast<void**>(&shared_->request), request);
    // A cancel that came before the handle was published found none to close.
    if (cancelled()) return fail(DownloadFailure::Cancelled);
    callback(request, onRedirect, WINHTTP_CALLBACK_FLAG_REDIRECT, 0);
    if (!timeouts(request, RESOLVE_TIMEOUT_MS, CONNECT_TIMEOUT_MS, SEND_TIMEOUT_MS, RECEIVE_TIMEOUT_MS)) {
        return failCall(GetLastError());
    }
    // The wait for the answer's headers has a bound of its own, unbounded
    // unless set.
    return setOption(WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, RECEIVE_TIMEOUT_MS) &&
           setOption(WINHTTP_OPTION_REDIRECT_POLICY, WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP) &&
           setOption(WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, REDIRECTS_MAX);
}

// A proxy that offers Negotiate or NTLM gets the user's own logon, as
// WinHTTP gives it with no name and password; one that wants a name and a
// password gets none: the launcher never asks.
bool Download::logOnToProxy(HINTERNET request) {
    auto schemes = winHttp<decltype(&WinHttpQueryAuthSchemes)>("WinHttpQueryAuthSchemes");
    auto credentials = winHttp<decltype(&WinHttpSetCredentials)>("WinHttpSetCredentials");
    DWORD offered = 0, first = 0, target = 0;
    if (!schemes || !credentials || !schemes(request, &offered, &first, &target)) return false;
    const DWORD scheme = offered & WINHTTP_AUTH_SCHEME_NEGOTIATE ? WINHTTP_AUTH_SCHEME_NEGOTIATE
                                                                 : offered & WINHTTP_AUTH_SCHEME_NTLM;
    if (!scheme) return false;
    trace("logging on to the proxy as the user");
    return credentials(request, WINHTTP_AUTH_TARGET_PROXY, scheme, nullptr, nullptr, nullptr);
}

bool Download::exchange() {
    auto send = winHttp<decltype(&WinHttpSendRequest)>("WinHttpSendRequest");
    auto receive = winHttp<decltype(&WinHttpReceiveResponse)>("WinHttpReceiveResponse");
    auto query = winHttp<decltype(&WinHttpQueryHeaders)>("WinHttpQueryHeaders");
    HINTERNET request = shared_->request;
    if (!send || !receive || !query) return fail(DownloadFailure::NoWinHttp);
    if (!request) return fail(DownloadFailure::Cancelled);
    DWORD status = 0;
    for (int attempt = 0;; ++attempt) {
        if (!send(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
            !receive(request, nullptr)) {
            return failCall(GetLastError());
        }
        DWORD length = sizeof status;
        if (!query(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                   &status, &length, WINHTTP_NO_HEADER_INDEX)) {
            return failCall(GetLastError());
        }
        trace("status " + decimalText(status));
        if (status != HTTP_STATUS_PROXY_AUTH_REQ || attempt > 0 || !logOnToProxy(request)) break;
    }
    result_.status = status;
    if (status == HTTP_STATUS_PROXY_AUTH_REQ) return fail(DownloadFailure::ProxyPassword);
    return status == 200 || fail(DownloadFailure::Status);
}

bool Download::receiveBody() {
    auto read = winHttp<decltype(&WinHttpReadData)>("WinHttpReadData");
    // Created anew, not through a link; kept open for the unpacking, which
    // reads what was hashed: writers are denied until then.
    result_.file.reset(CreateFileA(job_.file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!result_.file) return fail(DownloadFailure::CannotWrite, GetLastError());
    if (!read) return fail(DownloadFailure::NoWinHttp);
    if (!hash_.begin()) return fail(DownloadFailure::NoHash, static_cast<DWORD>(hash_.status()));
    HeapMemory buffer(HeapAlloc(GetProcessHeap(), 0, CHUNK));
    if (!buffer) return fail(DownloadFailure::CannotWrite, ERROR_NOT_ENOUGH_MEMORY);
    for (;;) {
        HINTERNET request = shared_->request;
        DWORD got = 0;
        if (!request || cancelled()) return fail(DownloadFailure::Cancelled);
        if (!read(request, buffer.get(), CHUNK, &got)) return failCall(GetLastError());
        if (got == 0) return true;
        received_ += got;
        InterlockedExchange64(&shared_->received, static_cast<LONG64>(received_));
        // More than the size is wrong whatever follows: stop reading it.
        if (received_ > job_.size) return fail(DownloadFailure::WrongSize);
        DWORD put = 0;
        if (!WriteFile(result_.file.get(), buffer.get(), got, &put, nullptr) || put != got) {
            return fail(DownloadFailure::CannotWrite, GetLastError());
        }
        if (!hash_.add(buffer.get(), got)) return fail(DownloadFailure::NoHash, static_cast<DWORD>(hash_.status()));
    }
}

bool Download::checkBody() {
    trace("received " + decimalText(received_) + " of " + decimalText(job_.size) + " bytes");
    // A connection cut short can read as a clean end: only the count tells.
    if (received_ != job_.size) return fail(DownloadFailure::WrongSize);
    BYTE digest[SHA256_BYTES];
    if (!hash_.finish(digest)) return fail(DownloadFailure::NoHash, static_cast<DWORD>(hash_.status()));
    trace("SHA-256 " + sha256Hex(digest));
    for (int i = 0; i < SHA256_BYTES; ++i) {
        if (digest[i] != job_.sha256[i]) return fail(DownloadFailure::WrongHash);
    }
    return true;
}

DownloadResult Download::run() {
    if (!winHttp<decltype(&WinHttpOpen)>("WinHttpOpen") || !winHttp<decltype(&WinHttpSetOption)>("WinHttpSetOption")) {
        fail(DownloadFailure::NoWinHttp, GetLastError());
        return static_cast<DownloadResult&&>(result_);
    }
    widen(job_.address, address_);
    trace("GET " + job_.address);
    if (openRequest() && exchange() && receiveBody()) checkBody();
    void* request = InterlockedExchangePointer(const_cast<void**>(&shared_->request), nullptr);
    if (request) closeInternet(request);
    if (result_.failure != DownloadFailure::None) result_.file.reset();
    return static_cast<DownloadResult&&>(result_);
}

}  // namespace

bool isDownloadAddress(const Text& text) {
    if (text.length() > ADDRESS_MAX || !(startsWithNoCase(text, "https://") || startsWithNoCase(text, "http://"))) {
        return false;
    }
    for (size_t i = 0; i < text.length(); ++i) {
        if (text[i] < 33 || text[i] > 126) return false;
    }
    return true;
}

DownloadResult downloadFile(const DownloadJob& job, DownloadShared* shared) {
    Download* download = new Download(job, shared);
    DownloadResult result = download->run();
    delete download;
    return result;
}

void cancelDownload(DownloadShared* shared) {
    InterlockedExchange(&shared->cancel, 1);
    void* request = InterlockedExchangePointer(const_cast<void**>(&shared->request), nullptr);
    if (request) closeInternet(request);
}

const char* downloadFailureText(DownloadFailure failure) {
    switch (failure) {
    case DownloadFailure::None: return "downloaded";
    case DownloadFailure::NoWinHttp: return "winhttp.dll not available";
    case DownloadFailure::BadAddress: return "PROP_RUNTIME_URL is no usable address";
    case DownloadFailure::NoConnection: return "cannot connect to the server";
    case DownloadFailure::TimedOut: return "the server did not answer in time";
    case DownloadFailure::SecureChannel: return "secure connection failed";
    case DownloadFailure::Status: return "the server refused the download";
    case DownloadFailure::TooManyRedirects: return "too many redirects";
    case DownloadFailure::WrongSize: return "size mismatch";
    case DownloadFailure::WrongHash: return "SHA-256 mismatch";
    case DownloadFailure::NoHash: return "SHA-256 provider not available";
    case DownloadFailure::CannotWrite: return "cannot write the download";
    case DownloadFailure::Cancelled: return "cancelled";
    case DownloadFailure::Network: return "network error";
    case DownloadFailure::ProxyPassword: return "the proxy asks for a password";
    }
    return "";
}
