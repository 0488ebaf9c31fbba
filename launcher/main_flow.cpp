#include "launcher/main_flow.h"

#include <direct.h>

#include "base/app_output_log.h"
#include "base/settings.h"
#include "base/state.h"
#include "base/system_library.h"
#include "base/trace.h"
#include "discovery/hostable_runtime.h"
#include "discovery/jdk_class_path.h"
#include "discovery/path_exists.h"
#include "discovery/runtime_search.h"
#include "launcher/arguments.h"
#include "launcher/jar_in_image.h"
#include "launcher/runtime_on_demand.h"
#include "launcher/switches.h"
#include "launcher/variables.h"
#include "launcher/vm_options.h"
#include "process/application_wait.h"
#include "process/hosted_runtime.h"
#include "process/java_launch.h"
#include "process/single_instance.h"
#include "process/start_check.h"
#include "process/watchdog.h"
#include "ui/message_boxes.h"
#include "ui/missing_runtime_dialog.h"
#include "ui/splash.h"

namespace {

const size_t ERROR_TEXT_MAX = 1023;  // the message buffer holds 1024 with its terminator
const int APP_ID_MAX = 128;          // the system's limit for an AppUserModelID
const char SET_APP_ID[] = "SetCurrentProcessExplicitAppUserModelID";

const char JAR_UNREADABLE_MESSAGE[] =
    "The application cannot start: Java cannot read the jar inside this program.\n"
    "It was probably signed without \"launcher-config sign\".";
const char JAR_PATH_MESSAGE[] =
    "The application cannot start: Java cannot open this program by its path.\n"
    "Move it to a folder whose name has only letters of the system's code page.";

// The launcher's own full path; empty when the system gives none.
Text ownPath() {
    char path[LAUNCHER_PATH_MAX];
    return getLauncherPath(path) < 0 ? Text() : Text(path);
}

}  // namespace

void enterWorkingDirectory(const Text& launcherFolder, const OwnVariables* own) {
    Text workDir = loadSettingText(PROP_WORK_DIR);
    traceLine << "PROP_WORK_DIR: " << workDir << traceEnd;
    if (own) workDir = expandedOrAsWritten(workDir, *own);
    Text directory = workingDirectoryFor(launcherFolder, workDir, own != nullptr);
    traceLine << "Working dir: " << directory << traceEnd;
    // Without its own folder the launcher cannot know where the setting
    // points; it stays where it was started rather than guess.
    if (launcherFolder.empty() || _chdir(directory.c_str()) != 0) {
        traceDirect("ERROR: Cannot set working dir.");
    }
}

namespace {

// The system's description of an error; a "%1" in it stands for the
// program that could not be started.
Text describeSystemError(DWORD code, const Text& program) {
    char* buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    Text text;
    if (length > 0 && buffer) text = Text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text[text.length() - 1] == '\n' || text[text.length() - 1] == '\r' ||
                             text[text.length() - 1] == ' ')) {
        text.truncate(text.length() - 1);
    }
    removeAllOccurrences(text, "%1", program.c_str());
    if (text.empty()) {
        char number[16];
        wsprintfA(number, "%lu", code);
        text = Text("System error ") + number + ".";
    }
    return text;
}

// The launcher's own file as the jar, quoted; false after the error box
// when Java could not read it.
bool takeJarInImage(Text& jar) {
    const Text ownJar = ownPathForJava();
    traceLine << "Jar in image: " << ownJar << traceEnd;
    if (!ownFileEndIsReadable()) {
        traceDirect("Jar in image: no zip end record reaches the end of the file");
        showErrorMessage(JAR_UNREADABLE_MESSAGE);
        return false;
    }
    if (ownJar.empty()) {
        traceDirect("Jar in image: no path of this file that Java can open");
        showErrorMessage(JAR_PATH_MESSAGE);
        return false;
    }
    jar = "\"" + ownJar + "\"";
    return true;
}

