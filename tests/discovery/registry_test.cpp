// Registry lookups against real keys of the test prefix, written in the
// view a 32-bit process sees.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/path_exists.h"
#include "discovery/registry.h"
#include "discovery/runtime_search.h"
#include "discovery/version_probe.h"
#include "java_home.h"
#include "java_registry.h"
#include "temp_folder.h"
#include "trace_capture.h"

using Lines = std::vector<std::string>;

namespace {

struct Fixture {
    JavaRegistry registry;
    TempFolder folder{"registry homes"};
    Text savedMinimum = minimumVersion;
    Fixture() {
        minimumVersion = "1.5";
        runtimeHome = "";
    }
    ~Fixture() { minimumVersion = savedMinimum; }
    std::string home(const std::string& name, bool withRuntime = true) {
        std::string path = folder / name;
        if (withRuntime) JavaHome created(path);
        return path;
    }
};

}  // namespace

TEST(RegistryLookups, LaterAcceptableVersionKeyWinsAndEveryCandidateIsTraced) {
    Fixture f;
    const std::string old = f.home("jre 1.4"), five = f.home("jre 1.5"), eleven = f.home("jre 1.5.0_11");
    f.registry.addVersion(HKEY_LOCAL_MACHINE, JRE_KEY_PATH, "1.4.2_08", old);
    f.registry.addVersion(HKEY_LOCAL_MACHINE, JRE_KEY_PATH, "1.5", five);
    f.registry.addVersion(HKEY_LOCAL_MACHINE, JRE_KEY_PATH, "1.5.0_11", eleven);
    TraceCapture capture;
    Text result = findInVersionKeys(HKEY_LOCAL_MACHINE, JRE_KEY);
    EXPECT_EQ(eleven + "\\bin\\javaw.exe", result.c_str());
    EXPECT_EQ(eleven, runtimeHome.c_str());
    EXPECT_EQ((Lines{"1.5", "found", five + "\\bin\\javaw.exe", "1.5.0_11", "found", eleven + "\\bin\\javaw.exe"}),
              capture.lines());
}

TEST(RegistryLookups, LastAcceptableKeyWithoutItsExecutableLeavesTheEarlierOne) {
    Fixture f;
    const std::string five = f.home("jre 1.5"), missing = f.home("jre 1.6", false);
    f.registry.addVersion(HKEY_CURRENT_USER, JRE_KEY_PATH, "1.5", five);
    f.registry.addVersion(HKEY_CURRENT_USER, JRE_KEY_PATH, "1.6", missing);
    TraceCapture capture;
    EXPECT_EQ(five + "\\bin\\javaw.exe", findInVersionKeys(HKEY_CURRENT_USER, JRE_KEY).c_str());
    EXPECT_EQ(five, runtimeHome.c_str());
    EXPECT_EQ((Lines{"1.5", "found", five + "\\bin\\javaw.exe", "1.6", missing + "\\bin\\javaw.exe"}),
              capture.lines());
    // Only under the root asked for.
    EXPECT_STREQ("", findInVersionKeys(HKEY_LOCAL_MACHINE, JRE_KEY).c_str());
}

TEST(RegistryLookups, KeyWithoutJavaHomeGivesACandidateThatDoesNotExist) {
    Fixture f;
    f.registry.addVersionWithoutHome(HKEY_LOCAL_MACHINE, JRE_KEY_PATH, "1.6");
    TraceCapture capture;
    EXPECT_STREQ("", findInVersionKeys(HKEY_LOCAL_MACHINE, JRE_KEY).c_str());
    EXPECT_EQ((Lines{"1.6", "\\bin\\javaw.exe"}), capture.lines());
}

TEST(RegistryLookups, CurrentVersionNamesTheSubkeyWhoseHomeIsRead) {
    Fixture f;
    f.registry.addVersion(HKEY_CURRENT_USER, JRE_KEY_PATH, "1.6", "C:\\java six");
    f.registry.setCurrentVersion(HKEY_CURRENT_USER, "1.6");
    EXPECT_STREQ("", findJreCurrentHome(HKEY_LOCAL_MACHINE).c_str());
    EXPECT_STREQ("C:\\java six", findJreCurrentHome(HKEY_CURRENT_USER).c_str());

    // Without "CurrentVersion" the home is looked for on the key itself.
    JavaRegistry::clear();
    f.registry.setValue(HKEY_LOCAL_MACHINE, JRE_KEY_PATH, "JavaHome", "C:\\on the key");
    EXPECT_STREQ("C:\\on the key", findJreCurrentHome(HKEY_LOCAL_MACHINE).c_str());
}

TEST(RegistryLookups, ValuesThatDoNotFitAreEmptyAndNeverReadPastTheBuffer) {
    Fixture f;
    f.registry.setValue(HKEY_CURRENT_USER, JRE_KEY_PATH, "Fits", std::string(1023, 'f'));
    f.registry.setValue(HKEY_CURRENT_USER, JRE_KEY_PATH, "TooLong", std::string(1024, 't'));
    EXPECT_EQ(std::string(1023, 'f'), readRegistryString(HKEY_CURRENT_USER, JRE_KEY, "Fits").c_str());
    EXPECT_STREQ("", readRegistryString(HKEY_CURRENT_USER, JRE_KEY, "TooLong").c_str());
    EXPECT_STREQ("", readRegistryString(HKEY_CURRENT_USER, JRE_KEY, "Absent").c_str());
    EXPECT_STREQ("", readRegistryString(HKEY_CURRENT_USER, "SOFTWARE\\No Such Key", "Fits").c_str());
}

TEST(RegistryLookups, DevelopmentKitSaysJreKeyFoundOnlyWhenItsResultExists) {
    Fixture f;
    const std::string jdk = f.home("jdk 1.6");
    f.registry.addVersion(HKEY_LOCAL_MACHINE, JDK_KEY_PATH, "1.6.0_20", jdk);
    f.registry.addVersion(HKEY_CURRENT_USER, JDK_KEY_PATH, "1.6.0_21", f.home("jdk gone", false));
    TraceCapture capture;
    EXPECT_EQ(jdk + "\\bin\\javaw.exe", findJdkInRegistry(HKEY_LOCAL_MACHINE).c_str());
    EXPECT_STREQ("", findJdkInRegistry(HKEY_CURRENT_USER).c_str());
    EXPECT_EQ((Lines{"1.6.0_20", "found", jdk + "\\bin\\javaw.exe", "Jre key found in registry", "1.6.0_21",
                     f.folder / "jdk gone\\bin\\javaw.exe"}),
              capture.lines());
}

TEST(PathExists, FilesFoldersAndRootsExistWildcardsAndTrailingSeparatorsDoNot) {
    TempFolder folder("exists");
    writeFile(folder / "file.txt", "x");
    makeFolders(folder / "sub folder");
    struct Case {
        std::string path;
        bool exists;
    };
    const Case cases[] = {
        {folder / "file.txt", true},
        {folder / "sub folder", true},
        {folder / "sub folder\\", false},
        {folder / "file.txt\\", false},
        {folder / "*.txt", false},
        {folder / "file.tx?", false},
        {folder / "missing", false},
        {"", false},
        {"C:", false},
        {"C:\\", true},
        {"C:/", true},
        {"Q:\\", false},
        {"\\", true},
    };
    for (const Case& c : cases) EXPECT_EQ(c.exists, pathExists(c.path.c_str())) << c.path;
}
