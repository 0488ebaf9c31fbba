// An end-to-end scenario: a launcher copied into a fresh temporary folder,
// with whatever files, settings and runtimes the test puts beside it.
#pragma once

#include <string>

#include "launcher_builder.h"
#include "temp_folder.h"
#include "traced_run.h"

class Scenario {
public:
    // The launcher goes to <temp>\<folderName>\<exeName>; both may hold
    // blanks.
    explicit Scenario(const std::string& folderName = "app", const std::string& exeName = "launcher.exe");

    // The shipped launcher, or one with these settings.
    void useShippedLauncher();
    void useLauncher(const LauncherSpec& spec);

    const std::string& root() const { return temp_.path(); }
    const std::string& folder() const { return folder_; }
    const std::string& launcher() const { return launcher_; }

    // The quoted launcher path and, if given, a blank and the arguments.
    std::string commandLine(const std::string& arguments = "") const;

    TracedRun run(const std::string& arguments = "", RunOptions options = RunOptions()) const;

private:
    TempFolder temp_;
    std::string folder_;
    std::string launcher_;
};