// The launcher's process and windows, and with the runtime inside it the
// application's, take this AppUserModelID, so that they share the taskbar
// button of a shortcut that has the same one. Before the first window.
void takeApplicationId() {
    const Text id = loadSettingText(PROP_APP_ID);
    if (id.empty()) return;
    using SetId = HRESULT(WINAPI*)(PCWSTR);
    const SetId set = systemFunction<SetId>("shell32.dll", SET_APP_ID);
    wchar_t wide[APP_ID_MAX + 1];
    const HRESULT result = !MultiByteToWideChar(CP_ACP, 0, id.c_str(), -1, wide, APP_ID_MAX + 1) ? E_INVALIDARG
                           : set ? set(wide)
                                 : E_NOTIMPL;
    char line[APP_ID_MAX + 80];
    wsprintfA(line, "PROP_APP_ID: %.128s (%s: 0x%08lX)", id.c_str(), SET_APP_ID, result);
    traceDirect(line);
}

// Whether the runtime of `javaExecutable` can run inside the launcher, by
// its files; the trace says why not.
bool canHost(const Text& javaExecutable, const Text& launcherFolder, HostableRuntime& hosted) {
    const Text obstacle = inProcessObstacle(javaExecutable, launcherFolder, hosted);
    if (obstacle.empty()) return true;
    traceLine << "In-process: not possible (" << obstacle << "), starting a child process" << traceEnd;
    return false;
}

bool setUpSplashAndWatchdog(HINSTANCE instance, int showCommand) {
    createSplashWindow(instance);
    if (splashActive && !showSplashScreen(instance, showCommand)) return false;
    return armWatchdog();
}

}  // namespace

Text buildArgumentLine(const Text& vmOptions, const Text& jdkLibraries, const Text& startJar,
                       const Text& remainingArguments) {
    Text line(vmOptions);
    if (!jdkLibraries.empty()) line += " -Xbootclasspath/p:" + jdkLibraries;
    line += " -jar ";
    line += startJar;
    line += " ";
    line += remainingArguments;
    return line;
}

Text workingDirectoryFor(const Text& launcherFolder, const Text& workDirSetting, bool absoluteStandsAlone) {
    if (absoluteStandsAlone && isAbsolutePath(workDirSetting)) return workDirSetting;
    return launcherFolder + "\\" + workDirSetting;
}

Text launchFailureMessage(const Text& reason) {
    Text message = "Error occured while starting the application...\n" + reason;
    message.truncate(ERROR_TEXT_MAX);
    return message;
}

