#include "base/state.h"

int splashActive = 1;
int splashSecondsLeft = 3;
int stayAlive = 1;
int waitForWindow = 0;
int waitForExit = 0;
int jdkOnly = 0;
bool debugMode = false;
Text javaExeName("javaw.exe");
Text minimumVersion("1.3");
HWND splashWindow = nullptr;
Text runtimeHome;
unsigned runtimeFeatureVersion = 0;

Text maximumVersion;
int requiredRuntimeBits = 0;
