// The About box: version, build date and logo.
#pragma once

#include <windows.h>

// Runs the About box modally over `owner`.
void runAboutBox(HWND owner);
