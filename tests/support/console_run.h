// A console window of its own for a test (tests/helpers/console_host.cpp):
// the command runs in it as if typed at a command prompt.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct ConsoleOptions {
    // A line typed at the keyboard before the command starts.
    bool typeLine = false;
    std::string typed;
    // Called on the test's thread while the command runs; when it returns
    // true, Ctrl+C is pressed in the console.
    std::function<bool()> pressCtrlCWhen;
    unsigned timeoutMs = 30000;
};

struct ConsoleRun {
    unsigned long exitCode = 0;
    bool timedOut = false;
    std::vector<std::string> screen;  // the console's lines, trailing blanks cut

    bool shows(const std::string& line) const;
};

ConsoleRun runInConsole(const std::string& commandLine, const ConsoleOptions& options = ConsoleOptions());
