#include "scenario.h"

#include "process_run.h"
#include "test_paths.h"

Scenario::Scenario(const std::string& folderName, const std::string& exeName)
    : temp_("launcher scenario"), folder_(temp_ / folderName), launcher_(folder_ + "\\" + exeName) {
    makeFolders(folder_);
}

void Scenario::useShippedLauncher() { copyFile(launcherImage(), launcher_); }

void Scenario::useLauncher(const LauncherSpec& spec) { writeLauncher(launcher_, spec); }

std::string Scenario::commandLine(const std::string& arguments) const {
    std::string line = "\"" + launcher_ + "\"";
    if (!arguments.empty()) line += " " + arguments;
    return line;
}

TracedRun Scenario::run(const std::string& arguments, RunOptions options) const {
    if (options.startFolder.empty()) options.startFolder = root();
    if (!options.environment.count("JAVA_HOME")) options.environment["JAVA_HOME"] = std::nullopt;
    return runTraced(commandLine(arguments), options);
}
