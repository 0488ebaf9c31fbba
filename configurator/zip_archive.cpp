#include "configurator/zip_archive.h"

#include <algorithm>

#include <zlib.h>

namespace {

const std::uint32_t LOCAL_HEADER_SIGNATURE = 0x04034b50;
const std::uint32_t CENTRAL_HEADER_SIGNATURE = 0x02014b50;
const std::uint32_t END_RECORD_SIGNATURE = 0x06054b50;
const std::uint32_t ZIP64_RECORD_SIGNATURE = 0x06064b50;
const std::uint32_t ZIP64_LOCATOR_SIGNATURE = 0x07064b50;
const std::size_t CENTRAL_HEADER_SIZE = 46;
const std::size_t LOCAL_HEADER_SIZE = 30;
const std::size_t ZIP64_LOCATOR_SIZE = 20;
const std::size_t ZIP64_RECORD_SIZE = 56;
const std::uint16_t ZIP64_EXTRA_ID = 1;
const std::uint32_t SATURATED32 = 0xFFFFFFFF;

void malformed(bool ok) { require(ok, "malformed zip central directory"); }

struct Directory {
    std::uint64_t offset, size, count, end;
};

// The central directory as the end records give it, with the fields that
// hold its offset.
Directory readDirectory(const Bytes& b, ZipArchive& zip) {
    const std::size_t p = zip.endRecord;
    malformed(read16(b, p + 4) == 0 && read16(b, p + 6) == 0 && read16(b, p + 8) == read16(b, p + 10));
    Directory d{read32(b, p + 16), read32(b, p + 12), read16(b, p + 10), p};
    if (d.offset != SATURATED32) zip.offsetFields.push_back({p + 16, 4});
    if (p < ZIP64_LOCATOR_SIZE || read32(b, p - ZIP64_LOCATOR_SIZE) != ZIP64_LOCATOR_SIGNATURE) return d;
    const std::size_t locator = p - ZIP64_LOCATOR_SIZE;
    const std::uint64_t record = read64(b, locator + 8);
    malformed(read32(b, locator + 4) == 0 && read32(b, locator + 16) <= 1);
    malformed(record <= locator && locator - record >= ZIP64_RECORD_SIZE);
    malformed(read32(b, record) == ZIP64_RECORD_SIGNATURE);
    d = {read64(b, record + 48), read64(b, record + 40), read64(b, record + 32), record};
    zip.offsetFields.push_back({locator + 8, 8});
    zip.offsetFields.push_back({static_cast<std::size_t>(record + 48), 8});
    return d;
}

// The ZIP64 extra field holds, in this order, each size or offset whose
// 32-bit field is saturated.
void readZip64Extra(const Bytes& b, std::size_t extra, std::size_t extraEnd, ZipEntry& e, OffsetField& offsetField,
                    bool compressedSaturated, bool uncompressedSaturated) {
    const bool offsetSaturated = e.localHeader == SATURATED32;
    while (extra + 4 <= extraEnd) {
        const std::uint16_t id = read16(b, extra), size = read16(b, extra + 2);
        malformed(extra + 4 + size <= extraEnd);
        if (id == ZIP64_EXTRA_ID) {
            std::size_t at = extra + 4;
            const std::size_t end = at + size;
            auto take = [&](std::uint64_t& value, bool saturated) {
                if (!saturated) return;
                malformed(at + 8 <= end);
                value = read64(b, at);
                at += 8;
            };
            take(e.uncompressedSize, uncompressedSaturated);
            take(e.compressedSize, compressedSaturated);
            if (offsetSaturated) offsetField = {at, 8};
            take(e.localHeader, offsetSaturated);
            return;
        }
        extra += 4 + size;
    }
    malformed(!offsetSaturated && !compressedSaturated && !uncompressedSaturated);
}

std::size_t readEntry(const Bytes& b, std::size_t at, const Directory& d, ZipArchive& zip) {
    malformed(at + CENTRAL_HEADER_SIZE <= d.end && read32(b, at) == CENTRAL_HEADER_SIGNATURE);
    const std::size_t nameLength = read16(b, at + 28), extraLength = read16(b, at + 30), commentLength = read16(b, at + 32);
    const std::size_t next = at + CENTRAL_HEADER_SIZE + nameLength + extraLength + commentLength;
    malformed(next <= d.end);
    ZipEntry e;
    e.method = read16(b, at + 10);
    e.compressedSize = read32(b, at + 20);
    e.uncompressedSize = read32(b, at + 24);
    e.localHeader = read32(b, at + 42);
    const std::size_t name = at + CENTRAL_HEADER_SIZE;
    e.name.assign(b.begin() + name, b.begin() + name + nameLength);
    OffsetField offsetField{at + 42, 4};
    readZip64Extra(b, name + nameLength, name + nameLength + extraLength, e, offsetField,
                   e.compressedSize == SATURATED32, e.uncompressedSize == SATURATED32);
    malformed(e.localHeader <= d.offset && d.offset - e.localHeader >= LOCAL_HEADER_SIZE);
    malformed(read32(b, static_cast<std::size_t>(e.localHeader)) == LOCAL_HEADER_SIGNATURE);
    zip.offsetFields.push_back(offsetField);
    zip.entries.push_back(std::move(e));
    return next;
}

ZipArchive readArchive(const Bytes& b, std::size_t endRecord) {
    ZipArchive zip;
    zip.endRecord = endRecord;
    zip.commentLength = read16(b, endRecord + 20);
    const Directory d = readDirectory(b, zip);
    // The directory ends where the end records begin: its offset counts
    // from the buffer's start.
    malformed(d.offset <= d.end && d.end - d.offset == d.size);
    malformed(d.count <= d.size / CENTRAL_HEADER_SIZE);
    zip.entryCount = d.count;
    zip.entries.reserve(static_cast<std::size_t>(d.count));
    std::size_t at = static_cast<std::size_t>(d.offset);
    for (std::uint64_t i = 0; i < d.count; ++i) at = readEntry(b, at, d, zip);
    zip.start = static_cast<std::size_t>(d.offset);
    for (const ZipEntry& e : zip.entries) zip.start = std::min(zip.start, static_cast<std::size_t>(e.localHeader));
    return zip;
}

}  // namespace

