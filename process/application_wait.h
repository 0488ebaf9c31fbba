// The wait for the application's end (PROP_WAIT_FOR_EXIT): the launcher
// stands in for the application for its whole life, passes its standard
// handles on, lets Ctrl+C reach the application, keeps it in a job that
// ends it when the launcher is ended from outside, and ends with its code.
#pragma once

#include <windows.h>

#include "base/handle.h"
#include "process/child_runner.h"
#include "process/console_pass_through.h"
#include "process/java_launch.h"

class ApplicationWait {
public:
    // Before the start; traces what the application will get.
    void prepare();

    // How the application is to be started; valid after prepare().
    const ChildSetup* setup() const { return &setup_; }

    // After the start and the splash wait: hides the splash, waits until
    // the application has ended, and returns its exit code. Whatever the
    // application started itself runs on.
    DWORD untilApplicationEnds(const StartedApplication& application);

private:
    PassThroughHandles passThrough_;
    JobHandle job_;
    ChildSetup setup_;
};

// Waits at most `ms` for the process's end, dispatching the thread's
// messages when they come first: the splash's window stays, and answers
// the messages other programs send to all windows. True once it has ended.
bool processEndedDispatching(HANDLE process, DWORD ms);

// Exactly this text: "Application exit code: " and the code in decimal.
Text exitCodeTraceLine(DWORD exitCode);
