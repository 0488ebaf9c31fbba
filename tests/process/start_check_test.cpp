// What the start check keeps of the application's output, and what its
// error box says.
#include <gtest/gtest.h>

#include <string>

#include "process/start_check.h"

namespace {

const std::string HEAD = "The application ended at start with exit code ";

std::string numberedLines(int from, int to, const std::string& ending = "\n") {
    std::string text;
    for (int i = from; i <= to; ++i) text += "line " + std::to_string(i) + ending;
    return text;
}

}  // namespace

TEST(StartCheckText, BoxShowsTheExitCodeAndTheLastLinesThatFit) {
    const std::string wide(150, 'w');
    std::string wideLines;
    for (int i = 0; i < 20; ++i) wideLines += wide + "\n";
    const std::string longLine = std::string(500, 'a') + std::string(2000, 'z');
    struct Case {
        const char* name;
        unsigned long exitCode;
        std::string output, expected;
    };
    const Case cases[] = {
        {"no output", 1, "", HEAD + "1."},
        {"only empty and picked-up lines", 2, "\r\nPicked up JAVA_TOOL_OPTIONS: -Xss4m\r\n\n", HEAD + "2."},
        {"JVM error", 1,
         "Picked up _JAVA_OPTIONS: -Xmx1024m\r\nError occurred during initialization of VM\r\n\r\n"
         "Could not reserve enough space for object heap\r\n",
         HEAD + "1.\n\nError occurred during initialization of VM\nCould not reserve enough space for object heap"},
        {"a crash, no line end at the end", 0xC0000005ul, "Exception in thread \"main\"",
         HEAD + "0xC0000005.\n\nException in thread \"main\""},
        {"twenty lines of thirty", 1, numberedLines(1, 30, "\r\n"), HEAD + "1.\n\n" + numberedLines(11, 29) + "line 30"},
        // Thirteen lines of 150 and their breaks take 1,962 characters; a
        // fourteenth would pass 2,000.
        {"two thousand characters", 1, wideLines, HEAD + "1.\n\n" + wideLines.substr(0, 13 * 151 - 1)},
        {"one line longer than the bound", 1, "first\n" + longLine, HEAD + "1.\n\n" + std::string(2000, 'z')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, startFailureMessage(c.exitCode, c.output.c_str()).c_str()) << c.name;
    }
}

// The reader thread hands over chunks cut anywhere; the kept end starts
// with a whole line, or is the end of one line longer than what is kept.
TEST(StartCheckText, KeepsTheEndOfTheOutputFromALineStart) {
    for (const std::string& output : {numberedLines(1000, 1999), "x\n" + std::string(10000, 'y') + "z"}) {
        StartOutputTail tail;
        for (size_t at = 0; at < output.size(); at += 255) tail.take(output.substr(at, 255).c_str());
        const std::string kept = tail.textOnceEnded(nullptr).c_str();
        EXPECT_LE(kept.size(), OUTPUT_KEPT);
        EXPECT_GT(kept.size(), OUTPUT_KEPT - 10);
        EXPECT_EQ(0u, kept.find_first_of("ly"));
        EXPECT_EQ(output.substr(output.size() - kept.size()), kept);
    }
}