std::optional<ZipArchive> findZip(const Bytes& bytes, std::size_t from, std::size_t to, std::size_t slack) {
    to = std::min(to, bytes.size());
    if (to < from || to - from < ZIP_END_RECORD_SIZE) return std::nullopt;
    const std::size_t last = to - ZIP_END_RECORD_SIZE;
    const std::size_t window = ZIP_COMMENT_MAX + slack;
    const std::size_t first = last - from > window ? last - window : from;
    for (std::size_t p = last + 1; p-- > first;) {
        if (read32(bytes, p) != END_RECORD_SIGNATURE) continue;
        try {
            ZipArchive zip = readArchive(bytes, p);
            if (zip.start >= from) return zip;
        } catch (const FormatError&) {
            // Four bytes that only look like an end record: look further back.
        }
    }
    return std::nullopt;
}

void relocateZip(Bytes& bytes, const ZipArchive& zip, std::int64_t delta) {
    for (const OffsetField& f : zip.offsetFields) {
        const std::uint64_t old = f.width == 4 ? read32(bytes, f.at) : read64(bytes, f.at);
        const std::uint64_t limit = f.width == 4 ? SATURATED32 - 1 : 0x7FFFFFFFFFFFFFFFull;
        require(delta >= 0 ? old <= limit - static_cast<std::uint64_t>(delta) : old >= static_cast<std::uint64_t>(-delta),
                "the jar's offsets do not fit where it would lie (a jar of more than 4 GB needs ZIP64)");
        const std::uint64_t moved = old + static_cast<std::uint64_t>(delta);
        if (f.width == 4) write32(bytes, f.at, static_cast<std::uint32_t>(moved));
        else write64(bytes, f.at, moved);
    }
}

Bytes readZipEntry(const Bytes& bytes, const ZipEntry& entry, std::size_t limit) {
    const std::size_t header = static_cast<std::size_t>(entry.localHeader);
    require(fits(bytes, header, LOCAL_HEADER_SIZE) && read32(bytes, header) == LOCAL_HEADER_SIGNATURE,
            "malformed zip entry (no local header)");
    const std::size_t data = header + LOCAL_HEADER_SIZE + read16(bytes, header + 26) + read16(bytes, header + 28);
    require(entry.compressedSize <= 0xFFFFFFFFu && fits(bytes, data, static_cast<std::size_t>(entry.compressedSize)),
            "malformed zip entry (cut data)");
    require(entry.uncompressedSize <= limit, ("the entry " + entry.name + " is too large").c_str());
    const std::size_t size = static_cast<std::size_t>(entry.uncompressedSize);
    if (entry.method == 0) {
        require(entry.compressedSize == size, "malformed zip entry (sizes of a stored entry differ)");
        return Bytes(bytes.begin() + data, bytes.begin() + data + size);
    }
    require(entry.method == 8, ("the entry " + entry.name + " uses an unknown compression method").c_str());
    Bytes out(size + 1);
    z_stream z{};
    require(inflateInit2(&z, -MAX_WBITS) == Z_OK, "cannot inflate");
    z.next_in = const_cast<Bytef*>(bytes.data() + data);
    z.avail_in = static_cast<uInt>(entry.compressedSize);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&z, Z_FINISH);
    const std::size_t produced = z.total_out;
    inflateEnd(&z);
    require(result == Z_STREAM_END && produced == size, ("the entry " + entry.name + " is corrupt").c_str());
    out.resize(size);
    return out;
}
