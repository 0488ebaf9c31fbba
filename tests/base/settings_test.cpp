// Settings read from this test program's own string table (support/test_settings.rc),
// the way the launcher reads its own.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "base/settings.h"

TEST(LaunchSettings, FlagIsOnForAnyTextAndOffWhenAbsentOrEmpty) {
    EXPECT_EQ(1, isSettingPresent(PROP_SPLASH));           // "0"
    EXPECT_EQ(1, isSettingPresent(PROP_STAY_ALIVE));       // " "
    EXPECT_EQ(1, isSettingPresent(PROP_WAIT_FOR_WINDOW));  // "false"
    EXPECT_EQ(0, isSettingPresent(PROP_WORK_DIR));         // ""
    EXPECT_EQ(0, isSettingPresent(PROP_SEARCH_JDK_ONLY));  // absent
}

TEST(LaunchSettings, LongTextsComeBackWholeAcrossEveryBufferStep) {
    // 300 characters, and texts right at the edges of the 256-character
    // steps, where the loader may have cut them.
    EXPECT_EQ(std::string(300, 'j'), loadSettingText(PROP_JRE_PATH).c_str());
    EXPECT_EQ(std::string(253, 'a'), loadSettingText(106).c_str());
    EXPECT_EQ(std::string(254, 'b'), loadSettingText(107).c_str());
    EXPECT_EQ(std::string(255, 'c'), loadSettingText(108).c_str());
    EXPECT_EQ(std::string(510, 'd'), loadSettingText(109).c_str());
    EXPECT_EQ(std::string(2000, 'e'), loadSettingText(110).c_str());
    EXPECT_STREQ("", loadSettingText(PROP_SEARCH_JDK_ONLY).c_str());
}

TEST(LaunchSettings, IntegersFollowTheAsciiToIntegerRule) {
    EXPECT_EQ(12, loadSettingInt(PROP_SPLASH_TIMEOUT));  // "12abc"
    EXPECT_EQ(-4, loadSettingInt(PROP_VM_OPTIONS));      // "  -4"
    EXPECT_EQ(0, loadSettingInt(PROP_START_JAR));        // "abc"
    EXPECT_EQ(0, loadSettingInt(PROP_SEARCH_JDK_ONLY));  // absent

    EXPECT_EQ(7, asciiToInt("7x"));
    EXPECT_EQ(0, asciiToInt("-"));
    EXPECT_EQ(5, asciiToInt("\t\n +5"));
    EXPECT_EQ(0, asciiToInt("x5"));
    EXPECT_EQ(INT_MAX, asciiToInt("99999999999999999999"));
    EXPECT_EQ(INT_MIN, asciiToInt("-2147483648"));
    EXPECT_EQ(INT_MIN, asciiToInt("-99999999999"));
}

TEST(LaunchSettings, LauncherPathEndsAtItsLastBackslash) {
    char path[MAX_PATH];
    int at = getLauncherPath(path);
    ASSERT_GT(at, 0);
    EXPECT_EQ('\\', path[at]);
    EXPECT_EQ(nullptr, strchr(path + at + 1, '\\'));
    EXPECT_STREQ("base_tests.exe", path + at + 1);
}
