// A text of any length in a read-only edit: it gets a scroll bar once it needs one.
#pragma once

#include <windows.h>

// Sets the text of the read-only multiline edit `id` of `window`. Past the
// lines it shows, the edit is made anew with a vertical scroll bar, which
// an edit takes only when it is made; it keeps its place, id and font.
void showLongText(HWND window, int id, const char* text);
