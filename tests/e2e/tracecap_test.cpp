// The trace capture prints every debug string exactly, in order, one per
// line, and ends with the traced program's exit code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debug_emitter_strings.h"
#include "process_run.h"
#include "test_paths.h"
#include "traced_run.h"

TEST(Tracecap, PrintsEveryStringExactlyInOrderAndEndsWithTheExitCode) {
    TracedRun run = runTraced(quoteArgument(binFolder() + "\\debug_emitter.exe") + " 42");
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(42u, run.exitCode);

    const std::vector<std::string> fixed = emitterStrings();
    ASSERT_GE(run.lines.size(), fixed.size() + 2 * EMITTER_THREAD_LINES + 1);
    for (size_t i = 0; i < fixed.size(); ++i) {
        EXPECT_EQ(fixed[i], run.lines[i]) << "string " << i;
    }
    // The two threads' strings interleave, but each thread's come in order
    // and none is lost.
    int next[2] = {0, 0};
    for (size_t i = fixed.size(); i < fixed.size() + 2 * EMITTER_THREAD_LINES; ++i) {
        const int t = run.lines[i].compare(0, 8, "thread A") == 0 ? 0 : 1;
        EXPECT_EQ(emitterThreadLine(t ? "B" : "A", next[t]++), run.lines[i]);
    }
    EXPECT_EQ("last", run.lines.back());
    EXPECT_EQ(fixed.size() + 2 * EMITTER_THREAD_LINES + 1, run.lines.size());
}

TEST(Tracecap, ReportsAProgramThatCannotStart) {
    RunResult run = runProcess(quoteArgument(tracecapImage()) + " no-such-program.exe");
    EXPECT_EQ(126u, run.exitCode);
    EXPECT_NE(std::string::npos, run.output.find("tracecap: cannot start: no-such-program.exe"));
}

TEST(Tracecap, TimestampsPrefixEachLineWithRisingMilliseconds) {
    RunResult run = runProcess(quoteArgument(tracecapImage()) + " --timestamps " +
                               quoteArgument(binFolder() + "\\debug_emitter.exe") + " 3");
    EXPECT_EQ(3u, run.exitCode);
    std::vector<std::string> lines = parseTraceOutput(run.output);
    ASSERT_EQ(emitterStrings().size() + 2 * EMITTER_THREAD_LINES + 1, lines.size());
    double previous = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        ASSERT_EQ('[', lines[i][0]);
        const size_t close = lines[i].find("] ");
        ASSERT_NE(std::string::npos, close);
        const double stamp = atof(lines[i].substr(1, close - 1).c_str());
        EXPECT_GE(stamp, previous);
        previous = stamp;
        if (i < emitterStrings().size()) {
            EXPECT_EQ(emitterStrings()[i], lines[i].substr(close + 2));
        }
    }
}
