// The child process runner with real child processes: the stand-in
// program, configured per test.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "java_home.h"
#include "base/handle.h"
#include "base/worker_threads.h"
#include "process/child_runner.h"
#include "process/child_text.h"
#include "temp_folder.h"
#include "trace_capture.h"

namespace {

// Records every call of the output handler; tells when the output ended
// and when the object was destroyed.
class RecordingRunner : public ChildProcessRunner {
public:
    explicit RecordingRunner(unsigned mode, HANDLE destroyed = nullptr)
        : ChildProcessRunner(mode), ended_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), destroyed_(destroyed) {}
    ~RecordingRunner() override {
        if (destroyed_) SetEvent(destroyed_);
    }

    bool waitForEnd(DWORD ms = 10000) { return WaitForSingleObject(ended_.get(), ms) == WAIT_OBJECT_0; }
    void resetEnd() { ResetEvent(ended_.get()); }
    std::vector<std::string> chunks() {
        std::lock_guard<std::mutex> lock(mutex_);
        return chunks_;
    }
    std::string output() {
        std::string all;
        for (const std::string& c : chunks()) all += c;
        return all;
    }
    int endCalls() {
        std::lock_guard<std::mutex> lock(mutex_);
        return endCalls_;
    }

protected:
    void onOutput(const char* chunk) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (chunk) chunks_.emplace_back(chunk);
            else ++endCalls_;
        }
        if (!chunk) SetEvent(ended_.get());
    }

private:
    std::mutex mutex_;
    std::vector<std::string> chunks_;
    int endCalls_ = 0;
    EventHandle ended_;
    HANDLE destroyed_;
};

struct Child {
    TempFolder folder{"runner"};
    JavaHome home{folder.path()};
    std::string command() const { return "\"" + home.java() + "\" app"; }
};

}  // namespace

TEST(ChildProcessRunner, DeliversOutputInChunksOfAtMost255InOrderThenTheEnd) {
    Child child;
    std::string expected;
    for (int i = 0; i < 600; ++i) expected += static_cast<char>('a' + i % 26);
    child.home.configure("output=" + expected);
    RecordingRunner runner(ModeKeepAfterEnd);
    ASSERT_EQ(0, runner.run(child.command().c_str()));
    ASSERT_TRUE(runner.waitForEnd());
    std::vector<std::string> chunks = runner.chunks();
    EXPECT_GE(chunks.size(), 3u);
    for (const std::string& c : chunks) EXPECT_LE(c.size(), 255u);
    EXPECT_EQ(expected, runner.output());
    EXPECT_EQ(1, runner.endCalls());
}

TEST(ChildProcessRunner, ChildThatPrintsNothingGivesOnlyTheEnd) {
    Child child;
    RecordingRunner runner(ModeKeepAfterEnd);
    ASSERT_EQ(0, runner.run(child.command().c_str()));
    ASSERT_TRUE(runner.waitForEnd());
    EXPECT_TRUE(runner.chunks().empty());
    EXPECT_EQ(1, runner.endCalls());
}

TEST(ChildProcessRunner, StandardErrorArrivesInTheSameStream) {
    Child child;
    child.home.configure("output=to stdout;").configure("error_output=to stderr");
    RecordingRunner runner(ModeKeepAfterEnd);
    ASSERT_EQ(0, runner.run(child.command().c_str()));
    ASSERT_TRUE(runner.waitForEnd());
    EXPECT_EQ("to stdout;to stderr", runner.output());
}

// The test programs run with the OEM code page 437 and the ANSI code page
// 1252: OEM 0x82 is e acute, which is 0xE9 in ANSI.
TEST(ChildProcessRunner, OemOutputArrivesInTheAnsiCodePageUnlessRaw) {
    ASSERT_EQ(437u, GetOEMCP());
    ASSERT_EQ(1252u, GetACP());
    Child child;
    child.home.configure("output=caf\\x82");
    RecordingRunner converted(ModeKeepAfterEnd);
    ASSERT_EQ(0, converted.run(child.command().c_str()));
    ASSERT_TRUE(converted.waitForEnd());
    EXPECT_EQ("caf\xE9", converted.output());

    RecordingRunner raw(ModeKeepAfterEnd | ModeRawText);
    ASSERT_EQ(0, raw.run(child.command().c_str()));
    ASSERT_TRUE(raw.waitForEnd());
    EXPECT_EQ("caf\x82", raw.output());
}

