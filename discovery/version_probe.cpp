#include "discovery/version_probe.h"

#include "base/trace.h"
#include "discovery/java_version.h"

namespace {

// A runtime's first "-version" may take seconds: a cold disk, a virus
// scanner that inspects the new process, an emulated machine. One that has
// said nothing by then is taken as one that does not answer.
const DWORD PROBE_WAIT_MS = 5000;
// Once the runtime has ended, what it printed is in the pipe; only a
// process it left behind holding the pipe delays the output's end.
const DWORD AFTER_END_MS = 250;
const size_t PROBE_PREFIX_LENGTH = 14;
// The answer the 14 bytes were made for, read as it always was.
const char CLASSIC_ANSWER[] = "java version \"";
// What a probe the launcher ended exits with.
const UINT PROBE_ENDED_EXIT_CODE = 1;

// The version is in the first line; a runtime that keeps printing within
// the wait must not make the launcher hold an unbounded text.
const size_t CAPTURE_MAX = 16384;

// The character at `s` as one code: a lead byte and its trail form one.
unsigned characterCode(const unsigned char*& s) {
    unsigned code = *s++;
    if (IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(code)) && *s) code = (code << 8) | *s++;
    return code;
}

}  // namespace

CapturingRunner::CapturingRunner()
    : ChildProcessRunner(ModeKeepAfterEnd), answered_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    InitializeCriticalSection(&captureLock_);
}

CapturingRunner::~CapturingRunner() {
    close();
    DeleteCriticalSection(&captureLock_);
}

Text CapturingRunner::capturedOutput() {
    LockGuard guard(captureLock_);
    return captured_;
}

void CapturingRunner::onOutput(const char* chunk) {
    if (chunk) {
        traceDirect(chunk);
        LockGuard guard(captureLock_);
        if (captured_.length() < CAPTURE_MAX) captured_.append(chunk);
        if (holdsVersionLine(captured_)) SetEvent(answered_.get());
    }
    ChildProcessRunner::onOutput(chunk);
}

Text versionProbeCommand(const Text& home) { return "\"" + home + "\\bin\\java.exe\" -version"; }

Text versionFromProbeOutput(const Text& output) {
    const size_t start = afterPickedUpLines(output);
    // Other builds answer "openjdk version ...": 14 bytes off would leave
    // 'n "1.8...', above any minimum. Their version is the quoted text.
    const Text line = output.substr(start, output.find("\n", start) - start);
    if (line.find(CLASSIC_ANSWER) != 0) {
        Text quoted = versionInJavaOutput(line);
        if (!quoted.empty()) return quoted;
    }
    if (output.length() - start < PROBE_PREFIX_LENGTH) return Text();
    return output.substr(start + PROBE_PREFIX_LENGTH);
}

CapturingRunner* startVersionProbe(const Text& home) {
    CapturingRunner* runner = new CapturingRunner();
    // Whatever the probe starts goes with it when the job is closed.
    JobHandle job = makeJob(JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE);
    ChildSetup setup;
    setup.job = job.get();
    StartedChild child;
    if (runner->run(versionProbeCommand(home).c_str(), &child, &setup) != 0) return runner;
    // The reader thread ends with the output.
    HANDLE ends[3] = {runner->answered(), child.readerThread.get(), child.process.get()};
    if (WaitForMultipleObjects(3, ends, FALSE, PROBE_WAIT_MS) == WAIT_OBJECT_0 + 2) {
        WaitForMultipleObjects(2, ends, FALSE, AFTER_END_MS);
    }
    TerminateProcess(child.process.get(), PROBE_ENDED_EXIT_CODE);
    job.reset();
    // What the pipe still holds is traced before the probe's own lines.
    WaitForSingleObject(child.readerThread.get(), AFTER_END_MS);
    return runner;
}

Text probeJavaVersion(const Text& home) {
    CapturingRunner* runner = startVersionProbe(home);
    traceDirect("Info = ");
    traceDirect(runner->capturedOutput());
    Text version = versionFromProbeOutput(runner->capturedOutput());
    // A program the probe started outside its job may still hold the
    // output; the runner then lives until it ends.
    runner->abandon();
    return version;
}

int compareVersionTexts(const char* a, const char* b) {
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    for (;;) {
        if (!*x || !*y) return (*x ? 1 : 0) - (*y ? 1 : 0);
        const unsigned cx = characterCode(x);
        const unsigned cy = characterCode(y);
        if (cx != cy) return cx < cy ? -1 : 1;
    }
}

bool isVersionAcceptable(const Text& version) { return compareVersionTexts(minimumVersion.c_str(), version.c_str()) <= 0; }
