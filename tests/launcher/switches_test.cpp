#include <gtest/gtest.h>

#include <string>

#include "launcher/switches.h"

TEST(Switches, AreRemovedAsPlainSubstringsWhereverTheyStand) {
    struct Case {
        const char* input;
        bool console, debug, help;
        const char* remaining;
    };
    const Case cases[] = {
        {"", false, false, false, ""},
        {"a b", false, false, false, "a b"},
        {"-Xdebug", false, true, false, ""},
        {"-Xdebug a", false, true, false, " a"},
        {"a  -Xconsole  b", true, false, false, "a    b"},
        // Letter case counts: these reach the application unchanged.
        {"-XDEBUG -xdebug -XConsole", false, false, false, "-XDEBUG -xdebug -XConsole"},
        // Inside a longer word, a quoted argument or a file name.
        {"-Xdebugger", false, true, false, "ger"},
        {"\"C:\\my -Xdebug dir\\f.txt\"", false, true, false, "\"C:\\my  dir\\f.txt\""},
        {"x-Xhelp.log", false, false, true, "x.log"},
        // Given twice: removed twice.
        {"-Xdebug a -Xdebug", false, true, false, " a "},
        // The console pass is over when removing -Xdebug joins -Xconsole.
        {"-Xcon-Xdebugsole", false, true, false, "-Xconsole"},
        // Each search restarts at 0: a join that forms the switch again goes too.
        {"-X-Xdebugdebug", false, true, false, ""},
        {"-Xhelp -Xdebug -Xconsole", true, true, true, "  "},
    };
    for (const Case& c : cases) {
        LauncherSwitches s = parseSwitches(c.input);
        EXPECT_EQ(c.console, s.console) << c.input;
        EXPECT_EQ(c.debug, s.debug) << c.input;
        EXPECT_EQ(c.help, s.help) << c.input;
        EXPECT_STREQ(c.remaining, s.remainingArguments.c_str()) << c.input;
    }
}

TEST(Switches, ReplacementThatHoldsTheSwitchEnds) {
    Text text("a -Xdebug b");
    EXPECT_TRUE(removeAllOccurrences(text, "-Xdebug", "[-Xdebug]"));
    EXPECT_STREQ("a [-Xdebug] b", text.c_str());
    Text none("nothing here");
    EXPECT_FALSE(removeAllOccurrences(none, "-Xdebug", ""));
    EXPECT_STREQ("nothing here", none.c_str());
}

TEST(Switches, UsageTextIsExact) {
    EXPECT_STREQ(
        "Options: \nuse -Xconsole to run java with console window\nuse -Xdebug to get output to log file\n"
        "use -Xhelp to get help about usage.",
        usageText().c_str());
}

// Where the arguments begin, by bytes taken as unsigned: a name with
// letters above 127, quoted or not, never leaks into the arguments.
TEST(CommandLineTail, SkipsTheProgramNameQuotedOrNotWhateverItsLetters) {
    struct Case {
        UINT codePage;
        const char* commandLine;
        const char* tail;
    };
    const Case cases[] = {
        {1252, "C:\\Donn\xE9" "es\\app\\MyApp.exe hello", "hello"},
        {1252, "\"C:\\Donn\xE9" "es\\my app\\MyApp.exe\" hello \xE9t\xE9", "hello \xE9t\xE9"},
        {1252, "\xC9t\xE9.exe \t  a  b ", "a  b "},
        {1252, "C:\\a\"b c\"d.exe x", "x"},  // a quote inside the name toggles too
        {1252, "MyApp.exe", ""},
        {1252, "\"C:\\My App.exe\"", ""},
        {1252, "", ""},
        // Japanese (932): the folder "\x93\xfa\x96\x7b" is two double-byte letters.
        {932, "C:\\\x93\xfa\x96\x7b\\MyApp.exe hello", "hello"},
        {932, "\"C:\\\x93\xfa\x96\x7b \x83\x41\\MyApp.exe\" -Xdebug \x93\xfa", "-Xdebug \x93\xfa"},
        // A lead byte at the very end takes no terminator with it.
        {932, "C:\\MyApp\x93", ""},
        // UTF-8, as in Unicode mode.
        {CP_UTF8, "C:\\\xD0\x94\xD0\xB0\\\xE6\x97\xA5.exe \xCE\xB1", "\xCE\xB1"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.tail, commandLineTail(c.commandLine, c.codePage)) << c.commandLine;
    }
}