TEST(ChildProcessRunner, GrandchildThatHoldsTheOutputDelaysTheEnd) {
    Child child;
    child.home.configure("output=child done;").configure("grandchild_ms=700");
    RecordingRunner runner(ModeKeepAfterEnd);
    ASSERT_EQ(0, runner.run(child.command().c_str()));
    ASSERT_TRUE(runner.waitForEnd());
    // The child itself ended at once; the end came only after the
    // grandchild had written its last words and gone.
    EXPECT_EQ("child done;grandchild done", runner.output());
}

TEST(ChildProcessRunner, NullOrEmptyCommandLineIsRefusedWithoutTrace) {
    TraceCapture capture;
    RecordingRunner runner(ModeKeepAfterEnd);
    EXPECT_EQ(1, runner.run(nullptr));
    EXPECT_EQ(1, runner.run(""));
    EXPECT_FALSE(runner.isReading());
    EXPECT_TRUE(capture.lines().empty());
}

TEST(ChildProcessRunner, ProgramThatCannotStartGivesOneAfterItsTraceLine) {
    TraceCapture capture;
    RecordingRunner runner(ModeKeepAfterEnd);
    EXPECT_EQ(1, runner.run("\"C:\\no such folder\\java.exe\" -version"));
    EXPECT_EQ(std::vector<std::string>{"CreateProcess: \"C:\\no such folder\\java.exe\" -version"}, capture.lines());
    EXPECT_NE(0u, runner.lastError());
    EXPECT_FALSE(runner.isReading());
}

TEST(ChildProcessRunner, RunWhileAChildRunsIsRefusedOrSentAsInput) {
    Child child;
    child.home.configure("echo_input=1");
    RecordingRunner plain(ModeKeepAfterEnd);
    ASSERT_EQ(0, plain.run(child.command().c_str()));
    EXPECT_EQ(2, plain.run("anything"));
    plain.writeInput("\n");
    ASSERT_TRUE(plain.waitForEnd());

    RecordingRunner interactive(ModeKeepAfterEnd | ModeInteractive);
    ASSERT_EQ(0, interactive.run(child.command().c_str()));
    EXPECT_EQ(0, interactive.run("hello there"));
    ASSERT_TRUE(interactive.waitForEnd());
    EXPECT_EQ("input: hello there\r\n", interactive.output());
}

TEST(ChildProcessRunner, KeepModeRunsAnotherChildAfterTheEnd) {
    Child child;
    child.home.configure("output=once");
    RecordingRunner runner(ModeKeepAfterEnd);
    ASSERT_EQ(0, runner.run(child.command().c_str()));
    ASSERT_TRUE(runner.waitForEnd());
    // The reader thread may still be leaving; a new run must wait for
    // nothing and start a new child.
    for (int i = 0; i < 100 && runner.isReading(); ++i) Sleep(10);
    runner.resetEnd();
    ASSERT_EQ(0, runner.run(child.command().c_str()));
    ASSERT_TRUE(runner.waitForEnd());
    EXPECT_EQ("onceonce", runner.output());
    EXPECT_EQ(2, runner.endCalls());
}

// The owner of a self-destroying runner gets the process handle and id
// before the reader thread runs, even when the child is gone at once.
TEST(ChildProcessRunner, SelfDestroyingRunnerHandsOutTheChildBeforeItGoes) {
    Child child;
    for (int i = 0; i < 10; ++i) {
        EventHandle destroyed(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        RecordingRunner* runner = new RecordingRunner(0, destroyed.get());
        StartedChild started;
        ASSERT_EQ(0, runner->run(child.command().c_str(), &started));
        ASSERT_TRUE(started.process.valid());
        EXPECT_EQ(started.processId, GetProcessId(started.process.get()));
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(destroyed.get(), 10000));
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started.process.get(), 10000));
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started.readerThread.get(), 10000));
    }
}

TEST(ChildProcessRunner, ChildIsStartedHiddenWithPipedStandardHandles) {
    Child child;
    RecordingRunner runner(ModeKeepAfterEnd);
    ASSERT_EQ(0, runner.run(child.command().c_str()));
    ASSERT_TRUE(runner.waitForEnd());
    std::vector<StandinStart> starts = child.home.starts();
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(child.command(), starts[0].commandLine);
    EXPECT_EQ(static_cast<unsigned long>(STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES), starts[0].flags);
    EXPECT_EQ(static_cast<unsigned>(SW_HIDE), starts[0].showCommand);
    EXPECT_EQ("pipe", starts[0].stdinKind);
    EXPECT_EQ("pipe", starts[0].stdoutKind);
    EXPECT_EQ("pipe", starts[0].stderrKind);
}

