// The splash window, shown while the program waits on an emulator: the game list's build, a new emulator's answer.
#pragma once

#include <windows.h>

// Creates and shows the splash window over `owner` with `text`; the caller destroys it.
HWND openSplash(HWND owner, const char* text);
