// Filling a list box with many lines at once: one repaint for the whole fill.
#pragma once

#include <windows.h>

enum class FillMode { append, replace };

// Stops `list` from repainting until endListFill, empties it for `replace`,
// and reserves room for `lines` more lines of `bytes` bytes of text in all;
// the fill adds them with LB_ADDSTRING. Without this a list box repaints,
// and moves its scroll bar, once per line.
void beginListFill(HWND list, FillMode mode, int lines, DWORD bytes);
// Lets `list` repaint again and paints it at once, scroll bar included.
void endListFill(HWND list);