// The conversion of Unicode mode, from the system's OEM code page to UTF-8:
// a character grows, and one cut by a read waits for its second byte.
TEST(ChildText, StreamConvertsAcrossChunksAndCutCharacters) {
    struct Case {
        UINT from;
        std::vector<std::string> chunks;
        std::vector<std::string> converted;
    };
    std::string eAcutes;
    for (int i = 0; i < 300; ++i) eAcutes += "\xC3\xA9";
    const Case cases[] = {
        {437, {"caf\x82", std::string(300, '\x82')}, {"caf\xC3\xA9", eAcutes}},
        // Japanese (932): "\x93\xfa\x96\x7b" is two double-byte letters.
        {932, {"a\x93", "\xfa\x96", "\x7b", "\x93"}, {"a", "\xE6\x97\xA5", "\xE6\x9C\xAC", ""}},
        {932, {"\x93", "\xfa"}, {"", "\xE6\x97\xA5"}},
        // Already UTF-8: the bytes pass as they are.
        {CP_UTF8, {"caf\xC3", "\xA9"}, {"caf\xC3", "\xA9"}},
    };
    for (const Case& c : cases) {
        CodePageStream stream(c.from, CP_UTF8);
        for (size_t i = 0; i < c.chunks.size(); ++i) {
            const Text text = stream.convert(c.chunks[i].data(), c.chunks[i].size());
            EXPECT_EQ(c.converted[i], std::string(text.c_str(), text.length())) << c.from << " chunk " << i;
        }
    }
    EXPECT_EQ(0u, wholeCharacterLength("\x93", 1, 932));
    EXPECT_EQ(1u, wholeCharacterLength("\x93", 1, 1252));
}

// The child is in the job before it runs; a job that refuses it leaves it
// running outside, and the trace says so.
TEST(ChildProcessRunner, ChildRunsInTheJobOrOutsideWhenTheJobRefusesIt) {
    struct Case {
        DWORD access;
        bool inJob;
    };
    for (const Case& c : {Case{JOB_OBJECT_ALL_ACCESS, true}, Case{JOB_OBJECT_QUERY, false}}) {
        Child child;
        child.home.configure("run_ms=500").configure("exit_code=9");
        UniqueHandle<KernelHandleTraits> job(CreateJobObjectA(nullptr, nullptr));
        UniqueHandle<KernelHandleTraits> given;
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), job.get(), GetCurrentProcess(), given.put(), c.access, FALSE, 0));
        TraceCapture capture;
        RecordingRunner runner(ModeKeepAfterEnd);
        ChildSetup setup;
        setup.job = given.get();
        StartedChild started;
        ASSERT_EQ(0, runner.run(child.command().c_str(), &started, &setup));
        EXPECT_EQ(c.inJob, started.inJob);
        BOOL member = FALSE;
        IsProcessInJob(started.process.get(), job.get(), &member);
        EXPECT_EQ(c.inJob, member != FALSE);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started.process.get(), 10000));
        DWORD exitCode = 0;
        GetExitCodeProcess(started.process.get(), &exitCode);
        EXPECT_EQ(9u, exitCode) << "it ran";
        const std::vector<std::string> lines = capture.lines();
        const bool refusalTraced =
            std::find(lines.begin(), lines.end(), "AssignProcessToJobObject failed: the process runs without the job.") !=
            lines.end();
        EXPECT_EQ(!c.inJob, refusalTraced);
        ASSERT_TRUE(runner.waitForEnd());
    }
}

// The launcher's end stops every reader whatever its child does: one
// blocked in its read of a silent child, and one whose child prints without
// a pause; each hands on the end of its output.
TEST(ChildProcessRunner, StopEndsReadersOfSilentAndOfChattyChildren) {
    for (const char* behaviour : {"run_ms=20000", "chatter_ms=20000"}) {
        Child child;
        child.home.configure(behaviour);
        RecordingRunner runner(ModeKeepAfterEnd);
        StartedChild started;
        ASSERT_EQ(0, runner.run(child.command().c_str(), &started));
        const bool chatty = std::string(behaviour).find("chatter") == 0;
        for (int i = 0; chatty && i < 500 && runner.chunks().empty(); ++i) Sleep(20);
        stopWorkerThreads();
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started.readerThread.get(), 0)) << behaviour;
        EXPECT_EQ(1, runner.endCalls()) << behaviour;
        EXPECT_EQ(chatty, !runner.chunks().empty()) << behaviour;
        TerminateProcess(started.process.get(), 0);
    }
}
