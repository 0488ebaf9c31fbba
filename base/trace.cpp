#include "base/trace.h"

#include <windows.h>

namespace {

void debuggerSink(const char* line) { OutputDebugStringA(line); }

// Written once by a test before any other thread exists, read by all.
TraceSink volatile currentSink = debuggerSink;

}  // namespace

const TraceEnd traceEnd = {};
TraceComposer traceLine;

TraceComposer& TraceComposer::operator<<(const char* s) {
    line_.append(s);
    return *this;
}

TraceComposer& TraceComposer::operator<<(const Text& t) {
    line_.append(t);
    return *this;
}

TraceComposer& TraceComposer::operator<<(const TraceEnd&) {
    currentSink(line_.c_str());
    line_.clear();
    return *this;
}

void traceDirect(const char* line) { currentSink(line); }

TraceSink setTraceSink(TraceSink sink) {
    TraceSink previous = currentSink;
    currentSink = sink;
    return previous;
}
