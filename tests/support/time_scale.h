// How much slower than a usual PC the machine under the tests is. Scenarios
// that race the application against the splash countdown scale their times
// by it, so that they keep their meaning on a slow machine (the emulated
// 32-bit lane sets TEST_TIME_SCALE, since a process start costs a second
// there).
#pragma once

#include <string>

// TEST_TIME_SCALE from the environment, 1 when it is unset or not a number
// from 1 to 20.
int timeScale();

// The seconds scaled, as the text of a setting.
std::string scaledSeconds(int seconds);
