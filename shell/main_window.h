// The main window: the games, the scores, the options and the launches, each a part of its own (shell/main_*.h).
#pragma once

#include <windows.h>

INT_PTR CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
