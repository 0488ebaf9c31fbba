#include <gtest/gtest.h>

#include <string>

#include "launcher/vm_options.h"

namespace {

std::string join(const std::string& file) { return joinVmOptionLines(file.data(), file.size()).c_str(); }

}  // namespace

TEST(VmOptionsFile, LinesAreJoinedEachFollowedByOneBlank) {
    struct Case {
        std::string file;
        std::string options;
    };
    const Case cases[] = {
        {"-Xmx512m\n-Dx=1\n", "-Xmx512m -Dx=1  "},   // the read at the end adds its blank
        {"-Xmx512m\n-Dx=1", "-Xmx512m -Dx=1 "},
        {"", " "},
        {"\n", "  "},
        {"a\n\nb", "a  b "},                          // an empty line adds a blank
        {"-Xmx512m\r\n-Dx=1\r\n", "-Xmx512m -Dx=1  "}, // CR LF reads as LF
        {"a\rb\n", "a\rb  "},                         // a lone CR stays
        {"a\r\r\nb", "a\r b "},
        {"  -Da=1\t\n# not a comment\n", "  -Da=1\t # not a comment  "},
        {"-Da\x1A-Db\n", "-Da "},                      // Ctrl-Z ends the input
        {"\x1A", " "},
        {std::string("-D\0x\ny", 6), "-D y "},        // a NUL ends the line's text
    };
    for (const Case& c : cases) EXPECT_EQ(c.options, join(c.file)) << c.file;
}

TEST(VmOptionsFile, LineOf4095IsWholeAndALongerOneEndsTheReading) {
    const std::string fits(4095, 'f');
    EXPECT_EQ(fits + " next  ", join(fits + "\nnext\n"));
    EXPECT_EQ(fits + " next  ", join(fits + "\r\nnext\n"));
    EXPECT_EQ(fits + " ", join(fits));
    const std::string longer(4096, 'l');
    EXPECT_EQ(std::string(4095, 'l') + " ", join(longer + "\nnext\n"));
    EXPECT_EQ(std::string(4095, 'l') + " ", join(std::string(10000, 'l') + "\nnext\n"));
}

// A UTF-8 byte-order mark never starts the first option: the file is UTF-8
// text then, converted when the launcher's ANSI code page is another.
TEST(VmOptionsFile, ByteOrderMarkIsSkippedInEitherCodePage) {
    struct Case {
        UINT codePage;
        std::string file;
        std::string options;
    };
    const Case cases[] = {
        {1252, "\xEF\xBB\xBF-Xmx512m\r\n-Dname=Donn\xC3\xA9" "es\r\n", "-Xmx512m -Dname=Donn\xE9" "es  "},
        {CP_UTF8, "\xEF\xBB\xBF-Xmx512m\r\n-Dname=Donn\xC3\xA9" "es\r\n", "-Xmx512m -Dname=Donn\xC3\xA9" "es  "},
        {1252, "\xEF\xBB\xBF-Duser=\xD0\x94\xD0\xB8\xD0\xBC\xD0\xB0", "-Duser=???? "},  // not in the code page
        {1252, "\xEF\xBB\xBF", " "},
        {CP_UTF8, "\xEF\xBB\xBF", " "},
        // Without the mark the bytes stand as they are, in either code page.
        {1252, "-Dname=Donn\xE9" "es", "-Dname=Donn\xE9" "es "},
        {CP_UTF8, "-Dname=Donn\xC3\xA9" "es", "-Dname=Donn\xC3\xA9" "es "},
        {1252, "\xEF\xBB-Da", "\xEF\xBB-Da "},
        {1252, "-Da\n\xEF\xBB\xBF-Db", "-Da \xEF\xBB\xBF-Db "},
    };
    for (const Case& c : cases) {
        const Text text = vmOptionsFileText(c.file.data(), c.file.size(), c.codePage);
        EXPECT_EQ(c.options, join(std::string(text.c_str(), text.length()))) << c.file;
    }
}
