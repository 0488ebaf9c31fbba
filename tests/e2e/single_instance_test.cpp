// One running application per instance name (PROP_SINGLE_INSTANCE), end to
// end: a second start brings the running application's window to the front
// and starts nothing; the instance ends with its application, even when a
// program the application left behind still holds the instance's objects.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "base/handle.h"
#include "java_home.h"
#include "process/single_instance.h"
#include "scenario.h"
#include "window_driver.h"

namespace {

const int PROP_SINGLE_INSTANCE = 110;
// Bounds for a slow machine: a process takes a second to start, a first
// window several.
const unsigned SLOW_MS = 60000;

// A name that no other test run uses at the same time.
std::string uniqueName(const std::string& label) {
    return "launcher-test-" + label + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
}

// The shipped settings with an instance name; the private runtime runs for
// two minutes unless told otherwise, and the scenario ends every
// application it started.
struct InstanceScenario : Scenario {
    JavaHome app;
    std::vector<ProcessHandle> applications;

    explicit InstanceScenario(const std::string& name) : app(folder() + "\\jre") {
        app.configure("run_ms=120000");
        useLauncher(LauncherSpec::shipped().set(PROP_SINGLE_INSTANCE, name));
    }
    ~InstanceScenario() {
        for (ProcessHandle& p : applications) {
            TerminateProcess(p.get(), 0);
            WaitForSingleObject(p.get(), SLOW_MS);
        }
    }

    // The process id of the n-th application started; its handle, held
    // from now on, keeps the id from going to another process.
    unsigned long application(size_t n) {
        if (!waitForStarts(app, n + 1, SLOW_MS)) return 0;
        const unsigned long id = app.applicationStarts().at(n).processId;
        applications.emplace_back(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        return id;
    }
};

std::string brought(unsigned long id) {
    return "Single instance: process " + std::to_string(id) + " runs, its window brought to the front";
}

// Whether the foreground window becomes a window of that process that is
// not minimised.
bool comesToTheFront(unsigned long processId) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < SLOW_MS; Sleep(200)) {
        const DriverResult front = drive("front");
        if (!front.windows.empty() && front.windows[0].id == static_cast<long>(processId) &&
            !(front.windows[0].style & WS_MINIMIZE)) {
            return true;
        }
    }
    return false;
}

// Ends the programs that process started.
void endChildrenOf(unsigned long parent) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32First(snapshot, &entry); ok; ok = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parent) continue;
        ProcessHandle child(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        TerminateProcess(child.get(), 0);
        WaitForSingleObject(child.get(), SLOW_MS);
    }
    CloseHandle(snapshot);
}

}  // namespace

TEST(SingleInstance, ObjectNameIsInTheSessionWithoutBackslashesAndBounded) {
    char object[INSTANCE_OBJECT_NAME_MAX];
    EXPECT_EQ(11, instanceObjectName("MyApp", object));
    EXPECT_STREQ("Local\\MyApp", object);
    instanceObjectName("com\\example\\app", object);
    EXPECT_STREQ("Local\\com_example_app", object);
    EXPECT_EQ(206, instanceObjectName(std::string(300, 'n').c_str(), object));
}

// A different name is another instance, whose window then stands in front;
// the second start of the first brings its window back, minimised or not.
TEST(SingleInstance, SecondStartBringsTheRunningApplicationsWindowToTheFront) {
    InstanceScenario first(uniqueName("first")), other(uniqueName("other"));
    first.app.configure("window_after_ms=0");
    other.app.configure("window_after_ms=0");
    EXPECT_EQ("Single instance: first start", first.run().from("PROP_SINGLE_INSTANCE: ").at(1));
    const unsigned long app = first.application(0);
    ASSERT_EQ(0u, drive("wait --pid " + std::to_string(app) + " --timeout 60000").exitCode);

    for (bool minimised : {false, true}) {
        if (minimised) {
            drive("minimize --pid " + std::to_string(app));
        } else {
            other.run();
            const unsigned long otherApp = other.application(0);
            ASSERT_NE(0u, otherApp) << "a different name starts its own application";
            ASSERT_TRUE(comesToTheFront(otherApp));
        }
        TracedRun again = first.run();
        EXPECT_EQ(0u, again.exitCode) << minimised;
        ASSERT_EQ(brought(app), again.lines.back()) << minimised;
        EXPECT_FALSE(again.has("Search for Jre...")) << minimised;
        EXPECT_TRUE(comesToTheFront(app)) << minimised;
    }
    EXPECT_EQ(1u, first.app.applicationStarts().size());
}

