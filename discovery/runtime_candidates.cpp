#include "discovery/runtime_candidates.h"

#include <windows.h>

#include "base/code_pages.h"
#include "base/handle.h"
#include "discovery/path_exists.h"
#include "discovery/runtime_facts.h"

namespace {

// Registry key names hold at most 255 characters; values here are paths.
const DWORD KEY_NAME_MAX = 256;
const DWORD VALUE_MAX = 1024;
// An installation registers a few keys; a key with more subkeys than this
// is no Java key, and its rest is not worth the time.
const DWORD SUBKEYS_MAX = 256;

// Each layout: the vendor's key, its key whose subkeys are installations,
// the path below such a subkey, and the value that names the home. Rows of
// one vendor follow each other: its key is opened once for them.
struct RegistryLayout {
    const char* vendor;
    const char* key;
    const char* below;
    const char* value;
};

const RegistryLayout REGISTRY_LAYOUTS[] = {
    {"SOFTWARE\\JavaSoft", "Java Runtime Environment", "", "JavaHome"},
    {"SOFTWARE\\JavaSoft", "Java Development Kit", "", "JavaHome"},
    {"SOFTWARE\\JavaSoft", "JRE", "", "JavaHome"},
    {"SOFTWARE\\JavaSoft", "JDK", "", "JavaHome"},
    {"SOFTWARE\\Eclipse Adoptium", "JDK", "\\hotspot\\MSI", "Path"},
    {"SOFTWARE\\Eclipse Adoptium", "JRE", "\\hotspot\\MSI", "Path"},
    {"SOFTWARE\\AdoptOpenJDK", "JDK", "\\hotspot\\MSI", "Path"},
    {"SOFTWARE\\AdoptOpenJDK", "JRE", "\\hotspot\\MSI", "Path"},
    {"SOFTWARE\\Eclipse Foundation", "JDK", "\\hotspot\\MSI", "Path"},
    {"SOFTWARE\\Eclipse Foundation", "JRE", "\\hotspot\\MSI", "Path"},
    {"SOFTWARE\\Microsoft", "JDK", "\\hotspot\\MSI", "Path"},
    {"SOFTWARE\\Microsoft", "JRE", "\\hotspot\\MSI", "Path"},
    {"SOFTWARE\\Semeru", "JDK", "\\openj9\\MSI", "Path"},
    {"SOFTWARE\\Semeru", "JRE", "\\openj9\\MSI", "Path"},
    {"SOFTWARE\\Azul Systems", "Zulu", "", "InstallationPath"},
    {"SOFTWARE\\BellSoft", "Liberica", "", "InstallationPath"},
    {"SOFTWARE\\SapMachine", "JDK", "", "JavaHome"},
};

const char* const VENDOR_FOLDERS[] = {
    "Java", "Eclipse Adoptium", "AdoptOpenJDK", "Zulu", "Microsoft", "Amazon Corretto", "BellSoft", "Semeru",
    "SapMachine\\JDK",
};

struct RegistryRoot {
    HKEY key;
    const char* name;
};

const RegistryRoot REGISTRY_ROOTS[] = {{HKEY_LOCAL_MACHINE, "HKLM"}, {HKEY_CURRENT_USER, "HKCU"}};

struct RegistryView {
    REGSAM flag;
    const char* name;
};

// Both views on 64-bit Windows, 64-bit first; 32-bit Windows has one.
int registryViews(RegistryView (&views)[2]) {
    if (!windowsIs64Bit()) {
        views[0] = RegistryView{0, "32-bit view"};
        return 1;
    }
    views[0] = RegistryView{KEY_WOW64_64KEY, "64-bit view"};
    views[1] = RegistryView{KEY_WOW64_32KEY, "32-bit view"};
    return 2;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

RegistryKey openKey(HKEY parent, const char* path, REGSAM view) {
    RegistryKey key;
    if (RegOpenKeyExA(parent, path, 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | view, key.put()) != ERROR_SUCCESS) {
        key.release();
    }
    return key;
}

// A string value, expanded when the installer wrote an expandable one;
// empty for any other type or a value that does not fit.
Text readPathValue(HKEY parent, const Text& path, const char* name, REGSAM view) {
    RegistryKey key = openKey(parent, path.c_str(), view);
    if (!key) return Text();
    char value[VALUE_MAX + 1] = {};
    DWORD size = VALUE_MAX;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS) {
        return Text();
    }
    if (type == REG_SZ) return Text(value);
    if (type != REG_EXPAND_SZ) return Text();
    char expanded[VALUE_MAX + 1];
    const DWORD length = ExpandEnvironmentStringsA(value, expanded, VALUE_MAX);
    return length > 0 && length <= VALUE_MAX ? Text(expanded) : Text();
}

// `source` is the layout's key as the registry editor shows it, with a
// trailing backslash; each subkey's source is that, the subkey, the path
// below it and the view.
void gatherFromLayout(CandidateList& list, HKEY vendorKey, const RegistryLayout& layout, const Text& source,
                      const RegistryView& view) {
    RegistryKey key = openKey(vendorKey, layout.key, view.flag);
    if (!key) return;
    char name[KEY_NAME_MAX + 1];
    for (DWORD index = 0; index < SUBKEYS_MAX; ++index) {
        DWORD length = KEY_NAME_MAX;
        if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        name[length < KEY_NAME_MAX ? length : KEY_NAME_MAX] = '\0';
        Text below(name);
        below += layout.below;
        Text where(source);
        where += below;
        where += " (";
        where += view.name;
        where += ")";
        list.add(readPathValue(key.get(), below, layout.value, view.flag), where);
    }
}

void gatherFromRegistry(CandidateList& list) {
    RegistryView views[2];
    const int viewCount = registryViews(views);
    const int layoutCount = sizeof REGISTRY_LAYOUTS / sizeof REGISTRY_LAYOUTS[0];
    for (const RegistryRoot& root : REGISTRY_ROOTS) {
        for (int v = 0; v < viewCount; ++v) {
            RegistryKey vendorKey;
            for (int i = 0; i < layoutCount; ++i) {
                const RegistryLayout& layout = REGISTRY_LAYOUTS[i];
                if (i == 0 || Text(layout.vendor) != REGISTRY_LAYOUTS[i - 1].vendor) {
                    vendorKey = openKey(root.key, layout.vendor, views[v].flag);
                }
                if (!vendorKey) continue;
                Text source(root.name);
                source += "\\";
                source += layout.vendor;
                source += "\\";
                source += layout.key;
                source += "\\";
                gatherFromLayout(list, vendorKey.get(), layout, source, views[v]);
            }
        }
    }
}

Text unquoted(const Text& text) {
    size_t from = 0, to = text.length();
    while (from < to && (text[from] == ' ' || text[from] == '"')) ++from;
    while (to > from && (text[to - 1] == ' ' || text[to - 1] == '"')) --to;
    return text.substr(from, to - from);
}

// The home of a runtime whose bin folder is on PATH is that folder's
// parent; a folder of links to a runtime has a parent without one, and
// its candidate is then rejected for the missing executable.
void gatherFromPath(CandidateList& list, const Text& executableName) {
    const Text path = environmentVariable("PATH");
    for (size_t start = 0; start < path.length();) {
        size_t end = start;
        while (end < path.length() && path[end] != ';') ++end;
        const Text folder = normaliseHome(path.substr(start, end - start));
        start = end + 1;
        // A drive's root has no parent to be a home; a relative entry is
        // none (empty).
        const size_t parentEnd = folder.findLast('\\');
        if (parentEnd == Text::npos || parentEnd + 1 == folder.length()) continue;
        if (!isExistingFile(folder + "\\" + executableName)) continue;
        list.add(folder.substr(0, parentEnd == 2 && folder[1] == ':' ? 3 : parentEnd), "PATH");
    }
}

void gatherFromFolder(CandidateList& list, const Text& vendorFolder, const Text& executableName) {
    WIN32_FIND_DATAA entry;
    FindHandle listing(FindFirstFileA((vendorFolder + "\\*").c_str(), &entry));
    if (!listing) return;
    do {
        const Text name(entry.cFileName);
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == "..") continue;
        const Text home = vendorFolder + "\\" + name;
        // Registered runtimes live here too: a known home costs no file test.
        if (!list.contains(home) && isExistingFile(home + "\\bin\\" + executableName)) list.add(home, "vendor folder");
    } while (FindNextFileA(listing.get(), &entry));
}

