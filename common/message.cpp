// Message boxes the way this program shows them.
#include "common/message.h"

#include <windows.h>

void showMessage(const char* text, const char* title)
{
    MessageBoxA(nullptr, text, title, MB_OK);
}
