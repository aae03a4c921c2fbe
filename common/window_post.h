// Posting a worker's news to the window that waits for it, so that an end is never lost.
#pragma once

#include <windows.h>

// Posts `message` to `window`, tried again while the window's queue is full
// (ERROR_NOT_ENOUGH_QUOTA), for as long as the window exists: a worker's
// end that is lost would leave its window waiting for good. False when the
// window is gone or the post cannot be made for another reason.
bool postToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
