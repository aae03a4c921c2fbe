// Program-wide values of the front-end shell, shared with the windows of the other subsystems.
#include "shell/app.h"

#include "common/bounded_text.h"

#include <cstdarg>

HINSTANCE appInstance;
Settings settings;
MoreSettings moreSettings;
char additionalParameters[512];
OPENFILENAMEA fileDialog;

void setDlgItemFormat(HWND window, int id, const char* format, ...)
{
    char text[512];
    std::va_list args;
    va_start(args, format);
    formatTextV(text, sizeof text, format, args);
    va_end(args);
    SetDlgItemTextA(window, id, text);
}

void prepareFileDialog(HWND owner, const char* filter, char* path, DWORD pathSize, const char* title)
{
    fileDialog = OPENFILENAMEA{};
    fileDialog.lStructSize = sizeof fileDialog;
    fileDialog.hwndOwner = owner;
    fileDialog.lpstrFilter = filter;
    fileDialog.nFilterIndex = 1;
    fileDialog.lpstrFile = path;
    fileDialog.nMaxFile = pathSize;
    fileDialog.lpstrInitialDir = ".\\inp";
    fileDialog.lpstrTitle = title;
    fileDialog.Flags = OFN_NOCHANGEDIR;
}
