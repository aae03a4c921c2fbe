// Message boxes the way this program shows them.
#include "common/message.h"

#include "common/bounded_text.h"

#include <windows.h>

#include <atomic>

namespace {

// Set once by the entry, before any worker starts; read by every thread
// that shows a message.
std::atomic<DWORD> windowThread{0};

// The windows that a worker's box has disabled, to enable again after it;
// hidden ones too, such as a window about to show.
struct DisabledWindows {
    HWND windows[32];
    int count;
};

BOOL CALLBACK disableWindow(HWND window, LPARAM parameter)
{
    DisabledWindows& disabled = *reinterpret_cast<DisabledWindows*>(parameter);
    if (disabled.count < 32 && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        disabled.windows[disabled.count++] = window;
    }
    return TRUE;
}

} // namespace

void setWindowThread(unsigned long threadId)
{
    windowThread = threadId;
}

void showMessage(const char* text, const char* title)
{
    // A box of the window's thread disables that thread's windows itself.
    DWORD owner = windowThread.load();
    DisabledWindows disabled{};
    if (owner != 0 && owner != GetCurrentThreadId())
        EnumThreadWindows(owner, disableWindow, reinterpret_cast<LPARAM>(&disabled));
    MessageBoxA(nullptr, text, title, MB_OK | MB_TASKMODAL);
    while (disabled.count > 0)
        EnableWindow(disabled.windows[--disabled.count], TRUE);
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
