// Message boxes the way this program shows them.
#include "common/message.h"

#include "common/bounded_text.h"

#include <windows.h>

void showMessage(const char* text, const char* title)
{
    MessageBoxA(nullptr, text, title, MB_OK);
}

void systemErrorText(unsigned long error, char* text, std::size_t size)
{
    if (size == 0)
        return;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                  static_cast<DWORD>(size), nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
        text[--length] = '\0';
    if (length == 0)
        formatText(text, size, "Error %lu.", error);
}
