// The picture of a checked recording's last frame, as a window shows it.
#pragma once

#include <windows.h>

// The PNG at `path`, decoded by the system's imaging component (WIC, a COM
// component: the calling thread has COM initialised) and scaled to fit
// `width` x `height` with its proportions kept. Null when it cannot be
// read. The caller deletes it.
HBITMAP loadPicture(const char* path, int width, int height);

// Shows `bitmap` in the static `control`; the static keeps a copy of a
// 32-bit picture under Common Controls 6. Frees what it showed before,
// copy and original (`shown`, which then holds `bitmap`).
void showPicture(HWND control, HBITMAP bitmap, HBITMAP& shown);
