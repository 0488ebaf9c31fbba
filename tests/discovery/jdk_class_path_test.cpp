#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "discovery/jdk_class_path.h"
#include "discovery/runtime_search.h"
#include "temp_folder.h"
#include "trace_capture.h"

using Lines = std::vector<std::string>;

namespace {

// The jar names in the order the system lists them.
std::vector<std::string> listed(const std::string& lib) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE listing = FindFirstFileA((lib + "\\*.jar").c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE) return names;
    do names.push_back(entry.cFileName);
    while (FindNextFileA(listing, &entry));
    FindClose(listing);
    return names;
}

}  // namespace

TEST(JdkClassPath, QuotedEntriesInListingOrderSeparatedBySemicolons) {
    TempFolder home("jdk home");
    for (const char* jar : {"tools.jar", "dt.jar", "jconsole.jar"}) writeFile(home / ("lib\\" + std::string(jar)), "PK");
    writeFile(home / "lib\\readme.txt", "not a jar");
    runtimeHome = home.path().c_str();
    TraceCapture capture;
    const std::string list = buildJdkLibraryClassPath().c_str();
    std::string expected;
    for (const std::string& name : listed(home / "lib")) {
        if (!expected.empty()) expected += ";";
        expected += "\"" + home.path() + "\\lib\\" + name + "\"";
    }
    EXPECT_EQ(expected, list);
    EXPECT_EQ((Lines{"JDK PATH...", home.path(), expected}), capture.lines());
}

TEST(JdkClassPath, OneJarHasNoSeparator) {
    TempFolder home("jdk home");
    writeFile(home / "lib\\tools.jar", "PK");
    runtimeHome = home.path().c_str();
    EXPECT_EQ("\"" + home.path() + "\\lib\\tools.jar\"", buildJdkLibraryClassPath().c_str());
}

TEST(JdkClassPath, EmptyOrMissingLibFolderGivesNothingAndTracesNoList) {
    TempFolder home("jdk home");
    runtimeHome = home.path().c_str();
    TraceCapture capture;
    EXPECT_STREQ("", buildJdkLibraryClassPath().c_str());
    makeFolders(home / "lib");
    EXPECT_STREQ("", buildJdkLibraryClassPath().c_str());
    EXPECT_EQ((Lines{"JDK PATH...", home.path(), "JDK PATH...", home.path()}), capture.lines());
}

// An empty home (the current-directory fallback) would list "\lib" on the
// current drive's root; a relative one, the current folder.
TEST(JdkClassPath, HomeThatIsNoAbsolutePathGivesNothing) {
    TempFolder folder("jdk relative");
    writeFile(folder / "jdk\\lib\\tools.jar", "PK");
    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    SetCurrentDirectoryA(folder.path().c_str());
    TraceCapture capture;
    for (const char* home : {"jdk", ""}) {
        runtimeHome = home;
        EXPECT_STREQ("", buildJdkLibraryClassPath().c_str()) << home;
    }
    SetCurrentDirectoryA(saved);
    EXPECT_EQ((Lines{"JDK PATH...", "jdk", "JDK PATH...", ""}), capture.lines());
}

TEST(JdkClassPath, AppendingEntriesQuotesEachAndSeparatesThem) {
    Text list;
    appendLibraryEntry(list, "C:\\jdk", "dt.jar");
    appendLibraryEntry(list, "C:\\jdk", "tools.jar");
    EXPECT_STREQ("\"C:\\jdk\\lib\\dt.jar\";\"C:\\jdk\\lib\\tools.jar\"", list.c_str());
}
