// The splash picture: a borderless pop-up of the static-control class that
// shows the complete picture file held in resource RT_BITMAP 104, centred on
// the screen while the application starts. The same window, hidden and
// empty, carries the watchdog's timer.
#pragma once

#include <objidl.h>
#include <windows.h>

const int SPLASH_RESOURCE_ID = 104;

struct SplashPosition {
    int x;
    int y;
};

// Half of the free space on each axis, truncated toward zero: negative when
// the picture is larger than the screen.
SplashPosition centredSplashPosition(int screenWidth, int screenHeight, const RECT& window);

// A splash countdown of PROP_SPLASH_TIMEOUT seconds; below 1 gives 2.
int splashCountdownSeconds(int configured);

void createSplashWindow(HINSTANCE instance);

// Loads the picture into the window, centres and shows it with the
// launcher's own show command. On failure it has shown the error box and
// returns false.
bool showSplashScreen(HINSTANCE instance, int showCommand);

// A memory stream positioned at its start that holds resource 104's bytes;
// null when no stream can be had. The caller owns the reference.
IStream* openSplashStream();
