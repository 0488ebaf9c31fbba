#include "fetch/zip_unpack.h"

#include "base/handle.h"
#include "base/worker_threads.h"
#include "fetch/archive_names.h"
#include "fetch/inflate.h"

namespace {

const DWORD CENTRAL_RECORD = 0x02014b50;
const DWORD LOCAL_RECORD = 0x04034b50;
const DWORD END_SIZE = 22;
const DWORD CENTRAL_SIZE = 46;
const DWORD LOCAL_SIZE = 30;
const DWORD END_SEARCH = END_SIZE + 0xFFFF;
const DWORD DIRECTORY_MAX = 64 * 1024 * 1024;
const unsigned ENTRIES_MAX = 200000;
const ULONGLONG UNPACKED_MAX = 8ULL * 1024 * 1024 * 1024;
const DWORD CHUNK = 64 * 1024;
const WORD ENCRYPTED_FLAGS = 0x0001 | 0x0040;
const WORD STORED = 0, DEFLATE = 8;

// CRC-32 as zip stores it (reflected, polynomial 0xEDB88320), with a table
// built here rather than 8 KB of ready-made ones; the disk is slower anyway.
void buildCrcTable(DWORD (&table)[256]) {
    for (DWORD n = 0; n < 256; ++n) {
        DWORD c = n;
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
}

DWORD updateCrc(const DWORD (&table)[256], DWORD crc, const BYTE* data, DWORD length) {
    crc = ~crc;
    for (DWORD i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

WORD word(const BYTE* p) { return static_cast<WORD>(p[0] | p[1] << 8); }
DWORD dword(const BYTE* p) { return word(p) | static_cast<DWORD>(word(p + 2)) << 16; }

struct Entry {
    const char* name;
    WORD nameLength;
    WORD flags;
    WORD method;
    DWORD crc;
    DWORD packedSize;
    DWORD size;
    DWORD localOffset;
};

bool readAt(HANDLE file, ULONGLONG offset, void* buffer, DWORD length) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD got = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, buffer, length, &got, nullptr) &&
           got == length;
}

class Unpacker {
public:
    Unpacker(HANDLE archive, const Text& staging, const volatile LONG* cancel)
        : staging_(staging), cancel_(cancel), archive_(archive) {}
    ~Unpacker() {
        if (directory_) HeapFree(GetProcessHeap(), 0, directory_);
        if (in_) HeapFree(GetProcessHeap(), 0, in_);
        if (window_) HeapFree(GetProcessHeap(), 0, window_);
    }

    UnpackResult run();

private:
    bool fail(UnpackFailure failure, DWORD error = 0) {
        result_.failure = failure;
        result_.error = error;
        return false;
    }
    bool failEntry(UnpackFailure failure, const Entry& entry, DWORD error = 0) {
        result_.entry = Text(entry.name, entry.nameLength);
        return fail(failure, error);
    }
    bool cancelled() const { return *cancel_ != 0 || workerThreadsStopping(); }
    // The data of an entry stopped short: inflate only sees its end, not why.
    bool stoppedShort(const Entry& entry);
    bool readDirectory();
    bool parseEntry(DWORD& at, Entry& entry);
    bool checkEntry(const Entry& entry);
    bool makeFolders(const Text& relative, bool includingLast);
    bool unpackEntry(const Entry& entry);
    // The inflater's streams: the next piece of the entry's data, and what
    // it inflated to.
    static DWORD pull(void* self, const BYTE** data);
    static bool push(void* self, const BYTE* data, DWORD length);
    bool copyData(const Entry& entry, ULONGLONG dataAt);
    bool writeOut(const BYTE* data, DWORD length);

    Text staging_;
    const volatile LONG* cancel_;
    HANDLE archive_;
    ULONGLONG archiveSize_ = 0;
    BYTE* directory_ = nullptr;
    DWORD directorySize_ = 0;
    DWORD directoryOffset_ = 0;
    unsigned entryCount_ = 0;
    Text top_;
    ULONGLONG unpacked_ = 0;
    BYTE* in_ = nullptr;
    BYTE* window_ = nullptr;
    const Entry* entry_ = nullptr;
    HANDLE output_ = nullptr;
    ULONGLONG next_ = 0;
    DWORD left_ = 0;
    DWORD written_ = 0;
    DWORD crc_ = 0;
    DWORD readError_ = 0;
    bool stopped_ = false;  // by a cancel or a read error, not by the data
    DWORD crcTable_[256];
    UnpackResult result_;
};

bool Unpacker::readDirectory() {
    BYTE tail[END_SEARCH];
    const DWORD tailLength = archiveSize_ < END_SEARCH ? static_cast<DWORD>(archiveSize_) : END_SEARCH;
    if (tailLength < END_SIZE) return fail(UnpackFailure::NotAnArchive);
    const ULONGLONG tailAt = archiveSize_ - tailLength;
    if (!readAt(archive_, tailAt, tail, tailLength)) return fail(UnpackFailure::CannotRead, GetLastError());
    for (DWORD at = tailLength - END_SIZE + 1; at-- > 0;) {
        const BYTE* end = tail + at;
        if (!isZipEndRecord(end)) continue;
        if (word(end + 10) == 0xFFFF || dword(end + 12) == 0xFFFFFFFF || dword(end + 16) == 0xFFFFFFFF) {
            return fail(UnpackFailure::Zip64);
        }
        entryCount_ = word(end + 10);
        directorySize_ = dword(end + 12);
        directoryOffset_ = dword(end + 16);
        if (word(end + 4) != 0 || word(end + 6) != 0 ||
            static_cast<ULONGLONG>(directoryOffset_) + directorySize_ > tailAt + at) {
            return fail(UnpackFailure::NotAnArchive);
        }
        if (directorySize_ > DIRECTORY_MAX || entryCount_ > ENTRIES_MAX) return fail(UnpackFailure::TooManyEntries);
        directory_ = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, directorySize_ + 1));
        if (!directory_) return fail(UnpackFailure::TooManyEntries);
        if (!readAt(archive_, directoryOffset_, directory_, directorySize_)) {
            return fail(UnpackFailure::CannotRead, GetLastError());
        }
        return true;
    }
    return fail(UnpackFailure::NotAnArchive);
}

