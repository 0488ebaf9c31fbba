#include <gtest/gtest.h>

#include <direct.h>
#include <windows.h>

#include <string>
#include <vector>

#include "launcher/jar_in_image.h"
#include "launcher/main_flow.h"
#include "launcher/vm_options.h"
#include "trace_capture.h"

using Lines = std::vector<std::string>;

namespace {

std::string currentFolder() {
    char buffer[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, buffer);
    return buffer;
}

}  // namespace

TEST(ArgumentLine, IsOptionsJarOneBlankAndTheRemainingArgumentsUnquoted) {
    EXPECT_STREQ("V -jar J a b", buildArgumentLine("V", "", "J", "a b").c_str());
    // A removed switch leaves its blank: " a" as the remaining arguments.
    EXPECT_STREQ("V -jar J  a", buildArgumentLine("V", "", "J", " a").c_str());
    // Options from a file end in a blank; no arguments end the line in one.
    EXPECT_STREQ("-Xmx1m  -jar my app.jar ", buildArgumentLine("-Xmx1m ", "", "my app.jar", "").c_str());
    EXPECT_STREQ(" -jar J ", buildArgumentLine("", "", "J", "").c_str());
}

TEST(ArgumentLine, JdkLibrariesGoOnTheBootClassPathBeforeTheJar) {
    EXPECT_STREQ("V -Xbootclasspath/p:\"C:\\jdk\\lib\\dt.jar\" -jar J x",
                 buildArgumentLine("V", "\"C:\\jdk\\lib\\dt.jar\"", "J", "x").c_str());
}

TEST(WorkingDirectory, IsTheLauncherFolderABackslashAndTheSetting) {
    EXPECT_STREQ("C:\\Apps\\Tool\\", workingDirectoryFor("C:\\Apps\\Tool", "").c_str());
    EXPECT_STREQ("C:\\Apps\\Tool\\..\\x", workingDirectoryFor("C:\\Apps\\Tool", "..\\x").c_str());
}

// When the system gives no path of the launcher, it does not know its
// folder: it neither guesses a working directory nor an options file.
TEST(UnknownLauncherFolder, StaysInTheStartFolderAndUsesTheOptionsSetting) {
    TraceCapture capture;
    const std::string before = currentFolder();
    enterWorkingDirectory(Text());
    EXPECT_EQ(before, currentFolder());
    EXPECT_STREQ("  -4", loadVmOptionsFrom(Text()).c_str());  // PROP_VM_OPTIONS of this program
    EXPECT_EQ((Lines{"PROP_WORK_DIR: ", "Working dir: \\", "ERROR: Cannot set working dir.", "Loading VM options.",
                     "Try to load VM options from file: ", "File was not found: "}),
              capture.lines());
}

TEST(LaunchFailureMessage, KeepsTheFirstLineAndFitsTheMessageBuffer) {
    EXPECT_STREQ("Error occured while starting the application...\nThe system cannot find the file specified.",
                 launchFailureMessage("The system cannot find the file specified.").c_str());
    EXPECT_EQ(1023u, launchFailureMessage(std::string(5000, 'r').c_str()).length());
}

// Java's launcher finds the manifest only through an end record whose
// comment reaches the file's end.
TEST(JarInImage, EndRecordMustReachTheFilesEnd) {
    const std::string end = std::string("PK\x05\x06", 4) + std::string(16, '\0');
    struct Case {
        std::string tail;
        bool readable;
    };
    const Case cases[] = {
        {"data" + end + std::string(2, '\0'), true},
        {"data" + end + std::string("\x03\0abc", 5), true},                  // a comment of 3 that reaches the end
        {"data" + end + std::string(2, '\0') + "signature", false},           // bytes after it
        {"data" + end + std::string("\x05\0abc", 5), false},                 // a comment that would pass the end
        {end + std::string(2, '\0') + end + "\x05" + '\0', false},  // neither record reaches
        {"no zip at all", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.readable, zipEndReachesTheEnd(reinterpret_cast<const unsigned char*>(c.tail.data()), c.tail.size()))
            << c.tail.size();
    }
}
