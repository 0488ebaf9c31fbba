// The strings the debug emitter sends, shared with the tests that check
// what the trace capture printed.
#pragma once

#include <string>
#include <vector>

const int EMITTER_THREAD_LINES = 200;

inline std::vector<std::string> emitterStrings() {
    std::string everyByte;
    for (int c = 1; c < 256; ++c) everyByte += static_cast<char>(c);
    std::string longText;
    for (int i = 0; longText.size() < 70000; ++i) longText += "segment " + std::to_string(i) + " ";
    return {
        "",
        "trailing blanks   ",
        "Z:\\path with blanks\\launcher.exe",
        "escapes look like this: \\x41 \\x5C",
        "two\r\nlines",
        everyByte,
        std::string(5000, 'x'),
        longText,
    };
}

inline std::string emitterThreadLine(const char* thread, int i) {
    return std::string("thread ") + thread + " line " + std::to_string(i);
}
