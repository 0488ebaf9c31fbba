#include "time_scale.h"

#include <windows.h>

#include <cstdlib>

int timeScale() {
    char value[16] = {};
    const DWORD length = GetEnvironmentVariableA("TEST_TIME_SCALE", value, sizeof value);
    const int scale = length > 0 && length < sizeof value ? atoi(value) : 1;
    return scale >= 1 && scale <= 20 ? scale : 1;
}

std::string scaledSeconds(int seconds) { return std::to_string(seconds * timeScale()); }