bool Unpacker::parseEntry(DWORD& at, Entry& entry) {
    if (directorySize_ - at < CENTRAL_SIZE || dword(directory_ + at) != CENTRAL_RECORD) {
        return fail(UnpackFailure::NotAnArchive);
    }
    const BYTE* record = directory_ + at;
    entry.flags = word(record + 8);
    entry.method = word(record + 10);
    entry.crc = dword(record + 16);
    entry.packedSize = dword(record + 20);
    entry.size = dword(record + 24);
    entry.nameLength = word(record + 28);
    const DWORD recordLength = CENTRAL_SIZE + entry.nameLength + word(record + 30) + word(record + 32);
    entry.localOffset = dword(record + 42);
    entry.name = reinterpret_cast<const char*>(record + CENTRAL_SIZE);
    if (directorySize_ - at < recordLength) return fail(UnpackFailure::NotAnArchive);
    at += recordLength;
    if (entry.packedSize == 0xFFFFFFFF || entry.size == 0xFFFFFFFF || entry.localOffset == 0xFFFFFFFF) {
        return failEntry(UnpackFailure::Zip64, entry);
    }
    return true;
}

bool Unpacker::checkEntry(const Entry& entry) {
    const NameVerdict verdict = checkArchiveName(entry.name, entry.nameLength);
    if (verdict != NameVerdict::Accepted) {
        result_.detail = nameVerdictText(verdict);
        return failEntry(UnpackFailure::BadName, entry);
    }
    const Text top = topFolderOf(entry.name, entry.nameLength);
    if (top_.empty()) top_ = top;
    if (top != top_ || top.length() == entry.nameLength) return failEntry(UnpackFailure::NoSingleTopFolder, entry);
    if (entry.flags & ENCRYPTED_FLAGS) return failEntry(UnpackFailure::Encrypted, entry);
    if (entry.method != STORED && entry.method != DEFLATE) return failEntry(UnpackFailure::Method, entry);
    if (entry.method == STORED && entry.packedSize != entry.size) return failEntry(UnpackFailure::Damaged, entry);
    unpacked_ += entry.size;
    if (unpacked_ > UNPACKED_MAX) return failEntry(UnpackFailure::TooLarge, entry);
    return true;
}

