#include "zip_writer.h"

#include <windows.h>
#include <zlib.h>

#include "fetch/sha256.h"

namespace {

void put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, unsigned long value) {
    put16(out, value & 0xFFFF);
    put16(out, (value >> 16) & 0xFFFF);
}

void addFolderEntries(const std::string& folder, const std::string& prefix, std::vector<ZipEntry>& entries) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            entries.push_back(ZipEntry{prefix + name + "/", ""});
            addFolderEntries(folder + "\\" + name, prefix + name + "/", entries);
        } else {
            HANDLE file = CreateFileA((folder + "\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
            std::string data(GetFileSize(file, nullptr), '\0');
            DWORD got = 0;
            if (!data.empty()) ReadFile(file, &data[0], static_cast<DWORD>(data.size()), &got, nullptr);
            CloseHandle(file);
            entries.push_back(ZipEntry{prefix + name, data});
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

}  // namespace

std::string rawDeflated(const std::string& data, int level, int strategy) {
    z_stream stream = {};
    deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, strategy);
    std::string out(deflateBound(&stream, data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string zipArchive(const std::vector<ZipEntry>& entries) {
    std::string archive, directory;
    for (const ZipEntry& e : entries) {
        const bool deflate = e.deflate && !e.data.empty();
        const std::string packed = deflate ? rawDeflated(e.data) : e.data;
        unsigned long crc = crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size()));
        if (e.wrongCrc) crc ^= 1;
        const unsigned method = e.method ? e.method : (deflate ? 8 : 0);
        const unsigned long offset = static_cast<unsigned long>(archive.size());
        std::string common;
        put16(common, 20);
        put16(common, e.flags);
        put16(common, method);
        put32(common, 0);  // time and date
        put32(common, crc);
        put32(common, static_cast<unsigned long>(packed.size()));
        put32(common, static_cast<unsigned long>(e.data.size()));
        put16(common, static_cast<unsigned>(e.name.size()));
        put16(common, 0);
        put32(archive, 0x04034b50);
        archive += common + e.name + packed;
        put32(directory, 0x02014b50);
        put16(directory, 20);
        directory += common;
        put16(directory, 0);  // comment
        put16(directory, 0);  // disk
        put16(directory, 0);  // internal attributes
        put32(directory, 0);  // external attributes
        put32(directory, offset);
        directory += e.name;
    }
    const unsigned long directoryAt = static_cast<unsigned long>(archive.size());
    archive += directory;
    put32(archive, 0x06054b50);
    put16(archive, 0);
    put16(archive, 0);
    put16(archive, static_cast<unsigned>(entries.size()));
    put16(archive, static_cast<unsigned>(entries.size()));
    put32(archive, static_cast<unsigned long>(directory.size()));
    put32(archive, directoryAt);
    put16(archive, 0);
    return archive;
}

std::vector<ZipEntry> entriesOfFolder(const std::string& folder, const std::string& top) {
    std::vector<ZipEntry> entries{ZipEntry{top + "/", ""}};
    addFolderEntries(folder, top + "/", entries);
    return entries;
}

std::string sha256Of(const std::string& bytes) {
    Sha256 hash;
    BYTE digest[SHA256_BYTES] = {};
    hash.begin();
    hash.add(bytes.data(), static_cast<DWORD>(bytes.size()));
    hash.finish(digest);
    return sha256Hex(digest).c_str();
}
