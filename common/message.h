// Message boxes the way this program shows them: no owner window, only an OK button.
#pragma once

#include <cstddef>

void showMessage(const char* text, const char* title);

// The system's words for error code `error`, without the line break that
// ends them ("Error N." when it has none), in `text` of `size` bytes.
void systemErrorText(unsigned long error, char* text, std::size_t size);
