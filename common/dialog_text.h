// A control's text in Hobrin's code page, read into a field of fixed size.
#pragma once

#include <windows.h>

#include <cstddef>

// Reads the text of control `id` of `dialog` into `text` of `size` bytes
// (size > 0), cut between characters where it does not fit: a field's
// width is in bytes, and a letter of UTF-8 takes up to four. Returns false
// when it had to be cut.
bool readDialogText(HWND dialog, int id, char* text, std::size_t size);
