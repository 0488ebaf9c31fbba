// Test launchers with any launch settings, made from the shipped image by
// the configurator's core, without rebuilding anything.
#pragma once

#include <map>
#include <optional>
#include <string>

struct LauncherSpec {
    // String number (96 to 127) to text, as UTF-8; a number not in the map
    // is absent from the image.
    std::map<int, std::string> strings;
    // The bytes of resource RT_BITMAP 104; none when absent.
    std::optional<std::string> splash;
    // Unicode mode: the manifest makes the ANSI code page UTF-8.
    bool unicode = false;

    // The settings of the shipped launcher.
    static LauncherSpec shipped();
    // No setting at all.
    static LauncherSpec empty() { return LauncherSpec(); }

    LauncherSpec& set(int id, const std::string& text) {
        strings[id] = text;
        return *this;
    }
    LauncherSpec& remove(int id) {
        strings.erase(id);
        return *this;
    }
    LauncherSpec& unicodeMode(bool on = true) {
        unicode = on;
        return *this;
    }
};

// Writes a launcher at `path` whose strings 96 to 127 and resource 104 are
// exactly those of `spec`; everything else is the shipped image's.
void writeLauncher(const std::string& path, const LauncherSpec& spec);