int runLauncher(HINSTANCE instance, const char* commandLine, int showCommand) {
    traceLine << "Launcher executed with command line: " << commandLine << traceEnd;
    LauncherSwitches switches = parseSwitches(commandLine);
    if (switches.help) {
        showInfoMessage(usageText().c_str());
        return 0;
    }
    if (switches.console) {
        traceDirect("Application is run as console.");
        javaExeName = "java.exe";
    }
    if (switches.debug) {
        traceDirect("Application is run with debug flag.");
        debugMode = true;
        // Relative: the log lands where the launcher was started, before the
        // working directory changes.
        logFile.open("log.txt");
    }
    traceLine << "Application is run with parameters: " << switches.remainingArguments << traceEnd;

    Text vmOptions = loadVmOptions();
    traceLine << "Loaded VM parametrers: " << vmOptions << traceEnd;
    takeApplicationId();
    SingleInstance singleInstance;
    if (!singleInstance.claim(loadSettingText(PROP_SINGLE_INSTANCE).c_str())) return 0;
    Text startJar = loadSettingText(PROP_START_JAR);
    traceLine << "PROP_START_JAR: " << startJar << traceEnd;
    splashActive = isSettingPresent(PROP_SPLASH);
    traceDirect(splashActive ? "PROP_SPLASH: true." : "PROP_SPLASH: false.");
    jdkOnly = isSettingPresent(PROP_SEARCH_JDK_ONLY);
    traceDirect(jdkOnly ? "PROP_SEARCH_JDK_ONLY: true." : "PROP_SEARCH_JDK_ONLY: false.");
    stayAlive = isSettingPresent(PROP_STAY_ALIVE);
    waitForExit = isSettingPresent(PROP_WAIT_FOR_EXIT);
    if (waitForExit) traceDirect("PROP_WAIT_FOR_EXIT: true.");
    const int startCheck = loadSettingInt(PROP_START_CHECK);
    // Never freed: a reader thread that outlives the launcher's stop of its
    // threads may still hand it output.
    StartOutputTail* startTail = startCheck > 0 ? new StartOutputTail() : nullptr;

    // The path is empty or holds a backslash, before which its folder ends.
    const Text launcherFile = ownPath();
    Text launcherFolder(launcherFile);
    launcherFolder.truncate(launcherFile.findLast('\\'));
    traceLine << "Path to exe file of launcher: " << launcherFolder << traceEnd;
    const bool expand = isSettingPresent(PROP_EXPAND_VARIABLES) != 0;
    OwnVariables own = {&launcherFolder, &launcherFile, nullptr};
    enterWorkingDirectory(launcherFolder, expand ? &own : nullptr);

    // Checked before the search: a broken file is not worth a runtime.
    Text jar = startJar;
    if (isSettingPresent(PROP_JAR_IN_IMAGE) && !takeJarInImage(jar)) return 1;

    RuntimeOnDemand onDemand(launcherFile);
    Text javaExecutable = onDemand.installedRuntime();
    if (javaExecutable.empty()) javaExecutable = findJavaExecutable(launcherFolder);
    traceLine << "Jre path: " << javaExecutable << traceEnd;
    if (!pathExists(javaExecutable) && onDemand.ready()) {
        javaExecutable = onDemand.fetch(instance);
        traceLine << "Jre path: " << javaExecutable << traceEnd;
    }
    if (!pathExists(javaExecutable)) {
        showMissingRuntimeDialog(onDemand.failureLine());
        return 1;
    }
    if (expand) {
        const Text home = runtimeHomeOf(javaExecutable);
        if (!home.empty()) own[2] = &home;
        vmOptions = expandedOptionsOrAsWritten(vmOptions, own);
        traceLine << "VM options after expansion: " << vmOptions << traceEnd;
    }
    HostableRuntime hosted;
    const bool inProcess = isSettingPresent(PROP_IN_PROCESS) && canHost(javaExecutable, launcherFolder, hosted);
    if (inProcess && stayAlive) {
        traceDirect("In-process: no stay-alive window");
        stayAlive = 0;
    }
    if ((splashActive || stayAlive) && !setUpSplashAndWatchdog(instance, showCommand)) return 1;

    Text jdkLibraries = jdkOnly ? bootClassPathLibraries() : Text();
    Text argumentLine = buildArgumentLine(vmOptions, jdkLibraries, jar, switches.remainingArguments);
    ApplicationRunner* runner = new ApplicationRunner(startTail);
    traceLine << "Full argument line: " << argumentLine << traceEnd;
    ApplicationWait wait;
    // Inside the launcher the runtime takes the console as java.exe would.
    const bool passHandles = waitForExit || (inProcess && switches.console);
    if (passHandles) wait.prepare();
    ChildSetup setup = passHandles ? *wait.setup() : ChildSetup();
    singleInstance.passTo(setup);
    DWORD failureCode = 0;
    const Text hostedCommandLine = inProcess ? buildJavaCommandLine(launcherFile, argumentLine) : Text();
    const StartedApplication application =
        inProcess ? hostRuntime(hosted.library, hosted.version, hostedCommandLine, splitArguments(hostedCommandLine),
                                switches.console, runner, setup, &failureCode)
                  : launchApplication(javaExecutable, argumentLine, runner, &failureCode, &setup);
    if (!application.started()) {
        splashActive = 0;
        // The error box's own message loop would otherwise run the watchdog,
        // whose quit message would close the box at the next tick.
        disarmWatchdog();
        showErrorMessage(
            launchFailureMessage(describeSystemError(failureCode, inProcess ? hosted.library : javaExecutable)).c_str());
        return 1;
    }
    // The launcher that is the application has recorded itself already, and
    // ends with the application.
    if (inProcess) waitForExit = 1;
    else singleInstance.recordApplication(application.process.get(), application.processId);
    const DWORD startTick = GetTickCount();
    // Stay-alive without the splash arms the timer, but no loop runs: the
    // launcher ends right after the start, or after the start check.
    DWORD exitCode = splashActive ? waitBehindSplash(application) : 0;
    // Output passed through to a console or a file is read there.
    DWORD endedWith;
    if (startTail && !setup.passThrough && applicationEndedAtStart(application, startTick, startCheck, &endedWith)) {
        exitCode = endedWith;
        if (exitCode != 0) {
            if (splashWindow) ShowWindow(splashWindow, SW_HIDE);
            showErrorMessageInFront(
                startFailureMessage(exitCode, startTail->textOnceEnded(application.reader.get())).c_str());
        }
    }
    if (waitForExit) return static_cast<int>(wait.untilApplicationEnds(application));
    return static_cast<int>(exitCode);
}
