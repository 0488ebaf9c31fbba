#include "temp_folder.h"

#include <windows.h>

#include <stdexcept>

namespace {

// The system's ANSI calls stop at MAX_PATH characters; the wide ones take
// longer paths with the "\\?\" prefix, which tests of long paths need.
std::wstring longPath(const std::string& path) {
    int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], n);
    return wide.size() >= MAX_PATH - 12 ? L"\\\\?\\" + wide : wide;
}

std::string parentOf(const std::string& path) {
    size_t at = path.find_last_of('\\');
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

}  // namespace

TempFolder::TempFolder(const std::string& label) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string base(temp);
    if (!base.empty() && base.back() == '\\') base.pop_back();
    static unsigned counter = 0;
    for (;;) {
        path_ = base + "\\" + label + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
        if (CreateDirectoryA(path_.c_str(), nullptr)) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + path_);
    }
}

TempFolder::~TempFolder() { removeTree(path_); }

void makeFolders(const std::string& path) {
    if (path.empty() || GetFileAttributesW(longPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) return;
    makeFolders(parentOf(path));
    CreateDirectoryW(longPath(path).c_str(), nullptr);
}

void writeFile(const std::string& path, const std::string& bytes) {
    makeFolders(parentOf(path));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string readFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void copyFile(const std::string& from, const std::string& to) {
    makeFolders(parentOf(to));
    if (!CopyFileW(longPath(from).c_str(), longPath(to).c_str(), FALSE)) throw std::runtime_error("cannot copy " + from + " to " + to);
}

namespace {

void removeLongTree(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    HANDLE listing = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (listing != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeLongTree(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(listing, &entry));
        FindClose(listing);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

void removeTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE listing = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE && path.size() >= MAX_PATH - 12) {
        removeLongTree(longPath(path));
        return;
    }
    if (listing != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(listing, &entry));
        FindClose(listing);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}
