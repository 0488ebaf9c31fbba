#include "fetch/sha256.h"

#include <bcrypt.h>

#include "base/system_library.h"

namespace {

const char* const CNG = "bcrypt.dll";
const LONG PROVIDER_MISSING = static_cast<LONG>(0xC0000225);  // STATUS_NOT_FOUND

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

template <typename Function>
Function cng(const char* name) {
    return systemFunction<Function>(CNG, name);
}

}  // namespace

Sha256::~Sha256() { close(); }

void Sha256::close() {
    if (hash_) {
        if (auto destroy = cng<decltype(&BCryptDestroyHash)>("BCryptDestroyHash")) destroy(hash_);
        hash_ = nullptr;
    }
    if (algorithm_) {
        if (auto closeProvider = cng<decltype(&BCryptCloseAlgorithmProvider)>("BCryptCloseAlgorithmProvider")) {
            closeProvider(algorithm_, 0);
        }
        algorithm_ = nullptr;
    }
}

bool Sha256::begin() {
    close();
    auto open = cng<decltype(&BCryptOpenAlgorithmProvider)>("BCryptOpenAlgorithmProvider");
    auto create = cng<decltype(&BCryptCreateHash)>("BCryptCreateHash");
    status_ = PROVIDER_MISSING;
    if (!open || !create) return false;
    status_ = open(&algorithm_, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
    if (status_ != 0) {
        algorithm_ = nullptr;
        return false;
    }
    status_ = create(algorithm_, &hash_, nullptr, 0, nullptr, 0, 0);
    if (status_ != 0) hash_ = nullptr;
    return status_ == 0;
}

bool Sha256::add(const void* data, DWORD length) {
    auto hashData = cng<decltype(&BCryptHashData)>("BCryptHashData");
    if (!hash_ || !hashData) return false;
    status_ = hashData(hash_, static_cast<PUCHAR>(const_cast<void*>(data)), length, 0);
    return status_ == 0;
}

bool Sha256::finish(BYTE (&digest)[SHA256_BYTES]) {
    auto finishHash = cng<decltype(&BCryptFinishHash)>("BCryptFinishHash");
    if (!hash_ || !finishHash) return false;
    status_ = finishHash(hash_, digest, SHA256_BYTES, 0);
    close();
    return status_ == 0;
}

bool parseSha256Hex(const Text& text, BYTE (&digest)[SHA256_BYTES]) {
    if (text.length() != 2 * SHA256_BYTES) return false;
    for (int i = 0; i < SHA256_BYTES; ++i) {
        const int high = hexValue(text[2 * i]), low = hexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        digest[i] = static_cast<BYTE>(high * 16 + low);
    }
    return true;
}

Text sha256Hex(const BYTE (&digest)[SHA256_BYTES]) {
    static const char DIGITS[] = "0123456789abcdef";
    char hex[2 * SHA256_BYTES];
    for (int i = 0; i < SHA256_BYTES; ++i) {
        hex[2 * i] = DIGITS[digest[i] >> 4];
        hex[2 * i + 1] = DIGITS[digest[i] & 15];
    }
    return Text(hex, sizeof hex);
}
