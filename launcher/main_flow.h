// The launcher's main sequence: trace how it was started, take out its own
// switches, read its settings, enter the working directory, find a Java
// runtime, and start the application (behind the splash when configured) or
// show the missing-runtime dialog. Returns the process exit code.
#pragma once

#include <windows.h>

#include "base/text.h"
#include "launcher/variables.h"

int runLauncher(HINSTANCE instance, const char* commandLine, int showCommand);

// The VM options, " -Xbootclasspath/p:" and the JDK's jars when there are
// any, " -jar ", the jar, one blank and the user's remaining arguments.
Text buildArgumentLine(const Text& vmOptions, const Text& jdkLibraries, const Text& startJar,
                       const Text& remainingArguments);

// Traces PROP_WORK_DIR and the working directory, and changes to it; with
// `own`, the setting's variables are expanded first. An empty launcher
// folder means the launcher does not know where it is: it then stays where
// it was started rather than guess.
void enterWorkingDirectory(const Text& launcherFolder, const OwnVariables* own = nullptr);

// The launcher's folder, a backslash and PROP_WORK_DIR; with
// `absoluteStandsAlone`, an absolute setting (C:\... or \\server\...), as
// an expanded variable gives it, is the directory itself.
Text workingDirectoryFor(const Text& launcherFolder, const Text& workDirSetting, bool absoluteStandsAlone = false);

// The first line of the launch-failure box followed by the system's own
// description of why the start failed, cut to fit 1023 characters.
Text launchFailureMessage(const Text& reason);
