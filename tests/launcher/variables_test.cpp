#include <gtest/gtest.h>

#include <string>

#include "launcher/main_flow.h"
#include "launcher/variables.h"

namespace {

// The environment of these cases: HOME, and PERCENT, whose value names HOME.
Text fakeEnvironment(const char* name) {
    if (lstrcmpiA(name, "HOME") == 0) return "C:\\Users\\me";
    if (lstrcmpiA(name, "PERCENT") == 0) return "%HOME%";
    if (lstrcmpiA(name, "QUOTE") == 0) return "say \"hi\"";
    return Text();
}

}  // namespace

TEST(Variables, OwnNamesComeFirstUnknownNamesStayAndDoublePercentIsOne) {
    const Text dir("C:\\App"), file("C:\\App\\app.exe"), home("C:\\App\\jre");
    const OwnVariables own = {&dir, &file, &home};
    const OwnVariables homeNotKnown = {&dir, &file, nullptr};
    struct Case {
        const char* text;
        const OwnVariables* own;
        const char* expanded;
    };
    const Case cases[] = {
        {"-Dlogs=%HOME%\\logs", &own, "-Dlogs=C:\\Users\\me\\logs"},
        {"%home% %Launcher_Dir%", &own, "C:\\Users\\me C:\\App"},  // names compare without case
        {"%LAUNCHER_DIR%|%LAUNCHER_FILE%|%JAVA_HOME_FOUND%", &own, "C:\\App|C:\\App\\app.exe|C:\\App\\jre"},
        {"%JAVA_HOME_FOUND%\\lib", &homeNotKnown, "%JAVA_HOME_FOUND%\\lib"},
        {"%NO_SUCH% %HOME%", &own, "%NO_SUCH% C:\\Users\\me"},
        {"50% of %HOME%", &own, "50% of C:\\Users\\me"},  // " of " is no name: its closing % opens HOME
        {"100%%", &own, "100%"},
        {"%%HOME%%", &own, "%HOME%"},
        {"%PERCENT%", &own, "%HOME%"},  // a value is not expanded again
        {"%HOME", &own, "%HOME"},
        {"%", &own, "%"},
        {"", &own, ""},
    };
    for (const Case& c : cases) {
        Text expanded("left over");
        EXPECT_TRUE(expandVariables(c.text, *c.own, fakeEnvironment, expanded)) << c.text;
        EXPECT_STREQ(c.expanded, expanded.c_str()) << c.text;
    }
}

TEST(Variables, TextLongerThanTheLimitIsRefusedNotCut) {
    const OwnVariables none = {nullptr, nullptr, nullptr};
    Text expanded;
    EXPECT_TRUE(expandVariables("%HOME%", none, fakeEnvironment, expanded, 11));
    EXPECT_FALSE(expandVariables("%HOME%", none, fakeEnvironment, expanded, 10));
    EXPECT_FALSE(expandVariables(std::string(EXPANDED_TEXT_MAX + 1, 'x').c_str(), none, fakeEnvironment, expanded));
}

TEST(Variables, RuntimeHomeIsTheFolderAboveTheExecutablesFolder) {
    EXPECT_STREQ("C:\\App\\jre", runtimeHomeOf("C:\\App\\jre\\bin\\javaw.exe").c_str());
    EXPECT_STREQ("", runtimeHomeOf("javaw.exe").c_str());
}

TEST(WorkingDirectory, AnAbsoluteExpandedSettingStandsAlone) {
    struct Case {
        const char* setting;
        bool absoluteStandsAlone;
        const char* directory;
    };
    const Case cases[] = {
        {"D:\\data", true, "D:\\data"},
        {"\\\\server\\share", true, "\\\\server\\share"},
        {"data", true, "C:\\App\\data"},
        {"D:data", true, "C:\\App\\D:data"},
        {"D:\\data", false, "C:\\App\\D:\\data"},  // as without the expansion
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.directory, workingDirectoryFor("C:\\App", c.setting, c.absoluteStandsAlone).c_str()) << c.setting;
    }
}

// Names compare by ASCII case alone: a locale's rules would make
// %launcher_dir% no name under Turkish, and take a soft hyphen for nothing.
TEST(Variables, NamesCompareWithoutTheLocale) {
    const Text dir("C:\\App");
    const OwnVariables own = {&dir, nullptr, nullptr};
    const LCID before = GetThreadLocale();
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_TURKISH, SUBLANG_TURKISH_TURKEY), SORT_DEFAULT));
    Text expanded, notAName;
    expandVariables("%launcher_dir%", own, fakeEnvironment, expanded);
    expandVariables("%LAUNCHER_DIR\xAD%", own, fakeEnvironment, notAName);
    SetThreadLocale(before);
    EXPECT_STREQ("C:\\App", expanded.c_str());
    EXPECT_STREQ("%LAUNCHER_DIR\xAD%", notAName.c_str());
}

// Each option a value changed becomes one argument; the others stay byte
// for byte, quotes and all.
TEST(Variables, OptionsThatAValueChangedBecomeOneArgumentEach) {
    const Text dir("C:\\Program Files\\My App"), file("C:\\App\\app.exe"), home("C:\\jre\\");
    const OwnVariables own = {&dir, &file, &home};
    struct Case {
        const char* options;
        const char* expanded;
    };
    const Case cases[] = {
        {"-Dhome=%LAUNCHER_DIR% -Xmx64m", "\"-Dhome=C:\\Program Files\\My App\" -Xmx64m"},
        {"\"-Dhome=%LAUNCHER_DIR%\"", "\"-Dhome=C:\\Program Files\\My App\""},
        {"\"-Dj=%JAVA_HOME_FOUND%\"", "-Dj=C:\\jre\\"},
        {"-Dj=\"%JAVA_HOME_FOUND% x\"", "\"-Dj=C:\\jre\\ x\""},
        {"-Dq=%QUOTE%  \"-Dkept=a b\"\t-Dz", "\"-Dq=say \\\"hi\\\"\"  \"-Dkept=a b\"\t-Dz"},
        {"-Df=100%% -Dp=\\\"x", "-Df=100% -Dp=\\\"x"},
        {"-Dfile=%LAUNCHER_FILE% %NO_SUCH%", "-Dfile=C:\\App\\app.exe %NO_SUCH%"},
    };
    for (const Case& c : cases) {
        Text expanded;
        EXPECT_TRUE(expandOptions(c.options, own, fakeEnvironment, expanded)) << c.options;
        EXPECT_STREQ(c.expanded, expanded.c_str()) << c.options;
    }
}
