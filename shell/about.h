// The About box and the splash window shown while the game list is rebuilt.
#pragma once

#include <windows.h>

// Runs the About box modally over `owner`.
void runAboutBox(HWND owner);

// Creates and shows the splash window over `owner` with `text`; the caller destroys it.
HWND openSplash(HWND owner, const char* text);
