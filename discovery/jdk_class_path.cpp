#include "discovery/jdk_class_path.h"

#include <windows.h>

#include "discovery/path_exists.h"
#include "base/state.h"
#include "base/handle.h"
#include "base/trace.h"

void appendLibraryEntry(Text& list, const Text& home, const char* fileName) {
    if (!list.empty()) list += ';';
    list += '"';
    list += home;
    list += "\\lib\\";
    list += fileName;
    list += '"';
}

Text buildJdkLibraryClassPath() {
    traceDirect("JDK PATH...");
    traceDirect(runtimeHome);
    // An empty home (the current-directory fallback) would put the jars of
    // "\lib" on the current drive's root before the application's classes.
    if (!isAbsolutePath(runtimeHome)) return Text();
    WIN32_FIND_DATAA entry;
    FindHandle listing(FindFirstFileA((runtimeHome + "\\lib\\*.jar").c_str(), &entry));
    if (!listing) return Text();
    Text list;
    do {
        appendLibraryEntry(list, runtimeHome, entry.cFileName);
    } while (FindNextFileA(listing.get(), &entry));
    traceDirect(list);
    return list;
}

Text bootClassPathLibraries() {
    if (runtimeFeatureVersion >= 9) {
        traceDirect("No boot class path: Java 9 or later");
        return Text();
    }
    return buildJdkLibraryClassPath();
}
