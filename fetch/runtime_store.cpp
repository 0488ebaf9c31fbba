#include "fetch/runtime_store.h"

#include "base/handle.h"

namespace {

const int KEY_DIGITS = 12;
const int TREE_DEPTH_MAX = 64;
const int RENAME_TRIES = 50;
const DWORD RENAME_PAUSE_MS = 100;

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

bool removeFile(const Text& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool isDotEntry(const char* name) { return name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])); }

bool removeTreeAt(const Text& folder, int depth) {
    if (depth > TREE_DEPTH_MAX) return false;
    WIN32_FIND_DATAA entry;
    FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &entry));
    bool removed = true;
    if (find) {
        do {
            if (isDotEntry(entry.cFileName)) continue;
            const Text path = folder + "\\" + entry.cFileName;
            const DWORD kind = entry.dwFileAttributes;
            if ((kind & FILE_ATTRIBUTE_DIRECTORY) && !(kind & FILE_ATTRIBUTE_REPARSE_POINT)) {
                removed = removeTreeAt(path, depth + 1) && removed;
            } else if (kind & FILE_ATTRIBUTE_DIRECTORY) {
                removed = RemoveDirectoryA(path.c_str()) && removed;
            } else {
                removed = removeFile(path) && removed;
            }
        } while (FindNextFileA(find.get(), &entry));
    }
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    return (RemoveDirectoryA(folder.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
            GetLastError() == ERROR_PATH_NOT_FOUND) &&
           removed;
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
    store.partFile = base + ".part";
    store.staging = base + ".staging";
    store.refusedMark = base + ".refused";
    return store;
}

Text runtimeMutexName(const Text& userName, const Text& sha256Hex) {
    Text name = "Local\\JavaLauncherRuntime-";
    for (size_t i = 0; i < sha256Hex.length(); ++i) name += lowerCase(sha256Hex[i]);
    name += "-";
    // A backslash would name a namespace.
    for (size_t i = 0; i < userName.length(); ++i) name += userName[i] == '\\' ? '_' : userName[i];
    return name;
}

bool createRuntimeFolder(const Text& localAppData, const RuntimeStore& store, DWORD* error) {
    const char* path = store.runtimeFolder.c_str();
    for (size_t at = localAppData.length() + 1; at <= store.runtimeFolder.length(); ++at) {
        if (path[at] != '\\' && path[at] != '\0') continue;
        const Text level(path, at);
        if (!CreateDirectoryA(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            *error = GetLastError();
            return false;
        }
    }
    return true;
}

bool removeTree(const Text& folder) { return removeTreeAt(folder, 0); }

bool removeLeftovers(const RuntimeStore& store) {
    const bool part = removeFile(store.partFile);
    return removeTree(store.staging) && part;
}

Placement placeStagedRuntime(const RuntimeStore& store, const Text& executableName, DWORD* error) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(store.staging.c_str(), store.home.c_str(), 0)) return Placement::Placed;
        *error = GetLastError();
        if (isFile(store.home + "\\bin\\" + executableName)) {
            removeTree(store.staging);
            return Placement::KeptExisting;
        }
        if (!isTransient(*error) || attempt + 1 >= RENAME_TRIES) return Placement::Failed;
        Sleep(RENAME_PAUSE_MS);
    }
}