// The 64-bit Program Files (which a 32-bit process sees only as
// ProgramW6432), the x86 one, and the user's own programs folder.
void gatherFromVendorFolders(CandidateList& list, const Text& executableName) {
    Text bases[3];
    bases[0] = environmentVariable("ProgramW6432");
    if (bases[0].empty()) bases[0] = environmentVariable("ProgramFiles");
    bases[1] = environmentVariable("ProgramFiles(x86)");
    // Unset, it gives "\Programs", which is no absolute path and so no base.
    bases[2] = environmentVariable("LOCALAPPDATA") + "\\Programs";
    for (int b = 0; b < 3; ++b) {
        bases[b] = normaliseHome(bases[b]);
        bool seen = bases[b].empty();
        for (int earlier = 0; earlier < b && !seen; ++earlier) seen = lstrcmpiA(bases[earlier].c_str(), bases[b].c_str()) == 0;
        if (seen) continue;
        for (const char* vendor : VENDOR_FOLDERS) gatherFromFolder(list, bases[b] + "\\" + vendor, executableName);
    }
}

}  // namespace

Text normaliseHome(const Text& home) {
    Text text = unquoted(home);
    while (text.length() > 1 && isSeparator(text[text.length() - 1]) &&
           !(text.length() == 3 && text[1] == ':')) {
        text.truncate(text.length() - 1);
    }
    if (!isAbsolutePath(text)) return Text();
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(text.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? Text(full, length) : text;
}

bool CandidateList::listed(const Text& normalHome) const {
    for (int i = 0; i < count_; ++i) {
        if (lstrcmpiA(items_[i].home.c_str(), normalHome.c_str()) == 0) return true;
    }
    return false;
}

bool CandidateList::contains(const Text& home) const { return listed(normaliseHome(home)); }

void CandidateList::add(const Text& home, const Text& source) {
    Text normal = normaliseHome(home);
    if (normal.empty() || listed(normal)) return;
    if (count_ == CAPACITY) {
        overflowed_ = true;
        return;
    }
    items_[count_].home = static_cast<Text&&>(normal);
    items_[count_].source = source;
    ++count_;
}

void gatherRuntimeCandidates(CandidateList& list, const Text& executableName) {
    gatherFromRegistry(list);
    list.add(environmentVariable("JAVA_HOME"), "JAVA_HOME");
    gatherFromPath(list, executableName);
    gatherFromVendorFolders(list, executableName);
}
