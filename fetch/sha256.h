// SHA-256 of a byte stream through the system's CNG provider (bcrypt.dll,
// loaded from the system folder when a digest is first needed), and the
// hexadecimal form a setting writes a digest in.
#pragma once

#include <windows.h>

#include "base/text.h"

const int SHA256_BYTES = 32;

class Sha256 {
public:
    Sha256() = default;
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    // False when the provider cannot be had; the failing call's status is
    // in status().
    bool begin();
    bool add(const void* data, DWORD length);
    // Writes the digest; the object can begin() again afterwards.
    bool finish(BYTE (&digest)[SHA256_BYTES]);
    LONG status() const { return status_; }

private:
    void close();

    void* algorithm_ = nullptr;
    void* hash_ = nullptr;
    LONG status_ = 0;
};

// 64 hexadecimal digits, either case, nothing else; false otherwise.
bool parseSha256Hex(const Text& text, BYTE (&digest)[SHA256_BYTES]);

// The digest as 64 lower-case hexadecimal digits.
Text sha256Hex(const BYTE (&digest)[SHA256_BYTES]);
