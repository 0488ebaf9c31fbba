#include "console_run.h"

#include <windows.h>

#include "process_run.h"
#include "temp_folder.h"
#include "test_paths.h"

bool ConsoleRun::shows(const std::string& line) const {
    for (const std::string& l : screen) {
        if (l == line) return true;
    }
    return false;
}

ConsoleRun runInConsole(const std::string& commandLine, const ConsoleOptions& options) {
    TempFolder folder("console");
    const std::string report = folder / "report.txt";
    const std::string event = "console-host-ctrl-c-" + std::to_string(GetCurrentProcessId());
    std::string command = quoteArgument(consoleHostImage()) + " " + quoteArgument(report);
    if (options.typeLine) command += " --type " + quoteArgument(options.typed);
    if (options.pressCtrlCWhen) command += " --ctrl-c-on " + event;
    command += " " + commandLine;
    HANDLE ctrlC = CreateEventA(nullptr, TRUE, FALSE, event.c_str());

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION host = {};
    ConsoleRun run;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr, &startup,
                        &host)) {
        CloseHandle(ctrlC);
        run.exitCode = 0xDEAD;
        return run;
    }
    CloseHandle(host.hThread);
    if (options.pressCtrlCWhen && options.pressCtrlCWhen()) SetEvent(ctrlC);
    run.exitCode = waitForExit(host.hProcess, options.timeoutMs, &run.timedOut);
    CloseHandle(ctrlC);

    const std::string text = readFile(report);
    size_t at = text.find('\n');
    for (size_t start = at == std::string::npos ? text.size() : at + 1; start < text.size();) {
        size_t end = text.find('\n', start);
        run.screen.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return run;
}
