#include "traced_run.h"

#include "test_paths.h"
#include "tracecap/trace_escape.h"

std::vector<std::string> parseTraceOutput(const std::string& output) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        std::string line = output.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(unescapeTraceLine(line));
        start = end + 1;
    }
    return lines;
}

TracedRun runTraced(const std::string& commandLine, const RunOptions& options) {
    RunResult run = runProcess(quoteArgument(tracecapImage()) + " " + commandLine, options);
    TracedRun traced;
    traced.lines = parseTraceOutput(run.output);
    traced.exitCode = run.exitCode;
    traced.timedOut = run.timedOut;
    return traced;
}

std::vector<std::string> TracedRun::from(const std::string& prefix) const {
    int at = indexOf(prefix);
    if (at < 0) return {};
    return std::vector<std::string>(lines.begin() + at, lines.end());
}

bool TracedRun::has(const std::string& line) const {
    for (const std::string& l : lines) {
        if (l == line) return true;
    }
    return false;
}

int TracedRun::indexOf(const std::string& prefix) const {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
    }
    return -1;
}

std::string expectedDebugLog(const TracedRun& run) {
    std::string log;
    int started = run.indexOf("CreateProcess: ");
    // Inside the launcher the application starts with its library.
    for (size_t i = 0; started < 0 && i < run.lines.size(); ++i) {
        if (run.lines[i].rfind("In-process: ", 0) == 0 && run.lines[i].find("\\jli.dll") != std::string::npos) started = i;
    }
    if (started < 0) return log;
    for (size_t i = started + 1; i < run.lines.size(); ++i) {
        for (char c : run.lines[i]) {
            if (c == '\n') log += '\r';
            log += c;
        }
    }
    return log;
}
