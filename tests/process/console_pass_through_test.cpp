// Which standard handles a waiting launcher gives its application.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "process/console_pass_through.h"
#include "temp_folder.h"

TEST(ConsolePassThrough, EachStreamTakesTheCallersHandleElseTheConsoleElseNothing) {
    struct Case {
        StreamKind own[STREAM_COUNT];
        bool console;
        const char* trace;
        bool fromConsole[STREAM_COUNT];
    };
    const Case cases[] = {
        {{STREAM_NONE, STREAM_NONE, STREAM_NONE}, false, "Console pass-through: off (no console, no redirection).",
         {false, false, false}},
        {{STREAM_NONE, STREAM_NONE, STREAM_NONE}, true,
         "Console pass-through: stdin=console, stdout=console, stderr=console", {true, true, true}},
        {{STREAM_NONE, STREAM_FILE, STREAM_NONE}, false, "Console pass-through: stdin=none, stdout=file, stderr=none",
         {false, false, false}},
        {{STREAM_DEVICE, STREAM_PIPE, STREAM_CONSOLE}, false,
         "Console pass-through: stdin=device, stdout=pipe, stderr=console", {false, false, false}},
        {{STREAM_NONE, STREAM_FILE, STREAM_CONSOLE}, true,
         "Console pass-through: stdin=console, stdout=file, stderr=console", {true, false, false}},
    };
    for (const Case& c : cases) {
        const PassThroughPlan plan = planPassThrough(c.own, c.console);
        EXPECT_EQ(c.trace, std::string(describePassThrough(plan).c_str()));
        for (int i = 0; i < STREAM_COUNT; ++i) EXPECT_EQ(c.fromConsole[i], plan.fromConsole[i]) << c.trace;
    }
}

// Only files, pipes and devices count as given; any other handle is none.
TEST(ConsolePassThrough, TellsFilesPipesAndDevicesFromEverythingElse) {
    TempFolder folder("kinds");
    HANDLE file = CreateFileA((folder / "f.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, nullptr, 0);
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(STREAM_FILE, streamKindOf(file));
    EXPECT_EQ(STREAM_PIPE, streamKindOf(writeEnd));
    EXPECT_EQ(STREAM_DEVICE, streamKindOf(nul));
    EXPECT_EQ(STREAM_NONE, streamKindOf(event));
    EXPECT_EQ(STREAM_NONE, streamKindOf(nullptr));
    EXPECT_EQ(STREAM_NONE, streamKindOf(INVALID_HANDLE_VALUE));
    for (HANDLE h : {file, readEnd, writeEnd, nul, event}) CloseHandle(h);
}
