// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
#pragma once

#include <string>

class TempFolder {
public:
    // `label` becomes part of the folder's name; it may hold blanks.
    explicit TempFolder(const std::string& label = "test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // path() + "\" + relative
    std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

private:
    std::string path_;
};

// Creates the folder and every missing parent.
void makeFolders(const std::string& path);
// Writes the bytes, creating the parent folders.
void writeFile(const std::string& path, const std::string& bytes);
// The file's bytes; empty when it cannot be read.
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
void copyFile(const std::string& from, const std::string& to);
void removeTree(const std::string& path);
