#include "window_driver.h"

#include <windows.h>

#include <cstdlib>

#include "process_run.h"
#include "temp_folder.h"
#include "test_paths.h"
#include "tracecap/trace_escape.h"

namespace {

std::string field(const std::string& line, const std::string& name) {
    const std::string key = " " + name + "=";
    size_t at = line.find(key);
    if (at == std::string::npos) return std::string();
    at += key.size();
    if (line[at] == '"') {
        size_t end = line.find("\" ", at + 1);
        if (end == std::string::npos) end = line.size() - 1;
        return unescapeTraceLine(line.substr(at + 1, end - at - 1));
    }
    size_t end = line.find(' ', at);
    return line.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

}  // namespace

std::vector<WindowReport> parseWindowReport(const std::string& output) {
    std::vector<WindowReport> windows;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        std::string line = output.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, 6, "window") != 0 && line.compare(0, 5, "child") != 0) continue;
        WindowReport w;
        w.topLevel = line[0] == 'w';
        w.className = field(line, "class");
        w.text = field(line, "text");
        w.style = strtoul(field(line, "style").c_str(), nullptr, 16);
        w.extendedStyle = strtoul(field(line, "exstyle").c_str(), nullptr, 16);
        w.x = atoi(field(line, "x").c_str());
        w.y = atoi(field(line, "y").c_str());
        w.width = atoi(field(line, "width").c_str());
        w.height = atoi(field(line, "height").c_str());
        w.id = atol(field(line, w.topLevel ? "pid" : "id").c_str());
        w.icon = field(line, "icon");
        w.selection = field(line, "selection");
        windows.push_back(w);
    }
    return windows;
}

const WindowReport* findReported(const std::vector<WindowReport>& windows, const std::string& className) {
    for (const WindowReport& w : windows) {
        if (w.className == className) return &w;
    }
    return nullptr;
}

const WindowReport* findChild(const std::vector<WindowReport>& windows, const std::string& className, bool withText) {
    for (const WindowReport& w : windows) {
        if (!w.topLevel && w.className == className && (!withText || !w.text.empty())) return &w;
    }
    return nullptr;
}

DriverResult drive(const std::string& arguments) {
    RunOptions options;
    options.timeoutMs = 30000;
    RunResult run = runProcess(quoteArgument(driverImage()) + " " + arguments, options);
    DriverResult result;
    result.exitCode = run.exitCode;
    result.output = run.output;
    result.windows = parseWindowReport(run.output);
    return result;
}

namespace {

void callWhileRunning(unsigned long tracecapProcessId, void* context) {
    auto* whileRunning = static_cast<std::function<void(const std::string&)>*>(context);
    (*whileRunning)("--parent " + std::to_string(tracecapProcessId));
}

}  // namespace

RunOptions drivenBy(std::function<void(const std::string& select)>& whileRunning, RunOptions options) {
    options.whileRunning = callWhileRunning;
    options.context = &whileRunning;
    return options;
}

std::string screenPixel(int x, int y) {
    DriverResult r = drive("pixel --at " + std::to_string(x) + "," + std::to_string(y));
    std::string colour = r.output.substr(0, r.output.find_first_of("\r\n"));
    return colour;
}

void saveScreenshot(const std::string& name) {
    const std::string folder = binFolder() + "\\..\\test-screenshots";
    CreateDirectoryA(folder.c_str(), nullptr);
    drive("shot " + quoteArgument(folder + "\\" + name + ".bmp"));
}

std::vector<std::string> openedAddresses() {
    std::vector<std::string> lines;
    const std::string text = readFile(binFolder() + "\\..\\browser-opened.txt");
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

void visitLauncherWindow(unsigned long tracecapProcessId, void* context) {
    WindowVisit* visit = static_cast<WindowVisit*>(context);
    const std::string select = "--parent " + std::to_string(tracecapProcessId) + " " + visit->waitArguments;
    DriverResult seen = drive("wait " + select + " --timeout 15000");
    visit->waitExit = seen.exitCode;
    visit->seen = seen.windows;
    if (seen.exitCode == 0) drive(visit->closeArguments.substr(0, visit->closeArguments.find(' ')) + " " + select +
                                  visit->closeArguments.substr(visit->closeArguments.find(' ')));
}
