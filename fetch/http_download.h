// Downloads one file over HTTP or HTTPS with WinHTTP (winhttp.dll, loaded
// from the system folder on this path only) into a file of its own, and
// hashes what arrives as it arrives. WinHTTP follows redirects, at most
// REDIRECTS_MAX of them and never from https to http. Every wait has a
// bound: WinHTTP's own wait for a response has none, nor has its download
// of a proxy configuration script. TLS 1.2 and 1.3 are asked for where the
// system knows them (Windows 7 offers TLS 1.0 alone unless asked).
#pragma once

#include <windows.h>

#include "base/handle.h"
#include "base/text.h"
#include "fetch/sha256.h"

const int REDIRECTS_MAX = 10;
const int RESOLVE_TIMEOUT_MS = 15000;
const int CONNECT_TIMEOUT_MS = 15000;
const int SEND_TIMEOUT_MS = 15000;
const int RECEIVE_TIMEOUT_MS = 20000;

enum class DownloadFailure {
    None,
    NoWinHttp,        // winhttp.dll or one of its functions is missing
    BadAddress,
    NoConnection,     // the name did not resolve or the server did not accept
    TimedOut,
    SecureChannel,    // the certificate or the TLS handshake failed
    Status,           // an answer other than 200 (a redirect not followed included)
    TooManyRedirects,
    WrongSize,
    WrongHash,
    NoHash,           // the CNG provider cannot be had
    CannotWrite,
    Cancelled,
    Network,          // any other WinHTTP failure
    ProxyPassword,    // the proxy wants credentials the user's logon cannot give
};

// Shared between the downloading thread and the one that shows progress.
struct DownloadShared {
    volatile LONG64 received = 0;
    volatile LONG cancel = 0;
    // The request in progress, taken out by whichever closes it first.
    void* volatile request = nullptr;
};

struct DownloadJob {
    Text address;
    ULONGLONG size = 0;  // the exact byte count required
    BYTE sha256[SHA256_BYTES] = {};
    Text file;           // created anew; the caller removes it on failure
};

struct DownloadResult {
    DownloadFailure failure = DownloadFailure::None;
    DWORD error = 0;   // WinHTTP's or the system's error number, 0: none
    DWORD status = 0;  // the last HTTP status seen
    // The complete, checked file, still open for reading with writers
    // denied: what is unpacked is what was hashed.
    FileHandle file;
};

// An address the download can use: http:// or https://, then printable
// ASCII only, at most 2,048 characters.
bool isDownloadAddress(const Text& text);

// Runs on the calling thread until the file is complete and checked, or
// something failed; traces every step with traceDirect.
DownloadResult downloadFile(const DownloadJob& job, DownloadShared* shared);

// From another thread: makes downloadFile stop as soon as it can, by
// closing its request handle.
void cancelDownload(DownloadShared* shared);

// The fixed text for the trace and the dialog.
const char* downloadFailureText(DownloadFailure failure);
