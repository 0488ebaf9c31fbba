#include <gtest/gtest.h>

#include <string>

#include "launcher/main_flow.h"
#include "launcher/variables.h"

namespace {

// The environment of these cases: HOME, and PERCENT, whose value names HOME.
Text fakeEnvironment(const char* name) {
    if (lstrcmpiA(name, "HOME") == 0) return "C:\\Users\\me";
    if (lstrcmpiA(name, "PERCENT") == 0) return "%HOME%";
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
