// Zip archives made at test time: stored or deflated entries (with zlib),
// and names or flags of any kind, for the unpacker's tests.
#pragma once

#include <string>
#include <vector>

struct ZipEntry {
    std::string name;  // as stored, '/' separated; a trailing '/' makes a folder
    std::string data;
    bool deflate = true;
    unsigned short flags = 0;   // 1: encrypted
    unsigned short method = 0;  // when not 0, stored as the method instead of 0 or 8
    bool wrongCrc = false;
};

std::string zipArchive(const std::vector<ZipEntry>& entries);

// Raw deflate data, as a zip entry holds it; the level and strategy are
// zlib's (0: Z_DEFAULT_STRATEGY).
std::string rawDeflated(const std::string& data, int level = 9, int strategy = 0);

// Every file below `folder`, under the top folder `top` ("jdk-17/bin/java.exe").
std::vector<ZipEntry> entriesOfFolder(const std::string& folder, const std::string& top);

// The SHA-256 of the bytes in lower-case hexadecimal.
std::string sha256Of(const std::string& bytes);
