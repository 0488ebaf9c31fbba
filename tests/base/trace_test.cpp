#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "base/trace.h"
#include "trace_capture.h"
#include "tracecap/trace_escape.h"

using Lines = std::vector<std::string>;

TEST(Trace, EmptyValueLeavesThePrefixWithItsTrailingBlank) {
    TraceCapture capture;
    traceLine << "PROP_WORK_DIR: " << Text() << traceEnd;
    EXPECT_EQ(Lines{"PROP_WORK_DIR: "}, capture.lines());
}

TEST(Trace, EachLineIsOneStringWithNoLineEndAndTheComposerStartsEmpty) {
    TraceCapture capture;
    traceLine << "Jre path: " << Text("C:\\jre\\bin\\javaw.exe") << traceEnd;
    traceDirect("Bundled Jre or jdk found");
    traceLine << "second" << traceEnd;
    EXPECT_EQ((Lines{"Jre path: C:\\jre\\bin\\javaw.exe", "Bundled Jre or jdk found", "second"}), capture.lines());
}

TEST(Trace, DirectTraceFromOtherThreadsKeepsEveryLine) {
    TraceCapture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 100; ++i) traceDirect("chunk");
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(400u, capture.lines().size());
}

TEST(TraceEscape, RoundTripsEveryByteAndLeavesPathsReadable) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    const std::vector<std::string> samples = {
        all, "Z:\\tmp\\demo", "trailing blanks   ", "\\x41 is not A", "\\x4", "\\", "\\\\x41", "a\\\x01",
        "line\r\nend", std::string(5000, 'x'),
    };
    for (const std::string& raw : samples) {
        const std::string line = escapeTraceLine(raw);
        EXPECT_EQ(std::string::npos, line.find_first_of("\r\n")) << raw;
        EXPECT_EQ(raw, unescapeTraceLine(line)) << line;
    }
    EXPECT_EQ("Z:\\tmp\\demo", escapeTraceLine("Z:\\tmp\\demo"));
    EXPECT_EQ("\\x5Cx41", escapeTraceLine("\\x41"));
    EXPECT_EQ("a\\x0Ab", escapeTraceLine("a\nb"));
}