bool Unpacker::makeFolders(const Text& relative, bool includingLast) {
    for (size_t at = 0; at <= relative.length(); ++at) {
        if (at < relative.length() && relative[at] != '\\') continue;
        if (at == relative.length() && !includingLast) break;
        const Text folder = staging_ + "\\" + relative.substr(0, at);
        if (CreateDirectoryA(folder.c_str(), nullptr)) continue;
        DWORD error = GetLastError();
        // Made by this unpacker for an earlier entry, or it is no folder of
        // its own (a link planted meanwhile is never entered).
        if (error == ERROR_ALREADY_EXISTS &&
            (GetFileAttributesA(folder.c_str()) & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
                FILE_ATTRIBUTE_DIRECTORY) {
            continue;
        }
        return fail(UnpackFailure::CannotWrite, error);
    }
    return true;
}

bool Unpacker::writeOut(const BYTE* data, DWORD length) {
    const Entry& entry = *entry_;
    if (length > entry.size - written_) return failEntry(UnpackFailure::WrongSize, entry);
    DWORD put = 0;
    if (!WriteFile(output_, data, length, &put, nullptr) || put != length) {
        return failEntry(UnpackFailure::CannotWrite, entry, GetLastError());
    }
    written_ += length;
    crc_ = updateCrc(crcTable_, crc_, data, length);
    return true;
}

DWORD Unpacker::pull(void* self, const BYTE** data) {
    Unpacker& unpacker = *static_cast<Unpacker*>(self);
    *data = unpacker.in_;
    if (unpacker.left_ == 0) return 0;
    const DWORD length = unpacker.left_ < CHUNK ? unpacker.left_ : CHUNK;
    if (unpacker.cancelled() || !readAt(unpacker.archive_, unpacker.next_, unpacker.in_, length)) {
        unpacker.readError_ = GetLastError();
        unpacker.stopped_ = true;
        return 0;
    }
    unpacker.next_ += length;
    unpacker.left_ -= length;
    return length;
}

bool Unpacker::push(void* self, const BYTE* data, DWORD length) {
    return static_cast<Unpacker*>(self)->writeOut(data, length);
}

bool Unpacker::copyData(const Entry& entry, ULONGLONG dataAt) {
    entry_ = &entry;
    next_ = dataAt;
    left_ = entry.packedSize;
    if (entry.method == STORED) {
        const BYTE* data;
        while (DWORD length = pull(this, &data)) {
            if (!writeOut(data, length)) return false;
        }
    } else {
        const InflateStreams streams = {pull, push, this};
        bool trailing = false;
        const InflateResult inflated = inflateRaw(streams, window_, &trailing);
        if (result_.failure != UnpackFailure::None) return false;
        if (!stopped_ && (inflated != InflateResult::Done || trailing || left_ != 0)) {
            return failEntry(UnpackFailure::Damaged, entry);
        }
    }
    if (stopped_) return stoppedShort(entry);
    if (written_ != entry.size) return failEntry(UnpackFailure::WrongSize, entry);
    if (crc_ != entry.crc) return failEntry(UnpackFailure::WrongCrc, entry);
    return true;
}

bool Unpacker::stoppedShort(const Entry& entry) {
    if (cancelled()) return fail(UnpackFailure::Cancelled);
    return failEntry(UnpackFailure::CannotRead, entry, readError_);
}

bool Unpacker::unpackEntry(const Entry& entry) {
    const Text relative = belowTopFolder(entry.name, entry.nameLength);
    if (relative.empty()) return true;  // the top folder itself
    if (namesFolder(entry.name, entry.nameLength)) return makeFolders(relative, true);
    BYTE local[LOCAL_SIZE];
    if (static_cast<ULONGLONG>(entry.localOffset) + LOCAL_SIZE > directoryOffset_ ||
        !readAt(archive_, entry.localOffset, local, LOCAL_SIZE) || dword(local) != LOCAL_RECORD) {
        return failEntry(UnpackFailure::Damaged, entry);
    }
    const ULONGLONG dataAt = static_cast<ULONGLONG>(entry.localOffset) + LOCAL_SIZE + word(local + 26) + word(local + 28);
    if (dataAt + entry.packedSize > directoryOffset_) return failEntry(UnpackFailure::Damaged, entry);
    if (!makeFolders(relative, false)) return false;
    // A name that comes twice is refused rather than overwritten.
    FileHandle output(CreateFileA((staging_ + "\\" + relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!output) return failEntry(UnpackFailure::CannotWrite, entry, GetLastError());
    written_ = 0;
    crc_ = 0;
    output_ = output.get();
    if (!copyData(entry, dataAt)) return false;
    ++result_.files;
    result_.bytes += entry.size;
    return true;
}

UnpackResult Unpacker::run() {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(archive_, &size)) {
        fail(UnpackFailure::CannotRead, GetLastError());
        return result_;
    }
    archiveSize_ = static_cast<ULONGLONG>(size.QuadPart);
    in_ = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, CHUNK));
    window_ = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, INFLATE_WINDOW));
    if (!in_ || !window_) {
        fail(UnpackFailure::CannotWrite, ERROR_NOT_ENOUGH_MEMORY);
        return result_;
    }
    if (!readDirectory()) return result_;
    buildCrcTable(crcTable_);
    // Every entry is checked before the first byte is written.
    Entry entry;
    DWORD at = 0;
    for (unsigned i = 0; i < entryCount_; ++i) {
        if (!parseEntry(at, entry) || !checkEntry(entry)) return result_;
    }
    // Only a folder made here and now: nothing left or planted there is
    // written into.
    if (!CreateDirectoryA(staging_.c_str(), nullptr)) {
        fail(UnpackFailure::CannotWrite, GetLastError());
        return result_;
    }
    at = 0;
    for (unsigned i = 0; i < entryCount_; ++i) {
        if (!parseEntry(at, entry) || !unpackEntry(entry)) return result_;
    }
    const DWORD missing = INVALID_FILE_ATTRIBUTES;
    if (GetFileAttributesA((staging_ + "\\bin\\javaw.exe").c_str()) == missing ||
        GetFileAttributesA((staging_ + "\\release").c_str()) == missing) {
        fail(UnpackFailure::Incomplete);
    }
    return result_;
}

}  // namespace

