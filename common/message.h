// Message boxes the way this program shows them: no owner window, only an OK button.
#pragma once

#include <cstddef>

// Shows a box with no owner window and only an OK button. While it is up,
// no window of the program takes a click: those of the thread that shows it
// (MB_TASKMODAL), and, for a box shown by a worker thread, those of the
// thread that owns the windows.
void showMessage(const char* text, const char* title);

// Names the thread that owns the program's windows: the entry's.
void setWindowThread(unsigned long threadId);

// The system's words for error code `error`, without the line break that
// ends them ("Error N." when it has none), in `text` of `size` bytes.
void systemErrorText(unsigned long error, char* text, std::size_t size);
