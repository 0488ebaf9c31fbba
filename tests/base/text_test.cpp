#include <gtest/gtest.h>

#include <string>

#include "base/code_pages.h"
#include "base/text.h"

TEST(Text, GrowsAcrossManyAppendsAndStaysTerminated) {
    Text t;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        t += static_cast<char>('a' + i % 26);
        expected += static_cast<char>('a' + i % 26);
    }
    EXPECT_EQ(expected, t.c_str());
    EXPECT_EQ(expected.size(), t.length());
}

TEST(Text, AppendingItselfDoesNotReadFreedMemory) {
    Text t("abc");
    for (int i = 0; i < 8; ++i) t.append(t);
    EXPECT_EQ(3u * 256, t.length());
    EXPECT_EQ(0, std::string(t.c_str()).compare(0, 6, "abcabc"));
}

TEST(Text, EmptyTextIsAnEmptyTerminatedString) {
    Text t;
    EXPECT_STREQ("", t.c_str());
    EXPECT_TRUE(t.empty());
    Text moved(static_cast<Text&&>(t));
    EXPECT_STREQ("", t.c_str());
    EXPECT_STREQ("", moved.c_str());
}

TEST(Text, FindSubstrEraseAtTheEdges) {
    Text t("-Xdebug a -Xdebug");
    EXPECT_EQ(0u, t.find("-Xdebug"));
    EXPECT_EQ(10u, t.find("-Xdebug", 1));
    EXPECT_EQ(Text::npos, t.find("-Xdebug", 11));
    EXPECT_EQ(Text::npos, t.find("x", 99));
    EXPECT_EQ(Text::npos, t.find(""));
    EXPECT_STREQ("a", t.substr(8, 1).c_str());
    EXPECT_STREQ("", t.substr(99).c_str());
    t.erase(10, 999);
    EXPECT_STREQ("-Xdebug a ", t.c_str());
    EXPECT_EQ(9u, t.findLast(' '));
}

TEST(Text, ComparesByLengthNotOnlyByPrefix) {
    EXPECT_TRUE(Text("abc") == "abc");
    EXPECT_FALSE(Text("abc") == "ab");
    EXPECT_FALSE(Text("ab") == "abc");
    EXPECT_TRUE(Text() == "");
    EXPECT_TRUE(Text("x") + "y" == Text("xy"));
}

// A cut at the returned position halves no character of the code page.
TEST(CodePages, CharacterStartSkipsTrailAndContinuationBytes) {
    const std::string shiftJis = "a\x82\xA0\x82\xA2z";  // a, two double-byte characters, z
    const std::string utf8 = "a\xD0\x96\xE2\x82\xACz";   // a, a two-byte and a three-byte character, z
    struct Case {
        const std::string* text;
        UINT codePage;
        size_t at, start;
    };
    const Case cases[] = {
        {&shiftJis, 932, 1, 1}, {&shiftJis, 932, 2, 3}, {&shiftJis, 932, 4, 5}, {&shiftJis, 932, 9, 6},
        {&shiftJis, 1252, 2, 2}, {&utf8, CP_UTF8, 2, 3}, {&utf8, CP_UTF8, 4, 6}, {&utf8, CP_UTF8, 6, 6},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.start, characterStartFrom(c.text->c_str(), c.text->size(), c.at, c.codePage))
            << c.codePage << " at " << c.at;
    }
}
