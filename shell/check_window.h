// What the two check windows share: where each keeps its state, its picture, the time a check takes, and Close
// taking over from Cancel.
#pragma once

#include <windows.h>

#include <cstddef>

// Keeps `state`, made by the window's caller, as the window's own
// (DWLP_USER), at WM_INITDIALOG before anything reads it; only the
// window's procedure changes it.
void keepWindowState(HWND window, void* state);

template <class State>
State& windowState(HWND window)
{
    return *reinterpret_cast<State*>(GetWindowLongPtrA(window, DWLP_USER));
}

// Readies the user-interface thread for a window that shows a picture,
// whose imaging component is a COM one: before the first such window.
void readyPictures();

// The PNG at `path`, scaled to fit the static `control`; null when it
// cannot be read. The caller shows it (showPicture).
HBITMAP pictureToFit(HWND control, const char* path);

// The picture that the window's static `pictureId` shows is freed, at the
// window's end.
void forgetPicture(HWND window, int pictureId, HBITMAP& shown);

// "m:ss" for a span in milliseconds.
void formatElapsed(DWORD milliseconds, char* text, std::size_t size);

// The work has ended: Cancel is off, Close on, the default button and
// focused.
void offerClose(HWND window, int cancelId, int closeId);