TEST(SingleInstance, SecondStartBeforeTheFirstWindowEndsWithZero) {
    InstanceScenario first(uniqueName("no-window"));
    first.app.configure("hidden_window=1");
    first.run();
    const unsigned long app = first.application(0);
    ASSERT_NE(0u, app);
    TracedRun again = first.run();
    EXPECT_EQ(0u, again.exitCode);
    EXPECT_EQ("Single instance: process " + std::to_string(app) + " runs, no window to bring to the front",
              again.lines.back());
    EXPECT_FALSE(again.has("Search for Jre..."));
}

// An application that restarts itself starts the launcher again and ends
// seconds later, its window still up: the new launcher waits for that end
// and starts it again.
TEST(SingleInstance, ApplicationThatRestartsItselfStartsAgain) {
    InstanceScenario s(uniqueName("restart"));
    std::string restart = s.commandLine("restarted");
    for (size_t at = 0; (at = restart.find('\\', at)) != std::string::npos; at += 2) restart.insert(at, "\\");
    s.app.configure("run_ms=3000").configure("spawn=" + restart).configure("spawn_unless=restarted");
    s.app.configure("window_after_ms=0");
    s.run();
    ASSERT_NE(0u, s.application(1)) << "no second JVM";
    EXPECT_NE(std::string::npos, s.app.applicationStarts().at(1).commandLine.find(" restarted"));
    EXPECT_GE(s.app.applicationStarts().at(1).tick - s.app.applicationStarts().at(0).tick, 3000u);
}

// A lock that stays taken is no licence to read the record without it.
TEST(SingleInstance, LockThatIsNotFreedMeansNoCheck) {
    const std::string name = uniqueName("locked");
    KernelObject lock(CreateMutexA(nullptr, TRUE, ("Local\\" + name + ".lock").c_str()));
    InstanceScenario s(name);
    TracedRun run = s.run();
    EXPECT_EQ("Single instance: the record's lock was not free, no check", run.from("PROP_SINGLE_INSTANCE: ").at(1));
    EXPECT_NE(0u, s.application(0));
}

// Once the application has ended, the next start is a first start: its
// objects are gone with it, or a program it left running holds them, and
// the record names a process that no longer runs.
TEST(SingleInstance, StartAfterTheApplicationEndedIsAFirstStart) {
    for (bool leftAProgram : {false, true}) {
        InstanceScenario s(uniqueName("ended"));
        if (leftAProgram) s.app.configure("run_ms=0").configure("grandchild_ms=120000");
        s.run();
        const unsigned long app = s.application(0);
        ASSERT_NE(0u, app);
        HANDLE process = s.applications.back().get();
        if (!leftAProgram) TerminateProcess(process, 0);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, SLOW_MS));

        TracedRun again = s.run();
        const std::string expected = leftAProgram
                                         ? "Single instance: process " + std::to_string(app) + " has ended, first start"
                                         : "Single instance: first start";
        ASSERT_EQ(expected, again.from("PROP_SINGLE_INSTANCE: ").at(1)) << leftAProgram;
        EXPECT_NE(0u, s.application(1)) << leftAProgram;
        endChildrenOf(app);
    }
}

// Inside the launcher the launcher is the application, and the instance:
// a second start brings its window to the front, and starts no runtime.
TEST(SingleInstance, InsideTheLauncherTheLauncherIsTheInstance) {
    const std::string name = uniqueName("inside");
    InstanceScenario first(name);
    first.app.hostable().configure("window_after_ms=0");
    first.useLauncher(LauncherSpec::shipped().set(PROP_SINGLE_INSTANCE, name).set(119, "on"));
    TracedRun again;
    std::function<void(const std::string&)> user = [&](const std::string& select) {
        drive("wait " + select + " --class StandInJavaFrame --timeout 60000");
        again = first.run();
        ASSERT_TRUE(waitForStarts(first.app, 1));
        ProcessHandle launcher(OpenProcess(PROCESS_TERMINATE, FALSE, first.app.starts().at(0).processId));
        TerminateProcess(launcher.get(), 0);
    };
    first.run("", drivenBy(user));
    ASSERT_EQ(1u, first.app.starts().size());
    EXPECT_EQ(brought(first.app.starts().at(0).processId), again.lines.back());
}
