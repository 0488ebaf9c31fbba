#include "trace_capture.h"

#include <mutex>

#include "base/trace.h"

namespace {

std::mutex captureMutex;
std::vector<std::string> captured;
TraceSink previousSink = nullptr;

void captureSink(const char* line) {
    std::lock_guard<std::mutex> lock(captureMutex);
    captured.emplace_back(line);
}

}  // namespace

TraceCapture::TraceCapture() {
    clear();
    previousSink = setTraceSink(captureSink);
}

TraceCapture::~TraceCapture() { setTraceSink(previousSink); }

std::vector<std::string> TraceCapture::lines() const {
    std::lock_guard<std::mutex> lock(captureMutex);
    return captured;
}

void TraceCapture::clear() {
    std::lock_guard<std::mutex> lock(captureMutex);
    captured.clear();
}
