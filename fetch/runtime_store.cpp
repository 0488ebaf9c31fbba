#include "fetch/runtime_store.h"

namespace {

const int KEY_DIGITS = 12;
const int TREE_DEPTH_MAX = 64;
const int RENAME_TRIES = 50;
const DWORD RENAME_PAUSE_MS = 100;
const DWORD SMALL_FILE_MAX = 512;
const DWORD LINK = FILE_ATTRIBUTE_REPARSE_POINT;

char lowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool endsWithExe(const Text& name) {
    if (name.length() < 4) return false;
    const char* tail = name.c_str() + name.length() - 4;
    return tail[0] == '.' && lowerCase(tail[1]) == 'e' && lowerCase(tail[2]) == 'x' && lowerCase(tail[3]) == 'e';
}

bool isFile(const Text& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool isDotEntry(const char* name) { return name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])); }

// RemoveDirectory and DeleteFile remove a link itself, never its target.
bool removeEntry(const Text& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryA(path.c_str()) || isGone(GetLastError());
    // Through a link it would change the target's attributes.
    if (!(attributes & LINK)) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) || isGone(GetLastError());
}

struct TreeCount {
    unsigned files;
    ULONGLONG bytes;
};

// Removes a real folder's tree or, with `count`, counts its files; only
// real folders are listed.
bool walk(const Text& folder, int depth, TreeCount* count) {
    if (depth > TREE_DEPTH_MAX) return false;
    bool removed = true;
    WIN32_FIND_DATAA entry;
    FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (find) {
        do {
            if (isDotEntry(entry.cFileName)) continue;
            const Text path = folder + "\\" + entry.cFileName;
            const DWORD kind = entry.dwFileAttributes;
            if ((kind & (FILE_ATTRIBUTE_DIRECTORY | LINK)) == FILE_ATTRIBUTE_DIRECTORY) {
                removed = walk(path, depth + 1, count) && removed;
            } else if (!count) {
                removed = removeEntry(path, kind) && removed;
            } else if (!(kind & LINK)) {
                ++count->files;
                count->bytes += static_cast<ULONGLONG>(entry.nFileSizeHigh) << 32 | entry.nFileSizeLow;
            }
        } while (FindNextFileA(find.get(), &entry));
    }
    if (count) return true;
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    return removeEntry(folder, FILE_ATTRIBUTE_DIRECTORY) && removed;
}

bool isTransient(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED; }

}  // namespace

Text runtimeKey(const Text& sha256Hex) {
    Text key;
    for (size_t i = 0; i < sha256Hex.length() && i < KEY_DIGITS; ++i) key += lowerCase(sha256Hex[i]);
    return key;
}

Text defaultRuntimeFolderName(const Text& launcherFile) {
    const size_t separator = launcherFile.findLast('\\');
    Text name = separator == Text::npos ? launcherFile : launcherFile.substr(separator + 1);
    if (endsWithExe(name)) name.truncate(name.length() - 4);
    return name;
}

RuntimeStore runtimeStoreFor(const Text& localAppData, const Text& folderName, const Text& sha256Hex) {
    RuntimeStore store;
    store.runtimeFolder = localAppData + "\\" + folderName + "\\runtime";
    const Text base = store.runtimeFolder + "\\" + runtimeKey(sha256Hex);
    store.home = base;
    store.mark = base + "\\.installed";
    store.partFile = base + ".part";
    store.staging = base + ".staging";
    store.refusedMark = base + ".refused";
    store.lockFile = base + ".lock";
    return store;
}

bool isInstalled(const RuntimeStore& store, const Text& executableName) {
    return isFile(store.home + "\\bin\\" + executableName) && isFile(store.mark);
}

bool prepareRuntimeFolder(const Text& localAppData, const RuntimeStore& store, Text* level, DWORD* error) {
    const char* path = store.runtimeFolder.c_str();
    for (size_t at = localAppData.length() + 1; at <= store.runtimeFolder.length(); ++at) {
        if (path[at] != '\\' && path[at] != '\0') continue;
        *level = Text(path, at);
        *error = 0;
        const DWORD attributes = GetFileAttributesA(level->c_str());
        // The user's own folders are never removed, only the launcher's.
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & LINK) &&
            (path[at] != '\0' || !RemoveDirectoryA(level->c_str()))) {
            return false;
        }
        if (!CreateDirectoryA(level->c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            *error = GetLastError();
            return false;
        }
    }
    return true;
}

FileHandle takeRuntimeLock(const RuntimeStore& store, DWORD* error) {
    FileHandle lock(CreateFileA(store.lockFile.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    *error = lock ? 0 : GetLastError();
    return lock;
}

// A lock file being deleted refuses access until its last handle is gone.
bool isLockHeld(DWORD error) { return isTransient(error); }

bool removeTree(const Text& folder) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return isGone(GetLastError());
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | LINK)) == FILE_ATTRIBUTE_DIRECTORY) return walk(folder, 0, nullptr);
    return removeEntry(folder, attributes);
}

void countTree(const Text& folder, unsigned* files, ULONGLONG* bytes) {
    TreeCount count = {0, 0};
    walk(folder, 0, &count);
    *files = count.files;
    *bytes = count.bytes;
}

bool removeLeftovers(const RuntimeStore& store) {
    const bool part = removeTree(store.partFile);
    return removeTree(store.staging) && part;
}

bool placeStagedRuntime(const RuntimeStore& store, DWORD* error) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(store.staging.c_str(), store.home.c_str(), 0)) return true;
        *error = GetLastError();
        if (!isTransient(*error) || attempt + 1 >= RENAME_TRIES) return false;
        Sleep(RENAME_PAUSE_MS);
    }
}

bool writeSmallFile(const Text& path, const char* contents, DWORD* error) {
    removeTree(path);
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const DWORD length = lstrlenA(contents);
    DWORD put = 0;
    if (file && WriteFile(file.get(), contents, length, &put, nullptr) && put == length) {
        return true;
    }
    *error = GetLastError();
    return false;
}

Text readSmallFile(const Text& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    char contents[SMALL_FILE_MAX];
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), contents, sizeof contents, &got, nullptr)) return Text();
    return Text(contents, got);
}
