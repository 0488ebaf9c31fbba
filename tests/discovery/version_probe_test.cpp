#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "discovery/version_probe.h"
#include "java_home.h"
#include "temp_folder.h"
#include "trace_capture.h"

using Lines = std::vector<std::string>;

namespace {

class MinimumVersion {
public:
    explicit MinimumVersion(const char* value) : saved_(minimumVersion) { minimumVersion = value; }
    ~MinimumVersion() { minimumVersion = saved_; }

private:
    Text saved_;
};

}  // namespace

TEST(VersionRule, ComparesTextNotNumbers) {
    MinimumVersion minimum("1.5");
    struct Case {
        const char* version;
        bool acceptable;
    };
    const Case cases[] = {
        {"1.5.0_11\"\r\nmore lines", true}, {"1.6.0\"", true}, {"1.4.2_08\"", false},
        {"1.10\"", false},                  {"", false},       {"1.5", true},
        {"1", false},                       {"2", true},       {"1.5\xE9", true},
    };
    for (const Case& c : cases) EXPECT_EQ(c.acceptable, isVersionAcceptable(c.version)) << c.version;
}

TEST(VersionRule, LaterCharacterDecidesWhenTheStartIsEqual) {
    MinimumVersion minimum("1.5.0_11");
    EXPECT_TRUE(isVersionAcceptable("1.5.0_9"));
    EXPECT_FALSE(isVersionAcceptable("1.5.0_10"));
    EXPECT_TRUE(isVersionAcceptable("1.5.0_11"));
    EXPECT_LT(compareVersionTexts("", "1"), 0);
    EXPECT_EQ(0, compareVersionTexts("", ""));
    EXPECT_GT(compareVersionTexts("\xE9", "z"), 0);  // codes above 127 count as such
}

TEST(VersionProbe, DropsTheFirst14BytesOfWhatItRead) {
    EXPECT_STREQ("", versionFromProbeOutput("java version \"").c_str());   // exactly 14
    EXPECT_STREQ("1", versionFromProbeOutput("java version \"1").c_str());  // 15
    EXPECT_STREQ("", versionFromProbeOutput("short").c_str());
    EXPECT_STREQ("1.6.0_45\"\r\nnext", versionFromProbeOutput("java version \"1.6.0_45\"\r\nnext").c_str());
    // Options set in the environment make the runtime say so first.
    EXPECT_STREQ("1.4.2\"\n", versionFromProbeOutput("Picked up _JAVA_OPTIONS: -Xmx1g\r\n"
                                                      "Picked up JAVA_TOOL_OPTIONS: -Xss4m\njava version \"1.4.2\"\n")
                                   .c_str());
    // Other builds' answers give the quoted text.
    EXPECT_STREQ("1.8.0_452", versionFromProbeOutput("openjdk version \"1.8.0_452\"\r\nOpenJDK Runtime\r\n").c_str());
    EXPECT_STREQ("17.0.15", versionFromProbeOutput("Picked up X\nopenjdk version \"17.0.15\" 2025-04-15\n").c_str());
}

TEST(VersionProbe, QuotesTheExecutableAndNothingElse) {
    EXPECT_STREQ("\"C:\\Program Files\\Java\\jre6\\bin\\java.exe\" -version",
                 versionProbeCommand("C:\\Program Files\\Java\\jre6").c_str());
    EXPECT_STREQ("\"\\bin\\java.exe\" -version", versionProbeCommand("").c_str());
}

TEST(VersionProbe, ReadsTheVersionAndTracesWhatItSaw) {
    TempFolder folder("probe home");
    JavaHome home(folder.path());
    home.version("1.6.0_45");
    TraceCapture capture;
    Text version = probeJavaVersion(folder.path().c_str());
    EXPECT_STREQ("1.6.0_45\"\r\nStand-in Runtime Environment\r\n", version.c_str());
    const std::string output = "java version \"1.6.0_45\"\r\nStand-in Runtime Environment\r\n";
    EXPECT_EQ((Lines{"CreateProcess: \"" + folder.path() + "\\bin\\java.exe\" -version", output, "Info = ", output}),
              capture.lines());
    // The probe runs "java.exe" whatever the launcher starts later.
    ASSERT_EQ(1u, home.starts().size());
    EXPECT_EQ("\"" + home.java() + "\" -version", home.starts()[0].commandLine);
}

TEST(VersionProbe, ExactlyFourteenBytesOfOutputGiveNoVersion) {
    TempFolder folder("probe home");
    JavaHome home(folder.path());
    home.configure("version_text=java version \"");
    EXPECT_STREQ("", probeJavaVersion(folder.path().c_str()).c_str());
}

TEST(VersionProbe, MissingRuntimeGivesEmptyTextAndAnEmptyInfoLine) {
    TraceCapture capture;
    EXPECT_STREQ("", probeJavaVersion("C:\\no runtime here").c_str());
    EXPECT_EQ((Lines{"CreateProcess: \"C:\\no runtime here\\bin\\java.exe\" -version", "Info = ", ""}),
              capture.lines());
}

// The rest of its text comes long after the probe's bound.
TEST(VersionProbe, LatePrinterGivesWhatArrivedWithinTheBound) {
    TempFolder folder("probe home");
    JavaHome home(folder.path());
    home.configure("version_text=java version \"1.7").configure("version_late_ms=60000").configure("version_late_text=.0\"");
    EXPECT_STREQ("1.7", probeJavaVersion(folder.path().c_str()).c_str());
}

// The runtime has ended, but a process it started holds its output open
// and prints later, within the bound: the probe reads what the runtime
// printed and does not wait for the rest.
TEST(VersionProbe, RuntimeThatEndedIsReadWithoutWhatItLeftRunning) {
    TempFolder folder("probe home");
    JavaHome home(folder.path());
    home.version("1.8.0_402").configure("grandchild_ms=3000");
    TraceCapture quiet;
    EXPECT_STREQ("1.8.0_402\"\r\nStand-in Runtime Environment\r\n", probeJavaVersion(folder.path().c_str()).c_str());
}

// While the reader thread appends, every copy the owner takes is a whole
// beginning of the final text.
TEST(CapturingRunner, CopiesTakenWhileTheChildPrintsAreWholeBeginnings) {
    TempFolder folder("capture");
    JavaHome home(folder.path());
    home.configure("output=0123456789abcdefghijklmnopqrstuvwxyz").configure("output_repeat=300");
    TraceCapture quiet;
    CapturingRunner* runner = new CapturingRunner();
    ASSERT_EQ(0, runner->run(("\"" + home.java() + "\" app").c_str()));
    std::vector<std::string> copies;
    while (runner->isReading()) copies.emplace_back(runner->capturedOutput().c_str());
    const std::string final = runner->capturedOutput().c_str();
    runner->abandon();
    EXPECT_EQ(300u * 36, final.size());
    for (const std::string& copy : copies) ASSERT_EQ(0, final.compare(0, copy.size(), copy));
}
