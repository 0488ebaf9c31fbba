// The launcher's trace: every decision goes to the debugger output as one
// string per line, with no line end added.
//
//     traceLine << "Jre path: " << path << traceEnd;
//     traceDirect("Bundled Jre or jdk found");
//
// traceLine belongs to the main thread; traceDirect keeps no state and may be
// called from any thread. Tests swap the sink to capture the lines.
#pragma once

#include "base/text.h"

using TraceSink = void (*)(const char* line);

struct TraceEnd {};
extern const TraceEnd traceEnd;

class TraceComposer {
public:
    TraceComposer& operator<<(const char* s);
    TraceComposer& operator<<(const Text& t);
    TraceComposer& operator<<(const TraceEnd&);

private:
    Text line_;
};

extern TraceComposer traceLine;

void traceDirect(const char* line);
inline void traceDirect(const Text& line) { traceDirect(line.c_str()); }

// Replaces where trace lines go; returns the previous sink. The product
// sends them to OutputDebugStringA.
TraceSink setTraceSink(TraceSink sink);
