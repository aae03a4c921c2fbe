// The main window: game list, options, emulator launches and the score list.
#pragma once

#include <windows.h>

INT_PTR CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