bool isZipEndRecord(const unsigned char* at) { return at[0] == 'P' && at[1] == 'K' && at[2] == 5 && at[3] == 6; }

UnpackResult unpackRuntimeArchive(HANDLE archive, const Text& staging, const volatile LONG* cancel) {
    Unpacker* unpacker = new Unpacker(archive, staging, cancel);
    UnpackResult result = unpacker->run();
    delete unpacker;
    return result;
}

const char* unpackFailureText(UnpackFailure failure) {
    switch (failure) {
    case UnpackFailure::None: return "unpacked";
    case UnpackFailure::CannotRead: return "cannot read the archive";
    case UnpackFailure::NotAnArchive: return "not a zip archive";
    case UnpackFailure::Zip64: return "zip64 archive not supported";
    case UnpackFailure::TooManyEntries: return "archive directory too large";
    case UnpackFailure::NoSingleTopFolder: return "archive without a single top folder";
    case UnpackFailure::BadName: return "unsafe entry name";
    case UnpackFailure::Encrypted: return "encrypted entry";
    case UnpackFailure::Method: return "compression method not supported";
    case UnpackFailure::Damaged: return "damaged entry";
    case UnpackFailure::WrongSize: return "entry size mismatch";
    case UnpackFailure::WrongCrc: return "entry CRC-32 mismatch";
    case UnpackFailure::TooLarge: return "archive unpacks too large";
    case UnpackFailure::CannotWrite: return "cannot write the staging folder";
    case UnpackFailure::Cancelled: return "cancelled";
    case UnpackFailure::Incomplete: return "archive lacks bin\\javaw.exe or release";
    }
    return "";
}
