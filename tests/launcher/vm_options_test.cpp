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
