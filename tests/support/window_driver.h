// The tests' hand on the launcher's windows: runs windriver.exe and reads
// its report.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "process_run.h"

struct WindowReport {
    bool topLevel = false;
    std::string className;
    std::string text;
    unsigned long style = 0;
    unsigned long extendedStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    long id = 0;  // the process id of a top-level window, the control id of a child
    std::string icon;       // the system icon a static control shows: "error", "information", ...
    std::string selection;  // of a text control: "START,END"
};

// The first reported window of the class (top-level or child).
const WindowReport* findReported(const std::vector<WindowReport>& windows, const std::string& className);
// The first child of the class; with `withText`, the first with a text.
const WindowReport* findChild(const std::vector<WindowReport>& windows, const std::string& className,
                              bool withText = false);

struct DriverResult {
    unsigned long exitCode = 0;
    std::string output;
    std::vector<WindowReport> windows;  // from "wait": the window, then its children
};

// Runs windriver.exe with these arguments (tests/helpers/windriver.cpp).
DriverResult drive(const std::string& arguments);

std::vector<WindowReport> parseWindowReport(const std::string& output);

// What a test does with the one window the launcher shows: wait for it
// (a dialog or message box of a program started by `parent`), keep its
// report, then close it with `closeArguments` (e.g. "key enter").
struct WindowVisit {
    std::string closeArguments = "key enter";
    std::string waitArguments = "--class #32770";
    std::vector<WindowReport> seen;
    unsigned long waitExit = 99;
};

// A RunOptions::whileRunning callback; the context is a WindowVisit.
void visitLauncherWindow(unsigned long tracecapProcessId, void* visit);

// Runs `whileRunning` with the selector of the windows of the program that
// tracecap started ("--parent N"), while that program runs.
RunOptions drivenBy(std::function<void(const std::string& select)>& whileRunning, RunOptions options = RunOptions());

// The screen's colour at a point, as RRGGBB.
std::string screenPixel(int x, int y);

// Saves the screen in the test output folder (build\test-screenshots) as
// NAME.bmp; tools/test.sh turns them into PNG files.
void saveScreenshot(const std::string& name);

// The addresses Wine's browser was asked to open so far, in order.
std::vector<std::string> openedAddresses();
