// Posting a worker's news to the window that waits for it, so that an end is never lost.
#include "common/window_post.h"

bool postToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The queue empties as the window's thread takes its messages; a
    // worker only waits here while that thread is busy.
    while (IsWindow(window)) {
        if (PostMessageA(window, message, wParam, lParam))
            return true;
        if (GetLastError() != ERROR_NOT_ENOUGH_QUOTA)
            return false;
        Sleep(10);
    }
    return false;
}
