// A zip archive inside a byte buffer, read from its end records. Offsets in
// it count from the buffer's start (as `zip -A` leaves an archive behind
// other data); ZIP64 archives are read and rewritten too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "configurator/byte_io.h"

struct ZipEntry {
    std::string name;
    std::uint16_t method = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint64_t localHeader = 0;
};

// Where a field that holds an offset into the buffer lies, and its width.
struct OffsetField {
    std::size_t at;
    int width;  // 4 or 8
};

struct ZipArchive {
    std::size_t start = 0;      // its first local header (its end records, if empty)
    std::size_t endRecord = 0;  // the end-of-central-directory record
    std::uint16_t commentLength = 0;
    std::uint64_t entryCount = 0;
    std::vector<ZipEntry> entries;
    std::vector<OffsetField> offsetFields;

    std::size_t commentField() const { return endRecord + 20; }
    // Where its comment says it ends; may lie past the buffer's end.
    std::size_t claimedEnd() const { return endRecord + 22 + commentLength; }
    // What lies behind the end record (the comment and anything after it).
    std::size_t recordsEnd() const { return endRecord + 22; }
};

const std::size_t ZIP_END_RECORD_SIZE = 22;
const std::size_t ZIP_COMMENT_MAX = 65535;

// The archive whose end record is the last one within [from, to), at most
// a full comment's length plus `slack` bytes before `to`, whose central
// directory and local headers are where it says; nullopt when there is
// none.
std::optional<ZipArchive> findZip(const Bytes& bytes, std::size_t from, std::size_t to, std::size_t slack);

// Adds `delta` to every offset the archive holds. Throws FormatError when
// one would leave 0 to 2^32 - 2 (or 2^64 for ZIP64 fields).
void relocateZip(Bytes& bytes, const ZipArchive& zip, std::int64_t delta);

// An entry's data, inflated, at most `limit` bytes; throws FormatError.
Bytes readZipEntry(const Bytes& bytes, const ZipEntry& entry, std::size_t limit);
